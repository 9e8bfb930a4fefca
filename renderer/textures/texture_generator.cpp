// The texture generator's operations and the step loop of buildImage. Every float step below
// is spelled out because the exact rounding decides the bytes, which must be the same in the
// Linux and the Windows build.
#include "textures/texture_generator.h"

#include <cmath>
#include <cstring>

#include "textures/texture_random.h"

namespace {

// Each operation is a lambda of its own type, so that a pass inlines it into its pixel loop.

// ---- generators: one channel from the pixel position --------------------------------------

constexpr auto fill = [](int32_t, int32_t, const StepParameters& p) -> uint8_t { return p[1]; };

constexpr auto noise = [](int32_t, int32_t, const StepParameters&) -> uint8_t {
    return static_cast<uint8_t>(nextTextureRandom() % 255);  // 0 to 254
};

// 255 - trunc(2 d P1/255), clamped; d is the distance of (x, y) from (128, 128).
uint8_t radialValue(int32_t dx, int32_t dy, uint8_t p1) {
    // The integer sum is rounded to float, the root is taken in double.
    const double distance = std::sqrt(static_cast<double>(static_cast<float>(dx * dx + dy * dy)));
    // The quotient is single precision and formed first; the product is double.
    const float scale = static_cast<float>(p1) / 255.0f;
    const double fade = (distance + distance) * static_cast<double>(scale);
    return static_cast<uint8_t>(clamp(255 - static_cast<int32_t>(fade), 0, 255));
}

// The value depends only on |x - 128| (0 to 128) and |y - 128|, and is symmetric in the two:
// one table per pass takes an eighth of the 65 536 roots, with the same bytes.
class RadialGenerator {
  public:
    explicit RadialGenerator(const StepParameters& p) {
        for (int32_t i = 0; i <= 128; ++i) {
            for (int32_t j = 0; j <= i; ++j) {
                const uint8_t value = radialValue(i, j, p[1]);
                byOffset_[static_cast<size_t>(i)][static_cast<size_t>(j)] = value;
                byOffset_[static_cast<size_t>(j)][static_cast<size_t>(i)] = value;
            }
        }
    }
    uint8_t operator()(int32_t x, int32_t y, const StepParameters&) const {
        const int32_t dx = x >= 128 ? x - 128 : 128 - x;
        const int32_t dy = y >= 128 ? y - 128 : 128 - y;
        return byOffset_[static_cast<size_t>(dy)][static_cast<size_t>(dx)];
    }

  private:
    std::array<std::array<uint8_t, 129>, 129> byOffset_{};  // [|dy|][|dx|]
};

// ---- filters: each pixel rewritten in place -----------------------------------------------

uint8_t offsetChannel(uint8_t c, int32_t offset) {
    return static_cast<uint8_t>(clamp(c + offset, 0, 255));
}

constexpr auto brightness = [](int32_t, int32_t, const StepParameters& p, Rgb& pixel) {
    const int32_t offset = 2 * p[1] - 255;  // odd, -255 to +255: never 0
    pixel.set(offsetChannel(pixel.r, offset), offsetChannel(pixel.g, offset),
              offsetChannel(pixel.b, offset));
};

// For each P1 (0 to 5), which of A, B, C goes to r, to g and to b: P1 0 sends A, B, C to
// r, g, b; 1 to r, b, g; 2 to g, r, b; 3 to g, b, r; 4 to b, r, g; 5 to b, g, r.
constexpr int32_t kHeatRampSource[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                           {2, 0, 1}, {1, 2, 0}, {2, 1, 0}};

// The new pixel depends only on s = r + g + b (0 to 765): one table per pass.
class HeatRampFilter {
  public:
    explicit HeatRampFilter(const StepParameters& p) : unchanged_(p[1] > 5) {
        if (unchanged_) {
            return;
        }
        const int32_t* source = kHeatRampSource[p[1]];
        for (int32_t sum = 0; sum < 766; ++sum) {
            const uint8_t ramp[3] = {static_cast<uint8_t>(clamp(sum, 0, 255)),         // A
                                     static_cast<uint8_t>(clamp(sum - 255, 0, 255)),   // B
                                     static_cast<uint8_t>(clamp(sum - 510, 0, 255))};  // C
            bySum_[static_cast<size_t>(sum)].set(ramp[source[0]], ramp[source[1]], ramp[source[2]]);
        }
    }
    void operator()(int32_t, int32_t, const StepParameters&, Rgb& pixel) const {
        if (!unchanged_) {  // P1 above 5 leaves every pixel as it is
            pixel = bySum_[static_cast<size_t>(pixel.r + pixel.g + pixel.b)];
        }
    }

