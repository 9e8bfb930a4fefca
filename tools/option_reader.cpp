// Option and number parsing for the velmora-tool commands.
#include "option_reader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "common/whole_number.h"

bool OptionReader::next(std::string& option) {
    if (position_ >= arguments_.size()) {
        return false;
    }
    option = arguments_[position_++];
    return true;
}

std::string OptionReader::value(const std::string& option) {
    if (position_ >= arguments_.size()) {
        throw UsageError{option + " needs a value"};
    }
    return arguments_[position_++];
}

int32_t parseInteger(const std::string& option, const std::string& text) {
    // Read as the C library reads numbers: blanks before it, a sign of either kind.
    const std::optional<int32_t> number = velmora::parseWholeInteger<int32_t>(
        text, INT32_MIN, INT32_MAX, velmora::WholeNumberForm{10, true, velmora::kCLibrarySpaces});
    if (!number) {
        throw UsageError{option + " wants a whole number, not '" + text + "'"};
    }
    return *number;
}

double parseNumber(const std::string& option, const std::string& text) {
    errno = 0;
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(number)) {
        throw UsageError{option + " wants a finite number, not '" + text + "'"};
    }
    return number;
}

void parseSize(const std::string& option, const std::string& text, int32_t& width,
               int32_t& height) {
    const size_t cross = text.find('x');
    if (cross == std::string::npos) {
        throw UsageError{option + " wants WIDTHxHEIGHT, not '" + text + "'"};
    }
    width = parseInteger(option, text.substr(0, cross));
    height = parseInteger(option, text.substr(cross + 1));
    if (width < 1 || width > 8192 || height < 1 || height > 8192) {
        throw UsageError{option + " sides must be 1 to 8192 pixels, not '" + text + "'"};
    }
}
