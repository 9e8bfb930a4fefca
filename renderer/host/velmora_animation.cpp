// Start-up, frame and release steps of the renderer's animation.
#include "host/velmora_animation.h"

#include "gl_api.h"
#include "host/viewport.h"
#include "scene/scene.h"
#include "textures/texture_set.h"

void setTexturing(bool on) {
    if (on) {
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

void VelmoraAnimation::initAnimation() {
    buildTextureSet();
    setupScene();
    setTexturing(true);  // stays on for the life of the program
}

void VelmoraAnimation::drawFrame(double sceneTime, const std::vector<ViewportRect>& viewports) {
    if (viewports.empty()) {
        drawScene(sceneTime);
        return;
    }
    // One clear for the whole window: the gaps between monitors of different shapes are
    // black too. Every monitor then shows the same moment at its own aspect.
    clearFrame();
    for (const ViewportRect& viewport : viewports) {
        placeViewport(viewport.x, viewport.y, viewport.width, viewport.height);
        drawShot(sceneTime);
    }
}

void VelmoraAnimation::releaseAnimation() {
    releaseTextureSet();
    releaseScene();
}
