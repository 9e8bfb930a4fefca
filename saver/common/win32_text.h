// Text at the front-end's edge to Windows: UTF-8 inside, UTF-16 for the W calls, and the
// system's ANSI code page where files keep it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide);
std::string ansiToUtf8(std::string_view ansi);
// The ANSI form, or nothing when a character has none: converted without best-fit
// look-alikes (WC_NO_BEST_FIT_CHARS) and refused when the default character was used.
std::optional<std::string> utf8ToAnsiExact(std::string_view utf8);
// UTF-16LE as bytes, as a Unicode file holds it.
std::string utf16leToUtf8(std::string_view utf16le);
std::string utf8ToUtf16le(std::string_view utf8);

}  // namespace velmora
