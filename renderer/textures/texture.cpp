// Texture upload: filters by the renderer setting, repeat wrapping, optional mipmap chain.
#include "textures/texture.h"

#include "gl_api.h"
#include "host/render_settings.h"

static_assert(kTextureFormatRgb == GL_RGB, "the generator's format number is GL_RGB");

namespace {

void setFilters(GLint minification, GLint magnification) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minification);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magnification);
}

}  // namespace

Texture::Texture(std::unique_ptr<TextureImage> image, bool mipmapped) {
    GLuint name = 0;
    glGenTextures(1, &name);
    name_ = name;
    glBindTexture(GL_TEXTURE_2D, name_);

    const int32_t filter = renderSettings.textureFilter;
    if (filter == 0) {
        setFilters(GL_NEAREST, GL_NEAREST);
    } else if (filter == 1) {
        setFilters(GL_LINEAR, GL_LINEAR);
    } else if (filter == 2) {
        setFilters(mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR, GL_LINEAR);
    }  // any other value keeps GL's default filters

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);

    // Row 0 of the image becomes texture row t = 0.
    const GLenum format = image->format;
    if (filter == 2 && mipmapped) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), image->width, image->height,
                          format, GL_UNSIGNED_BYTE, image->pixels.data());
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), image->width, image->height, 0,
                     format, GL_UNSIGNED_BYTE, image->pixels.data());
    }
    image.reset();  // the pixels live on in the GL
}

Texture::~Texture() {
    const GLuint name = name_;
    glDeleteTextures(1, &name);
}

void Texture::bind() const {
    glBindTexture(GL_TEXTURE_2D, name_);
}
