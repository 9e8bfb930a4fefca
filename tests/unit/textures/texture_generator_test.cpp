// The texture generator: the edge cases of each opcode, bad programs, and the fingerprints
// that both builds must produce.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "reference/texture_references.h"
#include "textures/glow_program.h"
#include "textures/texture_generator.h"
#include "textures/texture_random.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A program of the given steps (each: opcode, P0 to P7), with N = the number of steps.
Bytes program(const std::vector<std::array<uint8_t, 9>>& steps) {
    Bytes bytes{static_cast<uint8_t>(steps.size())};
    for (const auto& step : steps) {
        bytes.insert(bytes.end(), step.begin(), step.end());
    }
    return bytes;
}

std::unique_ptr<TextureImage> build(TextureGenerator& generator, const Bytes& bytes) {
    return generator.buildImage(TextureProgram{bytes.data(), bytes.size()});
}

Rgb pixelAt(const Layer& layer, int32_t x, int32_t y) {
    return layer[static_cast<size_t>(256 * y + x)];
}

bool sameLayers(const Layer& a, const Layer& b) {
    return std::memcmp(a.data(), b.data(), kLayerBytes) == 0;
}

// Layer 0 filled with noise in all three channels (seeds 1, 2, 3).
const std::vector<std::array<uint8_t, 9>> kNoiseSteps = {
    {0x02, 0x00, 0, 0, 0, 0, 0, 0, 1},
    {0x02, 0x01, 0, 0, 0, 0, 0, 0, 2},
    {0x02, 0x02, 0, 0, 0, 0, 0, 0, 3},
};

std::vector<std::array<uint8_t, 9>> noiseThen(std::array<uint8_t, 9> step) {
    std::vector<std::array<uint8_t, 9>> steps = kNoiseSteps;
    steps.push_back(step);
    return steps;
}

// Layer 0 filled with one colour.
std::vector<std::array<uint8_t, 9>> fillThen(uint8_t r, uint8_t g, uint8_t b,
                                             std::vector<std::array<uint8_t, 9>> more = {}) {
    std::vector<std::array<uint8_t, 9>> steps = {{0x01, 0x00, r, 0, 0, 0, 0, 0, 0},
                                                 {0x01, 0x01, g, 0, 0, 0, 0, 0, 0},
                                                 {0x01, 0x02, b, 0, 0, 0, 0, 0, 0}};
    steps.insert(steps.end(), more.begin(), more.end());
    return steps;
}

Rgb onlyColour(const TextureGenerator& generator) {
    const Layer& layer = generator.layer(0);
    const Rgb first = layer[0];
    for (const Rgb& pixel : layer) {
        if (pixel.r != first.r || pixel.g != first.g || pixel.b != first.b) {
            ADD_FAILURE() << "layer 0 is not one colour";
            break;
        }
    }
    return first;
}

}  // namespace

TEST(TextureRandom, FollowsTheClassicRuntimeSequence) {
    seedTextureRandom(1);
    const int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (const int32_t value : expected) {
        EXPECT_EQ(nextTextureRandom(), value);
    }
    seedTextureRandom(0);
    EXPECT_EQ(nextTextureRandom(), 38);  // (2531011 >> 16) & 0x7FFF
}

TEST(TextureGenerator, EmptyProgramsYieldABlack256By256RgbImage) {
    TextureGenerator generator;
    for (const Bytes& empty : {Bytes{}, Bytes{0x00}, Bytes{0x00, 0x01, 0x00, 0xFF}}) {
        build(generator, program(fillThen(9, 9, 9)));  // leftovers must be cleared
        const auto image = build(generator, empty);
        EXPECT_EQ(image->width, 256);
        EXPECT_EQ(image->height, 256);
        EXPECT_EQ(image->format, 0x1907u);
        ASSERT_EQ(image->pixels.size(), 196608u);
        EXPECT_TRUE(std::all_of(image->pixels.begin(), image->pixels.end(),
                                [](uint8_t byte) { return byte == 0; }));
        for (int32_t layer = 1; layer < 4; ++layer) {
            EXPECT_EQ(pixelAt(generator.layer(layer), 5, 5).r, 0);
        }
    }
}

TEST(TextureGenerator, ImageIsACopyOfLayerZeroRowZeroFirst) {
    TextureGenerator generator;
    const auto image = build(generator, program(kNoiseSteps));
    EXPECT_EQ(std::memcmp(image->pixels.data(), generator.layer(0).data(), kLayerBytes), 0);
}

