// The renderer's projection, shared by the window and the headless tools.
#pragma once

#include <cstdint>

// Viewport of width x height (a height of 0 counts as 1) and the 60-degree perspective
// (near 0.1, far 100); leaves the model-view matrix current and reset.
void resizeViewport(int32_t width, int32_t height);
// The same with the viewport's lower-left corner at (x, y) of the window, in pixels.
void placeViewport(int32_t x, int32_t y, int32_t width, int32_t height);
