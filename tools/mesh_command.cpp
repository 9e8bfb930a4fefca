// `velmora-tool mesh`: a generated sphere, or the scene's own mesh, as Wavefront OBJ.
#include <cstdio>
#include <memory>

#include "geometry/mesh_builder.h"
#include "host/render_settings.h"
#include "option_reader.h"
#include "scene/scene_mesh.h"
#include "tool_command.h"

const char* const kMeshHelp =
    "usage: velmora-tool mesh [--slices N --stacks N --radius R] [--scene] --out FILE.obj\n"
    "Writes a sphere (default 64 slices, 64 stacks, radius 1) as Wavefront OBJ: v, vn and f\n"
    "lines, faces counter-clockwise from outside with 1-based indices. --scene writes the\n"
    "scene's own mesh instead (64 x 64, radius 0.1, deformed, normals recomputed). Only the\n"
    "vertices the faces use are written. Needs at least 3 slices and 2 stacks, and at most\n"
    "65,536 used vertices (slices * (stacks - 1) + 2) for 16-bit indices.\n";

namespace {

struct MeshRequest {
    int32_t slices = 64;
    int32_t stacks = 64;
    double radius = 1.0;
    bool sphereOptionGiven = false;
    bool scene = false;
    std::string outPath;
};

MeshRequest readRequest(const ToolArguments& arguments) {
    MeshRequest request;
    OptionReader reader(arguments);
    std::string option;
    while (reader.next(option)) {
        if (option == "--slices") {
            request.slices = parseInteger(option, reader.value(option));
            request.sphereOptionGiven = true;
        } else if (option == "--stacks") {
            request.stacks = parseInteger(option, reader.value(option));
            request.sphereOptionGiven = true;
        } else if (option == "--radius") {
            request.radius = parseNumber(option, reader.value(option));
            request.sphereOptionGiven = true;
        } else if (option == "--scene") {
            request.scene = true;
        } else if (option == "--out") {
            request.outPath = reader.value(option);
        } else {
            throw UsageError{"unknown option '" + option + "'"};
        }
    }
    if (request.outPath.empty()) {
        throw UsageError{"--out FILE.obj is required"};
    }
    if (request.scene && request.sphereOptionGiven) {
        throw UsageError{"--scene has its own size; drop --slices, --stacks and --radius"};
    }
    if (request.stacks < 2) {
        throw UsageError{"--stacks must be at least 2"};
    }
    if (request.slices < 3) {
        throw UsageError{"--slices must be at least 3"};
    }
    const int64_t usedVertices = int64_t{request.slices} * (request.stacks - 1) + 2;
    if (usedVertices > 65536) {
        throw UsageError{"slices * (stacks - 1) + 2 = " + std::to_string(usedVertices) +
                         " vertices; 16-bit indices reach 65536"};
    }
    if (!(request.radius > 0.0) || float(request.radius) > 1e30f) {
        throw UsageError{"--radius must be a positive number"};
    }
    return request;
}

void writeObj(const Mesh& mesh, const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        throw UsageError{"cannot write '" + path + "'"};
    }
    const int32_t used = mesh.referencedVertexCount();
    std::fprintf(file, "# velmora-tool mesh: %d vertices, %d triangles\n", used,
                 mesh.indexCount() / 3);
    for (int32_t i = 0; i < used; ++i) {
        const Vector3& v = mesh.vertices()[i];
        std::fprintf(file, "v %.9g %.9g %.9g\n", v.x, v.y, v.z);
    }
    for (int32_t i = 0; i < used; ++i) {
        const Vector3& n = mesh.normals()[i];
        std::fprintf(file, "vn %.9g %.9g %.9g\n", n.x, n.y, n.z);
    }
    for (int32_t i = 0; i + 2 < mesh.indexCount(); i += 3) {
        const int a = mesh.indices()[i] + 1;
        const int b = mesh.indices()[i + 1] + 1;
        const int c = mesh.indices()[i + 2] + 1;
        std::fprintf(file, "f %d//%d %d//%d %d//%d\n", a, a, b, b, c, c);
    }
    const bool failed = std::ferror(file) != 0;
    if (std::fclose(file) != 0 || failed) {
        throw UsageError{"cannot write '" + path + "'"};
    }
}

}  // namespace

int runMeshCommand(const ToolArguments& arguments) {
    const MeshRequest request = readRequest(arguments);
    std::unique_ptr<Mesh> mesh;
    if (request.scene) {
        mesh = buildSceneMesh(kFixedRenderSettings.meshDetailLevel);
    } else {
        mesh = std::make_unique<Mesh>();
        MeshBuilder().buildSphere(*mesh, float(request.radius), request.slices, request.stacks);
    }
    writeObj(*mesh, request.outPath);
    return 0;
}
