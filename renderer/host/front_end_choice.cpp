// Which process is the renderer's screen saver: see front_end_choice.h.
#include "host/front_end_choice.h"

#include "common/whole_number.h"

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
    return velmora::parseWholeInteger<uint64_t>(text, 0, UINT64_MAX).value_or(0);
}
