// Covering every monitor for the whole run: where the renderer's window goes, where the shot
// sits in it, and what happens when the renderer loses or regains the screen.
#pragma once

#include <cstdint>
#include <vector>

#include "host/viewport.h"

// A rectangle on the virtual screen, in physical pixels; right and bottom are exclusive.
struct ScreenRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    bool operator==(const ScreenRect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
};

struct MonitorInfo {
    ScreenRect area;
    bool primary = false;
};

// One window over all monitors, black wherever no monitor is, and the shot on each monitor
// at that monitor's own shape.
struct CoverLayout {
    ScreenRect window;
    // One per monitor, the primary's first, then the others in the order they were listed.
    std::vector<ViewportRect> viewports;

    bool operator==(const CoverLayout& other) const {
        return window == other.window && viewports == other.viewports;
    }
};

// The union of the monitors, and each monitor's rectangle inside it. Without a primary the
// first monitor takes its place; without monitors the layout is empty.
CoverLayout coverLayout(const std::vector<MonitorInfo>& monitors);

// The display services the covering window needs.
class DisplayPlatform {
  public:
    virtual ~DisplayPlatform() = default;
    // Asks for width x height at colorBits, for full screen; true when granted.
    virtual bool requestMode(int32_t width, int32_t height, int32_t colorBits) = 0;
    // Back to the display mode stored in the registry.
    virtual void restoreRegistryMode() = 0;
    virtual std::vector<MonitorInfo> monitors() = 0;
    // Shows the window top-most over the rectangle (restoring it if it was minimised).
    virtual void placeWindow(const ScreenRect& area) = 0;
    // The drawing areas of every frame from now on, one shot in each.
    virtual void setViewports(const std::vector<ViewportRect>& viewports) = 0;
    virtual void minimise() = 0;
};

struct DisplayModeRequest {
    int32_t width = 0;
    int32_t height = 0;
    int32_t colorBits = 0;
};

// The renderer's hold on the screen. Taking it asks for the mode and lays out the cover;
// losing the activation gives the display back and gets out of the way; regaining it, or
// a change of the monitors, covers them again as they now are. The cover owns the mode it
// switched to: however the renderer leaves (its teardown, a start-up step failing after
// the switch, an exception), the display is given back when the cover goes.
class ScreenCover {
  public:
    ScreenCover(DisplayPlatform& platform, DisplayModeRequest mode)
        : platform_(platform), mode_(mode) {}
    ~ScreenCover();
    ScreenCover(const ScreenCover&) = delete;
    ScreenCover& operator=(const ScreenCover&) = delete;

    // Before the window exists: asks for the mode and returns where the window goes.
    const CoverLayout& takeScreen();
    bool modeGranted() const { return modeGranted_; }
    const CoverLayout& layout() const { return layout_; }

    // The teardown's restore: back to the registry's mode whether or not it was switched.
    // The claim on the screen ends with it: the display change that the restore announces to
    // every window (hidden ones too), or any later notice, covers nothing again.
    void giveBack();

    void onActivateApp(bool active);
    void onDisplayChange();
    // A look at the monitors for a change that came unannounced (not every system sends a
    // display change when a monitor is plugged in): covers them again only if they moved.
    void onMonitorCheck();
    // The drawing areas for a new client size: the monitors' when the window covers the
    // layout, else the whole client area (a minimised window).
    std::vector<ViewportRect> viewportsFor(int32_t width, int32_t height) const;

  private:
    void releaseMode();
    void cover();

    DisplayPlatform& platform_;
    DisplayModeRequest mode_;
    CoverLayout layout_;
    bool modeGranted_ = false;
    bool modeHeld_ = false;  // the display is at our mode and nobody has given it back yet
    bool active_ = true;
    bool givenBack_ = false;  // the teardown has begun: the screen is the user's for good
};
