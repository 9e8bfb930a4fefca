// Twips (1/1440 inch) to pixels and back at a given dots-per-inch, for the front-end's
// positions and sizes. At 96 DPI one pixel is 15 twips.
#pragma once

#include <cstdint>

inline constexpr int32_t kTwipsPerInch = 1440;
inline constexpr int32_t kStandardDpi = 96;

// Nearest whole pixel, halves away from zero; dpi must be positive.
constexpr int32_t twipsToPixels(int32_t twips, int32_t dpi) {
    const int64_t scaled = int64_t{twips} * dpi;
    const int64_t half = kTwipsPerInch / 2;
    return static_cast<int32_t>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                            : -((-scaled + half) / kTwipsPerInch));
}

constexpr int32_t pixelsToTwips(int32_t pixels, int32_t dpi) {
    const int64_t scaled = int64_t{pixels} * kTwipsPerInch;
    const int64_t half = dpi / 2;
    return static_cast<int32_t>(scaled >= 0 ? (scaled + half) / dpi : -((-scaled + half) / dpi));
}
