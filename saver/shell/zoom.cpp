// The window zoom effect's rectangles: see zoom.h.
#include "zoom.h"

namespace velmora {
namespace {

ZoomRect pointRect(ZoomPoint point) {
    return ZoomRect{point.x, point.y, point.x, point.y};
}

}  // namespace

ZoomAnimation zoomOpenRects(ZoomPoint point, ZoomRect window) {
    return ZoomAnimation{pointRect(point), window};
}

ZoomAnimation zoomCloseRects(ZoomPoint point, ZoomRect window) {
    return ZoomAnimation{window, pointRect(point)};
}

}  // namespace velmora