  private:
    bool unchanged_ = false;
    std::array<Rgb, 766> bySum_{};
};

constexpr auto grey = [](int32_t, int32_t, const StepParameters&, Rgb& pixel) {
    const uint8_t mean = static_cast<uint8_t>((pixel.r + pixel.g + pixel.b) / 3);
    pixel.set(mean, mean, mean);
};

// ---- warps: where each pixel reads from ---------------------------------------------------

constexpr auto shift = [](int32_t x, int32_t y, const StepParameters& p) -> SourcePosition {
    return {static_cast<float>(x + p[1]), static_cast<float>(y + p[2])};
};

// K = pi / 127.5 with pi the single-precision 3.14159274: one period of frequency 1 spans 255.
constexpr float kPi = 3.14159274f;
constexpr float kRippleK = kPi / 127.5f;

}  // namespace

// sin(position K frequency + phase), all in float but the sine itself: the argument is rounded
// to float first, then the double sine is rounded to float. (glibc's sinf differs from this in
// the last bit for some arguments; the double sine agrees in both builds.)
float rippleSine(int32_t position, uint8_t frequency, uint8_t phase) {
    const float argument = static_cast<float>(position) * kRippleK * static_cast<float>(frequency) +
                           static_cast<float>(phase);
    return static_cast<float>(std::sin(static_cast<double>(argument)));
}

namespace {

// amplitude * rippleSine(...), rounded to float: a displacement in pixels.
float rippleTerm(int32_t position, uint8_t frequency, uint8_t phase, uint8_t amplitude) {
    return static_cast<float>(amplitude) * rippleSine(position, frequency, phase);
}

// The horizontal displacement depends on the row only and the vertical one on the column
// only: 512 sines per pass instead of 131 072, with the same bits.
class RippleWarp {
  public:
    explicit RippleWarp(const StepParameters& p) {
        for (int32_t i = 0; i < kLayerSide; ++i) {
            byRow_[static_cast<size_t>(i)] = rippleTerm(i, p[1], p[5], p[3]);
            byColumn_[static_cast<size_t>(i)] = rippleTerm(i, p[2], p[6], p[4]);
        }
    }
    SourcePosition operator()(int32_t x, int32_t y, const StepParameters&) const {
        return {static_cast<float>(x) + byRow_[static_cast<size_t>(y)],
                static_cast<float>(y) + byColumn_[static_cast<size_t>(x)]};
    }

  private:
    std::array<float, kLayerSide> byRow_{};     // P3 sin(y K P1 + P5), pixels
    std::array<float, kLayerSide> byColumn_{};  // P4 sin(x K P2 + P6), pixels
};

// ---- combiners: the source layer merged into the destination ------------------------------

constexpr auto add = [](Rgb& dest, const Rgb& src) { dest.addSaturating(src); };

constexpr auto subtract = [](Rgb& dest, const Rgb& src) {
    dest.set(static_cast<uint8_t>(maximum(dest.r - src.r, 0)),
             static_cast<uint8_t>(maximum(dest.g - src.g, 0)),
             static_cast<uint8_t>(maximum(dest.b - src.b, 0)));
};

constexpr auto multiply = [](Rgb& dest, const Rgb& src) {
    dest.set(static_cast<uint8_t>(dest.r * src.r / 255), static_cast<uint8_t>(dest.g * src.g / 255),
             static_cast<uint8_t>(dest.b * src.b / 255));
};

constexpr auto darken = [](Rgb& dest, const Rgb& src) {
    dest.set(static_cast<uint8_t>(minimum(dest.r, src.r)),
             static_cast<uint8_t>(minimum(dest.g, src.g)),
             static_cast<uint8_t>(minimum(dest.b, src.b)));
};

constexpr auto lighten = [](Rgb& dest, const Rgb& src) {
    dest.set(static_cast<uint8_t>(maximum(dest.r, src.r)),
             static_cast<uint8_t>(maximum(dest.g, src.g)),
             static_cast<uint8_t>(maximum(dest.b, src.b)));
};

constexpr auto copy = [](Rgb& dest, const Rgb& src) { dest = src; };

}  // namespace

