// The renderer's platform on X11: clock, message pump, pacing services and the window
// factory, for the shared runRenderer.
#pragma once

#include <X11/Xlib.h>

#include <csignal>
#include <memory>

#include "host/frame_clock.h"
#include "host/frame_loop.h"
#include "host/hack_options.h"
#include "host/hack_pacing.h"
#include "host/renderer_main.h"

// CLOCK_MONOTONIC in nanoseconds as the counter, always present.
class X11Clock final : public ClockSource {
  public:
    bool queryFrequency(int64_t& ticksPerSecond) override;
    int64_t queryCounter() override;
    uint32_t tickCount() override;
};

class PosixPacingServices final : public PacingServices {
  public:
    explicit PosixPacingServices(const volatile std::sig_atomic_t& stopSignal)
        : stopSignal_(stopSignal) {}
    double wallSeconds() override;
    double cpuSeconds() override;
    void sleepMicroseconds(int64_t microseconds) override;
    void report(const std::string& line) override;

  private:
    const volatile std::sig_atomic_t& stopSignal_;
};

// X events as the frame loop's messages. Escape goes into the key table like the Windows
// key messages; q, the window manager's close, the end of the window and a stop signal
// come out as quit requests.
class X11MessagePump final : public MessagePump {
  public:
    X11MessagePump(Display* display, const volatile std::sig_atomic_t& stopSignal)
        : display_(display), stopSignal_(stopSignal) {}

    // From window creation on, events of window reach the key table and the viewport.
    void attach(Window window, bool ownsWindow, int32_t width, int32_t height, KeyTable& keys);
    bool dispatchNext(bool& wasQuit) override;

  private:
    bool handleEvent(const XEvent& event);  // true for a quit request

    Display* display_;
    const volatile std::sig_atomic_t& stopSignal_;
    Window window_ = 0;
    bool ownsWindow_ = false;
    int32_t width_ = 0;
    int32_t height_ = 0;
    KeyTable* keys_ = nullptr;
    Atom deleteWindow_ = 0;
    bool quitReported_ = false;
    bool drainUnderway_ = false;
    bool escapeReleasePending_ = false;
};

class X11RendererPlatform final : public RendererPlatform {
  public:
    // adoptedWindow 0: a window of its own; root: the screen's root window.
    X11RendererPlatform(Display* display, Window adoptedWindow, const HackOptions& options,
                        const volatile std::sig_atomic_t& stopSignal)
        : display_(display),
          adoptedWindow_(adoptedWindow),
          options_(options),
          pacing_(stopSignal),
          pump_(display, stopSignal) {}

    std::unique_ptr<RenderSurface> createWindow(const WindowRequest& request,
                                                KeyTable& keys) override;
    // One line on stderr; the program then ends with a non-zero code.
    void showError(const char* message) override;
    MessagePump& messagePump() override { return pump_; }
    ClockSource& clockSource() override { return clock_; }

    bool failed() const { return failed_; }

  private:
    Display* display_;
    Window adoptedWindow_;
    HackOptions options_;
    X11Clock clock_;
    PosixPacingServices pacing_;
    X11MessagePump pump_;
    bool failed_ = false;
};
