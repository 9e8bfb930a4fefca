// The texture set: one generator for the batch, one texture from the glow program.
#include "textures/texture_set.h"

#include "textures/glow_program.h"
#include "textures/texture_generator.h"

std::unique_ptr<Texture> glowTexture;

void buildTextureSet() {
    TextureGenerator generator;  // its layers are freed at the end; the texture lives in the GL
    glowTexture = std::make_unique<Texture>(generator.buildImage(glowProgram()), true);
}

void releaseTextureSet() {
    glowTexture.reset();
}
