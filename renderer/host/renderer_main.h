// The renderer program from start to exit, over a platform that creates its window,
// shows its one error box and supplies the message queue and the clock.
#pragma once

#include <cstdint>
#include <memory>

#include "host/frame_clock.h"
#include "host/frame_loop.h"
#include "host/frame_pacer.h"
#include "host/key_table.h"

struct WindowRequest {
    const char* title = "";
    int32_t width = 0;
    int32_t height = 0;
    int32_t colorBits = 0;
    bool fullScreen = false;
};

// The renderer window's title: the front-end watches for it.
inline constexpr const char* kRendererWindowTitle = "VelmoraVC";

class RendererPlatform {
  public:
    virtual ~RendererPlatform() = default;
    // Throws one of the window's failure texts (const char*) when the window cannot be made.
    virtual std::unique_ptr<RenderSurface> createWindow(const WindowRequest& request,
                                                        KeyTable& keys) = 0;
    // The "ERROR" message box.
    virtual void showError(const char* message) = 0;
    virtual MessagePump& messagePump() = 0;
    virtual ClockSource& clockSource() = 0;
    // The sleep that paces frames by the display's refresh; nullptr when frames are not to
    // be paced (the hack's explicit --delay, a test's unpaced run).
    virtual FrameSleeper* frameSleeper() = 0;
};

// The exit code of a run that failed: the front-end takes any code but 0 as a renderer that
// may have left the display changed.
inline constexpr int kFailedRunExitCode = 1;

// Returns the program's exit code: 0 after a run ended by the user or a close request,
// kFailedRunExitCode after a failure, shown in the "ERROR" box once the display is back.
int runRenderer(RendererPlatform& platform, Animation& animation);
