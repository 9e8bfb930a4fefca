// Mesh storage and smooth normals; portable, no GL.
#include "geometry/mesh.h"

#include <algorithm>

void Mesh::allocate(int32_t vertexCount, int32_t indexCount) {
    // All three arrays are had before any is replaced, so a failure changes nothing.
    auto vertices = std::make_unique<Vector3[]>(static_cast<size_t>(vertexCount));
    auto normals = std::make_unique<Vector3[]>(static_cast<size_t>(vertexCount));
    auto indices = std::make_unique<uint16_t[]>(static_cast<size_t>(indexCount));
    vertices_ = std::move(vertices);
    normals_ = std::move(normals);
    indices_ = std::move(indices);
    vertexCount_ = vertexCount;
    indexCount_ = indexCount;
}

void Mesh::recomputeNormals() {
    std::fill(normals_.get(), normals_.get() + vertexCount_, Vector3());
    for (int32_t i = 0; i + 2 < indexCount_; i += 3) {
        const uint16_t a = indices_[i];
        const uint16_t b = indices_[i + 1];
        const uint16_t c = indices_[i + 2];
        const Vector3 p0 = vertices_[a];
        const Vector3 p1 = vertices_[b];
        const Vector3 p2 = vertices_[c];
        // Equals (p1 - p0) x (p2 - p0): outward for counter-clockwise triangles.
        Vector3 face = cross(p1 - p2, p1 - p0);
        face.normalize();
        normals_[a] += face;
        normals_[b] += face;
        normals_[c] += face;
    }
    for (int32_t i = 0; i < vertexCount_; ++i) {
        normals_[i].normalize();
    }
}

int32_t Mesh::referencedVertexCount() const {
    if (indexCount_ <= 0) {
        return 0;
    }
    return int32_t{*std::max_element(indices_.get(), indices_.get() + indexCount_)} + 1;
}
