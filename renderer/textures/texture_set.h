// The renderer's texture set: the one glow texture, built at start-up.
#pragma once

void buildTextureSet();
void releaseTextureSet();
