// ZoomOpen and ZoomClose: the platform's animated caption rectangle between ZoomX, ZoomY and
// a window.
#pragma once

#include <windows.h>

#include "zoom.h"

namespace velmora {

void zoomOpen(HWND window, ZoomPoint point);
void zoomClose(HWND window, ZoomPoint point);

}  // namespace velmora
