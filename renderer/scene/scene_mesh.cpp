// Building the scene mesh; portable, no GL.
#include "scene/scene_mesh.h"

#include "geometry/mesh_builder.h"

int32_t sceneSphereResolution(int32_t detailLevel) {
    return 2 * (8 * detailLevel + 8);
}

std::unique_ptr<Mesh> buildSceneMesh(int32_t detailLevel) {
    const MeshBuilder builder;
    const int32_t resolution = sceneSphereResolution(detailLevel);
    auto mesh = std::make_unique<Mesh>();
    builder.buildSphere(*mesh, 0.1f, resolution, resolution);
    builder.deform(*mesh, Vector3(0.2f, 0.2f, 0.2f), Vector3(0.0f, 0.0f, 0.0f), 17);
    mesh->recomputeNormals();
    return mesh;
}
