// Velmora.ini's two encodings (ANSI bytes, or UTF-16 with a byte-order mark), the forms a
// music path takes in it, and the all-or-nothing store of the settings dialog's choice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// A store's temporary file sits beside the target, named after it: "Velmora.ini.", the
// process id, ".tmp"; the target's old bytes pass through a backup of the same name ending
// in ".bak". Older versions used "Velmora.ini.<pid>-<attempt>.tmp" and "Velmora.ini.tmp".
// Ours only.
bool isSettingsTemporary(const std::string& target, const std::string& path);
bool isSettingsBackup(const std::string& target, const std::string& path);

// A kept copy: while the target is missing, the newest temporary file of ours beside it,
// whatever its age (a store that could not finish its move left the only copy there).
// Kept copies are compared by their own time stamps, never with the local clock.
struct KeptCopy {
    FileOutcome outcome;  // why the folder could not be looked through
    std::optional<std::string> path;
};
KeptCopy keptSettingsCopy(FileSystem& files, const std::string& target);

// The settings as a load reads one place: the target, or while it is missing its kept copy;
// nothing when neither can be read. A file open elsewhere is waited for, about 1 s in all.
std::optional<std::string> readSettingsPlace(FileSystem& files, const std::string& target);

enum class StorePlace { BesideProgram, PerUser, Nowhere };

// A file the choice could not be written into, with the system's reason (0 when unknown).
struct UnwrittenFile {
    std::string path;
    std::uint32_t systemError = 0;
};

struct StoreResult {
    // Where the next load reads the choice from; Nowhere when it reads something else.
    StorePlace place = StorePlace::Nowhere;
    // Only the files that could not be written, in the order they were tried.
    std::vector<UnwrittenFile> unwritten;
};

// Stores into the file beside the program, or failing that into the per-user file, each
// all or nothing. The same rule holds for both places. One store into one file:
// - While the target is missing, its kept copy is the file: its move is finished before
//   anything else. Nothing of ours is removed while its target is missing.
// - The current bytes are read whole; a file that cannot be read whole is never written over.
//   A read that says the target is missing looks again for a kept copy and for the target
//   before a file is written from nothing.
// - The new bytes go to one temporary file of ours in the same folder, the same name for
//   every attempt of the store, are flushed, and then take the target's place in one step,
//   the target's old bytes passing through a backup of ours.
// - Success: the backup is removed, and so is every temporary file or backup of ours older
//   than a day by the local clock. (A later store of the same process reuses both names.)
// - A replace that failed is followed by a look at the disk. With the target still there
//   the temporary file is removed. With the target gone (moved to the backup), the temporary
//   file is the kept copy and stays.
// - A temporary file of ours that cannot be removed ends the attempts in that folder, so a
//   store leaves at most one there, whatever fails.
// - Transient faults are tried again with short pauses, about 1 s in all: a file open
//   elsewhere (sharing or lock violation), access denied on a file that exists, a replace
//   that stopped half way, a temporary file another store moved away, a folder that could
//   not be looked through. Any other fault ends the attempts at once: a folder that refuses
//   a new file, a folder in the target's place, a full disk.
// - When every attempt failed: the target is as it was, or it is missing and its kept copy
//   holds the new bytes, where the next load and the next store find them.
// After a store beside the program, a per-user file or kept copy would be read first: the
// file is removed or, where that fails (or a kept copy is there), given the choice as well;
// where both fail the result is Nowhere, naming the per-user file alone. When the program's
// folder fails, the choice is stored per user the same way.
StoreResult storeSettings(FileSystem& files, AnsiCodec& codec, const std::string& programFolder,
                          const SettingsChoice& choice);

}  // namespace velmora
