// The hack's per-frame pacing: the frame-rate report's spans and figures, and the delay.
#include <gtest/gtest.h>

#include <utility>

#include "../fake_platform.h"
#include "host/x11/hack_pacing.h"

namespace {

struct FakePacing final : PacingServices {
    EventLog& log;
    double wall = 100.0;
    double cpu = 5.0;
    double wallStep = 0.0;  // added after every frame
    double cpuStep = 0.0;
    std::vector<std::string> lines;

    explicit FakePacing(EventLog& events) : log(events) {}
    double wallSeconds() override {
        cpu += cpuStep;
        return std::exchange(wall, wall + wallStep);
    }
    double cpuSeconds() override { return cpu; }
    void sleepMicroseconds(int64_t microseconds) override {
        log.push_back("sleep " + std::to_string(microseconds));
    }
    void report(const std::string& line) override {
        lines.push_back(line);
        log.push_back("report");
    }
};

TEST(FrameRateMeter, ReportsFramesAndCpuShareOfEachFullSecond) {
    FrameRateMeter meter;
    std::string line;
    EXPECT_FALSE(meter.frameShown(10.0, 1.0, line));  // opens the span
    for (int frame = 1; frame < 50; ++frame) {
        EXPECT_FALSE(meter.frameShown(10.0 + frame * 0.02, 1.0 + frame * 0.005, line));
    }
    ASSERT_TRUE(meter.frameShown(11.0, 1.25, line));
    EXPECT_EQ(line, "velmora: 50.0 fps, 25% cpu");
    // The next span starts where this one ended.
    EXPECT_FALSE(meter.frameShown(11.5, 1.5, line));
    ASSERT_TRUE(meter.frameShown(12.25, 2.5, line));
    EXPECT_EQ(line, "velmora: 1.6 fps, 100% cpu");
}

TEST(FrameRateMeter, ASlowFrameMakesALongerSpanNotAWrongRate) {
    FrameRateMeter meter;
    std::string line;
    meter.frameShown(0.0, 0.0, line);
    ASSERT_TRUE(meter.frameShown(4.0, 0.0, line));
    EXPECT_EQ(line, "velmora: 0.2 fps, 0% cpu");
}

struct PacedRun : ::testing::Test {
    EventLog log;
    FakePacing pacing{log};
    HackOptions options;

    PacedSurface surface() {
        return PacedSurface(std::make_unique<FakeSurface>(log), options, pacing);
    }
};

// Without options, or with a zero delay (flat out), a swap is just the window's, and the
// window's refresh rate shows through for the loop's pacing.
TEST_F(PacedRun, WithoutADelayASwapIsJustTheWindowsSwap) {
    for (const bool zeroDelay : {false, true}) {
        log.clear();
        options.delayGiven = zeroDelay;
        PacedSurface paced(std::make_unique<FakeSurface>(log, 75), options, pacing);
        paced.swapBuffers();
        paced.swapBuffers();
        EXPECT_EQ(log, (EventLog{"swap", "swap"})) << zeroDelay;
        EXPECT_EQ(paced.refreshRateHz(), 75);
    }
}

TEST_F(PacedRun, DelaySleepsAfterEverySwap) {
    options.delayGiven = true;
    options.delayMicroseconds = 20000;
    PacedSurface paced = surface();
    paced.swapBuffers();
    paced.swapBuffers();
    EXPECT_EQ(log, (EventLog{"swap", "sleep 20000", "swap", "sleep 20000"}));
}

TEST_F(PacedRun, FpsReportsOnceASecondBeforeTheSleep) {
    options.reportFrameRate = true;
    options.delayGiven = true;
    options.delayMicroseconds = 1;
    pacing.wallStep = 0.25;
    pacing.cpuStep = 0.05;
    PacedSurface paced = surface();
    for (int frame = 0; frame < 9; ++frame) {
        paced.swapBuffers();
    }
    ASSERT_EQ(pacing.lines.size(), 2u);
    EXPECT_EQ(pacing.lines[0], "velmora: 4.0 fps, 20% cpu");
    const EventLog fifthFrame{"swap", "report", "sleep 1"};
    EXPECT_EQ(EventLog(log.begin() + 8, log.begin() + 11), fifthFrame);
}

TEST_F(PacedRun, DestroyingItDestroysTheWindow) {
    { PacedSurface paced = surface(); }
    EXPECT_EQ(log, (EventLog{"destroy window"}));
}

}  // namespace
