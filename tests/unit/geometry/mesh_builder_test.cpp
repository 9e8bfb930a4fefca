// The sphere generator, the sinusoidal deformation and the normals they lead to.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "geometry/mesh_builder.h"

namespace {

float dot(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Mesh sphere(float radius, int32_t slices, int32_t stacks) {
    Mesh mesh;
    MeshBuilder().buildSphere(mesh, radius, slices, stacks);
    return mesh;
}

constexpr float kRounding = 1e-6f;

}  // namespace

TEST(BuildSphere, FourSlicesTwoStacksMakeAnOctahedron) {
    Mesh mesh;
    MeshBuilder().buildSphere(mesh, 1.0f, 4, 2);  // its counts: SphereSizes 4x2
    const Vector3 expected[6] = {{0, 0, 1},  {1, 0, 0},  {0, 1, 0},
                                 {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(mesh.vertices()[i].x, expected[i].x, kRounding) << "vertex " << i;
        EXPECT_NEAR(mesh.vertices()[i].y, expected[i].y, kRounding) << "vertex " << i;
        EXPECT_NEAR(mesh.vertices()[i].z, expected[i].z, kRounding) << "vertex " << i;
    }
    // North cap, no bands, south cap on ring 1.
    const uint16_t indices[24] = {0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 1,
                                  5, 2, 1, 5, 3, 2, 5, 4, 3, 5, 1, 4};
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(mesh.indices()[i], indices[i]) << "index " << i;
    }

    mesh.recomputeNormals();
    EXPECT_NEAR(mesh.normals()[0].z, 1.0f, kRounding);
    EXPECT_NEAR(mesh.normals()[0].x, 0.0f, kRounding);
    EXPECT_NEAR(mesh.normals()[1].x, 1.0f, kRounding);
    EXPECT_NEAR(mesh.normals()[1].y, 0.0f, kRounding);
    EXPECT_NEAR(mesh.normals()[1].z, 0.0f, kRounding);
}

TEST(BuildSphere, EveryTriangleIsCounterClockwiseFromOutside) {
    const Mesh mesh = sphere(2.0f, 7, 5);
    for (int32_t i = 0; i < mesh.indexCount(); i += 3) {
        const Vector3 p = mesh.vertices()[mesh.indices()[i]];
        const Vector3 q = mesh.vertices()[mesh.indices()[i + 1]];
        const Vector3 r = mesh.vertices()[mesh.indices()[i + 2]];
        Vector3 centre = p;
        centre += q;
        centre += r;
        EXPECT_GT(dot(cross(q - p, r - p), centre), 0.0f) << "triangle " << i / 3;
    }
}

struct SphereSize {
    float radius;
    int32_t slices;
    int32_t stacks;
};

class SphereSizes : public ::testing::TestWithParam<SphereSize> {};

TEST_P(SphereSizes, ReferencedVerticesLieOnTheSphereWithRadialNormals) {
    const SphereSize size = GetParam();
    const Mesh mesh = sphere(size.radius, size.slices, size.stacks);
    const int32_t used = size.slices * (size.stacks - 1) + 2;
    EXPECT_EQ(mesh.vertexCount(), size.slices * (size.stacks + 1));
    EXPECT_EQ(mesh.indexCount(), 6 * size.slices * (size.stacks - 1));
    EXPECT_EQ(mesh.referencedVertexCount(), used);
    std::set<uint16_t> referenced(mesh.indices(), mesh.indices() + mesh.indexCount());
    EXPECT_EQ(static_cast<int32_t>(referenced.size()), used);
    for (int32_t i = 0; i < used; ++i) {
        const Vector3 p = mesh.vertices()[i];
        const Vector3 n = mesh.normals()[i];
        EXPECT_NEAR(p.length(), size.radius, size.radius * 1e-6f) << "vertex " << i;
        EXPECT_NEAR(n.x, p.x / size.radius, 1e-6f) << "vertex " << i;
        EXPECT_NEAR(n.y, p.y / size.radius, 1e-6f) << "vertex " << i;
        EXPECT_NEAR(n.z, p.z / size.radius, 1e-6f) << "vertex " << i;
    }
    for (int32_t i = used; i < mesh.vertexCount(); ++i) {
        EXPECT_EQ(mesh.vertices()[i].length(), 0.0f) << "tail vertex " << i;
    }
}

TEST_P(SphereSizes, RecomputedNormalsPointOutward) {
    const SphereSize size = GetParam();
    Mesh mesh = sphere(size.radius, size.slices, size.stacks);
    mesh.recomputeNormals();
    for (int32_t i = 0; i < mesh.referencedVertexCount(); ++i) {
        EXPECT_GT(dot(mesh.normals()[i], mesh.vertices()[i]), 0.0f) << "vertex " << i;
        EXPECT_NEAR(mesh.normals()[i].length(), 1.0f, 1e-6f) << "vertex " << i;
    }
}

TEST_P(SphereSizes, CloseWithoutHolesOrFlippedTriangles) {
    // A closed, consistently wound surface walks every edge once in each direction.
    const SphereSize size = GetParam();
    const Mesh mesh = sphere(size.radius, size.slices, size.stacks);
    std::map<std::pair<uint16_t, uint16_t>, int> walks;
    for (int32_t i = 0; i < mesh.indexCount(); i += 3) {
        for (int corner = 0; corner < 3; ++corner) {
            ++walks[{mesh.indices()[i + corner], mesh.indices()[i + (corner + 1) % 3]}];
        }
    }
    for (const auto& [edge, count] : walks) {
        EXPECT_EQ(count, 1) << edge.first << "-" << edge.second;
        EXPECT_EQ(walks.count({edge.second, edge.first}), 1u) << edge.first << "-" << edge.second;
    }
    // A sphere's Euler characteristic: V - E + F = 2.
    const int32_t edges = static_cast<int32_t>(walks.size()) / 2;
    EXPECT_EQ(mesh.referencedVertexCount() - edges + mesh.indexCount() / 3, 2);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SphereSizes,
                         ::testing::Values(SphereSize{1.0f, 4, 2}, SphereSize{0.1f, 64, 64},
                                           SphereSize{3.0f, 3, 3}, SphereSize{1.0f, 13, 8}),
                         [](const ::testing::TestParamInfo<SphereSize>& info) {
                             return std::to_string(info.param.slices) + "x" +
                                    std::to_string(info.param.stacks) + "_radius" +
                                    std::to_string(int(info.param.radius * 10)) + "tenths";
                         });

TEST(BuildSphere, LargestSphereThatSixteenBitIndicesReach) {
    // 1057 * 62 + 2 = 65,536 used vertices: the south pole takes index 65,535.
    const Mesh mesh = sphere(1.0f, 1057, 63);
    EXPECT_EQ(mesh.referencedVertexCount(), 65536);
    EXPECT_EQ(mesh.indices()[mesh.indexCount() - 3], 65535);
}

TEST(Deform, ZeroPhaseLeavesThePolesInPlace) {
    Mesh mesh = sphere(0.1f, 64, 64);
    MeshBuilder().deform(mesh, Vector3(0.2f, 0.2f, 0.2f), Vector3(), 17);
    const int32_t southPole = 63 * 64 + 1;
    EXPECT_EQ(mesh.vertices()[0].z, 0.1f);
    EXPECT_EQ(mesh.vertices()[0].x, 0.0f);
    EXPECT_EQ(mesh.vertices()[southPole].z, -0.1f);
    EXPECT_EQ(mesh.vertices()[southPole].y, 0.0f);
}

TEST(Deform, VertexOnTheXzPlaneMovesOnlyAlongY) {
    Mesh mesh;
    mesh.allocate(1, 0);
    mesh.vertices()[0] = Vector3(0.06f, 0.0f, 0.08f);
    MeshBuilder().deform(mesh, Vector3(0.2f, 0.2f, 0.2f), Vector3(), 17);
    const Vector3 moved = mesh.vertices()[0];
    EXPECT_EQ(moved.x, 0.06f);
    EXPECT_EQ(moved.z, 0.08f);
    // Pushed outward along y by less than the amplitude (x * z > 0, a small sine argument).
    EXPECT_GT(moved.y, 0.0f);
    EXPECT_LT(moved.y, 0.2f);
}

TEST(Deform, ZeroAmplitudeLeavesEveryVertex) {
    Mesh mesh = sphere(0.1f, 16, 16);
    const Mesh original = sphere(0.1f, 16, 16);
    MeshBuilder().deform(mesh, Vector3(), Vector3(1, 2, 3), 17);
    for (int32_t i = 0; i < mesh.vertexCount(); ++i) {
        EXPECT_EQ(mesh.vertices()[i].x, original.vertices()[i].x);
        EXPECT_EQ(mesh.vertices()[i].y, original.vertices()[i].y);
        EXPECT_EQ(mesh.vertices()[i].z, original.vertices()[i].z);
    }
}

TEST(Deform, EachAxisMovesAsIfTheOthersHadNot) {
    // All three displacements come from the unchanged position: deforming along all axes at
    // once gives, axis by axis, what deforming along that axis alone gives.
    const Vector3 start(0.5f, 0.25f, 0.125f);
    const Vector3 phase(0.5f, 1.0f, 1.5f);
    auto deformed = [&](const Vector3& amplitude) {
        Mesh mesh;
        mesh.allocate(1, 0);
        mesh.vertices()[0] = start;
        MeshBuilder().deform(mesh, amplitude, phase, 3);
        return mesh.vertices()[0];
    };
    const Vector3 together = deformed(Vector3(0.3f, 0.2f, 0.1f));
    EXPECT_EQ(together.x, deformed(Vector3(0.3f, 0, 0)).x);
    EXPECT_EQ(together.y, deformed(Vector3(0, 0.2f, 0)).y);
    EXPECT_EQ(together.z, deformed(Vector3(0, 0, 0.1f)).z);
    EXPECT_NE(together.x, start.x);
    EXPECT_NE(together.y, start.y);
    EXPECT_NE(together.z, start.z);
}
