// The renderer's full-screen OpenGL window on Win32 (class "GLWindow"), top-most over every
// monitor: the window system's steps and the window procedure around the portable window.
#pragma once

#include <windows.h>

#include "host/gl_window.h"
#include "host/key_table.h"
#include "host/renderer_main.h"
#include "host/win32/win32_display.h"

class RenderWindow final : public RenderSurface {
  public:
    // Throws one of the seven failure texts; a failed start leaves nothing behind.
    RenderWindow(const WindowRequest& request, KeyTable& keys)
        : display_(&RenderWindow::windowProcedure), window_(display_, request, keys) {}

    void swapBuffers() override;
    int32_t refreshRateHz() const override { return window_.refreshRateHz(); }
    bool seen() const override { return window_.seen(); }
    const std::vector<ViewportRect>& viewports() const override { return display_.viewports(); }

  private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    // One handler per message that the window answers; owner is the window's.
    static void onMessage(GlWindow& owner, UINT message, WPARAM wParam, LPARAM lParam);

    Win32Display display_;
    GlWindow window_;
    bool hangsForTest_ = false;  // set on the first swap
    bool firstSwapDone_ = false;
};
