// The projection the window and the tools share.
#include <gtest/gtest.h>

#include <cmath>

#include "gl_api.h"
#include "host/egl/egl_offscreen.h"
#include "host/viewport.h"

TEST(Viewport, SixtyDegreePerspectiveWithModelViewCurrent) {
    OffscreenContext context(64, 48);
    resizeViewport(1024, 768);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);
    GLfloat projection[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const float focal = float(1.0 / std::tan(30.0 * M_PI / 180.0));
    EXPECT_NEAR(projection[5], focal, 1e-5f);
    EXPECT_NEAR(projection[0], focal * 768.0f / 1024.0f, 1e-5f);
    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
}

TEST(Viewport, ZeroHeightBecomesOnePixel) {
    OffscreenContext context(64, 48);
    resizeViewport(640, 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 1);
    GLfloat projection[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_TRUE(std::isfinite(projection[0]));
}

TEST(Viewport, PlacedViewportKeepsItsOwnAspect) {
    OffscreenContext context(64, 48);
    placeViewport(320, 56, 1280, 1024);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 320);
    EXPECT_EQ(viewport[1], 56);
    EXPECT_EQ(viewport[2], 1280);
    EXPECT_EQ(viewport[3], 1024);
    GLfloat projection[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[0], projection[5] * 1024.0f / 1280.0f, 1e-5f);
}
