// The front-end's command line: the argument text, the mode letter and the preview-box handle.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The text after the program name of a full command line (as the system keeps it, UTF-8),
// without the blanks that separate it from the name. A quoted name ends at its closing quote.
std::string argumentText(std::string_view fullCommandLine);

// The second character of the upper-cased argument text, or 0 when there is none. The first
// character (a slash or a hyphen) is never looked at. Letters other than a-z give 0 too, as
// they can name no mode.
char modeLetter(std::string_view arguments);

// The decimal number that starts at the fourth character ("/p 1234", "/p:1234"), as a 32-bit
// handle value. The system writes handles as unsigned decimals: 2147483648 to 4294967295
// wrap to the negative values that sign-extend to the same window handle. No digits, or a
// number outside -2147483648..4294967295, give 0.
std::int32_t previewBoxHandle(std::string_view arguments);

}  // namespace velmora
