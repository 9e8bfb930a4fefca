// Velmora.ini's encodings and the all-or-nothing store: see settings_store.h.
#include "settings_store.h"

#include "profile_text.h"

namespace velmora {
namespace {

constexpr std::string_view kUtf16Mark = "\xFF\xFE";
// The key names in UTF-8, for a UTF-16 file: "BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ".
constexpr std::string_view kUtf8KeyBgmKind = "BGM\xE5\x8C\xBA\xE5\x88\x86";
constexpr std::string_view kUtf8KeyBgmRepeat =
    "BGM\xEF\xBE\x98\xEF\xBE\x8B\xEF\xBE\x9F\xEF\xBD\xB0\xEF\xBE\x84";
constexpr std::string_view kUtf8KeyBgmFile = "BGM\xEF\xBE\x8C\xEF\xBD\xA7\xEF\xBD\xB2\xEF\xBE\x99";

// The ANSI form of a text that converts back to exactly the same text and fits the
// reader's 255 bytes.
std::optional<std::string> exactAnsi(AnsiCodec& codec, const std::string& text) {
    std::optional<std::string> ansi = codec.utf8ToAnsiExact(text);
    if (!ansi || ansi->size() > kProfileValueLimit || codec.ansiToUtf8(*ansi) != text) {
        return std::nullopt;
    }
    return ansi;
}

// Writes the bytes beside target and puts them in its place; false leaves target and its
// folder as they were.
bool replaceWhole(FileSystem& files, const std::string& target, const std::string& bytes) {
    const std::string temporary = target + ".tmp";
    if (!files.writeFlushed(temporary, bytes) || !files.replaceFile(temporary, target)) {
        files.removeFile(temporary);
        return false;
    }
    return true;
}

// The whole store into one file, or false with the file untouched.
bool storeInto(FileSystem& files, AnsiCodec& codec, const std::string& target,
               const SettingsChoice& choice, const MusicPathValues& path) {
    const WholeFile current = files.readWholeFile(target);
    if (current.state == FileState::Unreadable) {
        return false;  // what it holds would be lost
    }
    return replaceWhole(files, target, settingsFileAfterStore(codec, current.bytes, choice, path));
}

}  // namespace

SettingsDocument decodeSettingsFile(AnsiCodec& codec, std::string_view bytes) {
    SettingsDocument document;
    if (bytes.substr(0, kUtf16Mark.size()) == kUtf16Mark) {
        document.utf16 = true;
        std::string_view units = bytes.substr(kUtf16Mark.size());
        units = units.substr(0, units.size() & ~static_cast<std::size_t>(1));
        document.text = codec.utf16leToUtf8(units);
    } else {
        document.text = std::string(bytes);
    }
    return document;
}

std::string encodeSettingsFile(AnsiCodec& codec, const SettingsDocument& document) {
    if (!document.utf16) {
        return document.text;
    }
    return std::string(kUtf16Mark) + codec.utf8ToUtf16le(document.text);
}

SettingsKeyNames settingsKeyNames(const SettingsDocument& document) {
    if (document.utf16) {
        return {kUtf8KeyBgmKind, kUtf8KeyBgmRepeat, kUtf8KeyBgmFile};
    }
    return {kKeyBgmKind, kKeyBgmRepeat, kKeyBgmFile};
}

std::optional<MusicPathValues> musicPathValues(FileSystem& files, AnsiCodec& codec,
                                               const std::string& path) {
    MusicPathValues values;
    if (path.empty()) {
        return values;
    }
    if (std::optional<std::string> ansi = exactAnsi(codec, path)) {
        values.legacy = path;
        values.legacyAnsi = *ansi;
        return values;
    }
    if (path.size() > kUtf8PathLimit) {
        return std::nullopt;
    }
    values.full = path;
    // Older readers get the short name when it has an exact ANSI form, else nothing.
    if (std::optional<std::string> shortName = files.shortPathName(path)) {
        if (std::optional<std::string> ansi = exactAnsi(codec, *shortName)) {
            values.legacy = *shortName;
            values.legacyAnsi = *ansi;
        }
    }
    return values;
}

std::string settingsFileAfterStore(AnsiCodec& codec, std::string_view current,
                                   const SettingsChoice& choice, const MusicPathValues& path) {
    SettingsDocument document = decodeSettingsFile(codec, current);
    const SettingsKeyNames keys = settingsKeyNames(document);
    std::string& text = document.text;
    text = writeProfileValue(text, kSettingsSection, keys.kind, formatSettingsNumber(choice.kind));
    text =
        writeProfileValue(text, kSettingsSection, keys.repeat, formatSettingsNumber(choice.repeat));
    text = writeProfileValue(text, kSettingsSection, keys.file,
                             document.utf16 ? path.legacy : path.legacyAnsi);
    if (path.full) {
        text = writeProfileValue(text, kSettingsSection, kKeyBgmFileUtf8, *path.full);
    } else {
        // A full path left from an earlier store would be read before the new one.
        text = removeProfileKey(text, kSettingsSection, kKeyBgmFileUtf8);
    }
    return encodeSettingsFile(codec, document);
}

std::string userSettingsPath(FileSystem& files) {
    const std::string folder = files.userSettingsFolder();
    return folder.empty() ? std::string() : settingsPath(folder);
}

StoreResult storeSettings(FileSystem& files, AnsiCodec& codec, const std::string& programFolder,
                          const SettingsChoice& choice) {
    StoreResult result;
    result.programFile = settingsPath(programFolder);
    result.userFile = userSettingsPath(files);
    // The dialog's chooser lets no unstorable path through; one from elsewhere is dropped.
    const MusicPathValues path =
        musicPathValues(files, codec, choice.file).value_or(MusicPathValues{});

    const bool userStoreKnown = !result.userFile.empty();
    if (storeInto(files, codec, result.programFile, choice, path)) {
        // A readable per-user file is read first: a copy left there would hide this store.
        if (!userStoreKnown || !files.canOpenForReading(result.userFile) ||
            files.removeFile(result.userFile)) {
            result.place = StorePlace::BesideProgram;
            return result;
        }
    }
    if (userStoreKnown && files.makeFolder(files.userSettingsFolder()) &&
        storeInto(files, codec, result.userFile, choice, path)) {
        result.place = StorePlace::PerUser;
    }
    return result;
}

}  // namespace velmora
