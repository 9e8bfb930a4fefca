// Frame-rate report and sleep between frames for the hack.
#include "host/x11/hack_pacing.h"

#include <cstdio>

bool FrameRateMeter::frameShown(double wallSeconds, double cpuSeconds, std::string& line) {
    if (!started_) {
        // The span opens with the first frame, so start-up time counts in no report.
        started_ = true;
        spanStartWall_ = wallSeconds;
        spanStartCpu_ = cpuSeconds;
        framesInSpan_ = 0;
        return false;
    }
    ++framesInSpan_;
    const double elapsed = wallSeconds - spanStartWall_;
    if (elapsed < kSpanSeconds) {
        return false;
    }
    const double framesPerSecond = static_cast<double>(framesInSpan_) / elapsed;
    // Above 100 % when several threads (the GL driver's) are busy at once.
    const double cpuPercent = 100.0 * (cpuSeconds - spanStartCpu_) / elapsed;
    char text[80] = {};
    std::snprintf(text, sizeof text, "velmora: %.1f fps, %.0f%% cpu", framesPerSecond, cpuPercent);
    line = text;
    spanStartWall_ = wallSeconds;
    spanStartCpu_ = cpuSeconds;
    framesInSpan_ = 0;
    return true;
}

void PacedSurface::swapBuffers() {
    window_->swapBuffers();
    if (options_.reportFrameRate) {
        std::string line;
        if (meter_.frameShown(services_.wallSeconds(), services_.cpuSeconds(), line)) {
            services_.report(line);
        }
    }
    if (options_.delayGiven && options_.delayMicroseconds > 0) {
        services_.sleepMicroseconds(options_.delayMicroseconds);
    }
}
