// The hack's drawing window on X11 with its GLX context: a window of its own, or one it
// adopts (XScreenSaver's window, the root window, a window given by id).
#pragma once

#include <X11/Xlib.h>
#include <GL/glx.h>

#include <cstdint>

#include "host/frame_loop.h"
#include "host/renderer_main.h"
#include "host/visibility.h"

// Xlib reports protocol errors to one process-wide handler; this one records them instead
// of ending the process, and the window's set-up reads them back where it must.
void installX11ErrorRecorder();

class X11RenderWindow final : public RenderSurface {
  public:
    // adoptedWindow 0: a window of its own, request.width x request.height, titled
    // request.title. Otherwise that window is drawn on as it is, and left in place.
    // Throws a one-line failure text; nothing made before the throw is left behind.
    X11RenderWindow(Display* display, Window adoptedWindow, const WindowRequest& request);
    ~X11RenderWindow() override;
    X11RenderWindow(const X11RenderWindow&) = delete;
    X11RenderWindow& operator=(const X11RenderWindow&) = delete;

    void swapBuffers() override;
    int32_t refreshRateHz() const override { return refreshRateHz_; }
    bool seen() const override { return visibility_.seen(); }
    // Written by the event pump.
    Visibility& visibility() { return visibility_; }

    // The window is gone, or may go any moment: GL must not touch it again (Mesa's software
    // rasteriser can spin for seconds on a vanished drawable), so the context is released
    // and drawing and swaps become no-ops until teardown.
    void windowLost();

    Window window() const { return window_; }
    bool ownsWindow() const { return ownsWindow_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

  private:
    void createOwnWindow(const WindowRequest& request);
    void adoptWindow(Window window);
    void createContext();
    void release();

    Display* display_ = nullptr;
    Window window_ = 0;
    bool ownsWindow_ = false;
    Colormap colormap_ = 0;
    XVisualInfo* visual_ = nullptr;
    GLXContext context_ = nullptr;
    bool doubleBuffered_ = true;
    bool lost_ = false;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t refreshRateHz_ = 0;  // 0: unknown
    Visibility visibility_;
};
