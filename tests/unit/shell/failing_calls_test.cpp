// A whole screen-saver run, from the load to the end of the program, with the k-th platform
// call failing, for every k, against a renderer that runs and ends by Esc, one whose start
// fails and shows its "ERROR" box, and one that hangs: the run always ends, the cursor is
// shown again, the display is the user's own once the renderer has gone, and an "ERROR" box
// stays until the user dismisses it.
#include <gtest/gtest.h>

#include <string>

#include "../fault_plan.h"
#include "../music/fake_mci.h"
#include "fake_shell.h"
#include "run_form.h"

namespace velmora {
namespace {

using namespace velmora::test;

enum class Renderer { EndsByEsc, FailsToStart, Hangs };

// Milliseconds after the renderer's start.
constexpr std::uint32_t kWindowShowsMs = 700;
// A failing start: its window is there from 300 ms until the box shows (a start-up step
// after the window failed), and the user reads the box for longer than any limit.
constexpr std::uint32_t kFailingWindowMs = 300;
constexpr std::uint32_t kBoxShowsMs = 1600;
constexpr std::uint32_t kEscMs = 4000;
constexpr std::uint32_t kEndsAfterEscMs = 300;
constexpr std::uint32_t kBoxDismissedMs = 45000;
constexpr std::uint32_t kHangsMs = 2000;

// The renderer as the run form sees it, acting out its script on the timers' clock; a call
// that fails answers as Windows does when it cannot tell (not ended, no window, no answer).
struct RendererWorld {
    Renderer kind = Renderer::EndsByEsc;
    FaultPlan& plan;
    FakeTimers& timers;
    bool started = false;
    bool modeSwitched = false;
    bool ended = false;
    int exitCode = 0;
    bool boxCutShort = false;  // ended from outside while its "ERROR" box was up
    bool closeRequested = false;

    void update() {
        const std::uint32_t now = timers.now;
        if (ended) {
            return;
        }
        if (kind == Renderer::FailsToStart) {
            modeSwitched = now < kBoxShowsMs;  // given back before the box
            if (now >= kBoxDismissedMs) {
                end(1);
            }
            return;
        }
        modeSwitched = now >= kWindowShowsMs;
        const bool leaving = (kind == Renderer::EndsByEsc && now >= kEscMs) || closeRequested;
        if (leaving && kind != Renderer::Hangs) {
            modeSwitched = false;
            if (closeRequested || now >= kEscMs + kEndsAfterEscMs) {
                end(0);
            }
        }
    }
    bool windowShown() const {
        const std::uint32_t now = timers.now;
        if (kind == Renderer::FailsToStart) {
            return !ended && now >= kFailingWindowMs && now < kBoxShowsMs;
        }
        return !ended && now >= kWindowShowsMs && (kind != Renderer::EndsByEsc || now < kEscMs) &&
               !closeRequested;
    }
    bool boxShown() const {
        return !ended && kind == Renderer::FailsToStart && timers.now >= kBoxShowsMs;
    }
    void end(int code) {
        ended = true;
        exitCode = code;
    }
};

class ScriptedRenderer final : public ChildProcess {
  public:
    explicit ScriptedRenderer(RendererWorld& world) : world_(world) {}
    bool hasEnded() override { return !world_.plan.fails("wait") && world_.ended; }
    bool endedCleanly() override { return world_.ended && world_.exitCode == 0; }
    bool findWindow(const std::string&) override {
        return !world_.plan.fails("find window") && world_.windowShown();
    }
    bool windowAnswers(unsigned) override {
        return !world_.plan.fails("ask") &&
               (world_.kind != Renderer::Hangs || world_.timers.now < kHangsMs);
    }
    bool showsErrorBox() override { return !world_.plan.fails("find box") && world_.boxShown(); }
    bool closeWindow(const std::string&) override {
        if (world_.plan.fails("close") || !world_.windowShown()) {
            return false;
        }
        world_.closeRequested = world_.kind != Renderer::Hangs;
        return true;
    }
    bool waitForEnd(unsigned) override {
        if (world_.plan.fails("wait")) {
            return false;
        }
        world_.update();
        return world_.ended;
    }
    void terminate() override {
        if (world_.plan.fails("terminate") || world_.ended) {
            return;
        }
        world_.boxCutShort = world_.boxShown();
        world_.end(1);  // no teardown: the mode stays as it was
    }

  private:
    RendererWorld& world_;
};

class SweepLauncher final : public ProcessLauncher {
  public:
    explicit SweepLauncher(RendererWorld& world) : world_(world) {}
    std::unique_ptr<ChildProcess> start(const std::string&) override {
        if (world_.plan.fails("start")) {
            world_.end(1);
            return nullptr;
        }
        world_.started = true;
        return std::make_unique<ScriptedRenderer>(world_);
    }

