// The window zoom effect through DrawAnimatedRects: see win32_zoom.h.
#include "win32_zoom.h"

namespace velmora {
namespace {

ZoomRect windowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return ZoomRect{rect.left, rect.top, rect.right, rect.bottom};
}

RECT toRect(const ZoomRect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

void animate(HWND window, const ZoomAnimation& animation) {
    const RECT from = toRect(animation.from);
    const RECT to = toRect(animation.to);
    DrawAnimatedRects(window, IDANI_CAPTION, &from, &to);
}

}  // namespace

void zoomOpen(HWND window, ZoomPoint point) {
    animate(window, zoomOpenRects(point, windowRect(window)));
}

void zoomClose(HWND window, ZoomPoint point) {
    animate(window, zoomCloseRects(point, windowRect(window)));
}

}  // namespace velmora
