// Wall-clock seconds for the frame loop, and the scene time built from per-frame deltas.
// Everything is double precision: a float of seconds since system start loses the
// few milliseconds of a frame after a day of uptime, and the animation would judder.
#pragma once

#include <cstdint>

// The platform's two clocks: a high-resolution counter that may be missing, and a
// millisecond tick count that is always there.
class ClockSource {
  public:
    virtual ~ClockSource() = default;
    // False when the machine has no performance counter.
    virtual bool queryFrequency(int64_t& ticksPerSecond) = 0;
    virtual int64_t queryCounter() = 0;
    virtual uint32_t tickCount() = 0;  // milliseconds, wraps after 49.7 days
};

// Seconds since an arbitrary origin; only differences are meaningful.
class SecondsClock {
  public:
    explicit SecondsClock(ClockSource& source) : source_(source) {}
    double readSeconds();

  private:
    ClockSource& source_;
    int64_t frequency_ = 0;
    bool usePerformanceCounter_ = false;
    bool clockReady_ = false;  // the counter-or-ticks choice holds for the life of the process
};

// Scene time in seconds: the sum of measured frame deltas, starting at 0 on the first frame.
class FrameTiming {
  public:
    explicit FrameTiming(SecondsClock& clock) : clock_(clock) {}
    // Advances by the wall-clock time since the previous call and returns the new scene time.
    double advance();
    double sceneTime() const { return sceneTime_; }

  private:
    static constexpr double kTimeScale = 1.0;

    SecondsClock& clock_;
    double previousReading_ = 0.0;
    bool timingStarted_ = false;
    double sceneTime_ = 0.0;
};
