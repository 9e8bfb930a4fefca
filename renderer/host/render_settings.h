// The renderer's fixed settings: constants, filled into one process-wide record at start-up.
#pragma once

#include <cstdint>

struct RenderSettings {
    int32_t width = 0;
    int32_t height = 0;
    int32_t colorBits = 0;
    bool fullScreen = false;
    int32_t textureFilter = 0;    // 0 nearest, 1 linear, 2 linear with mipmaps where asked for
    int32_t meshDetailLevel = 0;  // scene mesh: 16 * level + 16 slices and stacks
};

// The values every run uses; nothing (file, registry, argument) changes them.
constexpr RenderSettings kFixedRenderSettings{1024, 768, 16, true, 2, 3};

// Filled by the entry point (and by tools and tests) before anything reads it.
extern RenderSettings renderSettings;
