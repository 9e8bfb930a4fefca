// The texture generator: four 256 x 256 RGB layers that a byte-coded texture program fills
// step by step with generators, filters, warps and combiners. Portable, no GL.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "textures/texture_image.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Integer helpers of the channel arithmetic.
inline int32_t clamp(int32_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}
inline int32_t minimum(int32_t a, int32_t b) {
    return a < b ? a : b;
}
inline int32_t maximum(int32_t a, int32_t b) {
    return a > b ? a : b;
}
// Remainder of v / 256 with the sign of v: 0 to 255 for every v >= 0.
inline int32_t wrap256(int32_t v) {
    return v % 256;
}

// One pixel: unsigned 8-bit channels in GL_RGB order; new pixels are black.
struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;

    void set(uint8_t red, uint8_t green, uint8_t blue) {
        r = red;
        g = green;
        b = blue;
    }
    // channel 0 r, 1 g, 2 b.
    uint8_t& channel(int32_t index) { return index == 0 ? r : (index == 1 ? g : b); }

    // Each channel becomes clamp(own + other, 0, 255).
    void addSaturating(const Rgb& other) {
        r = static_cast<uint8_t>(minimum(r + other.r, 255));
        g = static_cast<uint8_t>(minimum(g + other.g, 255));
        b = static_cast<uint8_t>(minimum(b + other.b, 255));
    }
};
static_assert(sizeof(Rgb) == 3, "a layer's bytes are GL_RGB rows");

// One term of the bilinear sum: clamp(c * weight, 0, 255), the product rounded to float and
// truncated toward zero.
inline int32_t weightedChannel(uint8_t c, float weight) {
    const float product = static_cast<float>(c) * weight;
    return clamp(static_cast<int32_t>(product), 0, 255);
}

// The four terms are truncated and clamped one by one, then added with saturation at 255 in
// this order: a position between pixels can lose up to 3 units per channel.
inline uint8_t bilinearChannel(uint8_t c00, uint8_t c10, uint8_t c01, uint8_t c11, float w00,
                               float w10, float w01, float w11) {
    int32_t sum = weightedChannel(c00, w00);
    sum = minimum(sum + weightedChannel(c10, w10), 255);
    sum = minimum(sum + weightedChannel(c01, w01), 255);
    sum = minimum(sum + weightedChannel(c11, w11), 255);
    return static_cast<uint8_t>(sum);
}

// The warped pixel from its four neighbours and their weights. SSE2 (every x86-64 build) does
// the twelve terms in four vector steps with the very same rounding: IEEE products per lane,
// truncating conversion, saturating packs for the clamp and saturating byte adds in the same
// order. bilinearChannel is the reference the tests hold it to.
inline Rgb bilinearPixel(const Rgb& p00, const Rgb& p10, const Rgb& p01, const Rgb& p11, float w00,
                         float w10, float w01, float w11) {
#if defined(__SSE2__)
    const auto lanes = [](const Rgb& pixel) {
        return static_cast<int32_t>(pixel.r | (pixel.g << 8) | (pixel.b << 16));
    };
    const __m128i zero = _mm_setzero_si128();
    const __m128i bytes = _mm_set_epi32(lanes(p11), lanes(p01), lanes(p10), lanes(p00));
    const __m128i words0 = _mm_unpacklo_epi8(bytes, zero);  // p00, p10
    const __m128i words1 = _mm_unpackhi_epi8(bytes, zero);  // p01, p11
    // c * w, each product rounded to float, then truncated toward zero.
    const auto term = [&zero](__m128i words, bool high, float weight) {
        const __m128i channels =
            high ? _mm_unpackhi_epi16(words, zero) : _mm_unpacklo_epi16(words, zero);
        return _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(channels), _mm_set1_ps(weight)));
    };
    const __m128i t00 = term(words0, false, w00);
    const __m128i t10 = term(words0, true, w10);
    const __m128i t01 = term(words1, false, w01);
    const __m128i t11 = term(words1, true, w11);
    // Signed then unsigned saturating packs: each term clamped to 0..255 by itself.
    const __m128i terms = _mm_packus_epi16(_mm_packs_epi32(t00, t10), _mm_packs_epi32(t01, t11));
    // Saturating sum in the order t00 + t10 + t01 + t11.
    __m128i sum = _mm_adds_epu8(terms, _mm_srli_si128(terms, 4));
    sum = _mm_adds_epu8(sum, _mm_srli_si128(terms, 8));
    sum = _mm_adds_epu8(sum, _mm_srli_si128(terms, 12));
    const uint32_t rgb = static_cast<uint32_t>(_mm_cvtsi128_si32(sum));
    Rgb result;
    result.set(static_cast<uint8_t>(rgb), static_cast<uint8_t>(rgb >> 8),
               static_cast<uint8_t>(rgb >> 16));
    return result;
