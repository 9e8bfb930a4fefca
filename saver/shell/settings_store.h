// Velmora.ini's two encodings (ANSI bytes, or UTF-16 with a byte-order mark), the forms a
// music path takes in it, and the all-or-nothing store of the settings dialog's choice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings_file.h"

namespace velmora {

// How a settings file's text is encoded. An ANSI file keeps its bytes as they stand and its
// key names in Shift-JIS; a file without a byte-order mark counts as UTF-8 only when it holds
// bytes beyond ASCII and all of them are well-formed UTF-8 (the Shift-JIS key names never
// are). A new file is ANSI, whatever the system's code page.
enum class SettingsEncoding { Ansi, Utf8, Utf8WithMark, Utf16 };

// A settings file's text as the profile reader and writer see it: the bytes of an ANSI
// file as they stand, or a Unicode file as UTF-8 without its byte-order mark.
struct SettingsDocument {
    SettingsEncoding encoding = SettingsEncoding::Ansi;
    std::string text;
    // Key names and values in UTF-8, not in the ANSI code page.
    bool unicode() const { return encoding != SettingsEncoding::Ansi; }
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

// A store's temporary files sit beside the target, named after it: "Velmora.ini.", the
// process id, "-", the attempt, ".tmp" (an older version used "Velmora.ini.tmp"). Ours only.
bool isSettingsTemporary(const std::string& target, const std::string& path);
// The newest temporary file of ours beside target that is younger than a day, when target
// is missing: a store that could not finish its move left the only copy there.
std::optional<std::string> pendingSettingsFile(FileSystem& files, const std::string& target);

enum class StorePlace { BesideProgram, PerUser, Nowhere };

struct StoreResult {
    StorePlace place = StorePlace::Nowhere;
    std::string programFile;  // the two files tried, for the message when both fail
    std::string userFile;
    std::uint32_t programError = 0;  // the system's reason for each failure, 0 when none
    std::uint32_t userError = 0;
};

// Stores into the file beside the program, or failing that into the per-user file, each
// all or nothing. One store into one file:
// - While the target is missing, an unfinished move of an earlier store (a temporary file
//   of ours younger than a day) is finished first.
// - The current bytes are read whole; a file that cannot be read whole is never written over.
// - The new bytes go to a temporary file of ours in the same folder (a name no other store
//   uses), are flushed, and then take the target's place in one step.
// - Success: every temporary file of ours older than a day is removed.
// - A replace that failed is followed by a look at the disk. With the target still there
//   (the replace changed nothing) the temporary file is removed. With the target gone
//   (removed, or renamed by the system), the temporary file holds the only copy and stays:
//   a temporary file is never removed while its target is missing.
// - Transient faults are tried again with short pauses, about 1 s in all: a file open
//   elsewhere (sharing or lock violation), access denied on a file that exists, a replace
//   that stopped half way, a temporary file another store moved away. The next attempt
//   finishes an unfinished move. Any other fault ends the attempts at once: a folder that
//   refuses a new file, a folder in the target's place, a full disk.
// - When every attempt failed: the target is as it was, or it is missing and its new bytes
//   stay under the temporary name, where the next load and the next store find them.
// After a store beside the program a per-user copy is removed so that the next load reads
// what was stored (when that copy cannot be removed, the choice goes to the per-user file as
// well). When the program's folder fails, the choice is stored per user the same way.
// Nowhere carries the system's reasons; the settings a load reads are then as they were,
// unless an unfinished move left the new bytes beside the program under a temporary name.
StoreResult storeSettings(FileSystem& files, AnsiCodec& codec, const std::string& programFolder,
                          const SettingsChoice& choice);

}  // namespace velmora
