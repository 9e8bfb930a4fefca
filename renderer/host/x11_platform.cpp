// The X11 platform of the renderer: clock, pacing, event translation and window factory.
#include "host/x11_platform.h"

#include <X11/keysym.h>

#include <cstdio>
#include <ctime>

#include "host/viewport.h"
#include "host/x11_render_window.h"

namespace {

double readClock(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

bool X11Clock::queryFrequency(int64_t& ticksPerSecond) {
    ticksPerSecond = 1000000000;
    return true;
}

int64_t X11Clock::queryCounter() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + static_cast<int64_t>(now.tv_nsec);
}

uint32_t X11Clock::tickCount() {
    return static_cast<uint32_t>(queryCounter() / 1000000);
}

double PosixPacingServices::wallSeconds() {
    return readClock(CLOCK_MONOTONIC);
}

double PosixPacingServices::cpuSeconds() {
    return readClock(CLOCK_PROCESS_CPUTIME_ID);
}

void PosixPacingServices::sleepMicroseconds(int64_t microseconds) {
    // In slices, so that a stop signal ends even a long --delay within 50 ms, whichever
    // thread of the process the signal reaches.
    constexpr int64_t kSliceMicroseconds = 50000;
    int64_t remaining = microseconds;
    while (remaining > 0 && stopSignal_ == 0) {
        const int64_t slice = remaining < kSliceMicroseconds ? remaining : kSliceMicroseconds;
        timespec pause{};
        pause.tv_nsec = static_cast<long>(slice) * 1000;
        nanosleep(&pause, nullptr);  // EINTR from a signal: the flag is checked next
        remaining -= slice;
    }
}

void PosixPacingServices::report(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void X11MessagePump::attach(Window window, bool ownsWindow, int32_t width, int32_t height,
                            KeyTable& keys) {
    window_ = window;
    ownsWindow_ = ownsWindow;
    width_ = width;
    height_ = height;
    keys_ = &keys;
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
}

bool X11MessagePump::dispatchNext(bool& wasQuit) {
    wasQuit = false;
    if (!drainUnderway_) {
        drainUnderway_ = true;
        // An Esc tap whose press and release come within one drain must still count: the
        // release waits until the loop has seen the key down once.
        if (escapeReleasePending_ && keys_ != nullptr) {
            keys_->release(KeyTable::kEscape);
            escapeReleasePending_ = false;
        }
    }
    if (stopSignal_ != 0 && !quitReported_) {
        quitReported_ = true;
        wasQuit = true;
        return true;
    }
    if (XPending(display_) == 0) {
        drainUnderway_ = false;
        return false;
    }
    XEvent event{};
    XNextEvent(display_, &event);
    wasQuit = handleEvent(event);
    return true;
}

bool X11MessagePump::handleEvent(const XEvent& event) {
    if (keys_ == nullptr || event.xany.window != window_) {
        return false;
    }
    switch (event.type) {
        case KeyPress: {
            XKeyEvent key = event.xkey;
            const KeySym symbol = XLookupKeysym(&key, 0);
            if (symbol == XK_Escape) {
                keys_->press(KeyTable::kEscape);
                escapeReleasePending_ = false;
            }
            return symbol == XK_q;
        }
        case KeyRelease: {
            XKeyEvent key = event.xkey;
            if (XLookupKeysym(&key, 0) == XK_Escape) {
                escapeReleasePending_ = true;
            }
            return false;
        }
        case ClientMessage:
            return ownsWindow_ && event.xclient.format == 32 &&
                   static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_;
        case ConfigureNotify:
            if (event.xconfigure.width != width_ || event.xconfigure.height != height_) {
                width_ = event.xconfigure.width;
                height_ = event.xconfigure.height;
                resizeViewport(width_, height_);
            }
            return false;
        case DestroyNotify:
            return true;  // nothing left to draw on
        default:
            return false;
    }
}

std::unique_ptr<RenderSurface> X11RendererPlatform::createWindow(const WindowRequest& request,
                                                                 KeyTable& keys) {
    auto window = std::make_unique<X11RenderWindow>(display_, adoptedWindow_, request);
    pump_.attach(window->window(), window->ownsWindow(), window->width(), window->height(), keys);
    return std::make_unique<PacedSurface>(std::move(window), options_, pacing_);
}

void X11RendererPlatform::showError(const char* message) {
    std::fprintf(stderr, "velmora: %s\n", message);
    failed_ = true;
}
