// Pacing by the display's refresh: which frames are followed by a sleep, and how long.
#include <gtest/gtest.h>

#include <cmath>

#include "fake_platform.h"
#include "host/frame_pacer.h"

namespace {

constexpr double kPeriod60 = 1.0 / 60.0;

// A frame loop's passes over a fake clock in microseconds: drawing takes drawSeconds, and
// the swap either returns at once or waits for the display's next refresh.
struct PacedPasses : ::testing::Test {
    EventLog log;
    FakeClock clock;
    SecondsClock seconds{clock};
    FakeSleeper sleeper{clock, log};
    double drawSeconds = 0.004;
    bool swapWaitsForRefresh = false;
    double refreshPhase = 0.0;  // the display's first refresh, in seconds on the clock

    double now() const { return static_cast<double>(clock.counter) / 1e6; }
    void advanceTo(double when) { clock.counter = static_cast<int64_t>(std::llround(when * 1e6)); }

    // Passes of the loop; returns the clock readings at the start of each pass.
    std::vector<double> run(FramePacer& pacer, int passes) {
        std::vector<double> starts;
        pacer.start();
        for (int pass = 0; pass < passes; ++pass) {
            starts.push_back(now());
            advanceTo(now() + drawSeconds);
            if (swapWaitsForRefresh) {
                const double periods = std::ceil((now() - refreshPhase) / kPeriod60);
                advanceTo(refreshPhase + periods * kPeriod60);
            }
            pacer.frameShown();
        }
        return starts;
    }
};

TEST(RefreshPeriod, UnknownRatesMean60Hz) {
    EXPECT_DOUBLE_EQ(refreshPeriodSeconds(0), kPeriod60);
    EXPECT_DOUBLE_EQ(refreshPeriodSeconds(1), kPeriod60);
    EXPECT_DOUBLE_EQ(refreshPeriodSeconds(-5), kPeriod60);
    EXPECT_DOUBLE_EQ(refreshPeriodSeconds(75), 1.0 / 75.0);
    EXPECT_DOUBLE_EQ(refreshPeriodSeconds(144), 1.0 / 144.0);
}

TEST_F(PacedPasses, SwapsThatReturnAtOnceAreSleptOutToTheRefreshPeriod) {
    FramePacer pacer(seconds, sleeper, 60);
    const std::vector<double> starts = run(pacer, 120);
    ASSERT_EQ(sleeper.sleeps.size(), 120u);
    for (const double sleep : sleeper.sleeps) {
        EXPECT_NEAR(sleep, kPeriod60 - drawSeconds, 2e-6);
    }
    // Two seconds of frames at the display's rate.
    EXPECT_NEAR(starts.back() - starts.front(), 119 * kPeriod60, 1e-4);
}

TEST_F(PacedPasses, AnUnknownRefreshRatePacesAt60) {
    FramePacer pacer(seconds, sleeper, 1);
    run(pacer, 3);
    EXPECT_EQ(log, (EventLog{"sleep 12667", "sleep 12667", "sleep 12667"}));
}

TEST_F(PacedPasses, SwapsThatWaitForTheDisplayAddNoSleep) {
    swapWaitsForRefresh = true;
    refreshPhase = 0.0031;
    FramePacer pacer(seconds, sleeper, 60);
    const std::vector<double> starts = run(pacer, 60);
    // The first pass may start anywhere in a period and end at the next refresh: it may come
    // in short, and is slept out to the period. Then every pass lasts a full period.
    EXPECT_LE(sleeper.sleeps.size(), 1u);
    EXPECT_NEAR(starts.back() - starts[1], 58 * kPeriod60, 1e-4);
}

TEST_F(PacedPasses, SwapsThatWaitDoNotSleepEvenWhenTheLoopWokeLate) {
    FramePacer pacer(seconds, sleeper, 60);
    pacer.start();
    advanceTo(now() + kPeriod60 - 0.0015);  // a refresh 1.5 ms early, as late wake-ups make it
    pacer.frameShown();
    advanceTo(now() + kPeriod60 + 0.001);
    pacer.frameShown();
    EXPECT_TRUE(sleeper.sleeps.empty());
}

TEST_F(PacedPasses, ASlowFrameGetsNoSleepAndTheNextFastOneIsPacedAgain) {
    FramePacer pacer(seconds, sleeper, 60);
    pacer.start();
    advanceTo(now() + 0.025);
    pacer.frameShown();
    EXPECT_TRUE(sleeper.sleeps.empty());
    advanceTo(now() + 0.005);
    pacer.frameShown();
    ASSERT_EQ(sleeper.sleeps.size(), 1u);
    EXPECT_NEAR(sleeper.sleeps[0], kPeriod60 - 0.005, 2e-6);
}

TEST_F(PacedPasses, AnOversleepIsTakenOffTheNextSleep) {
    // A coarse platform sleep that always overshoots by a millisecond still gives the
    // display's rate, not a slower one.
    sleeper.oversleepSeconds = 0.001;
    FramePacer pacer(seconds, sleeper, 60);
    const std::vector<double> starts = run(pacer, 61);
    EXPECT_NEAR(sleeper.sleeps[1], kPeriod60 - drawSeconds - 0.001, 2e-6);
    EXPECT_NEAR(starts.back() - starts[1], 59 * kPeriod60, 0.0011);
}

TEST_F(PacedPasses, NoSleepIsLongerThanOnePeriod) {
    // Esc is looked at within one period plus one frame, however the clock behaved.
    FramePacer pacer(seconds, sleeper, 60);
    pacer.start();
    for (const double frame : {0.0, 0.001, 0.016, 0.0, 0.030, 0.0, 0.0}) {
        advanceTo(now() + frame);
        pacer.frameShown();
    }
    for (const double sleep : sleeper.sleeps) {
        EXPECT_GT(sleep, 0.0);
        EXPECT_LE(sleep, kPeriod60 + 1e-9);
    }
}

// The whole loop, paced: a fast frame is followed by its sleep before the next drain, and
// an Esc taken during the drain after a sleep ends the run after one more frame.
TEST_F(PacedPasses, TheLoopSleepsBetweenSwapAndNextDrainAndStopsWithoutASleep) {
    FakePump pump(log);
    KeyTable keys;
    pump.drains = {{}, {{"keydown 27", [&keys] { keys.press(27); }},
                        {"keyup 27", [&keys] { keys.release(27); }}}};
    FakeAnimation animation(log);
    FrameRenderer frames(seconds, animation);
    FakeSurface surface(log, 60);
    FramePacer pacer(seconds, sleeper, surface.refreshRateHz());
    runMainLoop(pump, keys, frames, surface, &pacer);
    const EventLog expected{"frame", "swap", "sleep 16667", "dispatch keydown 27",
                            "dispatch keyup 27", "frame", "swap"};
    EXPECT_EQ(log, expected);
}

}  // namespace
