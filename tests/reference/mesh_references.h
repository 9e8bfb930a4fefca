// The scene mesh as bits that must be the same in the Linux and the Windows build: the native
// unit tests, the unit tests under Wine and the Windows check program hold both to this value.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "geometry/mesh.h"
#include "reference/sha256.h"

// Of buildSceneMesh(3), the four-lobed lump whose shape the scene mesh tests check.
inline constexpr const char* kSceneMeshSha256 =
    "e03c4faf8a09080190e6fcc122c2c66fbf3d9f29c444522cdaf8fc42c2dee931";

// SHA-256 of the referenced vertices' positions and normals and of the indices, as the GL reads
// them (the unreferenced tail is left out: nothing draws it).
inline std::string meshSha256(const Mesh& mesh) {
    const size_t vectors = static_cast<size_t>(mesh.referencedVertexCount()) * sizeof(Vector3);
    const size_t indices = static_cast<size_t>(mesh.indexCount()) * sizeof(uint16_t);
    std::vector<uint8_t> bytes(2 * vectors + indices);
    std::memcpy(bytes.data(), mesh.vertices(), vectors);
    std::memcpy(bytes.data() + vectors, mesh.normals(), vectors);
    std::memcpy(bytes.data() + 2 * vectors, mesh.indices(), indices);
    return sha256Hex(bytes);
}
