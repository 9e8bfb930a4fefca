// The scene drawn for real on headless Mesa: the state it leaves, what the frames show.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "geometry/mesh.h"
#define GL_GLEXT_PROTOTYPES 1  // glIsBuffer, for counting buffer objects
#include "gl_api.h"
#include "host/egl/egl_offscreen.h"
#include "host/render_settings.h"
#include "host/velmora_animation.h"
#include "host/viewport.h"
#include "scene/scene.h"
#include "textures/texture_set.h"

namespace {

constexpr int32_t kWidth = 160;
constexpr int32_t kHeight = 120;

class SceneFrames : public ::testing::Test {
  protected:
    // The renderer's own start-up, with the viewport its window gets first.
    void SetUp() override {
        renderSettings = kFixedRenderSettings;
        resizeViewport(kWidth, kHeight);
        animation_.initAnimation();
        ASSERT_NE(glowTexture, nullptr) << "start-up built no glow";
    }

    void TearDown() override { animation_.releaseAnimation(); }

    std::vector<uint8_t> frameAt(double t) {
        animation_.drawFrame(t, {});
        glFinish();
        return context_.readPixelsTopDown();
    }

    OffscreenContext context_{kWidth, kHeight};
    VelmoraAnimation animation_;
};

bool isEnabled(GLenum capability) {
    return glIsEnabled(capability) == GL_TRUE;
}

// Brightest channel of one pixel and of the mean over a block of the frame.
struct BlockLight {
    int peak = 0;
    double mean = 0.0;
};

BlockLight blockLight(const std::vector<uint8_t>& rgb, int left, int top, int width, int height,
                      int frameWidth = kWidth) {
    BlockLight light;
    double sums[3] = {0, 0, 0};
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x) {
            for (int c = 0; c < 3; ++c) {
                const uint8_t value = rgb[static_cast<size_t>(y * frameWidth + x) * 3 + c];
                sums[c] += value;
                light.peak = std::max(light.peak, int(value));
            }
        }
    }
    light.mean = std::max({sums[0], sums[1], sums[2]}) / double(width * height);
    return light;
}

const double kTimes[] = {0.0, 0.5, 7.25, 100.0, 3600.0, 86400.0 * 7};

}  // namespace

TEST_F(SceneFrames, LeavesBlendingOffDepthWritesOnAndTextureGenerationOff) {
    const GLuint glow = glowTexture->name();
    for (double t : kTimes) {
        SCOPED_TRACE(t);
        drawScene(t);
        EXPECT_FALSE(isEnabled(GL_BLEND));
        GLboolean depthWrites = GL_FALSE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_EQ(depthWrites, GL_TRUE);
        EXPECT_FALSE(isEnabled(GL_TEXTURE_GEN_S));
        EXPECT_FALSE(isEnabled(GL_TEXTURE_GEN_T));
        EXPECT_TRUE(isEnabled(GL_VERTEX_ARRAY));
        EXPECT_TRUE(isEnabled(GL_NORMAL_ARRAY));
        EXPECT_TRUE(isEnabled(GL_TEXTURE_2D));
        EXPECT_FALSE(isEnabled(GL_LIGHTING));
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), glow);
        GLint matrixMode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
        EXPECT_EQ(matrixMode, GL_MODELVIEW);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(SceneFrames, BallGlowsAtTheCentreOverBlackCorners) {
    constexpr int kCorner = 12;
    for (double t : kTimes) {
        SCOPED_TRACE(t);
        const std::vector<uint8_t> frame = frameAt(t);
        for (const auto& [x, y] : {std::pair{0, 0}, {kWidth - kCorner, 0}, {0, kHeight - kCorner},
                                   {kWidth - kCorner, kHeight - kCorner}}) {
            EXPECT_EQ(blockLight(frame, x, y, kCorner, kCorner).peak, 0) << x << "," << y;
        }
        // The ball always covers the middle eighth of the frame; the ripple of the glow may
        // darken single pixels there, never the whole block.
        const BlockLight centre =
            blockLight(frame, kWidth * 7 / 16, kHeight * 7 / 16, kWidth / 8, kHeight / 8);
        EXPECT_GE(centre.peak, 200);
        EXPECT_GT(centre.mean, 25.0);
    }
}

TEST_F(SceneFrames, HalfASecondLaterTheBallHasTurned) {
    const std::vector<uint8_t> before = frameAt(10.0);
    const std::vector<uint8_t> after = frameAt(10.5);
    size_t changed = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        changed += before[i] != after[i] ? 1 : 0;
    }
    EXPECT_GT(changed, before.size() / 100);
}

TEST_F(SceneFrames, AnHourLaterEveryRotationIsBackWhereItWas) {
    // 3600 s turns each of the four rotations a whole number of times; after a thousand
    // hours a float angle would have lost its fraction, the wrapped one has not.
    const double t = 12.34;
    const std::vector<uint8_t> early = frameAt(t);
    const std::vector<uint8_t> late = frameAt(t + 3600.0 * 1000.0);
    int largestDifference = 0;
    for (size_t i = 0; i < early.size(); ++i) {
        largestDifference = std::max(largestDifference, std::abs(int(early[i]) - int(late[i])));
    }
    EXPECT_LE(largestDifference, 2);
}