  private:
    RendererWorld& world_;
};

class SweepTimers final : public TimerHost {
  public:
    SweepTimers(FaultPlan& plan, FakeTimers& clock) : plan_(plan), clock_(clock) {}
    bool start(RunTimer timer, unsigned intervalMs) override {
        return !plan_.fails("timer") && clock_.start(timer, intervalMs);
    }
    void stop(RunTimer timer) override { clock_.stop(timer); }
    std::uint32_t nowMs() override { return clock_.now; }

  private:
    FaultPlan& plan_;
    FakeTimers& clock_;
};

class SweepDisplay final : public DisplayModeControl {
  public:
    explicit SweepDisplay(RendererWorld& world) : world_(world) {}
    void restoreRegistryMode() override { world_.modeSwitched = false; }

  private:
    RendererWorld& world_;
};

// Every music command can fail as a device would.
class SweepMci final : public MciTransport {
  public:
    SweepMci(FaultPlan& plan, FakeMci& mci) : plan_(plan), mci_(mci) {}
    std::uint32_t sendString(const std::string& command, std::string& returned,
                             std::size_t returnLength) override {
        return plan_.fails("mci") ? FakeMci::kErrorNoDevice
                                  : mci_.sendString(command, returned, returnLength);
    }
    bool errorString(std::uint32_t code, std::string& text, std::size_t length) override {
        return mci_.errorString(code, text, length);
    }
    unsigned waveOutDeviceCount() override { return mci_.waveOutDeviceCount(); }
    bool playSound(const std::string* name, std::uint32_t flags) override {
        return !plan_.fails("sound") && mci_.playSound(name, flags);
    }

  private:
    FaultPlan& plan_;
    FakeMci& mci_;
};

struct Outcome {
    std::string failed;
    int calls = 0;
};

// One run with call failAt failing, its timers ticking every 100 ms for at most a minute.
Outcome runWithFailure(Renderer kind, int failAt) {
    FaultPlan plan;
    plan.failAt = failAt;
    EventLog log;
    FakeTimers clock{log};
    RendererWorld world{kind, plan, clock};
    SweepLauncher launcher{world};
    SweepTimers timers{plan, clock};
    SweepDisplay display{world};
    FakeCursor cursor{log};
    FakeProgram program{log};
    FakeMci fakeMci;
    SweepMci mci{plan, fakeMci};
    BgmSettings settings;
    settings.kind = kBgmFile;
    settings.file = "C:\\Music\\song.mp3";
    fakeMci.playableFiles.insert(settings.file);
    BgmPlayer music{mci, settings};
    std::int32_t cursorState = cursor.showCursor(false);  // as Main hid it
    RunForm form{RunFormServices{display, launcher, timers, cursor, program, music}, settings,
                 cursorState, "C:\\Saver", [] { return std::string("/s"); }};

    form.formLoad();
    while (!program.ended && clock.now < 60000) {
        clock.now += 100;
        world.update();
        for (const auto& [timer, interval] : std::map<RunTimer, unsigned>(clock.running)) {
            if (clock.now % interval != 0 || program.ended) {
                continue;
            }
            if (timer == RunTimer::Timer1) {
                form.timer1Tick();
            } else if (timer == RunTimer::Timer2) {
                form.timer2Tick();
            } else {
                form.timer3Tick();
            }
        }
    }
    const std::string which = "call " + std::to_string(failAt) + " (" + plan.failed + ")";
    EXPECT_TRUE(program.ended) << which;
    EXPECT_EQ(cursor.count, 0) << which;
    // A renderer left running ends itself when the saver has gone (its own watch).
    EXPECT_TRUE(!world.ended || !world.modeSwitched) << which;
    EXPECT_FALSE(world.boxCutShort) << which;
    if (kind == Renderer::FailsToStart && world.started) {
        EXPECT_TRUE(world.ended && world.exitCode == 1 && clock.now >= kBoxDismissedMs) << which;
    }
    if (kind == Renderer::EndsByEsc && world.started) {
        EXPECT_TRUE(world.ended && world.exitCode == 0) << which;
    }
    return {plan.failed, plan.calls};
}

TEST(RunFailingCalls, EveryFailureEndsTheRunWithTheScreenBackAndTheErrorBoxLeftToTheUser) {
    for (const Renderer kind : {Renderer::EndsByEsc, Renderer::FailsToStart, Renderer::Hangs}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const int callsOfACleanRun = runWithFailure(kind, 0).calls;
        EXPECT_GT(callsOfACleanRun, 10);
        for (int k = 1; k <= callsOfACleanRun; ++k) {
            runWithFailure(kind, k);
        }
    }
}

}  // namespace
}  // namespace velmora
