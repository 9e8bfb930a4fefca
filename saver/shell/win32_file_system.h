// The settings file's Windows side: files through the W file calls, the ANSI code page.
#pragma once

#include "settings_file.h"

namespace velmora {

class Win32FileSystem : public FileSystem {
  public:
    WholeFile readFile(const std::string& path, std::size_t maxBytes) override;
    WholeFile readWholeFile(const std::string& path) override;
    FileOutcome writeFlushed(const std::string& path, std::string_view bytes) override;
    FileOutcome replaceFile(const std::string& source, const std::string& target,
                            const std::string& backup) override;
    bool removeFile(const std::string& path) override;
    FileOutcome makeFolder(const std::string& path) override;
    bool canOpenForReading(const std::string& path) override;
    bool exists(const std::string& path) override;
    FolderListing filesStartingWith(const std::string& pathPrefix) override;
    std::optional<std::string> shortPathName(const std::string& path) override;
    std::string userSettingsFolder() override;
    std::uint32_t processId() override;
    void pause(unsigned milliseconds) override;
};

// The ANSI code page, with the exact conversion done the way that code page allows: UTF-8
// (65001) takes neither WC_NO_BEST_FIT_CHARS nor a used-default flag, and every text has an
// exact UTF-8 form.
class Win32AnsiCodec : public AnsiCodec {
  public:
    std::string ansiToUtf8(std::string_view ansi) override;
    std::optional<std::string> utf8ToAnsiExact(std::string_view utf8) override;
    std::string utf16leToUtf8(std::string_view utf16le) override;
    std::string utf8ToUtf16le(std::string_view utf8) override;
};

// The folder of the running program (UTF-8, without a trailing backslash).
std::string programFolder();

}  // namespace velmora
