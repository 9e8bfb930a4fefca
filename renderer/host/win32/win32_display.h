// The renderer's window system on Win32: the display mode, the monitors, and each step of
// making and taking down the covering OpenGL window (class "GLWindow").
#pragma once

#include <windows.h>

#include "host/gl_window.h"
#include "host/win32/win32_visibility_notices.h"

class Win32Display final : public WindowSystem {
  public:
    // procedure: the window class's; it finds the owner in the window's user data.
    // Becomes DPI-aware at once, before any window exists.
    explicit Win32Display(WNDPROC procedure);

    bool requestMode(int32_t width, int32_t height, int32_t colorBits) override;
    void restoreRegistryMode() override;
    std::vector<MonitorInfo> monitors() override;
    void placeWindow(const ScreenRect& area) override;
    void setViewports(const std::vector<ViewportRect>& viewports) override;
    const std::vector<ViewportRect>& viewports() const { return viewports_; }
    void minimise() override;

    bool registerClass() override;
    ScreenRect primaryScreen() override;
    bool createWindow(const char* title, const ScreenRect& area, bool coversScreen,
                      GlWindow& owner) override;
    bool takeDeviceContext() override;
    int32_t choosePixelFormat(int32_t colorBits) override;
    bool setPixelFormat(int32_t format, int32_t colorBits) override;
    bool createContext() override;
    bool makeCurrent() override;
    int32_t syncToDisplay() override;
    void showWindow() override;
    void showCursor(bool show) override;
    bool startMonitorChecks(uint32_t intervalMs) override;
    SessionReport watchNotices() override { return notices_.attach(window_); }
    void swapBuffers() override;
    void stopNotices() override { notices_.release(); }
    void releaseContext() override;
    void releaseDeviceContext() override;
    void destroyWindow() override;
    void unregisterClass() override;

    // The timer of startMonitorChecks, as WM_TIMER names it.
    static constexpr UINT_PTR kMonitorCheckTimer = 1;

  private:
    WNDPROC procedure_;
    HWND window_ = nullptr;
    HDC deviceContext_ = nullptr;
    HGLRC glContext_ = nullptr;
    std::vector<ViewportRect> viewports_;
    VisibilityNotices notices_;
};

// Physical pixels on every monitor from here on: without it, a scaled desktop reports a
// shrunken screen and stretches our window. Per monitor where the system has it, else
// system-wide; looked up at run time, as a manifest would cost the 16-bit mode.
void becomeDpiAware();
