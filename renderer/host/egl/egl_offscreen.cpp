// Headless GL through EGL's surfaceless Mesa platform and a pbuffer.
#include "host/egl/egl_offscreen.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstring>
#include <stdexcept>

#include "gl_api.h"

struct OffscreenContext::Egl {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
};

namespace {

void require(bool ok, const char* step) {
    if (!ok) {
        throw std::runtime_error(std::string("headless GL: ") + step + " failed (EGL error 0x" +
                                 std::to_string(eglGetError()) + ")");
    }
}

}  // namespace

OffscreenContext::OffscreenContext(int32_t width, int32_t height)
    : egl_(std::make_unique<Egl>()), width_(width), height_(height) {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    require(getPlatformDisplay != nullptr, "eglGetPlatformDisplayEXT");
    egl_->display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    require(egl_->display != EGL_NO_DISPLAY, "surfaceless display");
    require(eglInitialize(egl_->display, nullptr, nullptr) == EGL_TRUE, "eglInitialize");
    require(eglBindAPI(EGL_OPENGL_API) == EGL_TRUE, "eglBindAPI(OpenGL)");

    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_DEPTH_SIZE,
                                       16,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    require(
        eglChooseConfig(egl_->display, configAttributes, &config, 1, &configCount) == EGL_TRUE &&
            configCount > 0,
        "eglChooseConfig");
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    egl_->surface = eglCreatePbufferSurface(egl_->display, config, surfaceAttributes);
    require(egl_->surface != EGL_NO_SURFACE, "eglCreatePbufferSurface");
    egl_->context = eglCreateContext(egl_->display, config, EGL_NO_CONTEXT, nullptr);
    require(egl_->context != EGL_NO_CONTEXT, "eglCreateContext");
    require(eglMakeCurrent(egl_->display, egl_->surface, egl_->surface, egl_->context) == EGL_TRUE,
            "eglMakeCurrent");
}

OffscreenContext::~OffscreenContext() {
    eglMakeCurrent(egl_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (egl_->context != EGL_NO_CONTEXT) {
        eglDestroyContext(egl_->display, egl_->context);
    }
    if (egl_->surface != EGL_NO_SURFACE) {
        eglDestroySurface(egl_->display, egl_->surface);
    }
    if (egl_->display != EGL_NO_DISPLAY) {
        eglTerminate(egl_->display);
    }
}

std::vector<uint8_t> OffscreenContext::readPixelsTopDown() const {
    const size_t rowBytes = static_cast<size_t>(width_) * 3;
    std::vector<uint8_t> bottomUp(rowBytes * static_cast<size_t>(height_));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> topDown(bottomUp.size());
    for (int32_t row = 0; row < height_; ++row) {
        std::memcpy(&topDown[static_cast<size_t>(row) * rowBytes],
                    &bottomUp[static_cast<size_t>(height_ - 1 - row) * rowBytes], rowBytes);
    }
    return topDown;
}
