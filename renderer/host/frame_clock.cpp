// Clock readings and scene-time accumulation for the frame loop.
#include "host/frame_clock.h"

double SecondsClock::readSeconds() {
    if (!clockReady_) {
        usePerformanceCounter_ = source_.queryFrequency(frequency_);
        if (!usePerformanceCounter_) {
            frequency_ = 1000;  // the tick count is in milliseconds
        }
        clockReady_ = true;
    }
    const int64_t reading =
        usePerformanceCounter_ ? source_.queryCounter() : static_cast<int64_t>(source_.tickCount());
    return static_cast<double>(reading) / static_cast<double>(frequency_);
}

double FrameTiming::advance() {
    if (!timingStarted_) {
        // The first frame gets a delta of nearly zero.
        previousReading_ = clock_.readSeconds();
        timingStarted_ = true;
    }
    const double now = clock_.readSeconds();
    const double delta = now - previousReading_;
    previousReading_ = now;
    sceneTime_ += delta * kTimeScale;
    return sceneTime_;
}
