// Velmora.ini: see settings_file.h.
#include "settings_file.h"

#include <cstdint>

#include "numeric_text.h"
#include "profile_text.h"

namespace velmora {
namespace {

// An empty value gives 0; otherwise the number rounded down, or 0 when it is no number or
// does not fit 16 bits.
std::int16_t settingsNumber(const std::string& value) {
    if (value.empty()) {
        return 0;
    }
    const std::optional<double> number = parseWholeNumber(value);
    if (!number) {
        return 0;
    }
    return floorToInt16(*number).value_or(0);
}

}  // namespace

std::string settingsPath(const std::string& programFolder) {
    return programFolder + "\\Velmora.ini";
}

std::string readIni(FileSystem& files, std::string_view section, std::string_view key,
                    const std::string& path) {
    const std::optional<std::string> text = files.readFile(path, kSettingsReadLimit);
    if (!text) {
        return {};
    }
    return readProfileValue(*text, section, key);
}

void writeIni(FileSystem& files, std::string_view section, std::string_view key,
              std::string_view value, const std::string& path) {
    const std::string text = files.readFile(path, kSettingsReadLimit).value_or(std::string());
    files.writeFile(path, writeProfileValue(text, section, key, value));
}

std::string formatSettingsNumber(int value) {
    return (value >= 0 ? " " : "") + std::to_string(value);
}

void loadSettings(FileSystem& files, AnsiCodec& codec, const std::string& programFolder,
                  BgmSettings& settings) {
    const std::string path = settingsPath(programFolder);
    settings.kind = settingsNumber(readIni(files, kSettingsSection, kKeyBgmKind, path));
    settings.repeat = settingsNumber(readIni(files, kSettingsSection, kKeyBgmRepeat, path));
    const std::string file = readIni(files, kSettingsSection, kKeyBgmFile, path);
    settings.file = file.empty() ? std::string() : codec.ansiToUtf8(file);
    if (!settings.file.empty() && !fileExists(files, settings.file)) {
        settings.file.clear();
    }
    if (settings.file.empty() && settings.kind == kBgmFile) {
        settings.kind = kBgmNone;
    }
    settings.folder = settings.file.empty() ? programFolder : folderOf(settings.file);
}

bool fileExists(FileSystem& files, std::string path) {
    if (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    return files.canOpenForReading(path);
}

std::string folderOf(std::string_view path) {
    const std::size_t last = path.find_last_of(":\\");
    if (last == std::string_view::npos) {
        return {};
    }
    std::string folder(path.substr(0, last + 1));
    if (folder.back() == '\\') {
        folder.pop_back();
    }
    return folder;
}

}  // namespace velmora
