// The settings file's Windows side: files through the W file calls, the ANSI code page.
#pragma once

#include "settings_file.h"

namespace velmora {

class Win32FileSystem : public FileSystem {
  public:
    std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) override;
    bool writeFile(const std::string& path, std::string_view bytes) override;
    bool canOpenForReading(const std::string& path) override;
};

class Win32AnsiCodec : public AnsiCodec {
  public:
    std::string ansiToUtf8(std::string_view ansi) override;
    std::string utf8ToAnsi(std::string_view utf8) override;
};

// The folder of the running program (UTF-8, without a trailing backslash).
std::string programFolder();

}  // namespace velmora
