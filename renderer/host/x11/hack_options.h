// Command line of velmora as an XScreenSaver hack: where it draws, how it paces and reports
// its frames. Options take one or two leading dashes; a value follows as `--delay 100` or
// `--delay=100`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class DrawTarget {
    kOwnWindow,    // a 1024 x 768 window of its own (the default)
    kRootWindow,   // --root: XSCREENSAVER_WINDOW when set, else the screen's root window
    kGivenWindow,  // --window-id ID
};

struct HackOptions {
    DrawTarget target = DrawTarget::kOwnWindow;
    uint32_t windowId = 0;          // the window of kGivenWindow, never 0
    bool reportFrameRate = false;   // --fps: frames per second and CPU use on stderr
    // Without --delay, frames are paced by the display's refresh (60 Hz when unknown).
    // --delay N: sleep N microseconds (0 to kMaxDelay) after every frame instead, as
    // XScreenSaver's hacks do, with no pacing on top; --delay 0 runs flat out.
    bool delayGiven = false;
    int64_t delayMicroseconds = 0;
    bool showUsage = false;         // --help
};

// The longest sleep between frames: 10 s.
inline constexpr int64_t kMaxDelayMicroseconds = 10000000;

struct ParsedOptions {
    bool valid = false;
    HackOptions options;
    std::string error;  // one line, set when !valid
};

// Arguments without the program name. --window-id wins over --root whatever their order,
// because a settings tool's preview appends it to a command line that carries --root.
ParsedOptions parseHackOptions(const std::vector<std::string>& arguments);

// A window id in decimal or 0x hex, 1 to 0xFFFFFFFF; false for anything else.
bool parseWindowId(const std::string& text, uint32_t& windowId);

// The window to adopt for a target other than kOwnWindow: for --root, the window named by
// XSCREENSAVER_WINDOW (screensaverWindow, nullptr when unset), or 0 meaning the root window.
// False with an error line when the variable is set but names no window id.
bool resolveAdoptedWindow(const HackOptions& options, const char* screensaverWindow,
                          uint32_t& windowId, std::string& error);

// The --help text, several lines.
std::string hackUsage();
