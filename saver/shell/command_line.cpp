// The front-end's command line: see command_line.h.
#include "command_line.h"

#include <optional>

#include "numeric_text.h"

namespace velmora {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte offset of the character with the given index (0-based) in UTF-8 text, or npos.
std::size_t characterOffset(std::string_view text, std::size_t index) {
    std::size_t offset = 0;
    for (std::size_t seen = 0; seen < index; ++seen) {
        if (offset >= text.size()) {
            return std::string_view::npos;
        }
        ++offset;
        while (offset < text.size() && isContinuationByte(text[offset])) {
            ++offset;
        }
    }
    return offset < text.size() ? offset : std::string_view::npos;
}

}  // namespace

std::string argumentText(std::string_view fullCommandLine) {
    std::size_t position = 0;
    while (position < fullCommandLine.size() && isBlank(fullCommandLine[position])) {
        ++position;
    }
    if (position < fullCommandLine.size() && fullCommandLine[position] == '"') {
        const std::size_t closing = fullCommandLine.find('"', position + 1);
        position = closing == std::string_view::npos ? fullCommandLine.size() : closing + 1;
    }
    while (position < fullCommandLine.size() && !isBlank(fullCommandLine[position])) {
        ++position;
    }
    while (position < fullCommandLine.size() && isBlank(fullCommandLine[position])) {
        ++position;
    }
    return std::string(fullCommandLine.substr(position));
}

char modeLetter(std::string_view arguments) {
    const std::size_t offset = characterOffset(arguments, 1);
    if (offset == std::string_view::npos) {
        return 0;
    }
    const char c = arguments[offset];
    if (c >= 'a' && c <= 'z') {
        return static_cast<char>(c - 'a' + 'A');
    }
    if (c >= 'A' && c <= 'Z') {
        return c;
    }
    return 0;
}

std::int32_t previewBoxHandle(std::string_view arguments) {
    const std::size_t offset = characterOffset(arguments, 3);
    if (offset == std::string_view::npos) {
        return 0;
    }
    const double number = parseLeadingNumber(arguments.substr(offset));
    if (number >= 4294967295.5) {
        return 0;
    }
    // Above the signed range, count down by 2^32 into it: the same 32 bits.
    const double wrapped = number >= 2147483647.5 ? number - 4294967296.0 : number;
    return roundHalfEvenToInt32(wrapped).value_or(0);
}

}  // namespace velmora
