// Viewport and perspective projection for a drawing area.
#include "host/viewport.h"

#include "gl_api.h"

void resizeViewport(int32_t width, int32_t height) {
    placeViewport(0, 0, width, height);
}

void placeViewport(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (height == 0) {
        height = 1;  // a minimised window: no division by zero
    }
    glViewport(x, y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, static_cast<double>(width) / static_cast<double>(height), 0.1f, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
