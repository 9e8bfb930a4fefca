// The scene's one mesh: a 4-lobed lump made from a deformed sphere, built once at start-up.
#pragma once

#include <cstdint>
#include <memory>

#include "geometry/mesh.h"

// Slices and stacks of the scene sphere for a mesh detail level: 16 * level + 16 (64 at 3).
int32_t sceneSphereResolution(int32_t detailLevel);

// Sphere of radius 0.1, deformed by 0.2 * sin(17 pi * product of the other coordinates),
// normals recomputed. Throws std::bad_alloc when memory for it cannot be had.
std::unique_ptr<Mesh> buildSceneMesh(int32_t detailLevel);
