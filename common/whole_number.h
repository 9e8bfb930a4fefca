// Whole numbers from text, the one way the renderer, the front-end and the tools read an
// integer: std::from_chars over the whole text, then a range check.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>
#include <type_traits>

namespace velmora {

// What a caller's texts may hold besides the digits and, for signed types, a leading '-'.
struct WholeNumberForm {
    int base = 10;                      // 10, or 16 for the digits 0-9, a-f, A-F (no "0x")
    bool plusSign = false;              // a leading '+' as well
    std::string_view leadingBlanks{};   // characters passed over before the number
    std::string_view trailingBlanks{};  // and after it
};

// The characters the C library passes over before a number (isspace in the "C" locale).
inline constexpr std::string_view kCLibrarySpaces = " \t\n\v\f\r";

// The whole text as an integer within [low, high], or nothing: no digits, one character
// the form does not allow anywhere, or a value out of range (however many digits) all give
// nothing.
template <typename Integer>
std::optional<Integer> parseWholeInteger(std::string_view text, Integer low, Integer high,
                                         const WholeNumberForm& form = {}) {
    static_assert(std::is_integral_v<Integer> && !std::is_same_v<Integer, bool>, "an integer type");
    const std::size_t first = text.find_first_not_of(form.leadingBlanks);
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text.remove_prefix(first);
    const std::size_t last = text.find_last_not_of(form.trailingBlanks);
    if (last == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(0, last + 1);
    if (form.plusSign && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;  // one sign at most
        }
    }
    Integer value{};
    const char* const end = text.data() + text.size();
    const std::from_chars_result result = std::from_chars(text.data(), end, value, form.base);
    if (result.ec != std::errc() || result.ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace velmora
