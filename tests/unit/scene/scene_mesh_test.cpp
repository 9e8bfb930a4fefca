// The scene's mesh: its size, its four-lobed shape, and the failure when memory runs out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <new>

#include "host/render_settings.h"
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
    const auto mesh = buildSceneMesh(3);
    EXPECT_EQ(mesh->vertexCount(), 4160);
    EXPECT_EQ(mesh->indexCount(), 24192);
    EXPECT_EQ(mesh->referencedVertexCount(), 4034);
}

TEST(SceneMesh, LobesReachOutAndInAlongTheDiagonals) {
    const auto mesh = buildSceneMesh(3);
    float nearest = 1.0f;
    float farthest = 0.0f;
    for (int32_t i = 0; i < mesh->referencedVertexCount(); ++i) {
        const float distance = mesh->vertices()[i].length();
        nearest = std::min(nearest, distance);
        farthest = std::max(farthest, distance);
        const Vector3 n = mesh->normals()[i];
        EXPECT_NEAR(n.length(), 1.0f, 1e-5f) << "vertex " << i;
    }
    EXPECT_NEAR(farthest, 0.161f, 0.003f);
    EXPECT_NEAR(nearest, 0.039f, 0.003f);
}

TEST(SceneMesh, BuildingTwiceGivesTheSameBits) {
    const auto first = buildSceneMesh(3);
    const auto second = buildSceneMesh(3);
    EXPECT_EQ(std::memcmp(first->vertices(), second->vertices(), 4034 * sizeof(Vector3)), 0);
    EXPECT_EQ(std::memcmp(first->normals(), second->normals(), 4034 * sizeof(Vector3)), 0);
}

TEST(Scene, ReleaseWithoutSetupDoesNothing) {
    releaseScene();
    EXPECT_EQ(sceneMesh(), nullptr);
}

TEST(Scene, SetupBuildsFromTheDetailLevelAndReleaseFrees) {
    renderSettings = kFixedRenderSettings;
    setupScene();
    ASSERT_NE(sceneMesh(), nullptr);
    EXPECT_EQ(sceneMesh()->indexCount(), 24192);
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
