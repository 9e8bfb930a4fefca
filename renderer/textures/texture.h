// One OpenGL texture object, uploaded from a generated image.
#pragma once

#include <cstdint>

class Texture {
  public:
    Texture() = default;
    ~Texture() = default;
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // glBindTexture of this texture to GL_TEXTURE_2D.
    void bind() const;

  private:
    uint32_t name_ = 0;
};
