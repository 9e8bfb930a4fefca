// Number texts: see numeric_text.h.
#include "numeric_text.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace velmora {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isExponentLetter(char c) {
    return c == 'e' || c == 'E' || c == 'd' || c == 'D';
}

// Scans a number (sign, digits, fraction, exponent) from text[position]; returns the
// canonical form for strtod, or nothing if no digit was seen. position ends after the
// last character that belonged to the number. skip(c) tells characters to pass over.
template <typename Skip>
std::optional<std::string> scanNumber(std::string_view text, std::size_t& position, Skip skip) {
    std::string canonical;
    auto skipBlanks = [&] {
        while (position < text.size() && skip(text[position])) {
            ++position;
        }
    };
    skipBlanks();
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        canonical += text[position++];
        skipBlanks();
    }
    bool sawDigit = false;
    // Digits, with blanks among them passed over; stops at anything else.
    auto takeDigits = [&] {
        while (position < text.size()) {
            if (isDigit(text[position])) {
                canonical += text[position++];
                sawDigit = true;
            } else if (skip(text[position])) {
                ++position;
            } else {
                break;
            }
        }
    };
    takeDigits();
    if (position < text.size() && text[position] == '.') {
        canonical += text[position++];
        takeDigits();
    }
    if (!sawDigit) {
        return std::nullopt;
    }
    // An exponent counts only when digits follow it; otherwise the letter ends the number.
    if (position < text.size() && isExponentLetter(text[position])) {
        std::size_t look = position + 1;
        std::string exponent = "e";
        if (look < text.size() && (text[look] == '+' || text[look] == '-')) {
            exponent += text[look++];
        }
        bool exponentDigits = false;
        while (look < text.size() && (isDigit(text[look]) || skip(text[look]))) {
            if (isDigit(text[look])) {
                exponent += text[look];
                exponentDigits = true;
            }
            ++look;
        }
        if (exponentDigits) {
            canonical += exponent;
            position = look;
        }
    }
    return canonical;
}

double toDouble(const std::string& canonical) {
    return std::strtod(canonical.c_str(), nullptr);
}

}  // namespace

std::optional<double> parseWholeNumber(std::string_view text) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t position = 0;
    // Blanks only around the number and between the sign and the digits.
    auto noSkip = [](char) { return false; };
    while (position < text.size() && isBlank(text[position])) {
        ++position;
    }
    std::string sign;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        sign = text[position++];
        while (position < text.size() && isBlank(text[position])) {
            ++position;
        }
        if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
            return std::nullopt;
        }
    }
    std::optional<std::string> canonical = scanNumber(text, position, noSkip);
    if (!canonical) {
        return std::nullopt;
    }
    while (position < text.size() && isBlank(text[position])) {
        ++position;
    }
    if (position != text.size()) {
        return std::nullopt;
    }
    const double value = toDouble(sign + *canonical);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

double parseLeadingNumber(std::string_view text) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    std::size_t position = 0;
    std::optional<std::string> canonical = scanNumber(text, position, isBlank);
    if (!canonical) {
        return 0.0;
    }
    const double value = toDouble(*canonical);
    return std::isfinite(value) ? value : 0.0;
}

std::optional<std::int16_t> floorToInt16(double value) {
    const double floored = std::floor(value);
    if (!(floored >= -32768.0 && floored <= 32767.0)) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(floored);
}

namespace {

double roundHalfEven(double value) {
    const double floored = std::floor(value);
    const double fraction = value - floored;
    if (fraction > 0.5) {
        return floored + 1.0;
    }
    if (fraction < 0.5) {
        return floored;
    }
    return std::fmod(floored, 2.0) == 0.0 ? floored : floored + 1.0;
}

}  // namespace

std::optional<std::int16_t> roundHalfEvenToInt16(double value) {
    const double rounded = roundHalfEven(value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

std::optional<std::int32_t> roundHalfEvenToInt32(double value) {
    const double rounded = roundHalfEven(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace velmora
