// Mesh storage and smooth normals on hand-made meshes.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/mesh.h"

TEST(Mesh, NewMeshIsEmptyTriangles) {
    const Mesh mesh;
    EXPECT_EQ(mesh.vertexCount(), 0);
    EXPECT_EQ(mesh.indexCount(), 0);
    EXPECT_EQ(mesh.vertices(), nullptr);
    EXPECT_EQ(mesh.primitiveMode(), 0x0004u);  // GL_TRIANGLES
    EXPECT_EQ(mesh.referencedVertexCount(), 0);
}

TEST(Mesh, AllocateGivesZeroVectorsAndReplacesEarlierArrays) {
    Mesh mesh;
    mesh.allocate(3, 3);
    mesh.vertices()[0] = Vector3(1, 1, 1);
    mesh.allocate(5, 6);
    EXPECT_EQ(mesh.vertexCount(), 5);
    EXPECT_EQ(mesh.indexCount(), 6);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(mesh.vertices()[i].x, 0.0f);
        EXPECT_EQ(mesh.normals()[i].z, 0.0f);
    }
}

TEST(Mesh, AllocateThatCannotBeHadLeavesTheMeshAsItWas) {
    Mesh mesh;
    mesh.allocate(3, 3);
    EXPECT_THROW(mesh.allocate(3, -1), std::bad_alloc);  // an impossible size
    EXPECT_EQ(mesh.vertexCount(), 3);
    EXPECT_EQ(mesh.indexCount(), 3);
    EXPECT_NE(mesh.vertices(), nullptr);
}

TEST(Mesh, FaceNormalsAreUnitWhateverTheTriangleArea) {
    // Two triangles in the z = 0 plane share vertex 0; one is 100 times larger.
    Mesh mesh;
    mesh.allocate(5, 6);
    Vector3* v = mesh.vertices();
    v[0] = Vector3(0, 0, 0);
    v[1] = Vector3(1, 0, 0);
    v[2] = Vector3(0, 1, 0);
    v[3] = Vector3(0, -10, 0);
    v[4] = Vector3(10, 0, 0);
    const uint16_t indices[] = {0, 1, 2, 0, 3, 4};
    std::copy(indices, indices + 6, mesh.indices());
    mesh.recomputeNormals();
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(mesh.normals()[i].z, 1.0f) << "vertex " << i;
        EXPECT_FLOAT_EQ(mesh.normals()[i].x, 0.0f) << "vertex " << i;
    }
}

TEST(Mesh, UnusedVertexGetsNonFiniteNormalAndOthersStayIntact) {
    Mesh mesh;
    mesh.allocate(4, 3);
    Vector3* v = mesh.vertices();
    v[0] = Vector3(0, 0, 0);
    v[1] = Vector3(0, 1, 0);
    v[2] = Vector3(0, 0, 1);  // counter-clockwise seen from +x
    const uint16_t indices[] = {0, 1, 2};
    std::copy(indices, indices + 3, mesh.indices());
    mesh.recomputeNormals();
    EXPECT_FLOAT_EQ(mesh.normals()[0].x, 1.0f);
    EXPECT_FALSE(std::isfinite(mesh.normals()[3].x));
    EXPECT_EQ(mesh.referencedVertexCount(), 3);
}
