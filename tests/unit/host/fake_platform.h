// Recording fakes of the renderer host's platform: clock, message queue, window, error box.
#pragma once

#include <deque>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/frame_pacer.h"
#include "host/renderer_main.h"
#include "host/visibility.h"

// Every call the renderer makes, in order, as readable lines.
using EventLog = std::vector<std::string>;

class FakeClock final : public ClockSource {
  public:
    bool hasPerformanceCounter = true;
    int64_t frequency = 1000000;
    int64_t counter = 0;
    uint32_t ticks = 0;
    // Added to counter and ticks after every reading, to simulate time passing.
    int64_t counterStep = 0;
    uint32_t tickStep = 0;

    bool queryFrequency(int64_t& ticksPerSecond) override {
        ++frequencyQueries;
        ticksPerSecond = hasPerformanceCounter ? frequency : 0;
        return hasPerformanceCounter;
    }
    int64_t queryCounter() override { return std::exchange(counter, counter + counterStep); }
    uint32_t tickCount() override { return std::exchange(ticks, ticks + tickStep); }
    int frequencyQueries = 0;
};

// A queued message: a key change applied when dispatched, or a quit request.
struct FakeMessage {
    std::string name;
    std::function<void()> onDispatch;
    bool isQuit = false;
};

// A scripted queue: items arrive in drains, and taking answers false once at the end of
// each, as a real queue does when it runs dry. A wait for more with nothing left to come
// would never end: it throws, so that the test fails instead of hanging.
template <typename Item>
class ScriptedQueue {
  public:
    std::deque<std::vector<Item>> drains;
    int waits = 0;

    bool take(Item& item) {
        if (drains.empty()) {
            return false;
        }
        if (drains.front().empty()) {
            drains.pop_front();
            return false;
        }
        item = drains.front().front();
        drains.front().erase(drains.front().begin());
        return true;
    }
    void waitForMore() {
        ++waits;
        if (drains.empty()) {
            throw std::logic_error("waits for a message that never comes");
        }
    }
};

class FakePump final : public MessagePump, public ScriptedQueue<FakeMessage> {
  public:
    explicit FakePump(EventLog& log) : log_(log) {}
    std::function<void()> onWait;  // what passes during a wait (the clock moving on)

    bool dispatchNext(bool& wasQuit) override {
        FakeMessage message;
        if (!take(message)) {
            return false;
        }
        log_.push_back("dispatch " + message.name);
        if (message.onDispatch) {
            message.onDispatch();
        }
        wasQuit = message.isQuit;
        return true;
    }
    void waitForMessage() override {
        log_.push_back("wait");
        waitForMore();
        if (onWait) {
            onWait();
        }
    }

  private:
    EventLog& log_;
};

class FakeSurface final : public RenderSurface {
  public:
    explicit FakeSurface(EventLog& log, int32_t refreshHz = 0,
                         const Visibility* visibility = nullptr)
        : log_(log), refreshHz_(refreshHz), visibility_(visibility) {}
    ~FakeSurface() override { log_.push_back("destroy window"); }
    void swapBuffers() override { log_.push_back("swap"); }
    int32_t refreshRateHz() const override { return refreshHz_; }
    bool seen() const override { return visibility_ == nullptr || visibility_->seen(); }

  private:
    EventLog& log_;
    int32_t refreshHz_ = 0;
    const Visibility* visibility_ = nullptr;
};

// Sleeps by moving the fake clock's counter on (in its ticks), and logs each sleep in
// whole microseconds.
class FakeSleeper final : public FrameSleeper {
  public:
    FakeSleeper(FakeClock& clock, EventLog& log) : clock_(clock), log_(log) {}
    std::vector<double> sleeps;  // seconds asked for
    double oversleepSeconds = 0.0;

    void sleepSeconds(double seconds) override {
        sleeps.push_back(seconds);
        log_.push_back("sleep " + std::to_string(static_cast<int64_t>(seconds * 1e6 + 0.5)));
        clock_.counter += static_cast<int64_t>((seconds + oversleepSeconds) *
                                               static_cast<double>(clock_.frequency));
    }

  private:
    FakeClock& clock_;
    EventLog& log_;
};

class FakePlatform final : public RendererPlatform {
  public:
    EventLog log;
    FakeClock clock;
    FakePump pump{log};
    KeyTable* keys = nullptr;
    int32_t refreshHz = 0;
    Visibility visibility;  // the window's, as its window procedure keeps it
    bool paced = false;     // unpaced unless a test asks: most tests count frames, not time
    FakeSleeper sleeper{clock, log};

    std::unique_ptr<RenderSurface> createWindow(const WindowRequest& /*request*/,
                                                KeyTable& keyTable) override {
        keys = &keyTable;
        log.push_back("create window");
        return std::make_unique<FakeSurface>(log, refreshHz, &visibility);
    }
    void showError(const char* message) override {
        log.push_back(std::string("error box: ") + message);
    }
    MessagePump& messagePump() override { return pump; }
    ClockSource& clockSource() override { return clock; }
    FrameSleeper* frameSleeper() override { return paced ? &sleeper : nullptr; }
};

class FakeAnimation final : public Animation {
  public:
    explicit FakeAnimation(EventLog& log) : log_(log) {}
    bool initThrowsBadAlloc = false;
    std::vector<double> frameTimes;

    void initAnimation() override {
        log_.push_back("init");
        if (initThrowsBadAlloc) {
            throw std::bad_alloc();
        }
    }
    void drawFrame(double sceneTime, const std::vector<ViewportRect>& /*viewports*/) override {
        frameTimes.push_back(sceneTime);
        log_.push_back("frame");
    }
    void releaseAnimation() override { log_.push_back("release"); }

  private:
    EventLog& log_;
};
