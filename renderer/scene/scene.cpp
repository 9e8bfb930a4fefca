// The scene: a lumpy, sphere-mapped ball half a unit in front of the viewer, tumbling at
// constant angular speeds and glowing additively over black.
#include "scene/scene.h"

#include <cmath>
#include <new>

#include "gl_api.h"
#include "host/render_settings.h"
#include "scene/scene_mesh.h"
#include "textures/texture_set.h"

namespace {

// Owner of the scene mesh, from setupScene to releaseScene.
std::unique_ptr<Mesh> theSceneMesh;

// Rotation angle in degrees for a rate in degrees per second. Formed in double and wrapped
// to (-360, 360): the same rotation, while a float of millions of degrees loses its fraction.
float angleAt(double degreesPerSecond, double t) {
    return float(std::fmod(degreesPerSecond * t, 360.0));
}

}  // namespace

void setupScene() {
    try {
        theSceneMesh = buildSceneMesh(renderSettings.meshDetailLevel);
    } catch (const std::bad_alloc&) {
        throw "Create mesh failed";
    }
}

void drawScene(double t) {
    clearFrame();
    drawShot(t);
}

void clearFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void drawShot(double t) {
    glLoadIdentity();

    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);

    glTranslatef(0.0f, 0.0f, -0.5f);
    glRotatef(angleAt(6.0, t), 0.0f, 1.0f, 0.0f);
    glRotatef(angleAt(3.9, t), 1.0f, 0.0f, 1.0f);

    // Additive glow: no depth writes and no culling, so overlapping layers add up.
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    glRotatef(angleAt(36.0, t), 0.0f, 1.0f, 0.0f);
    glRotatef(angleAt(33.9, t), 1.0f, 0.0f, 1.0f);

    if (glowTexture) {
        glowTexture->bind();
    }
    glColor3f(1.0f, 1.0f, 1.0f);
    if (theSceneMesh) {
        theSceneMesh->draw();
    }

    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

void releaseScene() {
    theSceneMesh.reset();
}

const Mesh* sceneMesh() {
    return theSceneMesh.get();
}
