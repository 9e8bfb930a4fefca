// The renderer's projection, shared by the window and the headless tools.
#pragma once

#include <cstdint>

// A drawing area inside the window, as OpenGL counts it: from the window's bottom-left
// corner, in pixels.
struct ViewportRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool operator==(const ViewportRect& other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
};

// Viewport of width x height (a height of 0 counts as 1) and the 60-degree perspective
// (near 0.1, far 100); leaves the model-view matrix current and reset.
void resizeViewport(int32_t width, int32_t height);
// The same with the viewport's lower-left corner at (x, y) of the window, in pixels.
void placeViewport(int32_t x, int32_t y, int32_t width, int32_t height);
