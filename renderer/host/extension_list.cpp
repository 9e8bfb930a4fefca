// Whole-word search of an extension list.
#include "host/extension_list.h"

#include <cstring>

bool extensionListHas(const char* extensions, const char* name) {
    const size_t length = name == nullptr ? 0 : std::strlen(name);
    if (extensions == nullptr || length == 0) {
        return false;
    }
    for (const char* found = std::strstr(extensions, name); found != nullptr;
         found = std::strstr(found + length, name)) {
        const bool startsWord = found == extensions || found[-1] == ' ';
        const bool endsWord = found[length] == '\0' || found[length] == ' ';
        if (startsWord && endsWord) {
            return true;
        }
    }
    return false;
}
