// What the hack does after every shown frame: the --fps report and the --delay sleep,
// wrapped around the host's window. Pacing by the display's refresh, the default, is the
// shared frame loop's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/frame_loop.h"
#include "host/x11/hack_options.h"

// The operating system's side of pacing.
class PacingServices {
  public:
    virtual ~PacingServices() = default;
    virtual double wallSeconds() = 0;  // monotonic, arbitrary origin
    virtual double cpuSeconds() = 0;   // CPU time of the whole process, all threads
    // May return early (a signal): the loop then looks at its messages sooner.
    virtual void sleepMicroseconds(int64_t microseconds) = 0;
    virtual void report(const std::string& line) = 0;  // one line, without its newline
};

// Frames per second and CPU share over spans of at least one second of wall time.
class FrameRateMeter {
  public:
    // Counts one frame; at the end of a span returns true and the span's report line.
    bool frameShown(double wallSeconds, double cpuSeconds, std::string& line);

  private:
    static constexpr double kSpanSeconds = 1.0;

    bool started_ = false;
    double spanStartWall_ = 0.0;
    double spanStartCpu_ = 0.0;
    int64_t framesInSpan_ = 0;
};

class PacedSurface final : public RenderSurface {
  public:
    PacedSurface(std::unique_ptr<RenderSurface> window, const HackOptions& options,
                 PacingServices& services)
        : window_(std::move(window)), options_(options), services_(services) {}

    void swapBuffers() override;
    int32_t refreshRateHz() const override { return window_->refreshRateHz(); }
    bool seen() const override { return window_->seen(); }

  private:
    std::unique_ptr<RenderSurface> window_;
    HackOptions options_;
    PacingServices& services_;
    FrameRateMeter meter_;
};
