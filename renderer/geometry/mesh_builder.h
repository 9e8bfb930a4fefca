// MeshBuilder: generators that fill and reshape meshes at start-up (no GL involved).
#pragma once

#include <cstdint>

#include "geometry/mesh.h"

// Single-precision pi (3.1415927) and 2 pi (6.2831855), as the generators use them.
inline constexpr float kPi = 3.14159265358979323846f;
inline constexpr float kTwoPi = 2.0f * kPi;

class MeshBuilder {
  public:
    // A latitude/longitude sphere of the given radius around the origin, poles on the z axis,
    // every triangle counter-clockwise seen from outside. Capacity slices * (stacks + 1)
    // vertices; slices * (stacks - 1) + 2 of them and 6 * slices * (stacks - 1) indices are
    // used. Callers keep stacks >= 2, slices >= 3 and the used vertices within 65,536.
    // Throws std::bad_alloc when the arrays cannot be had.
    void buildSphere(Mesh& mesh, float radius, int32_t slices, int32_t stacks) const;

    // Moves every vertex by amplitude * sin(product of the other two coordinates * pi *
    // frequency + phase), per component. Normals are left alone: call recomputeNormals next.
    void deform(Mesh& mesh, Vector3 amplitude, Vector3 phase, int32_t frequency) const;
};
