// The X11 platform of the renderer: clock, pacing, event translation and window factory.
#include "host/x11/x11_platform.h"

#include <X11/keysym.h>

#include <cstdio>
#include <ctime>

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

void PosixPacingServices::sleepSeconds(double seconds) {
    sleepMicroseconds(static_cast<int64_t>(seconds * 1e6));
}

void PosixPacingServices::report(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void X11EventSource::attach(X11RenderWindow& window) {
    window_ = &window;
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
}

bool X11EventSource::nextEvent(HackEvent& event) {
    if (XPending(display_) == 0) {
        return false;
    }
    XEvent received{};
    XNextEvent(display_, &received);
    event = translate(received);
    return true;
}

void X11EventSource::stopDrawing() {
    if (window_ != nullptr) {
        window_->windowLost();
    }
}

HackEvent X11EventSource::translate(const XEvent& received) {
    HackEvent event;
    if (window_ == nullptr || received.xany.window != window_->window()) {
        return event;
    }
    const bool ownsWindow = window_->ownsWindow();
    switch (received.type) {
        case KeyPress:
        case KeyRelease: {
            XKeyEvent key = received.xkey;
            const KeySym symbol = XLookupKeysym(&key, 0);  // unshifted: q and Q alike
            const bool pressed = received.type == KeyPress;
            if (ownsWindow && symbol == XK_Escape) {
                event.kind =
                    pressed ? HackEvent::Kind::kEscapePressed : HackEvent::Kind::kEscapeReleased;
            } else if (ownsWindow && pressed && symbol == XK_q) {
                event.kind = HackEvent::Kind::kQuitKey;
            }
            break;
        }
        case ClientMessage:
            if (ownsWindow && received.xclient.format == 32 &&
                static_cast<Atom>(received.xclient.data.l[0]) == deleteWindow_) {
                event.kind = HackEvent::Kind::kCloseRequest;
            }
            break;
        case ConfigureNotify:
            event.kind = HackEvent::Kind::kResized;
            event.width = received.xconfigure.width;
            event.height = received.xconfigure.height;
            break;
        case DestroyNotify:
            window_->windowLost();  // before the loop's last frame
            event.kind = HackEvent::Kind::kWindowGone;
            break;
        default:
            break;
    }
    return event;
}

std::unique_ptr<RenderSurface> X11RendererPlatform::createWindow(const WindowRequest& request,
                                                                 KeyTable& keys) {
    auto window = std::make_unique<X11RenderWindow>(display_, adoptedWindow_, request);
    events_.attach(*window);
    pump_.attach(keys, window->width(), window->height());
    return std::make_unique<PacedSurface>(std::move(window), options_, pacing_);
}

void X11RendererPlatform::showError(const char* message) {
    std::fprintf(stderr, "velmora: %s\n", message);
    failed_ = true;
}
