// Start-up, frame and release steps of the renderer's animation.
#include "host/velmora_animation.h"

#include "gl_api.h"
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

void VelmoraAnimation::drawFrame(double sceneTime) {
    drawScene(sceneTime);
}

void VelmoraAnimation::releaseAnimation() {
    releaseTextureSet();
    releaseScene();
}
