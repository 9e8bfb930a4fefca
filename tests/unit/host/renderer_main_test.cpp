// The renderer's life from entry to exit, driven by a fake platform.
#include <gtest/gtest.h>

#include "fake_platform.h"

namespace {

FakeMessage keyDown(FakePlatform& platform, uint32_t code) {
    return {"keydown " + std::to_string(code), [&platform, code] { platform.keys->press(code); }};
}
FakeMessage keyUp(FakePlatform& platform, uint32_t code) {
    return {"keyup " + std::to_string(code), [&platform, code] { platform.keys->release(code); }};
}
FakeMessage paint() {
    return {"paint", nullptr};
}
FakeMessage quit() {
    return {"quit", nullptr, true};
}

// What the window procedure does with the system's notices.
FakeMessage sessionChange(FakePlatform& platform, uint32_t code) {
    return {"session " + std::to_string(code),
            [&platform, code] { platform.visibility.sessionChanged(code); }};
}
FakeMessage displayPower(FakePlatform& platform, uint32_t state) {
    return {"display " + std::to_string(state),
            [&platform, state] { platform.visibility.displayPowerChanged(state); }};
}
FakeMessage windowShown(FakePlatform& platform, bool shown) {
    return {shown ? "restored" : "minimised",
            [&platform, shown] { platform.visibility.setWindowShown(shown); }};
}

constexpr uint32_t kSessionLock = 7;
constexpr uint32_t kSessionUnlock = 8;

struct RendererRun : ::testing::Test {
    FakePlatform platform;
    FakeAnimation animation{platform.log};