TEST(TextureGenerator, ShiftShowsTheOldPixelAtXPlusP1YPlusP2WithWrapAround) {
    TextureGenerator generator;
    build(generator, program(kNoiseSteps));
    const Layer before = generator.layer(0);
    build(generator, program(noiseThen({0x21, 0x00, 10, 250, 0, 0, 0, 0, 0})));
    for (const auto& [x, y] : {std::pair{0, 0}, {245, 5}, {246, 6}, {255, 255}, {100, 200}}) {
        const Rgb expected = pixelAt(before, (x + 10) % 256, (y + 250) % 256);
        const Rgb actual = pixelAt(generator.layer(0), x, y);
        EXPECT_EQ(actual.r, expected.r) << x << "," << y;
        EXPECT_EQ(actual.b, expected.b) << x << "," << y;
    }
}

TEST(TextureGenerator, RadialZeroIsWhiteEverywhere) {
    TextureGenerator generator;
    build(generator, program({{0x03, 0x01, 0, 0, 0, 0, 0, 0, 0}}));
    for (const Rgb& pixel : generator.layer(0)) {
        ASSERT_EQ(pixel.g, 255);
        ASSERT_EQ(pixel.r, 0);
    }
}

TEST(TextureGenerator, RadialFullIsWhiteOnlyAtTheCentreAndBlackFrom127AndAHalfOn) {
    TextureGenerator generator;
    build(generator, program({{0x03, 0x02, 255, 0, 0, 0, 0, 0, 0}}));
    for (int32_t y = 0; y < 256; ++y) {
        for (int32_t x = 0; x < 256; ++x) {
            const int32_t squared = (x - 128) * (x - 128) + (y - 128) * (y - 128);
            const uint8_t b = pixelAt(generator.layer(0), x, y).b;
            ASSERT_EQ(b == 255, x == 128 && y == 128) << x << "," << y;
            // 2 d >= 255 exactly when 4 d^2 >= 65025.
            ASSERT_EQ(b == 0, 4 * squared >= 65025) << x << "," << y;
        }
    }
    EXPECT_EQ(pixelAt(generator.layer(0), 129, 128).b, 253);  // 255 - trunc(2 * 1)
    EXPECT_EQ(pixelAt(generator.layer(0), 129, 129).b, 253);  // 255 - trunc(2.83)
}

// One step on layer 0 filled with one colour, layer 1 = (100, 200, 255) beside it:
// Brightness never leaves a pixel as it is; HeatRamp spreads the sum over the channels in
// P1's order; Grey is the truncated mean; the combiners (P1 = layer 1) work channel by
// channel: Add saturates, Subtract stops at 0, Multiply gives 200 * 100 / 255 = 78.
TEST(TextureGenerator, EachColourOpcodeGivesItsColour) {
    struct Case {
        uint8_t r0, g0, b0, opcode, p1, r, g, b;
    };
    const Case cases[] = {
        {100, 100, 100, 0x11, 127, 99, 99, 99}, {100, 100, 100, 0x11, 128, 101, 101, 101},
        {200, 200, 200, 0x11, 0, 0, 0, 0}, {1, 1, 1, 0x11, 255, 255, 255, 255},
        {0, 0, 0, 0x11, 127, 0, 0, 0}, {255, 255, 255, 0x11, 128, 255, 255, 255},
        {100, 100, 100, 0x11, 200, 245, 245, 245}, {100, 100, 100, 0x11, 50, 0, 0, 0},
        {50, 50, 50, 0x12, 0, 150, 0, 0}, {120, 120, 120, 0x12, 0, 255, 105, 0},
        {200, 200, 200, 0x12, 0, 255, 255, 90}, {120, 120, 120, 0x12, 1, 255, 0, 105},
        {120, 120, 120, 0x12, 2, 105, 255, 0}, {200, 200, 200, 0x12, 3, 90, 255, 255},
        {120, 120, 120, 0x12, 3, 0, 255, 105}, {120, 120, 120, 0x12, 4, 105, 0, 255},
        {120, 120, 120, 0x12, 5, 0, 105, 255}, {200, 200, 200, 0x12, 5, 90, 255, 255},
        {255, 255, 255, 0x12, 5, 255, 255, 255}, {0, 0, 0, 0x12, 5, 0, 0, 0},
        {10, 20, 32, 0x13, 0, 20, 20, 20}, {200, 100, 0, 0x31, 0x10, 255, 255, 255},
        {200, 100, 0, 0x32, 0x10, 100, 0, 0}, {200, 100, 0, 0x33, 0x10, 78, 78, 0},
        {200, 100, 0, 0x34, 0x10, 100, 100, 0}, {200, 100, 0, 0x35, 0x10, 200, 200, 255},
        {200, 100, 0, 0x36, 0x10, 100, 200, 255},
    };
    TextureGenerator generator;
    for (const Case& c : cases) {
        SCOPED_TRACE("opcode " + std::to_string(c.opcode) + " P1 " + std::to_string(c.p1) + " on " +
                     std::to_string(c.r0) + "," + std::to_string(c.g0) + "," +
                     std::to_string(c.b0));
        build(generator, program(fillThen(c.r0, c.g0, c.b0,
                                          {{0x01, 0x10, 100, 0, 0, 0, 0, 0, 0},
                                           {0x01, 0x11, 200, 0, 0, 0, 0, 0, 0},
                                           {0x01, 0x12, 255, 0, 0, 0, 0, 0, 0},
                                           {c.opcode, 0x00, c.p1, 0, 0, 0, 0, 0, 0}})));
        const Rgb pixel = onlyColour(generator);
        EXPECT_EQ(pixel.r, c.r);
        EXPECT_EQ(pixel.g, c.g);
        EXPECT_EQ(pixel.b, c.b);
    }
}

