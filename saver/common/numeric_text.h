// Number texts as the front-end reads them: a whole-text parse for stored settings, a
// leading-number parse for the command line, and the two ways of making an integer of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora {

// The whole text as a decimal number: blanks (space, tab) around it, an optional sign,
// digits with an optional fraction, an optional exponent (e/E/d/D). At least one digit.
// Anything else anywhere gives no number.
std::optional<double> parseWholeNumber(std::string_view text);

// The number at the start of the text: blanks (space, tab, line feed) are skipped wherever
// they stand, reading stops at the first character that cannot continue the number, and a
// text without digits gives 0.
double parseLeadingNumber(std::string_view text);

// The largest integer not above the value, if it lies within -32768..32767.
std::optional<std::int16_t> floorToInt16(double value);

// The nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4), if it lies
// within -32768..32767.
std::optional<std::int16_t> roundHalfEvenToInt16(double value);

// The same rounding into -2147483648..2147483647.
std::optional<std::int32_t> roundHalfEvenToInt32(double value);

}  // namespace velmora