#else
    Rgb result;
    result.set(bilinearChannel(p00.r, p10.r, p01.r, p11.r, w00, w10, w01, w11),
               bilinearChannel(p00.g, p10.g, p01.g, p11.g, w00, w10, w01, w11),
               bilinearChannel(p00.b, p10.b, p01.b, p11.b, w00, w10, w01, w11));
    return result;
#endif
}

constexpr int32_t kLayerSide = 256;                         // pixels per row and per column
constexpr int32_t kLayerPixels = kLayerSide * kLayerSide;   // 65 536
constexpr size_t kLayerBytes = sizeof(Rgb) * kLayerPixels;  // 196 608
constexpr int32_t kLayerCount = 4;

// Row-major, row 0 first: pixel (x, y) is element 256 * y + x.
using Layer = std::array<Rgb, kLayerPixels>;

// A texture program: byte 0 is the step count N; step k is the nine bytes from 1 + 9k:
// opcode, P0 (layer in the high nibble, channel in the low one), P1 to P6, P7 (random seed).
// length bounds every read: a program shorter than N claims ends after its last whole step.
struct TextureProgram {
    const uint8_t* bytes = nullptr;
    size_t length = 0;
};

constexpr size_t kStepBytes = 9;

// P0 to P7 of one step.
using StepParameters = std::array<uint8_t, 8>;

inline int32_t layerOf(uint8_t selector) {
    return selector >> 4;
}
inline int32_t channelOf(uint8_t selector) {
    return selector & 0x0F;
}

// The opcodes; c is each channel in turn, parameters not named are ignored.
enum class TextureOp : uint8_t {
    Fill = 1,         // generator: channel = P1
    Noise = 2,        // generator: channel = random % 255
    Radial = 3,       // generator: channel = 255 - trunc(2 d P1/255), d from (128, 128)
    Brightness = 17,  // filter: c = clamp(c + 2 P1 - 255)
    HeatRamp = 18,    // filter: s = r + g + b ramped over three channels ordered by P1
    Grey = 19,        // filter: r = g = b = (r + g + b) / 3
    Shift = 33,       // warp: source = (x + P1, y + P2)
    Ripple = 34,      // warp: source = (x + P3 sin(y K P1 + P5), y + P4 sin(x K P2 + P6))
    Add = 49,         // combiner: c = clamp(dest + src)
    Subtract = 50,    // combiner: c = clamp(dest - src)
    Multiply = 51,    // combiner: c = dest * src / 255
    Darken = 52,      // combiner: c = min(dest, src)
    Lighten = 53,     // combiner: c = max(dest, src)
    Copy = 54,        // combiner: c = src
};

// Where a warp reads pixel (x, y) from, in pixels (may lie between pixels and off the layer).
struct SourcePosition {
    float sx = 0.0f;
    float sy = 0.0f;
};

// The Ripple sine of a row or column position: sin(position K frequency + phase) in float,
// K = pi / 127.5 (frequency: periods per 255 pixels; phase: whole radians).
float rippleSine(int32_t position, uint8_t frequency, uint8_t phase);

// The process-wide snapshot every warp reads from: created black by the first warp, kept
// until the process ends.
Layer& warpSnapshot();

class TextureGenerator {
  public:
    // Four black layers.
    TextureGenerator();
    ~TextureGenerator();
    TextureGenerator(const TextureGenerator&) = delete;
    TextureGenerator& operator=(const TextureGenerator&) = delete;

    // Clears the layers, runs the program and returns a copy of layer 0 (256 x 256, GL_RGB).
    // Any byte string is safe: steps that name a layer above 3 (or a generator channel
    // above 2, or a combiner source above 3) and unknown opcodes do nothing.
    std::unique_ptr<TextureImage> buildImage(const TextureProgram& program);

    const Layer& layer(int32_t index) const { return (*layers_)[static_cast<size_t>(index)]; }
    Layer& layer(int32_t index) { return (*layers_)[static_cast<size_t>(index)]; }