// A program shorter than its step count stops after the last whole step; bytes after the
// last step are ignored.
TEST(TextureGenerator, OnlyWholeStepsWithinTheStepCountRun) {
    TextureGenerator generator;
    Bytes bytes = program({{0x01, 0x00, 50, 0, 0, 0, 0, 0, 0}, {0x01, 0x01, 60, 0, 0, 0, 0, 0, 0}});
    bytes[0] = 200;                                              // claims 200 steps
    bytes.insert(bytes.end(), {0x01, 0x02, 70, 0, 0, 0, 0, 0});  // 8 of 9 bytes
    build(generator, bytes);
    const Rgb pixel = onlyColour(generator);
    EXPECT_EQ(pixel.r, 50);
    EXPECT_EQ(pixel.g, 60);
    EXPECT_EQ(pixel.b, 0);
    bytes = program({{0x01, 0x00, 50, 0, 0, 0, 0, 0, 0}});
    bytes.insert(bytes.end(), {0x01, 0x01, 60, 0, 0, 0, 0, 0, 0});
    build(generator, bytes);
    EXPECT_EQ(onlyColour(generator).g, 0);
}

// Steps that must leave a noise layer exactly as it was.
TEST(TextureGenerator, IdentityAndHarmlessStepsLeaveTheLayerUnchanged) {
    const std::array<uint8_t, 9> harmless[] = {
        {0x21, 0x00, 0, 0, 0, 0, 0, 0, 0},      // Shift by (0, 0)
        {0x22, 0x00, 3, 7, 0, 0, 11, 200, 0},   // Ripple with zero amplitudes
        {0x22, 0x00, 0, 0, 255, 255, 0, 0, 0},  // Ripple with sin(0) = 0
        {0x12, 0x00, 6, 0, 0, 0, 0, 0, 0},      // HeatRamp above 5
        {0x12, 0x00, 7, 0, 0, 0, 0, 0, 0},
        {0x12, 0x00, 128, 0, 0, 0, 0, 0, 0},
        {0x12, 0x00, 255, 0, 0, 0, 0, 0, 0},
        {0x01, 0x40, 200, 0, 0, 0, 0, 0, 0},   // Fill, layer 4
        {0x01, 0xF0, 200, 0, 0, 0, 0, 0, 0},   // Fill, layer 15
        {0x01, 0x03, 200, 0, 0, 0, 0, 0, 0},   // Fill, channel 3
        {0x02, 0x0F, 0, 0, 0, 0, 0, 0, 0},     // Noise, channel 15
        {0x03, 0x53, 255, 0, 0, 0, 0, 0, 0},   // Radial, layer 5 channel 3
        {0x11, 0x40, 255, 0, 0, 0, 0, 0, 0},   // Brightness, layer 4
        {0x12, 0x80, 0, 0, 0, 0, 0, 0, 0},     // HeatRamp, layer 8
        {0x21, 0x40, 3, 3, 0, 0, 0, 0, 0},     // Shift, layer 4
        {0x22, 0xF0, 1, 1, 9, 9, 0, 0, 0},     // Ripple, layer 15
        {0x31, 0x40, 0x00, 0, 0, 0, 0, 0, 0},  // Add into layer 4
        {0x36, 0x00, 0x40, 0, 0, 0, 0, 0, 0},  // Copy from layer 4
        {0x36, 0x00, 0xF0, 0, 0, 0, 0, 0, 0},  // Copy from layer 15
        {0x00, 0x00, 0, 0, 0, 0, 0, 0, 0},     // unknown opcodes
        {0x37, 0x00, 0x10, 0, 0, 0, 0, 0, 0},
        {0xFF, 0x00, 0, 0, 0, 0, 0, 0, 0},
    };
    TextureGenerator generator;
    build(generator, program(kNoiseSteps));
    const Layer before = generator.layer(0);
    for (const auto& step : harmless) {
        build(generator, program(noiseThen(step)));
        EXPECT_TRUE(sameLayers(generator.layer(0), before))
            << std::hex << int{step[0]} << " " << int{step[1]} << " " << int{step[2]};
    }
}

