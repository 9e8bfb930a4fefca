// velmora's entry point on Linux: the XScreenSaver hack's options, its stop signals and
// the X connection around the shared renderer.
#include <X11/Xlib.h>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/x11/hack_options.h"
#include "host/renderer_main.h"
#include "host/velmora_animation.h"
#include "host/x11/x11_platform.h"
#include "host/x11/x11_render_window.h"

namespace {

constexpr int kBadUsageExitCode = 2;
constexpr int kFailureExitCode = 1;

// Set by SIGTERM or SIGINT, read by the message pump: a signal handler can reach nothing
// but a process-wide flag.
volatile std::sig_atomic_t stopRequested = 0;

// The longest the frame loop may take to end after a stop signal. A frame that was being
// drawn when the owner destroyed the window can hang in the GL driver; a screen saver must
// not then stay behind, burning CPU.
constexpr unsigned kStopDeadlineSeconds = 5;

// The write end of the pipe that wakes the frame loop's wait for events: the flag alone
// would not end a wait that has already begun.
int stopWakeWrite = -1;

void requestStop(int) {
    if (stopRequested == 0) {
        alarm(kStopDeadlineSeconds);  // SIGALRM's default action ends the process
    }
    stopRequested = 1;
    if (stopWakeWrite >= 0) {
        const char byte = 1;
        const ssize_t written = write(stopWakeWrite, &byte, 1);  // full pipe: already woken
        static_cast<void>(written);
    }
}

// The stop pipe's read end, or -1 when the system has none to give.
int openStopWake() {
    int ends[2] = {-1, -1};
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return -1;
    }
    stopWakeWrite = ends[1];
    return ends[0];
}

// Without SA_RESTART, so that a --delay sleep ends at once and the loop stops cleanly.
void installStopSignals() {
    struct sigaction action {};
    action.sa_handler = &requestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParsedOptions parsed = parseHackOptions(arguments);
    if (!parsed.valid) {
        std::fprintf(stderr, "velmora: %s\n", parsed.error.c_str());
        return kBadUsageExitCode;
    }
    if (parsed.options.showUsage) {
        std::fputs(hackUsage().c_str(), stdout);
        return 0;
    }
    uint32_t adoptedWindow = 0;
    std::string error;
    if (!resolveAdoptedWindow(parsed.options, std::getenv("XSCREENSAVER_WINDOW"), adoptedWindow,
                              error)) {
        std::fprintf(stderr, "velmora: %s\n", error.c_str());
        return kBadUsageExitCode;
    }

    const int stopWake = openStopWake();
    installStopSignals();
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        const char* name = std::getenv("DISPLAY");
        std::fprintf(stderr, "velmora: cannot open the X display '%s'\n",
                     name != nullptr ? name : "");
        return kFailureExitCode;
    }
    installX11ErrorRecorder();
    Window target = adoptedWindow;
    if (parsed.options.target == DrawTarget::kRootWindow && target == 0) {
        target = RootWindow(display, DefaultScreen(display));
    }

    int exitCode = 0;
    {
        X11RendererPlatform platform(display, target, parsed.options, stopRequested, stopWake);
        VelmoraAnimation animation;
        runRenderer(platform, animation);
        alarm(0);  // the loop has ended: teardown (slow under valgrind) may take its time
        exitCode = platform.failed() ? kFailureExitCode : 0;
    }
    XCloseDisplay(display);
    return exitCode;
}
