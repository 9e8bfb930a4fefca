// Placeholder texture set until the generator lands.
#include "textures/texture_set.h"

#include "gl_api.h"

std::unique_ptr<Texture> glowTexture;

void Texture::bind() const {
    glBindTexture(GL_TEXTURE_2D, name_);
}

void buildTextureSet() {}
void releaseTextureSet() {
    glowTexture.reset();
}
