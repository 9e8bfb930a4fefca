// The renderer's display services on Win32: the mode change, the monitors, and the covering
// window's place, viewport and minimising.
#pragma once

#include <windows.h>

#include "host/screen_cover.h"

class Win32Display final : public DisplayPlatform {
  public:
    // The covering window, once it exists; until then only the mode and monitors are asked.
    void attach(HWND window) { window_ = window; }

    bool requestMode(int32_t width, int32_t height, int32_t colorBits) override;
    void restoreRegistryMode() override;
    std::vector<MonitorInfo> monitors() override;
    void placeWindow(const ScreenRect& area) override;
    void setViewport(const ViewportRect& viewport) override;
    void minimise() override;

  private:
    HWND window_ = nullptr;
};

// Physical pixels on every monitor from here on: without it, a scaled desktop reports a
// shrunken screen and stretches our window. Per monitor where the system has it, else
// system-wide; looked up at run time, as a manifest would cost the 16-bit mode.
void becomeDpiAware();
