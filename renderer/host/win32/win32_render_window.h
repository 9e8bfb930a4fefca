// The renderer's full-screen OpenGL window on Win32 (class "GLWindow").
#pragma once

#include <windows.h>

#include "host/frame_loop.h"
#include "host/key_table.h"
#include "host/renderer_main.h"

class RenderWindow final : public RenderSurface {
  public:
    // Throws one of the seven failure texts; whatever was made before stays in place.
    RenderWindow(const WindowRequest& request, KeyTable& keys);
    ~RenderWindow() override;
    RenderWindow(const RenderWindow&) = delete;
    RenderWindow& operator=(const RenderWindow&) = delete;

    void swapBuffers() override;
    int32_t refreshRateHz() const override { return refreshRateHz_; }

  private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    void onKeyDown(WPARAM virtualKey);
    void onKeyUp(WPARAM virtualKey);

    HWND window_ = nullptr;
    HDC deviceContext_ = nullptr;
    HGLRC glContext_ = nullptr;
    int32_t refreshRateHz_ = 0;  // VREFRESH: 0 or 1 when the display does not know
    KeyTable& keys_;
};
