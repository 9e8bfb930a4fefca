// Velmora.ini: see settings_file.h.
#include "settings_file.h"

#include <cstdint>

#include "numeric_text.h"
#include "profile_text.h"
#include "settings_store.h"

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

// A UTF-8 value cut at a length limit, without a character cut in two at its end.
std::string utf8Prefix(std::string text) {
    std::size_t end = text.size();
    std::size_t start = end;
    while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) {
        --start;
    }
    if (start > 0 && static_cast<unsigned char>(text[start - 1]) >= 0xC0) {
        const auto lead = static_cast<unsigned char>(text[start - 1]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (end - (start - 1) < length) {
            end = start - 1;
        }
    }
    text.resize(end);
    return text;
}

}  // namespace

std::string settingsPath(const std::string& programFolder) {
    return programFolder + "\\Velmora.ini";
}

std::string readIni(FileSystem& files, std::string_view section, std::string_view key,
                    const std::string& path) {
    const WholeFile file = files.readFile(path, kSettingsReadLimit);
    return readProfileValue(file.bytes, section, key);
}

std::string formatSettingsNumber(int value) {
    return (value >= 0 ? " " : "") + std::to_string(value);
}

void loadSettings(FileSystem& files, AnsiCodec& codec, const std::string& programFolder,
                  BgmSettings& settings) {
    // The per-user file is where a store goes when the program's folder cannot be written.
    const std::string userFile = userSettingsPath(files);
    std::optional<std::string> bytes;
    if (!userFile.empty()) {
        bytes = readSettingsPlace(files, userFile);
    }
    if (!bytes) {
        bytes = readSettingsPlace(files, settingsPath(programFolder));
    }
    const SettingsDocument document = decodeSettingsFile(codec, bytes.value_or(std::string()));
    const SettingsKeyNames keys = settingsKeyNames(document);
    settings.kind = settingsNumber(readProfileValue(document.text, kSettingsSection, keys.kind));
    settings.repeat =
        settingsNumber(readProfileValue(document.text, kSettingsSection, keys.repeat));
    // The whole path when the file keeps one, else the path in the file's own encoding.
    settings.file = utf8Prefix(
        readProfileValue(document.text, kSettingsSection, kKeyBgmFileUtf8, kUtf8PathLimit));
    if (settings.file.empty()) {
        const std::string file =
            readProfileValue(document.text, kSettingsSection, keys.file,
                             document.unicode() ? kUtf8PathLimit : kProfileValueLimit);
        settings.file = document.unicode() ? utf8Prefix(file) : codec.ansiToUtf8(file);
    }
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
