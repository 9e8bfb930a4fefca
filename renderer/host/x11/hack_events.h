// The hack's window events as the shared frame loop's messages: Esc into the key table,
// the other ways to end into quit requests, a new size into the viewport, mapping and
// covering into whether the window is seen. The window system's adapter only says which
// event came.
#pragma once

#include <csignal>
#include <cstdint>
#include <functional>

#include "host/frame_loop.h"
#include "host/key_table.h"
#include "host/visibility.h"

struct HackEvent {
    enum class Kind {
        kEscapePressed,
        kEscapeReleased,
        kQuitKey,       // q
        kCloseRequest,  // the window manager's close
        kResized,       // width x height, in pixels
        kWindowGone,    // the window drawn on was destroyed
        kMapped,
        kUnmapped,
        kFullyCovered,  // mapped, but every pixel of it is under other windows
        kUncovered,     // some of it shows again
        kLockerShown,   // the screen saver's own window hides the root window drawn on
        kLockerGone,
        kOther,
    };
    Kind kind = Kind::kOther;
    int32_t width = 0;
    int32_t height = 0;
};

// The window system's event queue.
class HackEventSource {
  public:
    virtual ~HackEventSource() = default;
    // Takes the next waiting event; false when none is waiting (never blocks).
    virtual bool nextEvent(HackEvent& event) = 0;
    // Blocks, with no timeout, until an event or a stop signal is waiting.
    virtual void waitForEvent() = 0;
    // A stop signal ends the run: whoever sent it (XScreenSaver) may destroy the window at
    // once, so the loop's last frame must not draw into it.
    virtual void stopDrawing() {}
};

class HackMessagePump final : public MessagePump {
  public:
    using ResizeHandler = std::function<void(int32_t width, int32_t height)>;

    // stopSignal: set by SIGTERM or SIGINT; it ends the loop like a close request.
    HackMessagePump(HackEventSource& source, const volatile std::sig_atomic_t& stopSignal,
                    ResizeHandler resize)
        : source_(source), stopSignal_(stopSignal), resize_(std::move(resize)) {}

    // From window creation on: the key table and the visibility to write, and the size the
    // viewport has.
    void attach(KeyTable& keys, Visibility& visibility, int32_t width, int32_t height);
    bool dispatchNext(bool& wasQuit) override;
    void waitForMessage() override;

  private:
    bool handle(const HackEvent& event);  // true for a quit request

    HackEventSource& source_;
    const volatile std::sig_atomic_t& stopSignal_;
    ResizeHandler resize_;
    void showWindow();

    KeyTable* keys_ = nullptr;
    Visibility* visibility_ = nullptr;
    // The window is seen while it is mapped, not wholly covered and no locker hides it.
    bool mapped_ = true;
    bool covered_ = false;
    bool lockerShown_ = false;
    int32_t width_ = 0;
    int32_t height_ = 0;
    bool stopReported_ = false;
};
