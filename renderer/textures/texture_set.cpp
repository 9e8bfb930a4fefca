// Placeholder texture set until the generator lands.
#include "textures/texture_set.h"

void buildTextureSet() {}
void releaseTextureSet() {}
