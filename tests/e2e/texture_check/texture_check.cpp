// Windows check program: builds the reference texture programs with the cross-built generator
// and prints each fingerprint next to the one the native build gives. Exit code 0 when all
// match, 1 otherwise.
#include <cinttypes>
#include <cstdio>

#include "reference/texture_references.h"

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
    return allMatch ? 0 : 1;
}
