// Covering every monitor: see screen_cover.h.
#include "host/screen_cover.h"

#include <algorithm>

CoverLayout coverLayout(const std::vector<MonitorInfo>& monitors) {
    CoverLayout layout;
    if (monitors.empty()) {
        return layout;
    }
    ScreenRect all = monitors.front().area;
    for (const MonitorInfo& monitor : monitors) {
        all.left = std::min(all.left, monitor.area.left);
        all.top = std::min(all.top, monitor.area.top);
        all.right = std::max(all.right, monitor.area.right);
        all.bottom = std::max(all.bottom, monitor.area.bottom);
    }
    auto main = std::find_if(monitors.begin(), monitors.end(),
                             [](const MonitorInfo& monitor) { return monitor.primary; });
    if (main == monitors.end()) {
        main = monitors.begin();
    }
    // OpenGL counts rows from the bottom of the window.
    const auto placed = [&all](const ScreenRect& area) {
        return ViewportRect{area.left - all.left, all.bottom - area.bottom, area.width(),
                            area.height()};
    };
    layout.window = all;
    layout.viewports.push_back(placed(main->area));
    for (auto monitor = monitors.begin(); monitor != monitors.end(); ++monitor) {
        if (monitor != main) {
            layout.viewports.push_back(placed(monitor->area));
        }
    }
    return layout;
}

ScreenCover::~ScreenCover() {
    if (modeHeld_) {
        platform_.restoreRegistryMode();
    }
}

void ScreenCover::releaseMode() {
    modeHeld_ = false;
    platform_.restoreRegistryMode();
}

void ScreenCover::giveBack() {
    givenBack_ = true;
    releaseMode();
}

const CoverLayout& ScreenCover::takeScreen() {
    modeGranted_ = platform_.requestMode(mode_.width, mode_.height, mode_.colorBits);
    modeHeld_ = modeGranted_;
    layout_ = coverLayout(platform_.monitors());
    return layout_;
}

void ScreenCover::cover() {
    layout_ = coverLayout(platform_.monitors());
    platform_.placeWindow(layout_.window);
    platform_.setViewports(layout_.viewports);
}

void ScreenCover::onActivateApp(bool active) {
    if (givenBack_ || active == active_) {
        return;
    }
    active_ = active;
    if (!active) {
        // Inactive first: the mode change below announces itself as a display change.
        releaseMode();
        platform_.minimise();
        return;
    }
    modeGranted_ = platform_.requestMode(mode_.width, mode_.height, mode_.colorBits);
    modeHeld_ = modeGranted_;
    cover();
}

void ScreenCover::onDisplayChange() {
    // A minimised renderer stays out of the way until it is activated again.
    if (active_ && !givenBack_) {
        cover();
    }
}

void ScreenCover::onMonitorCheck() {
    if (!active_ || givenBack_) {
        return;
    }
    const CoverLayout now = coverLayout(platform_.monitors());
    if (!(now == layout_)) {
        cover();
    }
}

std::vector<ViewportRect> ScreenCover::viewportsFor(int32_t width, int32_t height) const {
    if (width == layout_.window.width() && height == layout_.window.height()) {
        return layout_.viewports;
    }
    return {{0, 0, width, height}};
}
