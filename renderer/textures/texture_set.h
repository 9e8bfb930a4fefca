// The renderer's texture set: the one glow texture, built at start-up.
#pragma once

#include <memory>

#include "textures/texture.h"

// The glow texture, sphere-mapped onto the ball; null before buildTextureSet
// and after releaseTextureSet. Process-wide: the scene binds it every frame.
extern std::unique_ptr<Texture> glowTexture;

// Needs a current GL context: builds glowTexture from the glow program, mipmapped.
void buildTextureSet();
// Deletes glowTexture (when present).
void releaseTextureSet();
