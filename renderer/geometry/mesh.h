// Mesh: an indexed triangle mesh in client memory, drawn from OpenGL vertex arrays.
// The data side is portable; only draw() (mesh_draw.cpp) touches GL.
#pragma once

#include <cstdint>
#include <memory>

#include "geometry/vector3.h"

// GL_TRIANGLES, spelled out so that the data side needs no GL header.
inline constexpr uint32_t kTrianglesPrimitive = 0x0004;

class Mesh {
  public:
    Mesh() = default;
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;
    Mesh(Mesh&&) = default;
    Mesh& operator=(Mesh&&) = default;

    // Replaces the arrays with vertexCount zero positions and zero normals and indexCount
    // indices (zero until written). Throws std::bad_alloc, leaving the mesh as it was.
    void allocate(int32_t vertexCount, int32_t indexCount);

    // Smooth normals: each face adds its unit normal to its three corners, then every
    // normal is normalised. A vertex no triangle uses ends non-finite; nothing draws it.
    void recomputeNormals();

    // Enables the vertex and normal client arrays (left enabled), points them at this
    // mesh and draws its indices. Needs a current GL context.
    void draw() const;

    // The number of leading vertices that the indices can reach: one past the largest index
    // (0 for a mesh without indices). A sphere's unreferenced tail lies beyond it.
    int32_t referencedVertexCount() const;

    Vector3* vertices() { return vertices_.get(); }
    const Vector3* vertices() const { return vertices_.get(); }
    Vector3* normals() { return normals_.get(); }
    const Vector3* normals() const { return normals_.get(); }
    int32_t vertexCount() const { return vertexCount_; }
    uint16_t* indices() { return indices_.get(); }
    const uint16_t* indices() const { return indices_.get(); }
    int32_t indexCount() const { return indexCount_; }
    // Generators that fill fewer indices than allocated say how many they wrote.
    void setIndexCount(int32_t indexCount) { indexCount_ = indexCount; }
    uint32_t primitiveMode() const { return primitiveMode_; }

  private:
    std::unique_ptr<Vector3[]> vertices_;
    std::unique_ptr<Vector3[]> normals_;
    int32_t vertexCount_ = 0;
    std::unique_ptr<uint16_t[]> indices_;
    int32_t indexCount_ = 0;
    uint32_t primitiveMode_ = kTrianglesPrimitive;
};