TEST_F(SceneFrames, DrawingNeverChangesTheMesh) {
    const Mesh* mesh = sceneMesh();
    ASSERT_NE(mesh, nullptr);
    const std::vector<Vector3> vertices(mesh->vertices(), mesh->vertices() + mesh->vertexCount());
    const std::vector<Vector3> normals(mesh->normals(), mesh->normals() + mesh->vertexCount());
    const std::vector<uint16_t> indices(mesh->indices(), mesh->indices() + mesh->indexCount());
    for (int frame = 0; frame < 60; ++frame) {
        drawScene(frame * 0.37);
    }
    glFinish();
    ASSERT_EQ(sceneMesh(), mesh);
    EXPECT_EQ(std::memcmp(vertices.data(), mesh->vertices(), vertices.size() * sizeof(Vector3)), 0);
    EXPECT_EQ(std::memcmp(normals.data(), mesh->normals(), normals.size() * sizeof(Vector3)), 0);
    EXPECT_EQ(std::memcmp(indices.data(), mesh->indices(), indices.size() * sizeof(uint16_t)), 0);
}

// How many names are in use among the first few thousand: textures, buffers, display lists.
std::array<int, 3> liveObjects() {
    std::array<int, 3> live{};
    for (GLuint name = 1; name <= 4096; ++name) {
        live[0] += glIsTexture(name);
        live[1] += glIsBuffer(name);
        live[2] += glIsList(name);
    }
    return live;
}

TEST(AnimationRelease, LeavesNoTextureBufferOrDisplayListBehind) {
    OffscreenContext context{kWidth, kHeight};
    renderSettings = kFixedRenderSettings;
    resizeViewport(kWidth, kHeight);
    const std::array<int, 3> before = liveObjects();
    VelmoraAnimation animation;
    animation.initAnimation();
    animation.drawFrame(1.0, {});
    glFinish();
    EXPECT_GT(liveObjects()[0], before[0]) << "no glow texture was made";
    animation.releaseAnimation();
    EXPECT_EQ(liveObjects(), before);
    EXPECT_EQ(glowTexture, nullptr);
    EXPECT_EQ(sceneMesh(), nullptr);
}

// Two monitors in one window: the main one at the window's top right, and a taller, narrow
// one to its left, which leaves a strip under the main one that no monitor shows. Each
// monitor shows what today's one-viewport frame shows in its place.
TEST(MonitorFrames, EachMonitorShowsTheOneViewportFrameOfItsPlace) {
    constexpr double kTime = 7.25;
    constexpr int32_t kOtherWidth = 90;
    constexpr int32_t kWindowWidth = kOtherWidth + kWidth;
    constexpr int32_t kWindowHeight = 160;
    const ViewportRect main{kOtherWidth, kWindowHeight - kHeight, kWidth, kHeight};
    const ViewportRect other{0, 0, kOtherWidth, kWindowHeight};
    OffscreenContext context{kWindowWidth, kWindowHeight};
    renderSettings = kFixedRenderSettings;
    VelmoraAnimation animation;
    animation.initAnimation();
    const auto alone = [&context](const ViewportRect& viewport) {
        placeViewport(viewport.x, viewport.y, viewport.width, viewport.height);
        drawScene(kTime);
        glFinish();
        return context.readPixelsTopDown();
    };
    const std::vector<uint8_t> otherAlone = alone(other);
    const std::vector<uint8_t> mainAlone = alone(main);
    animation.drawFrame(kTime, {main, other});
    glFinish();
    const std::vector<uint8_t> both = context.readPixelsTopDown();
    animation.releaseAnimation();

    // Bytes that differ inside a viewport (counted in top-down rows) from the frame alone.
    const auto differing = [&both](const std::vector<uint8_t>& expected, const ViewportRect& at) {
        size_t count = 0;
        for (int32_t y = kWindowHeight - at.y - at.height; y < kWindowHeight - at.y; ++y) {
            for (int32_t x = at.x * 3; x < (at.x + at.width) * 3; ++x) {
                const size_t index = static_cast<size_t>(y * kWindowWidth * 3 + x);
                count += both[index] != expected[index] ? 1 : 0;
            }
        }
        return count;
    };
    EXPECT_EQ(differing(mainAlone, main), 0u) << "bytes of the main monitor";
    EXPECT_EQ(differing(otherAlone, other), 0u) << "bytes of the other monitor";
    const BlockLight mainCentre = blockLight(both, kOtherWidth + kWidth * 7 / 16, kHeight * 7 / 16,
                                             kWidth / 8, kHeight / 8, kWindowWidth);
    EXPECT_GE(mainCentre.peak, 200) << "no ball on the main monitor";
    const BlockLight otherCentre = blockLight(both, kOtherWidth * 7 / 16, kWindowHeight * 7 / 16,
                                              kOtherWidth / 8, kWindowHeight / 8, kWindowWidth);
    EXPECT_GE(otherCentre.peak, 200) << "no ball on the other monitor";
    const BlockLight strip =
        blockLight(both, kOtherWidth, kHeight, kWidth, kWindowHeight - kHeight, kWindowWidth);
    EXPECT_EQ(strip.peak, 0) << "the strip no monitor shows";
}
