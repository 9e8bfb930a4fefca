// Which process is the renderer's screen saver: see front_end_choice.h.
#include "host/front_end_choice.h"

namespace {

bool endsInScr(const std::string& fileName) {
    if (fileName.size() < 4) {
        return false;
    }
    std::string ending = fileName.substr(fileName.size() - 4);
    for (char& c : ending) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return ending == ".scr";
}

}  // namespace

bool isOwnScreenSaver(const std::string& exeFile, uint64_t createdAt, uint64_t selfCreatedAt) {
    return (exeFile.empty() || endsInScr(exeFile)) && createdAt < selfCreatedAt;
}

uint64_t frontEndHandleValue(const std::string& text) {
    if (text.empty() || text.size() > 19) {
        return 0;
    }
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}
