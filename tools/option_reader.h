// Reading `--name value` options of a velmora-tool command; every fault is a UsageError.
#pragma once

#include <cstdint>
#include <string>

#include "tool_command.h"

class OptionReader {
  public:
    explicit OptionReader(const ToolArguments& arguments) : arguments_(arguments) {}

    // False when every argument has been read; otherwise the next option name.
    bool next(std::string& option);
    // The value that follows the option just read.
    std::string value(const std::string& option);

  private:
    const ToolArguments& arguments_;
    size_t position_ = 0;
};

// Whole-string numbers; anything else (or out of range) names the option in a UsageError.
int32_t parseInteger(const std::string& option, const std::string& text);
double parseNumber(const std::string& option, const std::string& text);
// "WxH" with each side 1 to 8192 pixels.
void parseSize(const std::string& option, const std::string& text, int32_t& width, int32_t& height);
