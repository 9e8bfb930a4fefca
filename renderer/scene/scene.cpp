// Placeholder scene: clears the frame until the ball lands.
#include "scene/scene.h"

#include "gl_api.h"

void setupScene() {}
void drawScene(double) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
void releaseScene() {}
