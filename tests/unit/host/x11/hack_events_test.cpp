// The hack's window events through its message pump, alone and driving the shared loop.
#include <gtest/gtest.h>

#include <deque>
#include <utility>

#include "../fake_platform.h"
#include "host/x11/hack_events.h"

namespace {

using Kind = HackEvent::Kind;

class FakeEventSource final : public HackEventSource, public ScriptedQueue<HackEvent> {
  public:
    int drawingStops = 0;

    void stopDrawing() override { ++drawingStops; }
    bool nextEvent(HackEvent& event) override { return take(event); }
    void waitForEvent() override { waitForMore(); }
};

HackEvent of(Kind kind) {
    HackEvent event;
    event.kind = kind;
    return event;
}

HackEvent resized(int32_t width, int32_t height) {
    HackEvent event;
    event.kind = Kind::kResized;
    event.width = width;
    event.height = height;
    return event;
}

struct PumpTest : ::testing::Test {
    FakeEventSource source;
    volatile std::sig_atomic_t stop = 0;
    std::vector<std::pair<int32_t, int32_t>> viewports;
    KeyTable keys;
    Visibility visibility;
    HackMessagePump pump{source, stop,
                         [this](int32_t w, int32_t h) { viewports.emplace_back(w, h); }};

    PumpTest() { pump.attach(keys, visibility, 1024, 768); }

    // One drain as the loop does it; returns how many quit requests it took.
    int drain() {
        int quits = 0;
        bool wasQuit = false;
        while (pump.dispatchNext(wasQuit)) {
            quits += wasQuit ? 1 : 0;
        }
        return quits;
    }
};

TEST_F(PumpTest, AnEscTapWithinOneDrainIsRememberedForThatDrain) {
    source.drains = {{of(Kind::kEscapePressed), of(Kind::kEscapeReleased)}, {}};
    keys.drainStarting();
    EXPECT_EQ(drain(), 0);
    EXPECT_FALSE(keys.isDown(KeyTable::kEscape));
    EXPECT_TRUE(keys.wasDownDuringDrain(KeyTable::kEscape));
    keys.drainStarting();
    drain();
    EXPECT_FALSE(keys.wasDownDuringDrain(KeyTable::kEscape));
}

TEST_F(PumpTest, AutoRepeatKeepsEscDown) {
    source.drains = {
        {of(Kind::kEscapePressed), of(Kind::kEscapeReleased), of(Kind::kEscapePressed)}, {}};
    drain();
    drain();
    EXPECT_TRUE(keys.isDown(KeyTable::kEscape));
}

TEST_F(PumpTest, QuitKeyCloseRequestAndAGoneWindowAreQuitRequests) {
    source.drains = {
        {of(Kind::kQuitKey), of(Kind::kOther), of(Kind::kCloseRequest), of(Kind::kWindowGone)}};
    EXPECT_EQ(drain(), 3);
    EXPECT_FALSE(keys.isDown(KeyTable::kEscape));
}

TEST_F(PumpTest, AStopSignalIsOneQuitRequestBeforeTheQueuedEvents) {
    stop = 1;
    source.drains = {{of(Kind::kOther)}, {of(Kind::kOther)}};
    bool wasQuit = false;
    ASSERT_TRUE(pump.dispatchNext(wasQuit));
    EXPECT_TRUE(wasQuit);
    EXPECT_EQ(source.drawingStops, 1);  // the last frame must not draw
    ASSERT_TRUE(pump.dispatchNext(wasQuit));
    EXPECT_FALSE(wasQuit);
    EXPECT_EQ(drain(), 0);
    EXPECT_EQ(source.drawingStops, 1);
}

TEST_F(PumpTest, OnlyANewSizeResetsTheViewport) {
    source.drains = {{resized(1024, 768), resized(300, 600), resized(300, 600), resized(300, 0)}};
    drain();
    const std::vector<std::pair<int32_t, int32_t>> expected{{300, 600}, {300, 0}};
    EXPECT_EQ(viewports, expected);
}

// Seen only while mapped, not wholly covered and not under the screen saver's window; each
// event undoes only its own cause.
TEST_F(PumpTest, TheWindowIsSeenOnlyWhileMappedUncoveredAndNotUnderTheLocker) {
    const std::vector<std::pair<Kind, bool>> steps{
        {Kind::kFullyCovered, false}, {Kind::kUnmapped, false},    {Kind::kUncovered, false},
        {Kind::kMapped, true},        {Kind::kLockerShown, false}, {Kind::kFullyCovered, false},
        {Kind::kLockerGone, false},   {Kind::kUncovered, true}};
    for (const auto& [kind, seen] : steps) {
        source.drains = {{of(kind)}};
        drain();
        EXPECT_EQ(visibility.seen(), seen) << "after event " << static_cast<int>(kind);
    }
}

TEST_F(PumpTest, AStopSignalIsNotWaitedForAfterItWasTaken) {
    source.drains = {{}, {}};
    pump.waitForMessage();
    EXPECT_EQ(source.waits, 1);
    stop = 1;
    pump.waitForMessage();
    EXPECT_EQ(source.waits, 1);
}

TEST(HackMessagePump, EventsBeforeTheWindowExistsChangeNothing) {
    FakeEventSource source;
    volatile std::sig_atomic_t stop = 0;
    int resizes = 0;
    HackMessagePump pump(source, stop, [&resizes](int32_t, int32_t) { ++resizes; });
    source.drains = {{of(Kind::kEscapePressed), of(Kind::kQuitKey), resized(5, 5)}};
    bool wasQuit = false;
    while (pump.dispatchNext(wasQuit)) {
        EXPECT_FALSE(wasQuit);
    }
    EXPECT_EQ(resizes, 0);
}

// The shared loop over this pump, with the frames it draws.
struct SharedLoop : PumpTest {
    EventLog log;
    FakeClock clock;
    SecondsClock seconds{clock};
    FakeAnimation animation{log};
    FrameRenderer frames{seconds, animation};

    // The log as the loop left it, before the surface goes.
    EventLog run(const Visibility* seenBy) {
        FakeSurface surface(log, 0, seenBy);
        runMainLoop(pump, keys, frames, surface, nullptr);
        return log;
    }
};

// A tap whose press and release reach one drain (between two slow frames, or during a pacing
// sleep) ends the run after one more frame.
TEST_F(SharedLoop, AnEscTapEndsTheSharedLoop) {
    source.drains = {{}, {of(Kind::kEscapePressed), of(Kind::kEscapeReleased)}};
    EXPECT_EQ(run(nullptr), (EventLog{"frame", "swap", "frame", "swap"}));
}

// A covered window waits for events instead of drawing, and draws again once uncovered.
TEST_F(SharedLoop, ACoveredWindowWaitsInTheSharedLoopUntilUncovered) {
    source.drains = {{of(Kind::kFullyCovered)}, {}, {of(Kind::kUncovered)}, {of(Kind::kQuitKey)}};
    EXPECT_EQ(run(&visibility), (EventLog{"frame", "swap", "frame", "swap"}));
    EXPECT_EQ(source.waits, 2);
}

}  // namespace
