// The renderer's full-screen OpenGL window on Win32 (class "GLWindow"), top-most over every
// monitor.
#pragma once

#include <windows.h>

#include "host/frame_loop.h"
#include "host/key_table.h"
#include "host/renderer_main.h"
#include "host/screen_cover.h"
#include "host/visibility.h"
#include "host/win32/win32_display.h"
#include "host/win32/win32_visibility_notices.h"

class RenderWindow final : public RenderSurface {
  public:
    // Throws one of the seven failure texts; whatever was made before stays in place.
    RenderWindow(const WindowRequest& request, KeyTable& keys);
    ~RenderWindow() override;
    RenderWindow(const RenderWindow&) = delete;
    RenderWindow& operator=(const RenderWindow&) = delete;

    void swapBuffers() override;
    int32_t refreshRateHz() const override { return refreshRateHz_; }
    bool seen() const override { return visibility_.seen(); }

  private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    void onKeyDown(WPARAM virtualKey);
    void onKeyUp(WPARAM virtualKey);
    void onSize(WPARAM kind, int32_t width, int32_t height);
    void onActivateApp(bool active);
    void onDisplayChange();
    void onPowerBroadcast(WPARAM event, LPARAM data);
    void onSessionChange(WPARAM code);
    void onTimer(WPARAM timer);

    HWND window_ = nullptr;
    HDC deviceContext_ = nullptr;
    HGLRC glContext_ = nullptr;
    int32_t refreshRateHz_ = 0;  // VREFRESH: 0 or 1 when the display does not know
    KeyTable& keys_;
    Win32Display display_;
    ScreenCover cover_;
    bool fullScreen_ = false;  // covering every monitor, cursor hidden
    Visibility visibility_;
    VisibilityNotices notices_;
};
