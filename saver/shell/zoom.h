// The window zoom effect's rectangles: between the point ZoomX, ZoomY and a window.
#pragma once

#include <cstdint>

namespace velmora {

// ZoomX, ZoomY: the screen point in pixels the effect grows from and shrinks into.
struct ZoomPoint {
    std::int16_t x = 0;
    std::int16_t y = 0;
};

struct ZoomRect {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;
};

struct ZoomAnimation {
    ZoomRect from;
    ZoomRect to;
};

// ZoomOpen: from the point to the window; ZoomClose: from the window to the point.
ZoomAnimation zoomOpenRects(ZoomPoint point, ZoomRect window);
ZoomAnimation zoomCloseRects(ZoomPoint point, ZoomRect window);

}  // namespace velmora
