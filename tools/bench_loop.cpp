// Frame-loop section of the benchmark report: the renderer's real loop, offscreen, for a
// fixed wall time, unpaced, paced by a 60 Hz refresh, and unseen (nobody can see the
// window), as frames per second and CPU seconds per wall second.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "bench.h"
#include "gl_api.h"
#include "host/egl/egl_offscreen.h"
#include "host/frame_loop.h"
#include "host/frame_pacer.h"
#include "host/render_settings.h"
#include "host/screen_cover.h"
#include "host/velmora_animation.h"

namespace {

constexpr double kLoopSeconds = 10.0;

// The primary at the renderer's 1024 x 768 and, for two, a 1280 x 1024 monitor to its right:
// a granted run on two monitors.
std::vector<MonitorInfo> benchMonitors(int32_t count) {
    std::vector<MonitorInfo> monitors{{{0, 0, 1024, 768}, true}};
    if (count == 2) {
        monitors.push_back({{1024, 0, 2304, 1024}, false});
    }
    return monitors;
}

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// CPU time of the whole process, the GL driver's threads included.
double processCpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

class SteadyClockSource final : public ClockSource {
  public:
    bool queryFrequency(int64_t& ticksPerSecond) override {
        ticksPerSecond = 1000000000;
        return true;
    }
    int64_t queryCounter() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    uint32_t tickCount() override { return static_cast<uint32_t>(queryCounter() / 1000000); }
};

// No messages but one quit request once the run's time is up.
class TimedQuitPump final : public MessagePump {
  public:
    explicit TimedQuitPump(double endSeconds) : endSeconds_(endSeconds) {}
    bool dispatchNext(bool& wasQuit) override {
        wasQuit = !quitSent_ && steadySeconds() >= endSeconds_;
        quitSent_ = quitSent_ || wasQuit;
        return wasQuit;
    }
    // The one message to come is the quit request when the time is up.
    void waitForMessage() override {
        std::this_thread::sleep_for(std::chrono::duration<double>(endSeconds_ - steadySeconds()));
    }

  private:
    double endSeconds_ = 0.0;
    bool quitSent_ = false;
};

// A pbuffer has no swap: finishing the frame is what a swap makes the driver do.
class OffscreenSurface final : public RenderSurface {
  public:
    OffscreenSurface(int64_t& frames, bool seen, const std::vector<ViewportRect>& viewports)
        : frames_(frames), seen_(seen), viewports_(viewports) {}
    void swapBuffers() override {
        glFinish();
        ++frames_;
    }
    bool seen() const override { return seen_; }
    const std::vector<ViewportRect>& viewports() const override { return viewports_; }

  private:
    int64_t& frames_;
    bool seen_ = true;
    std::vector<ViewportRect> viewports_;
};

class ThreadSleeper final : public FrameSleeper {
  public:
    void sleepSeconds(double seconds) override {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }
};

struct LoopFigures {
    double framesPerSecond = 0.0;
    double cpuPerWallSecond = 0.0;
};

enum class LoopPhase { kUnpaced, kPaced, kUnseen };

LoopFigures runLoop(Animation& animation, LoopPhase phase,
                    const std::vector<ViewportRect>& viewports) {
    SteadyClockSource source;
    SecondsClock clock(source);
    FrameRenderer frames(clock, animation);
    KeyTable keys;
    ThreadSleeper sleeper;
    FramePacer pacer(clock, sleeper, 0);  // refresh unknown: 60 Hz
    int64_t frameCount = 0;
    OffscreenSurface surface(frameCount, phase != LoopPhase::kUnseen, viewports);

    const double startWall = steadySeconds();
    const double startCpu = processCpuSeconds();
    TimedQuitPump pump(startWall + kLoopSeconds);
    runMainLoop(pump, keys, frames, surface, phase == LoopPhase::kUnpaced ? nullptr : &pacer);
    const double wall = steadySeconds() - startWall;
    const double cpu = processCpuSeconds() - startCpu;
    return {static_cast<double>(frameCount) / wall, cpu / wall};
}

void printFigure(const std::string& label, double value, const char* unit) {
    std::printf("%-56s %10.3f %s\n", label.c_str(), value, unit);
}

void benchLoopWithContext(int32_t monitorCount) {
    const std::vector<MonitorInfo> monitors = benchMonitors(monitorCount);
    const CoverLayout layout = coverLayout(monitors);
    std::string name = "loop ";
    for (const MonitorInfo& monitor : monitors) {
        name += (monitor.primary ? "" : "+") + std::to_string(monitor.area.width()) + "x" +
                std::to_string(monitor.area.height());
    }
    OffscreenContext context(layout.window.width(), layout.window.height());
    renderSettings = kFixedRenderSettings;
    VelmoraAnimation animation;
    animation.initAnimation();
    const LoopFigures unpaced = runLoop(animation, LoopPhase::kUnpaced, layout.viewports);
    const LoopFigures paced = runLoop(animation, LoopPhase::kPaced, layout.viewports);
    const LoopFigures unseen = runLoop(animation, LoopPhase::kUnseen, layout.viewports);
    animation.releaseAnimation();

    const double cpuPerFrame = unpaced.cpuPerWallSecond / unpaced.framesPerSecond;
    printFigure(name + " unpaced, 10 s: frames", unpaced.framesPerSecond, "/s");
    printFigure(name + " unpaced, 10 s: CPU", unpaced.cpuPerWallSecond, "s/s");
    printFigure(name + " unpaced: CPU per frame", cpuPerFrame * 1000.0, "ms");
    printFigure(name + " paced at 60 Hz, 10 s: frames", paced.framesPerSecond, "/s");
    printFigure(name + " paced at 60 Hz, 10 s: CPU", paced.cpuPerWallSecond, "s/s");
    printFigure(name + " paced: CPU per frame",
                paced.cpuPerWallSecond / paced.framesPerSecond * 1000.0, "ms");
    // 1.0: the paced loop costs exactly 60 unpaced frames a second.
    printFigure("loop paced CPU / (60 x unpaced CPU per frame)",
                paced.cpuPerWallSecond / (60.0 * cpuPerFrame), "x");
    printFigure(name + " unseen, 10 s: frames", unseen.framesPerSecond, "/s");
    printFigure(name + " unseen, 10 s: CPU", unseen.cpuPerWallSecond, "s/s");
}

}  // namespace

void benchLoop(int32_t monitorCount) {
    try {
        benchLoopWithContext(monitorCount);
    } catch (const std::exception& error) {
        std::printf("loop: no headless GL (%s)\n", error.what());
    }
}
