// The sleep after a frame that came in well under the display's refresh period.
#include "host/frame_pacer.h"

#include <algorithm>

double refreshPeriodSeconds(int32_t refreshHz) {
    constexpr int32_t kUnknownRefreshHz = 60;
    const int32_t hz = refreshHz < 2 ? kUnknownRefreshHz : refreshHz;
    return 1.0 / static_cast<double>(hz);
}

void FramePacer::start() {
    passStart_ = clock_.readSeconds();
    started_ = true;
}

void FramePacer::frameShown() {
    const double now = clock_.readSeconds();
    if (!started_) {
        start();
        return;
    }
    const double passSeconds = now - passStart_;
    if (passSeconds < 0.0 || passSeconds >= kWellUnderShare * periodSeconds_) {
        // The swap waited for the display, or the frame was slow: the next pass starts now.
        passStart_ = now;
        return;
    }
    const double due = passStart_ + periodSeconds_;
    sleeper_.sleepSeconds(due - now);
    // An oversleep is taken off the next pass's sleep, so the frame rate stays at the
    // refresh rate however coarse the platform's sleep; a short sleep (a signal) is not
    // made up for.
    passStart_ = std::min(clock_.readSeconds(), due);
}
