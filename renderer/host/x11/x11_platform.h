// The renderer's platform on X11: clock, message pump, pacing services and the window
// factory, for the shared runRenderer.
#pragma once

#include <X11/Xlib.h>

#include <csignal>
#include <memory>

#include "host/frame_clock.h"
#include "host/frame_loop.h"
#include "host/x11/hack_events.h"
#include "host/x11/hack_options.h"
#include "host/x11/hack_pacing.h"
#include "host/renderer_main.h"
#include "host/viewport.h"
#include "host/x11/x11_render_window.h"

// CLOCK_MONOTONIC in nanoseconds as the counter, always present.
class X11Clock final : public ClockSource {
  public:
    bool queryFrequency(int64_t& ticksPerSecond) override;
    int64_t queryCounter() override;
    uint32_t tickCount() override;
};

// The hack's --fps and --delay services, and the frame loop's sleep.
class PosixPacingServices final : public PacingServices, public FrameSleeper {
  public:
    explicit PosixPacingServices(const volatile std::sig_atomic_t& stopSignal)
        : stopSignal_(stopSignal) {}
    double wallSeconds() override;
    double cpuSeconds() override;
    void sleepMicroseconds(int64_t microseconds) override;
    void sleepSeconds(double seconds) override;
    void report(const std::string& line) override;

  private:
    const volatile std::sig_atomic_t& stopSignal_;
};

// X events of the window drawn on, in the hack's neutral terms. Keys and the window
// manager's close count only for a window of its own: an adopted window's owner has them.
class X11EventSource final : public HackEventSource {
  public:
    // stopWake: the read end of a pipe a stop signal writes to, so that a wait for events
    // ends for the signal too, whichever thread of the process it reached.
    X11EventSource(Display* display, int stopWake) : display_(display), stopWake_(stopWake) {}

    // The window whose events count; it lives until the frame loop has ended.
    void attach(X11RenderWindow& window);
    bool nextEvent(HackEvent& event) override;
    void waitForEvent() override;
    void stopDrawing() override;

  private:
    HackEvent translate(const XEvent& event);
    // Whether the screen saver's status on the root window says its own window is up.
    bool lockerShown();

    Display* display_;
    int stopWake_ = -1;
    X11RenderWindow* window_ = nullptr;
    Atom deleteWindow_ = 0;
    Atom screenSaverStatus_ = 0;      // None unless the window drawn on is the root window
    bool lockerStateQueued_ = false;  // the status found at attach, told as the first event
};

class X11RendererPlatform final : public RendererPlatform {
  public:
    // adoptedWindow 0: a window of its own; root: the screen's root window.
    // stopWake: see X11EventSource.
    X11RendererPlatform(Display* display, Window adoptedWindow, const HackOptions& options,
                        const volatile std::sig_atomic_t& stopSignal, int stopWake)
        : display_(display),
          adoptedWindow_(adoptedWindow),
          options_(options),
          pacing_(stopSignal),
          events_(display, stopWake),
          pump_(events_, stopSignal, &resizeViewport) {}

    std::unique_ptr<RenderSurface> createWindow(const WindowRequest& request,
                                                KeyTable& keys) override;
    // One line on stderr; the program then ends with a non-zero code.
    void showError(const char* message) override;
    MessagePump& messagePump() override { return pump_; }
    ClockSource& clockSource() override { return clock_; }
    // An explicit --delay replaces pacing by the display's refresh.
    FrameSleeper* frameSleeper() override { return options_.delayGiven ? nullptr : &pacing_; }

    bool failed() const { return failed_; }

  private:
    Display* display_;
    Window adoptedWindow_;
    HackOptions options_;
    X11Clock clock_;
    PosixPacingServices pacing_;
    X11EventSource events_;
    HackMessagePump pump_;
    bool failed_ = false;
};
