// Velmora.ini: the file format, its three keys, and loading them into the shared settings.
// File access and the system's ANSI code page sit behind narrow interfaces.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "bgm_settings.h"

namespace velmora {

// The file system as the settings need it. Paths are UTF-8.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // At most maxBytes bytes from the start of the file, or nothing if it cannot be read.
    virtual std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) = 0;
    // Replaces the file's content; false on failure.
    virtual bool writeFile(const std::string& path, std::string_view bytes) = 0;
    // True if the file can be opened for reading (folders and locked files cannot).
    virtual bool canOpenForReading(const std::string& path) = 0;
};

// The system's ANSI code page, in which the file keeps the music path.
class AnsiCodec {
  public:
    virtual ~AnsiCodec() = default;
    virtual std::string ansiToUtf8(std::string_view ansi) = 0;
    virtual std::string utf8ToAnsi(std::string_view utf8) = 0;
};

// Section and key names as they stand in the file: the keys in Shift-JIS whatever the
// system's code page ("BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ").
inline constexpr std::string_view kSettingsSection = "Section";
inline constexpr std::string_view kKeyBgmKind = "BGM\x8B\xE6\x95\xAA";
inline constexpr std::string_view kKeyBgmRepeat = "BGM\xD8\xCB\xDF\xB0\xC4";
inline constexpr std::string_view kKeyBgmFile = "BGM\xCC\xA7\xB2\xD9";

// A settings file larger than this is read from its first 4 MiB only (bytes).
constexpr std::size_t kSettingsReadLimit = 4u << 20;

// The settings file of a program folder (UTF-8, no trailing backslash): folder\Velmora.ini.
std::string settingsPath(const std::string& programFolder);

// ReadIni: the value's bytes, empty when the file, section or key is missing; at most 255.
std::string readIni(FileSystem& files, std::string_view section, std::string_view key,
                    const std::string& path);

// WriteIni: writes one value's bytes; a failure is not reported.
void writeIni(FileSystem& files, std::string_view section, std::string_view key,
              std::string_view value, const std::string& path);

// How the settings dialog writes a number: a blank before zero and positive numbers,
// "-" before negative ones (2 -> " 2", -1 -> "-1").
std::string formatSettingsNumber(int value);

// LoadSettings: fills the shared settings from programFolder\Velmora.ini.
void loadSettings(FileSystem& files, AnsiCodec& codec, const std::string& programFolder,
                  BgmSettings& settings);

// FileExists: true if the file can be opened for reading; a trailing "\" is dropped first.
bool fileExists(FileSystem& files, std::string path);

// FolderOf: the path up to its last ":" or "\", without a trailing "\".
std::string folderOf(std::string_view path);

}  // namespace velmora