    // The four passes. Callbacks: generator (x, y, p) -> byte; filter (x, y, p, Rgb&);
    // warp (x, y, p) -> SourcePosition; combiner (Rgb& dest, const Rgb& src).
    // Pixels are visited row by row, left to right (which fixes where each random number
    // lands).
    template <class Generator>
    void generatePass(const Generator& generator, const StepParameters& p);
    template <class Filter>
    void filterPass(const Filter& filter, const StepParameters& p);
    template <class Warp>
    void warpPass(const Warp& warp, const StepParameters& p);
    template <class Combiner>
    void combinePass(const Combiner& combiner, const StepParameters& p);

  private:
    void runStep(uint8_t opcode, const StepParameters& p);

    std::unique_ptr<std::array<Layer, kLayerCount>> layers_;
};

template <class Generator>
void TextureGenerator::generatePass(const Generator& generator, const StepParameters& p) {
    const int32_t layerIndex = layerOf(p[0]);
    const int32_t channel = channelOf(p[0]);
    if (layerIndex >= kLayerCount || channel > 2) {
        return;
    }
    Layer& target = layer(layerIndex);
    for (int32_t y = 0; y < kLayerSide; ++y) {
        for (int32_t x = 0; x < kLayerSide; ++x) {
            target[static_cast<size_t>(kLayerSide * y + x)].channel(channel) = generator(x, y, p);
        }
    }
}

template <class Filter>
void TextureGenerator::filterPass(const Filter& filter, const StepParameters& p) {
    const int32_t layerIndex = layerOf(p[0]);
    if (layerIndex >= kLayerCount) {
        return;
    }
    Layer& target = layer(layerIndex);
    for (int32_t y = 0; y < kLayerSide; ++y) {
        for (int32_t x = 0; x < kLayerSide; ++x) {
            filter(x, y, p, target[static_cast<size_t>(kLayerSide * y + x)]);
        }
    }
}

// One row of a warp, prepared together: the source positions the callback gave (+256), then
// for each pixel its four neighbours (indices into the layer) and their weights.
struct WarpRow {
    alignas(16) std::array<float, kLayerSide> sx;
    alignas(16) std::array<float, kLayerSide> sy;
    alignas(16) std::array<int32_t, kLayerSide> i00, i10, i01, i11;
    alignas(16) std::array<float, kLayerSide> w00, w10, w01, w11;

    // Fills the indices and the weights from sx and sy.
    void prepare();
};

template <class Warp>
void TextureGenerator::warpPass(const Warp& warp, const StepParameters& p) {
    const int32_t layerIndex = layerOf(p[0]);
    if (layerIndex >= kLayerCount) {
        return;
    }
    Layer& target = layer(layerIndex);
    const Layer& source = warpSnapshot();
    warpSnapshot() = target;
    WarpRow row;
    for (int32_t y = 0; y < kLayerSide; ++y) {
        for (int32_t x = 0; x < kLayerSide; ++x) {
            const SourcePosition position = warp(x, y, p);
            // +256 keeps every position the opcodes make (never below -255) positive, so
            // truncation is rounding down and wrap256 stays in 0..255.
            row.sx[static_cast<size_t>(x)] = position.sx + 256.0f;
            row.sy[static_cast<size_t>(x)] = position.sy + 256.0f;
        }
        row.prepare();
        Rgb* out = &target[static_cast<size_t>(kLayerSide * y)];
        for (size_t x = 0; x < static_cast<size_t>(kLayerSide); ++x) {
            out[x] = bilinearPixel(
                source[static_cast<size_t>(row.i00[x])], source[static_cast<size_t>(row.i10[x])],
                source[static_cast<size_t>(row.i01[x])], source[static_cast<size_t>(row.i11[x])],
                row.w00[x], row.w10[x], row.w01[x], row.w11[x]);
        }
    }
}

template <class Combiner>
void TextureGenerator::combinePass(const Combiner& combiner, const StepParameters& p) {
    const int32_t destinationIndex = layerOf(p[0]);
    const int32_t sourceIndex = layerOf(p[1]);
    if (destinationIndex >= kLayerCount || sourceIndex >= kLayerCount) {
        return;
    }
    Layer& destination = layer(destinationIndex);
    const Layer& source = layer(sourceIndex);
    for (size_t i = 0; i < static_cast<size_t>(kLayerPixels); ++i) {
        const Rgb sourcePixel = source[i];  // a copy: the source may be the destination
        combiner(destination[i], sourcePixel);
    }
}