    int run() { return runRenderer(platform, animation); }
};

// Releasing Esc after it stopped the loop changes nothing: that drain is never taken.
TEST_F(RendererRun, EscHeldBeforeTheFirstPassStillRendersAndSwapsOneFrame) {
    platform.pump.drains = {{keyDown(platform, 27)}, {keyUp(platform, 27)}};
    EXPECT_EQ(run(), 0);
    const EventLog expected{"create window", "init",    "dispatch keydown 27", "frame",
                            "swap",          "release", "destroy window"};
    EXPECT_EQ(platform.log, expected);
}

TEST_F(RendererRun, QuitAmongOtherMessagesDispatchesAllThenOneMoreFrame) {
    platform.pump.drains = {{paint()}, {paint(), quit(), keyDown(platform, 65), paint()}};
    EXPECT_EQ(run(), 0);
    const EventLog expected{
        "create window",  "init",          "dispatch paint",      "frame",          "swap",
        "dispatch paint", "dispatch quit", "dispatch keydown 65", "dispatch paint", "frame",
        "swap",           "release",       "destroy window"};
    EXPECT_EQ(platform.log, expected);
}

// The window procedure records a tap's key-down and key-up in the same drain: the run still
// ends after that drain, with one more frame.
TEST_F(RendererRun, EscTapWithinOneDrainEndsTheRunAfterIt) {
    platform.pump.drains = {
        {paint()}, {keyDown(platform, 27), paint(), keyUp(platform, 27)}, {}, {quit()}};
    run();
    EXPECT_EQ(animation.frameTimes.size(), 2u);
}

TEST_F(RendererRun, OtherKeysTappedOrHeldAndCodesAbove255DoNotEndTheRun) {
    platform.pump.drains = {{keyDown(platform, 65), keyUp(platform, 65)},
                            {keyDown(platform, 300), keyUp(platform, 300)},
                            {keyDown(platform, 13)},
                            {keyDown(platform, 32)},
                            {},
                            {quit()}};
    run();
    EXPECT_EQ(animation.frameTimes.size(), 6u);
}

// Every failing platform call in turn: failing_calls_test.cpp. An exception of any other kind
// also tears the window down before the box, and ends the run as failed.
TEST_F(RendererRun, AnyOtherExceptionAlsoTearsDownTheWindowAndEndsAsFailed) {
    animation.initThrowsBadAlloc = true;
    EXPECT_EQ(run(), kFailedRunExitCode);
    ASSERT_EQ(platform.log.size(), 5u);
    EXPECT_EQ(platform.log[3], "destroy window");
    EXPECT_EQ(platform.log[4].rfind("error box: ", 0), 0u);
}

TEST_F(RendererRun, PacedFramesSleepAtTheWindowsRefreshRateButNotAfterTheLast) {
    platform.paced = true;
    platform.refreshHz = 50;
    platform.pump.drains = {{}, {}, {quit()}};
    run();
    const EventLog expected{
        "create window", "init",          "frame", "swap", "sleep 20000", "frame",         "swap",
        "sleep 20000",   "dispatch quit", "frame", "swap", "release",     "destroy window"};
    EXPECT_EQ(platform.log, expected);
    // Scene time is the clock's, sleeps included.
    EXPECT_NEAR(animation.frameTimes[2], 0.040, 1e-9);
}

TEST_F(RendererRun, FirstFrameGetsOnlyTheTimeBetweenTwoImmediateReadings) {
    platform.clock.counter = 123456789;
    platform.clock.counterStep = 16667;
    platform.pump.drains = {{}, {}, {quit()}};
    run();
    ASSERT_EQ(animation.frameTimes.size(), 3u);
    // The first frame takes two readings, the later ones one each.
    EXPECT_NEAR(animation.frameTimes[0], 0.016667, 1e-9);
    EXPECT_NEAR(animation.frameTimes[1], 2 * 0.016667, 1e-9);
}

// Display off, session locked, window minimised: each alone stops the drawing, and only
// the message that undoes it brings the frames back; the loop waits instead of spinning.
TEST_F(RendererRun, NoFrameIsDrawnWhileAnyOfTheThreeSaysUnseen) {
    const std::vector<std::pair<FakeMessage, FakeMessage>> causes{
        {displayPower(platform, 0), displayPower(platform, 1)},
        {sessionChange(platform, kSessionLock), sessionChange(platform, kSessionUnlock)},
        {sessionChange(platform, 2), sessionChange(platform, 1)},  // console switched away
        {sessionChange(platform, 4), sessionChange(platform, 3)},  // remote disconnected
        {windowShown(platform, false), windowShown(platform, true)}};
    for (const auto& [hide, show] : causes) {
        platform.log.clear();
        animation.frameTimes.clear();
        // Log-on and log-off say nothing about being seen.
        platform.pump.drains = {{hide}, {sessionChange(platform, 5)}, {}, {show}, {quit()}};
        run();
        const EventLog expected{"create window",
                                "init",
                                "dispatch " + hide.name,
                                "wait",
                                "dispatch session 5",
                                "wait",
                                "wait",
                                "dispatch " + show.name,
                                "frame",
                                "swap",
                                "dispatch quit",
                                "frame",
                                "swap",
                                "release",
                                "destroy window"};
        EXPECT_EQ(platform.log, expected) << hide.name;
    }
}

// A session locked before the renderer registered for its notices (a lock that fired with
// the saver's own timeout) is unseen from the first frame; a Remote Desktop connection to it
// does not undo the lock, nor does an unlock undo a disconnection.
TEST_F(RendererRun, ASessionLockedAtTheStartStaysUnseenUntilUnlockedAndConnected) {
    platform.visibility.sessionStarted({0, 0, false});
    platform.pump.drains = {{},
                            {sessionChange(platform, 3)},
                            {sessionChange(platform, 2)},
                            {sessionChange(platform, kSessionUnlock)},
                            {sessionChange(platform, 1)},
                            {quit()}};
    run();
    const EventLog expected{
        "create window", "init",  "wait",          "dispatch session 3", "wait",
        "dispatch session 2", "wait", "dispatch session 8", "wait", "dispatch session 1",
        "frame",         "swap",  "dispatch quit", "frame",              "swap",
        "release",       "destroy window"};
    EXPECT_EQ(platform.log, expected);
}

TEST_F(RendererRun, TwoCausesMustBothBeUndoneBeforeDrawingAgain) {
    platform.pump.drains = {{displayPower(platform, 0), windowShown(platform, false)},
                            {displayPower(platform, 1)},
                            {windowShown(platform, true)},
                            {quit()}};
    run();
    EXPECT_EQ(platform.pump.waits, 2);
    EXPECT_EQ(animation.frameTimes.size(), 2u);
}

TEST_F(RendererRun, EscAndCloseEndTheRunWhileUnseenWithoutAnotherFrame) {
    for (const bool byEsc : {true, false}) {
        platform.log.clear();
        platform.pump.drains = {{},
                                {sessionChange(platform, kSessionLock)},
                                {},
                                {byEsc ? keyDown(platform, 27) : quit()}};
        EXPECT_EQ(run(), 0);
        const EventLog expected{"create window",
                                "init",
                                "frame",
                                "swap",
                                "dispatch session 7",
                                "wait",
                                "wait",
                                byEsc ? "dispatch keydown 27" : "dispatch quit",
                                "release",
                                "destroy window"};
        EXPECT_EQ(platform.log, expected);
        platform.visibility.sessionChanged(kSessionUnlock);
    }
}

// The ball is where it would have been: the time spent unseen counts in the scene time.
TEST_F(RendererRun, FirstFrameAfterBeingSeenAgainIsAtTheWallClockSceneTime) {
    platform.clock.counterStep = 16667;  // microseconds between two readings
    platform.pump.onWait = [this] { platform.clock.counter += 30 * platform.clock.frequency; };
    platform.pump.drains = {
        {}, {displayPower(platform, 0)}, {}, {displayPower(platform, 1)}, {quit()}};
    run();
    ASSERT_EQ(animation.frameTimes.size(), 3u);
    EXPECT_NEAR(animation.frameTimes[1], animation.frameTimes[0] + 60.0 + 0.016667, 1e-6);
}

TEST_F(RendererRun, ADimmedDisplayIsStillSeen) {
    platform.pump.drains = {{displayPower(platform, 0)}, {displayPower(platform, 2)}, {},
                            {displayPower(platform, 1)}, {displayPower(platform, 2)}, {quit()}};
    run();
    EXPECT_EQ(platform.pump.waits, 1);
    EXPECT_EQ(animation.frameTimes.size(), 5u);
}

// A paced loop does not sleep while unseen, and times the first frame after from the end of
// the wait: a short wait is not taken for part of a frame.
TEST_F(RendererRun, PacedLoopDoesNotSleepWhileUnseenAndTimesTheNextFrameFromTheWait) {
    platform.paced = true;
    platform.refreshHz = 50;
    platform.pump.onWait = [this] { platform.clock.counter += 15000; };  // 15 ms
    platform.pump.drains = {
        {windowShown(platform, false)}, {windowShown(platform, true)}, {quit()}};
    run();
    const EventLog expected{
        "create window", "init",    "dispatch minimised", "wait",          "dispatch restored",
        "frame",         "swap",    "sleep 20000",        "dispatch quit", "frame",
        "swap",          "release", "destroy window"};
    EXPECT_EQ(platform.log, expected);
}

}  // namespace
