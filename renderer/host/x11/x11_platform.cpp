// The X11 platform of the renderer: clock, pacing, event translation and window factory.
#include "host/x11/x11_platform.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

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
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, window.window(), &attributes) != 0 &&
        attributes.root == window.window()) {
        screenSaverStatus_ = XInternAtom(display_, "_SCREENSAVER_STATUS", False);
        lockerStateQueued_ = true;
    }
}

bool X11EventSource::lockerShown() {
    // XScreenSaver's status: 32-bit items, the first of which is the atom BLANK or LOCK
    // while its window is up and 0 while it is not.
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    bool shown = false;
    if (XGetWindowProperty(display_, window_->window(), screenSaverStatus_, 0, 1, False, XA_INTEGER,
                           &type, &format, &count, &remaining, &data) == Success &&
        data != nullptr) {
        if (type == XA_INTEGER && format == 32 && count >= 1) {
            const Atom state = static_cast<Atom>(reinterpret_cast<const long*>(data)[0]);
            shown = state != None;
        }
        XFree(data);
    }
    return shown;
}

void X11EventSource::waitForEvent() {
    // Events Xlib has already read from the connection would never wake the poll.
    if (XPending(display_) > 0) {
        return;
    }
    pollfd watched[2] = {{ConnectionNumber(display_), POLLIN, 0}, {stopWake_, POLLIN, 0}};
    poll(watched, stopWake_ >= 0 ? 2 : 1, -1);  // EINTR from a signal: the loop looks again
}

bool X11EventSource::nextEvent(HackEvent& event) {
    if (lockerStateQueued_) {
        lockerStateQueued_ = false;
        event.kind = lockerShown() ? HackEvent::Kind::kLockerShown : HackEvent::Kind::kLockerGone;
        return true;
    }
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
        case MapNotify:
            event.kind = HackEvent::Kind::kMapped;
            break;
        case UnmapNotify:
            event.kind = HackEvent::Kind::kUnmapped;
            break;
        case VisibilityNotify:
            event.kind = received.xvisibility.state == VisibilityFullyObscured
                             ? HackEvent::Kind::kFullyCovered
                             : HackEvent::Kind::kUncovered;
            break;
        case PropertyNotify:
            if (screenSaverStatus_ != None && received.xproperty.atom == screenSaverStatus_) {
                event.kind =
                    lockerShown() ? HackEvent::Kind::kLockerShown : HackEvent::Kind::kLockerGone;
            }
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
    pump_.attach(keys, window->visibility(), window->width(), window->height());
    return std::make_unique<PacedSurface>(std::move(window), options_, pacing_);
}

void X11RendererPlatform::showError(const char* message) {
    std::fprintf(stderr, "velmora: %s\n", message);
    failed_ = true;
}
