// Velmora.ini's two encodings (ANSI bytes, or UTF-16 with a byte-order mark), the forms a
// music path takes in it, and the all-or-nothing store of the settings dialog's choice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings_file.h"

namespace velmora {

// A settings file's text as the profile reader and writer see it: the bytes of an ANSI
// file as they stand, or a UTF-16 file as UTF-8 without its byte-order mark.
struct SettingsDocument {
    bool utf16 = false;
    std::string text;
};

SettingsDocument decodeSettingsFile(AnsiCodec& codec, std::string_view bytes);
// Back to the file's own encoding: a UTF-16 document stays UTF-16, with its mark.
std::string encodeSettingsFile(AnsiCodec& codec, const SettingsDocument& document);

// The three key names in the document's encoding (Shift-JIS bytes, or UTF-8).
struct SettingsKeyNames {
    std::string_view kind;
    std::string_view repeat;
    std::string_view file;
};
SettingsKeyNames settingsKeyNames(const SettingsDocument& document);

// The music path as the file keeps it. "BGMﾌｧｲﾙ" holds the path, or its short name, only
// when the ANSI code page holds it whole (else it is empty); "BGMFileUTF8" holds the whole
// path whenever "BGMﾌｧｲﾙ" does not.
struct MusicPathValues {
    std::string legacy;      // UTF-8 text of the "BGMﾌｧｲﾙ" value
    std::string legacyAnsi;  // the same in the ANSI code page
    std::optional<std::string> full;
};

// Nothing when the path cannot be stored whole (longer than the reader takes back).
std::optional<MusicPathValues> musicPathValues(FileSystem& files, AnsiCodec& codec,
                                               const std::string& path);

// What "設定" stores: BgmKind, BgmRepeat and BgmFile (UTF-8).
struct SettingsChoice {
    std::int16_t kind = 0;
    std::int16_t repeat = 0;
    std::string file;
};

// The file's bytes after storing the choice into its current bytes: the three keys in the
// dialog's order (the bytes three single writes would leave), then "BGMFileUTF8" written
// or removed. The file's encoding is kept.
std::string settingsFileAfterStore(AnsiCodec& codec, std::string_view current,
                                   const SettingsChoice& choice, const MusicPathValues& path);

// The per-user settings file, or empty when the per-user folder is unknown.
std::string userSettingsPath(FileSystem& files);

enum class StorePlace { BesideProgram, PerUser, Nowhere };

struct StoreResult {
    StorePlace place = StorePlace::Nowhere;
    std::string programFile;  // the two files tried, for the message when both fail
    std::string userFile;
};

// Stores into the file beside the program, or failing that into the per-user file, each
// all or nothing: the whole new content goes to a temporary file in the same folder, is
// flushed, and then takes the target's place in one step. A file that cannot be read whole
// is never written over. After a store beside the program a per-user copy is removed so
// that the next load reads what was stored (when that copy cannot be removed, the choice
// goes to the per-user file as well). With Nowhere, the settings a load reads are as they
// were.
StoreResult storeSettings(FileSystem& files, AnsiCodec& codec, const std::string& programFolder,
                          const SettingsChoice& choice);

}  // namespace velmora
