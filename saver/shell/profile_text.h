// Private-profile (INI) text handled as bytes, read and written the way the platform's
// private-profile services do, so that files written by either side read the same.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Longest value a read returns, in bytes (the readers' 256-byte buffer minus its NUL).
constexpr std::size_t kProfileValueLimit = 255;

// The value of key in section, or the empty string when the section or key is missing.
// Lines end at LF (a CR before it belongs to the line end); section and key names are
// compared without regard to ASCII case (double-byte Shift-JIS characters exactly) and
// with the blanks around them ignored; the blanks around a value and one pair of matching
// quotes enclosing it are dropped; the value ends at a NUL byte and is cut to 255 bytes.
// The first matching section and the first matching key in it count.
std::string readProfileValue(std::string_view fileText, std::string_view section,
                             std::string_view key, std::size_t limit = kProfileValueLimit);

// The file text after writing key=value into section: an existing key's line is replaced,
// a new key goes after the last line of its section, a new section is added at the end.
// Lines that are written end in CR LF; everything else stays byte for byte.
std::string writeProfileValue(std::string_view fileText, std::string_view section,
                              std::string_view key, std::string_view value);

// The file text without the first line of key in section; unchanged when there is none.
std::string removeProfileKey(std::string_view fileText, std::string_view section,
                             std::string_view key);

}  // namespace velmora
