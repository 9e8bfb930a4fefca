// The scene's mesh: its bits, its four-lobed shape, and the failure when memory runs out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "host/render_settings.h"
#include "reference/mesh_references.h"
#include "scene/scene.h"
#include "scene/scene_mesh.h"

namespace {

// While armed, every allocation of a kilobyte or more fails as on an exhausted heap.
bool failLargeAllocations = false;

}  // namespace

void* operator new(std::size_t size) {
    if (failLargeAllocations && size >= 1024) {
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

TEST(SceneMesh, DetailLevelThreeIsTheSixtyFourBySixtyFourSphere) {
    EXPECT_EQ(sceneSphereResolution(3), 64);
    EXPECT_EQ(sceneSphereResolution(0), 16);
}

TEST(SceneMesh, HasItsFixedBitsEveryTime) {
    // Every float rounded as in the Windows build; twice, as one build may not change the next.
    EXPECT_EQ(meshSha256(*buildSceneMesh(3)), kSceneMeshSha256);
    EXPECT_EQ(meshSha256(*buildSceneMesh(3)), kSceneMeshSha256);
}

TEST(SceneMesh, LobesReachOutAndInAlongTheDiagonals) {
    const auto mesh = buildSceneMesh(3);
    float nearest = 1.0f;
    float farthest = 0.0f;
    Vector3 low(1, 1, 1);
    Vector3 high(-1, -1, -1);
    for (int32_t i = 0; i < mesh->referencedVertexCount(); ++i) {
        const Vector3 p = mesh->vertices()[i];
        nearest = std::min(nearest, p.length());
        farthest = std::max(farthest, p.length());
        low = Vector3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
        high = Vector3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
        EXPECT_NEAR(mesh->normals()[i].length(), 1.0f, 1e-5f) << "vertex " << i;
    }
    EXPECT_NEAR(farthest, 0.161f, 0.003f);
    EXPECT_NEAR(nearest, 0.039f, 0.003f);
    // Turned half round any axis the lump is itself again, so its bounds are symmetric.
    EXPECT_NEAR(low.x, -high.x, 1e-6f);
    EXPECT_NEAR(low.y, -high.y, 1e-6f);
    EXPECT_NEAR(low.z, -high.z, 1e-6f);
}

TEST(Scene, ReleaseWithoutSetupDoesNothing) {
    releaseScene();
    EXPECT_EQ(sceneMesh(), nullptr);
}

TEST(Scene, SetupBuildsFromTheDetailLevelAndReleaseFrees) {
    renderSettings = kFixedRenderSettings;
    setupScene();
    ASSERT_NE(sceneMesh(), nullptr);
    EXPECT_EQ(meshSha256(*sceneMesh()), kSceneMeshSha256);
    releaseScene();
    EXPECT_EQ(sceneMesh(), nullptr);
}

TEST(Scene, MeshMemoryThatCannotBeHadIsAStartUpFailureText) {
    renderSettings = kFixedRenderSettings;
    failLargeAllocations = true;
    const char* message = nullptr;
    try {
        setupScene();
    } catch (const char* text) {
        message = text;
    }
    failLargeAllocations = false;
    ASSERT_NE(message, nullptr);
    EXPECT_STREQ(message, "Create mesh failed");
    EXPECT_EQ(sceneMesh(), nullptr);
}