void WarpRow::prepare() {
    for (size_t x = 0; x < static_cast<size_t>(kLayerSide); ++x) {
        const int32_t ix = static_cast<int32_t>(sx[x]);  // truncated toward zero
        const int32_t iy = static_cast<int32_t>(sy[x]);
        const float fx = sx[x] - static_cast<float>(ix);
        const float fy = sy[x] - static_cast<float>(iy);
        // Each bilinear weight is rounded to float by itself.
        w00[x] = (1.0f - fx) * (1.0f - fy);
        w10[x] = (1.0f - fy) * fx;
        w01[x] = (1.0f - fx) * fy;
        w11[x] = fx * fy;
        // S[row][column] is element 256 row + column; the layer wraps around both ways.
        const int32_t row0 = kLayerSide * wrap256(iy);
        const int32_t row1 = kLayerSide * wrap256(iy + 1);
        i00[x] = row0 + wrap256(ix);
        i10[x] = row0 + wrap256(ix + 1);
        i01[x] = row1 + wrap256(ix);
        i11[x] = row1 + wrap256(ix + 1);
    }
}

Layer& warpSnapshot() {
    static const std::unique_ptr<Layer> snapshot = std::make_unique<Layer>();  // black
    return *snapshot;
}

TextureGenerator::TextureGenerator()
    : layers_(std::make_unique<std::array<Layer, kLayerCount>>()) {}

TextureGenerator::~TextureGenerator() = default;

std::unique_ptr<TextureImage> TextureGenerator::buildImage(const TextureProgram& program) {
    std::memset(static_cast<void*>(layers_->data()), 0,
                sizeof(*layers_));  // every byte of the four layers
    const size_t claimedSteps = program.length > 0 ? program.bytes[0] : 0;
    const size_t wholeSteps = program.length > 0 ? (program.length - 1) / kStepBytes : 0;
    const size_t stepCount = claimedSteps < wholeSteps ? claimedSteps : wholeSteps;
    for (size_t k = 0; k < stepCount; ++k) {
        const uint8_t* step = program.bytes + 1 + kStepBytes * k;
        StepParameters p{};
        std::memcpy(p.data(), step + 1, p.size());
        seedTextureRandom(p[7]);  // seeded even when the opcode turns out to do nothing
        runStep(step[0], p);
    }

    auto image = std::make_unique<TextureImage>();
    image->width = kLayerSide;
    image->height = kLayerSide;
    image->format = kTextureFormatRgb;
    image->pixels.resize(kLayerBytes);
    std::memcpy(image->pixels.data(), layer(0).data(), kLayerBytes);
    return image;
}

void TextureGenerator::runStep(uint8_t opcode, const StepParameters& p) {
    switch (static_cast<TextureOp>(opcode)) {
        case TextureOp::Fill:
            return generatePass(fill, p);
        case TextureOp::Noise:
            return generatePass(noise, p);
        case TextureOp::Radial:
            return generatePass(RadialGenerator(p), p);
        case TextureOp::Brightness:
            return filterPass(brightness, p);
        case TextureOp::HeatRamp:
            return filterPass(HeatRampFilter(p), p);
        case TextureOp::Grey:
            return filterPass(grey, p);
        case TextureOp::Shift:
            return warpPass(shift, p);
        case TextureOp::Ripple:
            return warpPass(RippleWarp(p), p);
        case TextureOp::Add:
            return combinePass(add, p);
        case TextureOp::Subtract:
            return combinePass(subtract, p);
        case TextureOp::Multiply:
            return combinePass(multiply, p);
        case TextureOp::Darken:
            return combinePass(darken, p);
        case TextureOp::Lighten:
            return combinePass(lighten, p);
        case TextureOp::Copy:
            return combinePass(copy, p);
    }
    // Any other opcode does nothing.
}
