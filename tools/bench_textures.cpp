// Texture section of the benchmark report: building the glow image, next to a plain copy
// of one layer (196 608 bytes) as the baseline of this machine.
#include <cstring>
#include <vector>

#include "bench.h"
#include "textures/texture_generator.h"
#include "textures/glow_program.h"

void benchTextures() {
    constexpr int kRuns = 301;
    TextureGenerator generator;
    const TextureProgram glow = glowProgram();
    std::vector<uint8_t> sink;
    const double glowSeconds =
        medianSeconds([&] { sink = std::move(generator.buildImage(glow)->pixels); }, kRuns);

    std::vector<uint8_t> copy(kLayerBytes);
    const double copySeconds = medianSeconds(
        [&] {
            std::memcpy(copy.data(), generator.layer(0).data(), kLayerBytes);
            // Keeps the copy from being optimised away.
            asm volatile("" : : "r"(copy.data()) : "memory");
        },
        kRuns);

    printBenchLine("textures: build the glow image", glowSeconds);
    printBenchLine("textures: baseline, copy one layer", copySeconds);
}
