// Texture upload on a real Mesa context: filters per textureFilter, repeat wrapping, the
// mipmap chain, and level 0 equal to the generated image.
#include <gtest/gtest.h>

#include "gl_api.h"
#include "host/egl/egl_offscreen.h"
#include "host/render_settings.h"
#include "textures/glow_program.h"
#include "textures/texture.h"
#include "textures/texture_generator.h"
#include "textures/texture_set.h"

namespace {

// Sets textureFilter for one test and puts the old settings back.
class TextureFilterSetting {
  public:
    explicit TextureFilterSetting(int32_t filter) : saved_(renderSettings) {
        renderSettings.textureFilter = filter;
    }
    ~TextureFilterSetting() { renderSettings = saved_; }

  private:
    RenderSettings saved_;
};

GLint textureParameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint levelWidth(GLint level) {
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    return width;
}

std::vector<uint8_t> levelZeroBytes() {
    std::vector<uint8_t> bytes(256u * 256u * 3u);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}

std::unique_ptr<TextureImage> noiseImage() {
    const uint8_t program[] = {3, 0x02, 0x00, 0, 0, 0,    0,    0, 0, 5, 0x02, 0x01, 0, 0,
                               0, 0,    0,    0, 6, 0x02, 0x02, 0, 0, 0, 0,    0,    0, 7};
    TextureGenerator generator;
    return generator.buildImage(TextureProgram{program, sizeof(program)});
}

}  // namespace

struct FilterCase {
    int32_t textureFilter;
    bool mipmapped;
    GLint minification;
    GLint magnification;
    GLint levels;  // 9 for the full chain 256 .. 1
};

class TextureFilters : public testing::TestWithParam<FilterCase> {};

TEST_P(TextureFilters, FollowTheSettingAndTheMipmapFlag) {
    const FilterCase c = GetParam();
    OffscreenContext context(16, 16);
    const TextureFilterSetting setting(c.textureFilter);
    std::unique_ptr<TextureImage> image = noiseImage();
    const std::vector<uint8_t> pixels = image->pixels;

    Texture texture(std::move(image), c.mipmapped);

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture.name());  // left bound
    EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), c.minification);
    EXPECT_EQ(textureParameter(GL_TEXTURE_MAG_FILTER), c.magnification);
    EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    for (GLint level = 0; level < 9; ++level) {
        EXPECT_EQ(levelWidth(level), level < c.levels ? 256 >> level : 0) << "level " << level;
    }
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_RGB);
    EXPECT_EQ(levelZeroBytes(), pixels);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(
    EachSetting, TextureFilters,
    testing::Values(FilterCase{0, true, GL_NEAREST, GL_NEAREST, 1},
                    FilterCase{0, false, GL_NEAREST, GL_NEAREST, 1},
                    FilterCase{1, true, GL_LINEAR, GL_LINEAR, 1},
                    FilterCase{2, true, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, 9},
                    FilterCase{2, false, GL_LINEAR, GL_LINEAR, 1},
                    // Other values set no filter: GL's defaults stay.
                    FilterCase{3, true, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, 1},
                    FilterCase{-1, false, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, 1}));

TEST(Texture, DeletesItsGlTextureAndBindsByName) {
    OffscreenContext context(16, 16);
    const TextureFilterSetting setting(2);
    GLuint name = 0;
    {
        Texture first(noiseImage(), false);
        Texture second(noiseImage(), false);
        name = first.name();
        EXPECT_NE(first.name(), second.name());
        first.bind();
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), name);
        EXPECT_TRUE(glIsTexture(name));
    }
    EXPECT_FALSE(glIsTexture(name));
}

TEST(TextureSet, BuildsTheMipmappedGlowTextureAndReleasesIt) {
    OffscreenContext context(16, 16);
    const TextureFilterSetting setting(2);  // the renderer's fixed setting
    ASSERT_EQ(glowTexture, nullptr);
    buildTextureSet();
    ASSERT_NE(glowTexture, nullptr);
    const GLuint name = glowTexture->name();
    glBindTexture(GL_TEXTURE_2D, 0);
    glowTexture->bind();
    EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(levelWidth(8), 1);  // the full chain
    TextureGenerator generator;
    EXPECT_EQ(levelZeroBytes(), generator.buildImage(glowProgram())->pixels);

    releaseTextureSet();
    EXPECT_EQ(glowTexture, nullptr);
    EXPECT_FALSE(glIsTexture(name));
    releaseTextureSet();  // a second release finds nothing to delete
}
