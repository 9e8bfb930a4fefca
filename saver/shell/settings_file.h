// Velmora.ini: the file format, its three keys, and loading them into the shared settings.
// File access and the system's ANSI code page sit behind narrow interfaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bgm_settings.h"

namespace velmora {

// Why a file call failed, as far as a store decides what to do next; the system's own error
// number goes with it for the message the user sees.
enum class FileFault {
    None,
    Missing,     // no such file or folder
    Busy,        // open elsewhere without the sharing the call needs (a scanner, an indexer)
    Denied,      // access denied
    Unfinished,  // a replace stopped half way: what is on the disk must be looked at
    Other,       // anything else: a folder in the way, a full disk, a broken medium
};

struct FileOutcome {
    FileFault fault = FileFault::None;
    std::uint32_t systemError = 0;  // the system's error number; 0 without a fault
    bool ok() const { return fault == FileFault::None; }
};

// A file as read, told apart from a missing one and from one that cannot be read.
enum class FileState { Missing, Read, Unreadable };
struct WholeFile {
    FileState state = FileState::Missing;
    std::string bytes;
    FileOutcome outcome;  // why it is Missing or Unreadable
};

// A file found by the start of its path: when it was last written, by the file system's own
// clock (milliseconds; comparable only with other such times), and how long ago that was by
// the local clock (seconds; a server's clock may differ by a day or more).
struct FolderEntry {
    std::string path;
    std::uint64_t writtenAtMs = 0;
    std::uint64_t ageSeconds = 0;
};

// The files found, or why the folder could not be looked through (a missing folder holds none).
struct FolderListing {
    FileOutcome outcome;
    std::vector<FolderEntry> entries;
};

// The file system as the settings need it. Paths are UTF-8.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // At most maxBytes bytes from the start of the file.
    virtual WholeFile readFile(const std::string& path, std::size_t maxBytes) = 0;
    // The whole file, told apart from a missing one and from one that cannot be read.
    virtual WholeFile readWholeFile(const std::string& path) = 0;
    // Creates or empties the file, writes the bytes and flushes them to the disk; on a fault
    // the file may hold part of the bytes.
    virtual FileOutcome writeFlushed(const std::string& path, std::string_view bytes) = 0;
    // Puts source in the place of target (which may be missing) in one step; an existing
    // target's old bytes go to backup (replaced if there). An Unfinished fault may leave
    // target moved to backup, with source still under its own name; every other fault
    // leaves all three as they were.
    virtual FileOutcome replaceFile(const std::string& source, const std::string& target,
                                    const std::string& backup) = 0;
    // True when no file of that name is left (one that was not there counts).
    virtual bool removeFile(const std::string& path) = 0;
    // Succeeds when the folder exists afterwards.
    virtual FileOutcome makeFolder(const std::string& path) = 0;
    // True if the file can be opened for reading (folders and locked files cannot).
    virtual bool canOpenForReading(const std::string& path) = 0;
    // True if a file or folder of that name is there, whether or not it can be opened.
    virtual bool exists(const std::string& path) = 0;
    // The files in the folder of pathPrefix whose full paths start with it.
    virtual FolderListing filesStartingWith(const std::string& pathPrefix) = 0;
    // The short (8.3) name of an existing file, or nothing.
    virtual std::optional<std::string> shortPathName(const std::string& path) = 0;
    // The per-user settings folder (%APPDATA%\Velmora), or empty when it is unknown.
    virtual std::string userSettingsFolder() = 0;
    // This process's id: it keeps the temporary file names of two processes apart.
    virtual std::uint32_t processId() = 0;
    // Waits between two attempts of a store (milliseconds).
    virtual void pause(unsigned milliseconds) = 0;
};

// The text encodings of the settings file: the system's ANSI code page, and UTF-16LE.
class AnsiCodec {
  public:
    virtual ~AnsiCodec() = default;
    virtual std::string ansiToUtf8(std::string_view ansi) = 0;
    // The ANSI form of the text, or nothing when a character has no exact ANSI form (no
    // best-fit look-alikes, no default character).
    virtual std::optional<std::string> utf8ToAnsiExact(std::string_view utf8) = 0;
    virtual std::string utf16leToUtf8(std::string_view utf16le) = 0;
    virtual std::string utf8ToUtf16le(std::string_view utf8) = 0;
};

// Section and key names as they stand in the file: the keys in Shift-JIS whatever the
// system's code page ("BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ").
inline constexpr std::string_view kSettingsSection = "Section";
inline constexpr std::string_view kKeyBgmKind = "BGM\x8B\xE6\x95\xAA";
inline constexpr std::string_view kKeyBgmRepeat = "BGM\xD8\xCB\xDF\xB0\xC4";
inline constexpr std::string_view kKeyBgmFile = "BGM\xCC\xA7\xB2\xD9";

// Key of the full music path in UTF-8, for a path the ANSI code page cannot hold whole;
// read before "BGMﾌｧｲﾙ", which then keeps the short (8.3) name or nothing.
inline constexpr std::string_view kKeyBgmFileUtf8 = "BGMFileUTF8";

// Loading reads a settings file's first 4 MiB only (bytes); a store reads it whole.
constexpr std::size_t kSettingsReadLimit = 4u << 20;
// Longest "BGMFileUTF8" value read back, in bytes (a 255-character path in UTF-8 fits).
constexpr std::size_t kUtf8PathLimit = 1023;

// The settings file of a program folder (UTF-8, no trailing backslash): folder\Velmora.ini.
std::string settingsPath(const std::string& programFolder);

// ReadIni: the value's bytes, empty when the file, section or key is missing; at most 255.
std::string readIni(FileSystem& files, std::string_view section, std::string_view key,
                    const std::string& path);

// How the settings dialog writes a number: a blank before zero and positive numbers,
// "-" before negative ones (2 -> " 2", -1 -> "-1").
std::string formatSettingsNumber(int value);

// LoadSettings: fills the shared settings from the per-user Velmora.ini when it can be
// read, otherwise from programFolder\Velmora.ini. While either is missing, the copy a store
// kept in its folder (see settings_store.h) stands in for it. A file open elsewhere is
// waited for as a store waits for it.
void loadSettings(FileSystem& files, AnsiCodec& codec, const std::string& programFolder,
                  BgmSettings& settings);

// FileExists: true if the file can be opened for reading; a trailing "\" is dropped first.
bool fileExists(FileSystem& files, std::string path);

// FolderOf: the path up to its last ":" or "\", without a trailing "\".
std::string folderOf(std::string_view path);

}  // namespace velmora