TEST(TextureGenerator, NoiseRepeatsForTheSameSeedAndUsesTheRowByRowOrder) {
    TextureGenerator generator;
    const Bytes noise = program({{0x02, 0x00, 0, 0, 0, 0, 0, 0, 42},
                                 {0x02, 0x01, 0, 0, 0, 0, 0, 0, 42},
                                 {0x02, 0x02, 0, 0, 0, 0, 0, 0, 43}});
    build(generator, noise);
    const Layer first = generator.layer(0);
    bool bDiffers = false;
    for (const Rgb& pixel : first) {
        ASSERT_EQ(pixel.r, pixel.g);  // two steps with one seed draw the same numbers
        ASSERT_LE(pixel.r, 254);
        bDiffers = bDiffers || pixel.b != pixel.r;
    }
    EXPECT_TRUE(bDiffers);
    build(generator, noise);
    EXPECT_TRUE(sameLayers(generator.layer(0), first));
    // Pixel (x, y) takes the (256 y + x + 1)-th number after the seed.
    seedTextureRandom(42);
    for (size_t i = 0; i < 256 + 3; ++i) {
        EXPECT_EQ(first[i].r, nextTextureRandom() % 255) << i;
    }
}

TEST(TextureGenerator, NoiseNeverGives255) {
    TextureGenerator generator;
    std::set<int32_t> seen;
    for (uint8_t seed = 0; seed < 8; ++seed) {
        build(generator, program({{0x02, 0x00, 0, 0, 0, 0, 0, 0, seed}}));
        for (const Rgb& pixel : generator.layer(0)) {
            seen.insert(pixel.r);
        }
    }
    EXPECT_EQ(seen.size(), 255u);
    EXPECT_EQ(*seen.rbegin(), 254);
}

TEST(TextureGenerator, MultiplyByWhiteKeepsAndSubtractFromItselfClears) {
    TextureGenerator generator;
    build(generator, program(kNoiseSteps));
    const Layer noise = generator.layer(0);
    build(generator, program(noiseThen({0x01, 0x30, 255, 0, 0, 0, 0, 0, 0})));
    std::vector<std::array<uint8_t, 9>> steps = kNoiseSteps;
    for (uint8_t channel = 0; channel < 3; ++channel) {
        steps.push_back({0x01, static_cast<uint8_t>(0x30 | channel), 255, 0, 0, 0, 0, 0, 0});
    }
    steps.push_back({0x33, 0x00, 0x30, 0, 0, 0, 0, 0, 0});  // layer 0 *= white layer 3
    build(generator, program(steps));
    EXPECT_TRUE(sameLayers(generator.layer(0), noise));
    steps.push_back({0x32, 0x00, 0x00, 0, 0, 0, 0, 0, 0});  // layer 0 -= layer 0
    build(generator, program(steps));
    EXPECT_EQ(onlyColour(generator).g, 0);
}

