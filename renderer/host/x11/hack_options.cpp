// Parsing of the hack's command line: every fault becomes one error line.
#include "host/x11/hack_options.h"

#include <optional>

#include "common/whole_number.h"
#include "velmora_version.h"

namespace {

// "--name" or "-name" → "name"; anything else → "".
std::string optionName(const std::string& argument) {
    if (argument.size() > 2 && argument[0] == '-' && argument[1] == '-') {
        return argument.substr(2);
    }
    if (argument.size() > 1 && argument[0] == '-' && argument[1] != '-') {
        return argument.substr(1);
    }
    return "";
}

// Whole-string unsigned number in the given base; no sign, no spaces, no empty text.
bool parseUnsigned(const std::string& digits, int base, uint64_t limit, uint64_t& value) {
    const std::optional<uint64_t> parsed =
        velmora::parseWholeInteger<uint64_t>(digits, 0, limit, velmora::WholeNumberForm{base});
    if (!parsed) {
        return false;
    }
    value = *parsed;
    return true;
}

}  // namespace

bool parseWindowId(const std::string& text, uint32_t& windowId) {
    uint64_t value = 0;
    const bool isHex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const bool parsed = isHex ? parseUnsigned(text.substr(2), 16, 0xFFFFFFFFu, value)
                              : parseUnsigned(text, 10, 0xFFFFFFFFu, value);
    if (!parsed || value == 0) {
        return false;
    }
    windowId = static_cast<uint32_t>(value);
    return true;
}

ParsedOptions parseHackOptions(const std::vector<std::string>& arguments) {
    ParsedOptions result;
    bool rootAsked = false;
    bool windowAsked = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string name = optionName(argument);
        std::string inlineValue;
        bool hasInlineValue = false;
        const size_t equals = name.find('=');
        if (equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasInlineValue = true;
        }
        const bool takesValue = name == "window-id" || name == "delay";
        if (name.empty() || (hasInlineValue && !takesValue)) {
            result.error = "unknown option '" + argument + "' (try --help)";
            return result;
        }
        std::string value;
        if (takesValue) {
            if (hasInlineValue) {
                value = inlineValue;
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                result.error = "--" + name + " needs a value";
                return result;
            }
        }

        if (name == "root") {
            rootAsked = true;
        } else if (name == "window-id") {
            if (!parseWindowId(value, result.options.windowId)) {
                result.error =
                    "--window-id needs a window id (decimal or 0x hex), not '" + value + "'";
                return result;
            }
            windowAsked = true;
        } else if (name == "fps") {
            result.options.reportFrameRate = true;
        } else if (name == "delay") {
            uint64_t delay = 0;
            if (!parseUnsigned(value, 10, static_cast<uint64_t>(kMaxDelayMicroseconds), delay)) {
                result.error = "--delay needs microseconds from 0 to " +
                               std::to_string(kMaxDelayMicroseconds) + ", not '" + value + "'";
                return result;
            }
            result.options.delayMicroseconds = static_cast<int64_t>(delay);
            result.options.delayGiven = true;
        } else if (name == "help" || name == "h") {
            result.options.showUsage = true;
        } else {
            result.error = "unknown option '" + argument + "' (try --help)";
            return result;
        }
    }
    if (windowAsked) {
        result.options.target = DrawTarget::kGivenWindow;
    } else if (rootAsked) {
        result.options.target = DrawTarget::kRootWindow;
    }
    result.valid = true;
    return result;
}

bool resolveAdoptedWindow(const HackOptions& options, const char* screensaverWindow,
                          uint32_t& windowId, std::string& error) {
    windowId = 0;
    if (options.target == DrawTarget::kGivenWindow) {
        windowId = options.windowId;
        return true;
    }
    if (options.target != DrawTarget::kRootWindow || screensaverWindow == nullptr) {
        return true;
    }
    if (!parseWindowId(screensaverWindow, windowId)) {
        error = std::string("XSCREENSAVER_WINDOW is not a window id: '") + screensaverWindow + "'";
        return false;
    }
    return true;
}

std::string hackUsage() {
    return "velmora " VELMORA_VERSION "\n"
           "usage: velmora [--root | --window-id ID] [--fps] [--delay MICROSECONDS]\n"
           "  (no option)       draw in a 1024 x 768 window of its own; Esc or q ends it\n"
           "  --root            draw on $XSCREENSAVER_WINDOW, or on the root window\n"
           "  --window-id ID    draw on the window ID (decimal or 0x hex)\n"
           "  --fps             print frames per second and CPU use to stderr every second\n"
           "  --delay N         sleep N microseconds after every frame, 0 for flat out;\n"
           "                    by default frames follow the display's refresh rate\n"
           "                    (60 a second where the display does not say)\n";
}
