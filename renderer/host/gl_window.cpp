// The renderer's OpenGL window: see gl_window.h.
#include "host/gl_window.h"

GlWindow::GlWindow(WindowSystem& system, const WindowRequest& request, KeyTable& keys)
    : system_(system),
      keys_(keys),
      cover_(system, {request.width, request.height, request.colorBits}),
      fullScreen_(request.fullScreen) {
    try {
        make(request);
    } catch (...) {
        takeDown();
        throw;
    }
}

GlWindow::~GlWindow() {
    takeDown();
}

void GlWindow::make(const WindowRequest& request) {
    if (!system_.registerClass()) {
        throw "Register window class failed";
    }
    classRegistered_ = true;

    // Full screen: one borderless top-most window over every monitor, at the requested mode
    // when the display grants it, else at the mode it has; black wherever the shot is not.
    ScreenRect area{0, 0, request.width, request.height};
    if (fullScreen_) {
        area = cover_.takeScreen().window;
    } else {
        // Centred; the requested size is the outer size: the frame is not added.
        const ScreenRect screen = system_.primaryScreen();
        area.left = screen.width() / 2 - request.width / 2;
        area.top = screen.height() / 2 - request.height / 2;
        area.right = area.left + request.width;
        area.bottom = area.top + request.height;
    }
    if (!system_.createWindow(request.title, area, fullScreen_, *this)) {
        throw "Create window failed";
    }
    windowMade_ = true;
    visibility_.sessionStarted(system_.watchNotices());
    noticesWatched_ = true;

    if (!system_.takeDeviceContext()) {
        throw "Create DC failed";
    }
    deviceContextTaken_ = true;
    const int32_t format = system_.choosePixelFormat(request.colorBits);
    if (format == 0) {
        throw "No suitable pixel format found";
    }
    if (!system_.setPixelFormat(format, request.colorBits)) {
        throw "Set pixelformat failed";
    }
    if (!system_.createContext()) {
        throw "Create GL Context failed";
    }
    contextMade_ = true;
    if (!system_.makeCurrent()) {
        throw "Select Contexts failed";
    }
    refreshRateHz_ = system_.syncToDisplay();

    system_.showWindow();
    shown_ = true;
    // The size messages of the creation came before any context was current.
    if (fullScreen_) {
        system_.setViewports(cover_.layout().viewports);
        system_.showCursor(false);
        cursorHidden_ = true;
        system_.startMonitorChecks(kMonitorCheckMs);
    } else {
        system_.setViewports({{0, 0, request.width, request.height}});
    }
}

void GlWindow::takeDown() {
    shown_ = false;
    if (cursorHidden_) {
        system_.showCursor(true);
        cursorHidden_ = false;
    }
    cover_.giveBack();
    undo(contextMade_, &WindowSystem::releaseContext);
    undo(deviceContextTaken_, &WindowSystem::releaseDeviceContext);
    undo(noticesWatched_, &WindowSystem::stopNotices);
    undo(windowMade_, &WindowSystem::destroyWindow);
    undo(classRegistered_, &WindowSystem::unregisterClass);
}

void GlWindow::undo(bool& made, void (WindowSystem::*step)()) {
    if (made) {
        (system_.*step)();
        made = false;
    }
}

void GlWindow::onSize(bool minimised, int32_t width, int32_t height) {
    visibility_.setWindowShown(!minimised);
    if (contextMade_) {
        system_.setViewports(cover_.viewportsFor(width, height));
    }
}

// Losing the activation (rare over a top-most cover) gives the display back to the user.
void GlWindow::onActivateApp(bool active) {
    if (fullScreen_ && shown_) {
        cover_.onActivateApp(active);
    }
}

// A monitor plugged or unplugged, or a mode changed by anyone: cover them as they now are.
void GlWindow::onDisplayChange() {
    if (fullScreen_ && shown_) {
        cover_.onDisplayChange();
    }
}

void GlWindow::onMonitorCheck() {
    if (fullScreen_ && shown_) {
        cover_.onMonitorCheck();
    }
}
