// Text at the front-end's edge to Windows: UTF-8 inside, UTF-16 for the W calls, and the
// system's ANSI code page where files keep it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide);
std::string ansiToUtf8(std::string_view ansi);
// The ANSI form, or nothing when a character has none: converted without best-fit
// look-alikes and refused when the default character was used (see exactConversionFor).
std::optional<std::string> utf8ToAnsiExact(std::string_view utf8);

// How WideCharToMultiByte converts exactly into a code page. UTF-8 (65001) accepts only the
// flags 0 or WC_ERR_INVALID_CHARS and no used-default pointer, and has a form for every
// character; every other code page gets WC_NO_BEST_FIT_CHARS and the used-default check.
struct ExactConversion {
    unsigned long flags = 0;
    bool checkDefaultCharacter = false;
};
ExactConversion exactConversionFor(unsigned codePage);
// UTF-16LE as bytes, as a Unicode file holds it.
std::string utf16leToUtf8(std::string_view utf16le);
std::string utf8ToUtf16le(std::string_view utf8);

// The reason the system gives for an error number (FormatMessageW), in the front-end's own
// language, Japanese, when the system has it, else in the system's; no trailing line break.
std::string systemErrorText(std::uint32_t error);

}  // namespace velmora
