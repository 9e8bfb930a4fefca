// Frame pacing where the display does not pace the buffer swaps (no swap control, or a
// swap that returns at once, as on virtual and software-rendered displays): a frame that
// came in well under the display's refresh period is followed by a sleep for the rest of
// that period. The scene is timed by the clock, so frames past the refresh buy nothing.
#pragma once

#include <cstdint>

#include "host/frame_clock.h"

// The platform's sleep.
class FrameSleeper {
  public:
    virtual ~FrameSleeper() = default;
    // May return early (a stop signal): the loop then looks at its messages sooner.
    virtual void sleepSeconds(double seconds) = 0;
};

// One refresh period, in seconds, of a display that refreshes refreshHz times a second.
// Displays say 0 or 1 when they do not know; that, and any rate below 2 Hz, means 60 Hz.
double refreshPeriodSeconds(int32_t refreshHz);

class FramePacer {
  public:
    FramePacer(SecondsClock& clock, FrameSleeper& sleeper, int32_t refreshHz)
        : clock_(clock), sleeper_(sleeper), periodSeconds_(refreshPeriodSeconds(refreshHz)) {}

    // Before the loop's first pass.
    void start();
    // After each swap: sleeps out the rest of the refresh period when the pass since the
    // last one came in well under it. Never sleeps longer than one period.
    void frameShown();

    double periodSeconds() const { return periodSeconds_; }

  private:
    // A swap that waits for the display ends its pass about one period after the last one;
    // a late wake-up of the loop can make that look up to an eighth of a period shorter.
    static constexpr double kWellUnderShare = 0.875;

    SecondsClock& clock_;
    FrameSleeper& sleeper_;
    double periodSeconds_ = 0.0;
    double passStart_ = 0.0;  // seconds on clock_
    bool started_ = false;
};
