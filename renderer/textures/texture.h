// One OpenGL texture object, uploaded from a generated image.
#pragma once

#include <cstdint>
#include <memory>

#include "textures/texture_image.h"

class Texture {
  public:
    // Needs a current GL context. Makes a GL texture with the filters of
    // renderSettings.textureFilter, repeating both ways, and uploads the image (with all
    // mipmap levels when mipmapped and the filter is 2); the image is consumed. The texture
    // stays bound to GL_TEXTURE_2D.
    Texture(std::unique_ptr<TextureImage> image, bool mipmapped);
    // Deletes the GL texture.
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // glBindTexture of this texture to GL_TEXTURE_2D.
    void bind() const;

    uint32_t name() const { return name_; }

  private:
    uint32_t name_ = 0;
};
