// Private-profile text: see profile_text.h.
#include "profile_text.h"

#include <vector>

namespace velmora {
namespace {

struct Line {
    std::size_t begin = 0;  // first byte of the line
    std::size_t end = 0;    // one past its last byte, line break excluded
    std::size_t next = 0;   // first byte of the following line
};

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t feed = text.find('\n', begin);
        Line line;
        line.begin = begin;
        line.end = feed == std::string_view::npos ? text.size() : feed;
        line.next = feed == std::string_view::npos ? text.size() : feed + 1;
        lines.push_back(line);
        begin = line.next;
    }
    return lines;
}

bool isProfileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isProfileBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isProfileBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool isShiftJisLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

unsigned char foldAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Names match without regard to ASCII case; the trail byte of a double-byte character is
// compared exactly, as it is no letter of its own.
bool namesMatch(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (isShiftJisLeadByte(ca) && i + 1 < a.size()) {
            if (ca != cb || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
            continue;
        }
        if (foldAscii(ca) != foldAscii(cb)) {
            return false;
        }
    }
    return true;
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value;
};

ParsedLine parseLine(std::string_view line) {
    ParsedLine parsed;
    const std::string_view content = trim(line);
    if (content.empty()) {
        return parsed;
    }
    if (content.front() == '[') {
        const std::size_t closing = content.rfind(']');
        if (closing != std::string_view::npos && closing > 0) {
            parsed.kind = LineKind::Section;
            parsed.name = trim(content.substr(1, closing - 1));
        }
        return parsed;
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) {
        return parsed;
    }
    parsed.kind = LineKind::Key;
    parsed.name = trim(content.substr(0, equals));
    parsed.value = trim(content.substr(equals + 1));
    return parsed;
}

// The text of the file without a UTF-8 byte-order mark, and how many bytes it had.
std::size_t byteOrderMarkLength(std::string_view text) {
    return text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

struct Location {
    bool sectionFound = false;
    std::size_t sectionLine = 0;      // index of the section's header line
    std::size_t lastSectionLine = 0;  // index of the last non-blank line of the section
    bool keyFound = false;
    std::size_t keyLine = 0;
};

Location locate(std::string_view text, const std::vector<Line>& lines, std::string_view section,
                std::string_view key) {
    Location location;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed =
            parseLine(text.substr(lines[i].begin, lines[i].end - lines[i].begin));
        if (parsed.kind == LineKind::Section) {
            if (inSection) {
                break;
            }
            if (namesMatch(parsed.name, section)) {
                inSection = true;
                location.sectionFound = true;
                location.sectionLine = i;
                location.lastSectionLine = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!trim(text.substr(lines[i].begin, lines[i].end - lines[i].begin)).empty()) {
            location.lastSectionLine = i;
        }
        if (parsed.kind == LineKind::Key && !location.keyFound && namesMatch(parsed.name, key)) {
            location.keyFound = true;
            location.keyLine = i;
        }
    }
    return location;
}

}  // namespace

std::string readProfileValue(std::string_view fileText, std::string_view section,
                             std::string_view key, std::size_t limit) {
    const std::string_view text = fileText.substr(byteOrderMarkLength(fileText));
    const std::vector<Line> lines = splitLines(text);
    const Location location = locate(text, lines, section, key);
    if (!location.keyFound) {
        return {};
    }
    const Line& line = lines[location.keyLine];
    std::string_view value = parseLine(text.substr(line.begin, line.end - line.begin)).value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    const std::size_t nul = value.find('\0');
    if (nul != std::string_view::npos) {
        value = value.substr(0, nul);
    }
    return std::string(value.substr(0, limit));
}

std::string writeProfileValue(std::string_view fileText, std::string_view section,
                              std::string_view key, std::string_view value) {
    const std::size_t mark = byteOrderMarkLength(fileText);
    const std::string_view text = fileText.substr(mark);
    const std::vector<Line> lines = splitLines(text);
    const Location location = locate(text, lines, section, key);
    const std::string keyLine = std::string(key) + "=" + std::string(value) + "\r\n";
    std::string result(fileText.substr(0, mark));
    if (location.keyFound) {
        const Line& line = lines[location.keyLine];
        result.append(text.substr(0, line.begin));
        result.append(keyLine);
        result.append(text.substr(line.next));
        return result;
    }
    if (location.sectionFound) {
        const Line& line = lines[location.lastSectionLine];
        result.append(text.substr(0, line.next));
        if (line.next == line.end) {
            result.append("\r\n");  // the section's last line had no line break
        }
        result.append(keyLine);
        result.append(text.substr(line.next));
        return result;
    }
    result.append(text);
    if (!text.empty() && text.back() != '\n') {
        result.append("\r\n");
    }
    result.append("[").append(section).append("]\r\n").append(keyLine);
    return result;
}

std::string removeProfileKey(std::string_view fileText, std::string_view section,
                             std::string_view key) {
    const std::size_t mark = byteOrderMarkLength(fileText);
    const std::string_view text = fileText.substr(mark);
    const std::vector<Line> lines = splitLines(text);
    const Location location = locate(text, lines, section, key);
    if (!location.keyFound) {
        return std::string(fileText);
    }
    const Line& line = lines[location.keyLine];
    std::string result(fileText.substr(0, mark + line.begin));
    result.append(text.substr(line.next));
    return result;
}

}  // namespace velmora
