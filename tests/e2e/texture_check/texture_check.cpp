// Windows check program: builds the reference texture programs and the scene mesh with the
// cross-built code and prints each fingerprint next to the one the native build gives. Exit
// code 0 when all match, 1 otherwise.
#include <cinttypes>
#include <cstdio>

#include "reference/mesh_references.h"
#include "reference/texture_references.h"
#include "scene/scene_mesh.h"

int main() {
    bool allMatch = true;
    TextureGenerator generator;
    for (const TextureReference& reference : textureReferences()) {
        const std::string actual = textureImageSha256(generator, reference.program);
        std::printf("%s %s %s\n", reference.name, actual.c_str(), reference.imageSha256);
        allMatch = allMatch && actual == reference.imageSha256;
    }
    const uint64_t sines = rippleSineChecksum();
    std::printf("ripple_sines %016" PRIx64 " %016" PRIx64 "\n", sines, kRippleSineChecksum);
    allMatch = allMatch && sines == kRippleSineChecksum;
    const std::string mesh = meshSha256(*buildSceneMesh(3));
    std::printf("scene_mesh %s %s\n", mesh.c_str(), kSceneMeshSha256);
    allMatch = allMatch && mesh == kSceneMeshSha256;
    return allMatch ? 0 : 1;
}