TEST(TextureGenerator, BilinearTermsAreTruncatedOneByOneLosingUpTo3Units) {
    Rgb white;
    white.set(255, 255, 255);
    const Rgb quarter = bilinearPixel(white, white, white, white, 0.25f, 0.25f, 0.25f, 0.25f);
    EXPECT_EQ(quarter.r, 252);  // 4 x trunc(63.75)
    EXPECT_EQ(quarter.b, 252);
    // A warp between pixels of an all-white layer: never below 252, and below 255 somewhere.
    TextureGenerator generator;
    build(generator, program(fillThen(255, 255, 255, {{0x22, 0x00, 3, 5, 9, 7, 1, 2, 0}})));
    int32_t lowest = 255;
    for (const Rgb& pixel : generator.layer(0)) {
        lowest = std::min({lowest, int32_t{pixel.r}, int32_t{pixel.g}, int32_t{pixel.b}});
    }
    EXPECT_EQ(lowest, 252);
}

TEST(TextureGenerator, VectorBilinearPixelMatchesTheChannelFormula) {
    seedTextureRandom(12345);
    const auto byte = [] { return static_cast<uint8_t>(nextTextureRandom() & 0xFF); };
    for (int32_t i = 0; i < 200000; ++i) {
        Rgb p[4];
        for (Rgb& pixel : p) {
            pixel.set(byte(), byte(), byte());
        }
        const float fx = static_cast<float>(nextTextureRandom()) / 32768.0f;
        const float fy = static_cast<float>(nextTextureRandom()) / 32768.0f;
        const float w00 = (1.0f - fx) * (1.0f - fy), w10 = (1.0f - fy) * fx;
        const float w01 = (1.0f - fx) * fy, w11 = fx * fy;
        const Rgb fast = bilinearPixel(p[0], p[1], p[2], p[3], w00, w10, w01, w11);
        ASSERT_EQ(fast.r, bilinearChannel(p[0].r, p[1].r, p[2].r, p[3].r, w00, w10, w01, w11));
        ASSERT_EQ(fast.g, bilinearChannel(p[0].g, p[1].g, p[2].g, p[3].g, w00, w10, w01, w11));
        ASSERT_EQ(fast.b, bilinearChannel(p[0].b, p[1].b, p[2].b, p[3].b, w00, w10, w01, w11));
    }
}

TEST(TextureGenerator, EveryStepSetsItsSeedEvenWhenItDoesNothing) {
    TextureGenerator generator;
    build(generator, program({{0x01, 0x40, 0, 0, 0, 0, 0, 0, 77},     // bad layer, seed 77
                              {0x99, 0x00, 0, 0, 0, 0, 0, 0, 99}}));  // unknown, seed 99
    const int32_t afterBuild = nextTextureRandom();
    seedTextureRandom(99);
    EXPECT_EQ(afterBuild, nextTextureRandom());
}

TEST(GlowTexture, IsABlueCyanWhiteGlowWithBlackCorners) {
    TextureGenerator generator;
    const auto image = generator.buildImage(glowProgram());
    const Layer& layer = generator.layer(0);
    for (const Rgb& pixel : layer) {
        // HeatRamp 5 gives b >= g >= r, and the warp's terms keep that order.
        ASSERT_GE(pixel.b, pixel.g);
        ASSERT_GE(pixel.g, pixel.r);
    }
    for (const auto& [x, y] : {std::pair{0, 0}, {255, 0}, {0, 255}, {255, 255}}) {
        const Rgb corner = pixelAt(layer, x, y);
        EXPECT_EQ(corner.r + corner.g + corner.b, 0) << x << "," << y;
    }
    const auto brightest = std::max_element(
        layer.begin(), layer.end(), [](Rgb a, Rgb b) { return a.r + a.g + a.b < b.r + b.g + b.b; });
    EXPECT_GE(brightest->r, 240);  // the white centre survives the ripple
}

TEST(GlowTexture, IsTheSameBytesEveryTime) {
    TextureGenerator generator;
    const auto first = generator.buildImage(glowProgram());
    build(generator, program(kNoiseSteps));  // other builds in between change nothing
    TextureGenerator another;
    const auto second = another.buildImage(glowProgram());
    EXPECT_EQ(first->pixels, second->pixels);
}

TEST(ReferencePrograms, GiveTheirFixedBytes) {
    TextureGenerator generator;
    for (const TextureReference& reference : textureReferences()) {
        EXPECT_EQ(textureImageSha256(generator, reference.program), reference.imageSha256)
            << reference.name;
    }
}

TEST(ReferencePrograms, EveryRippleSineHasItsFixedBits) {
    EXPECT_EQ(rippleSineChecksum(), kRippleSineChecksum);
}
