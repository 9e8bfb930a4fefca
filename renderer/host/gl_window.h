// The renderer's OpenGL window as a sequence of window-system steps: made in order, taken
// down in reverse however far the making got, and answering the system's notices. The
// window system's adapter carries out each step; this side decides the order and what a
// failure leaves behind (nothing).
#pragma once

#include <cstdint>

#include "host/frame_loop.h"
#include "host/key_table.h"
#include "host/renderer_main.h"
#include "host/screen_cover.h"
#include "host/visibility.h"

class GlWindow;

// One system call (or one short group of them) per step; a step that can fail says so.
class WindowSystem : public DisplayPlatform {
  public:
    virtual bool registerClass() = 0;
    // The primary screen's size, for a window that does not cover the monitors.
    virtual ScreenRect primaryScreen() = 0;
    // Creates the window, not yet shown; its messages reach owner from then on.
    virtual bool createWindow(const char* title, const ScreenRect& area, bool coversScreen,
                              GlWindow& owner) = 0;
    virtual bool takeDeviceContext() = 0;
    // The pixel format's number; 0 when none fits.
    virtual int32_t choosePixelFormat(int32_t colorBits) = 0;
    virtual bool setPixelFormat(int32_t format, int32_t colorBits) = 0;
    virtual bool createContext() = 0;
    virtual bool makeCurrent() = 0;
    // Swaps wait for the display where the driver allows; the display's refresh rate in
    // hertz, 0 when unknown.
    virtual int32_t syncToDisplay() = 0;
    // Shows the window and gives it the keyboard.
    virtual void showWindow() = 0;
    virtual void showCursor(bool show) = 0;
    // A look at the monitors every intervalMs milliseconds (onMonitorCheck).
    virtual bool startMonitorChecks(uint32_t intervalMs) = 0;
    // The system's display-power and session notices to the window, and the session's
    // state as it is now.
    virtual SessionReport watchNotices() = 0;
    virtual void swapBuffers() = 0;

    // The teardown, each undoing one step.
    virtual void stopNotices() = 0;
    virtual void releaseContext() = 0;  // no context current, then the context deleted
    virtual void releaseDeviceContext() = 0;
    // Nothing reaches the owner any more, then the window goes (it may be gone already).
    virtual void destroyWindow() = 0;
    virtual void unregisterClass() = 0;
};

class GlWindow final : public RenderSurface {
  public:
    // Monitors plugged in or moved are covered within this many milliseconds even where the
    // system announces no display change.
    static constexpr uint32_t kMonitorCheckMs = 1000;

    // Throws one of the seven failure texts (const char*). A failed start leaves nothing:
    // the display is given back, the window destroyed, the class unregistered.
    GlWindow(WindowSystem& system, const WindowRequest& request, KeyTable& keys);
    ~GlWindow() override;
    GlWindow(const GlWindow&) = delete;
    GlWindow& operator=(const GlWindow&) = delete;

    void swapBuffers() override { system_.swapBuffers(); }
    int32_t refreshRateHz() const override { return refreshRateHz_; }
    bool seen() const override { return visibility_.seen(); }

    // The window's messages.
    void onKeyDown(uint32_t virtualKey) { keys_.press(virtualKey); }
    void onKeyUp(uint32_t virtualKey) { keys_.release(virtualKey); }
    // A new client size; minimised tells whether the window is now minimised.
    void onSize(bool minimised, int32_t width, int32_t height);
    void onActivateApp(bool active);
    void onDisplayChange();
    void onMonitorCheck();
    void onDisplayPower(uint32_t state) { visibility_.displayPowerChanged(state); }
    void onSessionChange(uint32_t code) { visibility_.sessionChanged(code); }

  private:
    void make(const WindowRequest& request);
    // Undoes what was made, in reverse; the display is given back first, so that an error
    // box shown after it is on the user's own display.
    void takeDown();
    // The teardown step, once, if made says its step was taken.
    void undo(bool& made, void (WindowSystem::*step)());

    WindowSystem& system_;
    KeyTable& keys_;
    ScreenCover cover_;
    Visibility visibility_;
    bool fullScreen_ = false;  // covering every monitor, cursor hidden
    bool classRegistered_ = false;
    bool windowMade_ = false;
    bool deviceContextTaken_ = false;
    bool contextMade_ = false;
    bool noticesWatched_ = false;
    bool cursorHidden_ = false;
    bool shown_ = false;  // made to the end: the cover answers notices from here on
    int32_t refreshRateHz_ = 0;
};
