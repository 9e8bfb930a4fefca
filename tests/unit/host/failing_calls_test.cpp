// A whole renderer run (start, frames, end) with the k-th platform call failing, for every k:
// whatever fails, the display and the screen are the user's again, and the run reports a
// failure exactly when its start failed.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "../fault_plan.h"
#include "fake_platform.h"
#include "host/gl_window.h"

namespace {

// The window system as Windows acts where it matters: a mode change, a restore included, is
// announced to every window of the process, hidden ones too, while the window exists and
// its messages reach its owner; a window placed with the cover's call is shown top-most.
class FakeWindowSystem final : public WindowSystem {
  public:
    explicit FakeWindowSystem(FaultPlan& plan) : plan_(plan) {}

    bool modeSwitched = false;
    bool classRegistered = false;
    bool windowExists = false;
    bool windowShown = false;
    int32_t cursorCount = 0;  // ShowCursor's display count, 0 at the start
    GlWindow* owner = nullptr;

    bool requestMode(int32_t, int32_t, int32_t) override {
        if (plan_.fails("mode")) {
            return false;
        }
        modeSwitched = true;
        announceDisplayChange();
        return true;
    }
    void restoreRegistryMode() override {
        if (modeSwitched) {
            modeSwitched = false;
            announceDisplayChange();
        }
    }
    std::vector<MonitorInfo> monitors() override {
        if (plan_.fails("monitors")) {
            return {};
        }
        const int32_t width = modeSwitched ? 1024 : 1920;
        const int32_t height = modeSwitched ? 768 : 1080;
        return {{{0, 0, width, height}, true}, {{width, 0, width + 1280, 1024}, false}};
    }
    void placeWindow(const ScreenRect&) override { windowShown = windowExists; }
    void setViewports(const std::vector<ViewportRect>&) override {}
    void minimise() override { windowShown = false; }

    bool registerClass() override { return made(classRegistered, "register class"); }
    ScreenRect primaryScreen() override { return {0, 0, 1920, 1080}; }
    bool createWindow(const char*, const ScreenRect&, bool, GlWindow& windowOwner) override {
        if (!made(windowExists, "create window")) {
            return false;
        }
        owner = &windowOwner;
        return true;
    }
    bool takeDeviceContext() override { return !plan_.fails("device context"); }
    int32_t choosePixelFormat(int32_t) override { return plan_.fails("choose format") ? 0 : 7; }
    bool setPixelFormat(int32_t, int32_t) override { return !plan_.fails("set format"); }
    bool createContext() override { return !plan_.fails("create context"); }
    bool makeCurrent() override { return !plan_.fails("make current"); }
    int32_t syncToDisplay() override { return 60; }
    void showWindow() override { windowShown = true; }
    void showCursor(bool show) override { cursorCount += show ? 1 : -1; }
    bool startMonitorChecks(uint32_t) override { return !plan_.fails("monitor checks"); }
    SessionReport watchNotices() override {
        plan_.fails("notices");
        return {};
    }
    void swapBuffers() override {}
    void stopNotices() override {}
    void releaseContext() override {}
    void releaseDeviceContext() override {}
    void destroyWindow() override {
        owner = nullptr;
        windowExists = false;
        windowShown = false;
    }
    void unregisterClass() override { classRegistered = false; }

  private:
    bool made(bool& state, const char* name) {
        state = !plan_.fails(name);
        return state;
    }
    void announceDisplayChange() {
        if (owner != nullptr) {
            owner->onDisplayChange();
        }
    }

    FaultPlan& plan_;
};

class SweepClock final : public ClockSource {
  public:
    explicit SweepClock(FaultPlan& plan) : plan_(plan) {}
    bool queryFrequency(int64_t& ticksPerSecond) override {
        ticksPerSecond = 1000;
        return !plan_.fails("frequency");
    }
    int64_t queryCounter() override { return now_ += 16; }
    uint32_t tickCount() override { return static_cast<uint32_t>(now_ += 16); }

  private:
    FaultPlan& plan_;
    int64_t now_ = 0;
};

// The real window over the fake system; the error box notes what was on screen under it.
class SweepPlatform final : public RendererPlatform {
  public:
    explicit SweepPlatform(FaultPlan& plan) : system(plan), clock_(plan) {}

    FakeWindowSystem system;
    EventLog log;
    FakePump pump{log};
    std::vector<std::string> errors;
    bool coveredBox = false;  // a window of ours shown, or the mode switched, under the box

    std::unique_ptr<RenderSurface> createWindow(const WindowRequest& request,
                                                KeyTable& keys) override {
        return std::make_unique<GlWindow>(system, request, keys);
    }
    void showError(const char* message) override {
        errors.push_back(message);
        coveredBox = coveredBox || system.windowShown || system.modeSwitched;
    }
    MessagePump& messagePump() override { return pump; }
    ClockSource& clockSource() override { return clock_; }
    FrameSleeper* frameSleeper() override { return nullptr; }

  private:
    SweepClock clock_;
};

class SweepAnimation final : public Animation {
  public:
    explicit SweepAnimation(FaultPlan& plan) : plan_(plan) {}
    void initAnimation() override {
        if (plan_.fails("init")) {
            throw "Out of memory for the scene mesh";
        }
    }
    void drawFrame(double, const std::vector<ViewportRect>&) override {}
    void releaseAnimation() override {}

  private:
    FaultPlan& plan_;
};

// The calls whose failure ends the start: the window cannot be made, or the animation not
// built. A refused mode, an empty monitor list, a missing timer or notice, or a clock without
// a performance counter are lived with.
const std::set<std::string> kFatal{"register class", "create window", "device context",
                                   "choose format",  "set format",    "create context",
                                   "make current",   "init"};

TEST(RendererFailingCalls, EveryFailureLeavesTheScreenToTheUserAndReportsAFailedStart) {
    int callsOfACleanRun = -1;
    for (int k = 1; callsOfACleanRun < 0 || k <= callsOfACleanRun + 1; ++k) {
        FaultPlan plan;
        plan.failAt = k;
        SweepPlatform platform(plan);
        SweepAnimation animation(plan);
        // A display change, two frames, then a close request; the display change arrives
        // while the run is drawing, as a monitor plugged in would.
        platform.pump.drains = {
            {{"display change", [&platform] {
                  if (platform.system.owner != nullptr) {
                      platform.system.owner->onDisplayChange();
                  }
              }}},
            {},
            {{"quit", nullptr, true}}};
        const int code = runRenderer(platform, animation);
        if (plan.failed.empty()) {
            callsOfACleanRun = plan.calls;
        }
        const bool fatal = kFatal.count(plan.failed) != 0;
        const std::string which = "call " + std::to_string(k) + " (" + plan.failed + ")";
        EXPECT_EQ(code != 0, fatal) << which;
        EXPECT_EQ(platform.errors.size(), fatal ? 1u : 0u) << which;
        EXPECT_FALSE(platform.coveredBox) << which;
        EXPECT_FALSE(platform.system.modeSwitched) << which;
        EXPECT_FALSE(platform.system.windowExists) << which;
        EXPECT_FALSE(platform.system.classRegistered) << which;
        EXPECT_EQ(platform.system.cursorCount, 0) << which;
    }
    EXPECT_GT(callsOfACleanRun, 10);
}

}  // namespace
