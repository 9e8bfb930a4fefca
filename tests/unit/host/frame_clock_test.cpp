// Clock readings and scene time: counter or tick source, long uptimes, long runs.
#include <gtest/gtest.h>

#include "fake_platform.h"

namespace {

TEST(SecondsClock, FallsBackToMillisecondTicksWithoutACounter) {
    FakeClock source;
    source.hasPerformanceCounter = false;
    source.ticks = 4000000000u;  // above 2^31: widened without sign
    SecondsClock clock(source);
    EXPECT_DOUBLE_EQ(clock.readSeconds(), 4000000.0);
    source.ticks = 4000000017u;
    EXPECT_DOUBLE_EQ(clock.readSeconds(), 4000000.017);
}

TEST(SecondsClock, UsesThePerformanceCounterWhenPresentChosenOnceForTheProcess) {
    FakeClock source;
    source.frequency = 3579545;
    source.counter = 3579545 * 10;
    SecondsClock clock(source);
    EXPECT_DOUBLE_EQ(clock.readSeconds(), 10.0);
    source.hasPerformanceCounter = false;
    source.counter = 3579545 * 2;
    EXPECT_DOUBLE_EQ(clock.readSeconds(), 2.0);
    EXPECT_EQ(source.frequencyQueries, 1);
}

TEST(FrameTiming, SceneTimeAdvancesInWholeMillisecondsOnTheTickPath) {
    FakeClock source;
    source.hasPerformanceCounter = false;
    source.ticks = 1000;
    source.tickStep = 7;
    SecondsClock clock(source);
    FrameTiming timing(clock);
    EXPECT_NEAR(timing.advance(), 0.007, 1e-9);
    EXPECT_NEAR(timing.advance(), 0.014, 1e-9);
}

// After 30 days of uptime, 10 hours at 1000 frames per second: the sum of the deltas must
// still be the true elapsed time. Float readings would lose the frame time entirely.
TEST(FrameTiming, StaysExactAfterThirtyDaysUptimeAndTenHoursRunning) {
    FakeClock source;
    source.frequency = 10000000;
    source.counter = int64_t{30} * 24 * 3600 * source.frequency;
    source.counterStep = 10000;  // 1 ms between readings
    SecondsClock clock(source);
    FrameTiming timing(clock);
    const int64_t frames = int64_t{10} * 3600 * 1000;
    double sceneTime = 0.0;
    for (int64_t frame = 0; frame < frames; ++frame) {
        sceneTime = timing.advance();
    }
    // Every frame, the first included, adds one millisecond.
    EXPECT_NEAR(sceneTime, static_cast<double>(frames) / 1000.0, 0.001);
}

TEST(KeyTable, RecordsCodesUpTo255AndIgnoresLargerOnes) {
    KeyTable keys;
    keys.press(255);
    EXPECT_TRUE(keys.isDown(255));
    for (uint32_t code : {256u, 300u, 0xFFFFFFFFu}) {
        keys.press(code);
        EXPECT_FALSE(keys.isDown(code));
    }
    for (uint32_t code = 0; code < 255; ++code) {
        EXPECT_FALSE(keys.isDown(code)) << code;
    }
    keys.release(255);
    EXPECT_FALSE(keys.isDown(255));
}

TEST(KeyTable, ADrainRemembersAPressUntilTheNextDrainStarts) {
    KeyTable keys;
    keys.drainStarting();
    keys.press(27);
    keys.release(27);
    EXPECT_FALSE(keys.isDown(27));
    EXPECT_TRUE(keys.wasDownDuringDrain(27));
    keys.drainStarting();  // released before this drain: forgotten
    EXPECT_FALSE(keys.wasDownDuringDrain(27));

    keys.press(27);
    keys.drainStarting();  // held across the start: still counts
    EXPECT_TRUE(keys.wasDownDuringDrain(27));
    keys.release(27);
    EXPECT_TRUE(keys.wasDownDuringDrain(27));

    keys.drainStarting();
    keys.press(256);
    EXPECT_FALSE(keys.wasDownDuringDrain(256));
    EXPECT_FALSE(keys.wasDownDuringDrain(0));
}

}  // namespace
