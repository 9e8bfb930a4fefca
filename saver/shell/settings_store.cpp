// Velmora.ini's encodings and the all-or-nothing store: see settings_store.h.
#include "settings_store.h"

#include <utility>
#include <vector>

#include "profile_text.h"

namespace velmora {
namespace {

constexpr std::string_view kUtf16Mark = "\xFF\xFE";
// The key names in UTF-8, for a UTF-16 file: "BGM区分", "BGMﾘﾋﾟｰﾄ", "BGMﾌｧｲﾙ".
constexpr std::string_view kUtf8KeyBgmKind = "BGM\xE5\x8C\xBA\xE5\x88\x86";
constexpr std::string_view kUtf8KeyBgmRepeat =
    "BGM\xEF\xBE\x98\xEF\xBE\x8B\xEF\xBE\x9F\xEF\xBD\xB0\xEF\xBE\x84";
constexpr std::string_view kUtf8KeyBgmFile = "BGM\xEF\xBE\x8C\xEF\xBD\xA7\xEF\xBD\xB2\xEF\xBE\x99";

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Pauses between the attempts of one store (milliseconds), 1 s in all: a scanner or an
// indexer that opened a freshly written file lets go of it within that time.
constexpr unsigned kRetryPausesMs[] = {50, 100, 150, 200, 250, 250};
// A temporary file of ours this old (seconds) belongs to no store still running.
constexpr std::uint64_t kStaleTemporarySeconds = 24 * 60 * 60;
constexpr std::string_view kTemporarySuffix = ".tmp";

// Whether the bytes are well-formed UTF-8 with at least one character beyond ASCII.
bool isUtf8BeyondAscii(std::string_view bytes) {
    bool beyondAscii = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
            c = lead & 0x0F;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
            c = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto trail = static_cast<unsigned char>(bytes[i + k]);
            if ((trail & 0xC0) != 0x80) {
                return false;
            }
            c = (c << 6) | (trail & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode are no UTF-8.
        if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
            (c >= 0xD800 && c < 0xE000)) {
            return false;
        }
        beyondAscii = true;
        i += length;
    }
    return beyondAscii;
}

// The ANSI form of a text that converts back to exactly the same text and fits the
// reader's 255 bytes.
std::optional<std::string> exactAnsi(AnsiCodec& codec, const std::string& text) {
    std::optional<std::string> ansi = codec.utf8ToAnsiExact(text);
    if (!ansi || ansi->size() > kProfileValueLimit || codec.ansiToUtf8(*ansi) != text) {
        return std::nullopt;
    }
    return ansi;
}

// Whether path is target, ".", the process id (or an older version's process id, "-" and
// attempt), then suffix.
bool namedAfter(const std::string& target, const std::string& path, std::string_view suffix) {
    const std::string prefix = target + ".";
    if (path.size() <= prefix.size() + suffix.size() ||
        path.compare(0, prefix.size(), prefix) != 0 ||
        path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    const std::string_view middle =
        std::string_view(path).substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    const std::size_t dash = middle.find('-');
    if (dash == 0 || (dash != std::string_view::npos && dash + 1 == middle.size())) {
        return false;
    }
    for (std::size_t i = 0; i < middle.size(); ++i) {
        if (i != dash && (middle[i] < '0' || middle[i] > '9')) {
            return false;
        }
    }
    return true;
}

// Our temporary files and backups beside target.
FolderListing ourFiles(FileSystem& files, const std::string& target) {
    FolderListing listing = files.filesStartingWith(target + ".");
    std::vector<FolderEntry> ours;
    for (FolderEntry& entry : listing.entries) {
        if (isSettingsTemporary(target, entry.path) || isSettingsBackup(target, entry.path)) {
            ours.push_back(std::move(entry));
        }
    }
    listing.entries = std::move(ours);
    return listing;
}

// The newest temporary file among ours, by the file system's own time stamps.
std::optional<std::string> newestTemporary(const std::string& target,
                                           const std::vector<FolderEntry>& ours) {
    const FolderEntry* newest = nullptr;
    for (const FolderEntry& entry : ours) {
        if (isSettingsTemporary(target, entry.path) &&
            (!newest || entry.writtenAtMs > newest->writtenAtMs)) {
            newest = &entry;
        }
    }
    return newest ? std::optional<std::string>(newest->path) : std::nullopt;
}

// Faults a later attempt may not meet: a file open elsewhere, access denied on a file that
// exists, a replace that stopped half way, a temporary file another store took away.
bool passing(const FileOutcome& outcome) {
    return outcome.fault == FileFault::Busy || outcome.fault == FileFault::Denied ||
           outcome.fault == FileFault::Unfinished || outcome.fault == FileFault::Missing;
}

// Runs attempt until it is not worth retrying, with the pauses between; the last result.
template <typename Try>
auto withRetries(FileSystem& files, Try attempt) {
    for (unsigned pauseMs : kRetryPausesMs) {
        auto tried = attempt();
        if (!tried.worthRetrying) {
            return tried;
        }
        files.pause(pauseMs);
    }
    return attempt();
}

// One attempt of a store into one file, and whether another attempt may go better.
struct Attempt {
    FileOutcome outcome;
    bool worthRetrying = false;
};

FileOutcome unreadable(const WholeFile& file) {
    return file.outcome.ok() ? FileOutcome{FileFault::Other, 0} : file.outcome;
}

// The names one store uses in target's folder, the same for all its attempts, and whether
// an attempt left the new bytes as the kept copy.
struct StoreNames {
    std::string target;
    std::string temporary;
    std::string backup;
    bool keptNewBytes = false;
};

// After the new bytes took the target's place: the backup goes, and every leftover of ours
// old enough to belong to no store still running.
Attempt installed(FileSystem& files, const StoreNames& names, const FolderListing& ours) {
    files.removeFile(names.backup);
    for (const FolderEntry& entry : ours.entries) {
        if (entry.ageSeconds >= kStaleTemporarySeconds) {
            files.removeFile(entry.path);
        }
    }
    return {};
}

Attempt attemptStore(FileSystem& files, AnsiCodec& codec, StoreNames& names,
                     const SettingsChoice& choice, const MusicPathValues& path) {
    const std::string& target = names.target;
    const bool targetThere = files.exists(target);
    const FolderListing ours = ourFiles(files, target);
    if (!targetThere) {
        // Without a look at the folder, a kept copy might be written over from nothing.
        if (!ours.outcome.ok()) {
            return {ours.outcome, true};
        }
        // An earlier store that could not finish its move kept the only copy: finish it.
        if (const std::optional<std::string> kept = newestTemporary(target, ours.entries)) {
            const FileOutcome finished = files.replaceFile(*kept, target, names.backup);
            if (!finished.ok()) {
                return {finished, passing(finished)};
            }
            if (*kept == names.temporary && names.keptNewBytes) {
                return installed(files, names, ours);  // this store's own bytes
            }
        }
    }
    const WholeFile existing = files.readWholeFile(target);
    if (existing.state == FileState::Unreadable) {
        // What it holds would be lost; a file open elsewhere is let go of soon.
        const FileOutcome outcome = unreadable(existing);
        return {outcome, outcome.fault == FileFault::Busy || outcome.fault == FileFault::Denied};
    }
    if (existing.state == FileState::Missing) {
        // Another store's replace may have just moved the target aside: look again.
        const KeptCopy kept = keptSettingsCopy(files, target);
        if (!kept.outcome.ok() || kept.path || files.exists(target)) {
            return {kept.outcome.ok() ? existing.outcome : kept.outcome, true};
        }
    }

    const FileOutcome written = files.writeFlushed(
        names.temporary, settingsFileAfterStore(codec, existing.bytes, choice, path));
    if (!written.ok()) {
        // Part of the bytes at most; the target is untouched. A folder that keeps our own
        // file is not tried again: every attempt would leave one more.
        if (!files.removeFile(names.temporary)) {
            return {written, false};
        }
        // A folder that refuses a new file goes on refusing it.
        return {written, written.fault == FileFault::Busy};
    }
    const FileOutcome replaced = files.replaceFile(names.temporary, target, names.backup);
    if (replaced.ok()) {
        return installed(files, names, ours);
    }
    // A replace may have stopped half way: while the target is missing, the temporary file
    // is the kept copy, and the next attempt moves it into place.
    names.keptNewBytes = !files.exists(target);
    if (!names.keptNewBytes && !files.removeFile(names.temporary)) {
        return {replaced, false};
    }
    return {replaced, passing(replaced)};
}

// The whole store into one file, attempted again after transient faults.
FileOutcome storeInto(FileSystem& files, AnsiCodec& codec, const std::string& target,
                      const SettingsChoice& choice, const MusicPathValues& path) {
    const std::string stem = target + "." + std::to_string(files.processId());
    StoreNames names{target, stem + std::string(kTemporarySuffix), stem + ".bak"};
    return withRetries(files, [&] { return attemptStore(files, codec, names, choice, path); })
        .outcome;
}

// One look at one place for a load.
struct PlaceRead {
    std::optional<std::string> bytes;
    bool worthRetrying = false;
};

PlaceRead readPlaceOnce(FileSystem& files, const std::string& target) {
    WholeFile file = files.readFile(target, kSettingsReadLimit);
    if (file.state == FileState::Missing) {
        const KeptCopy kept = keptSettingsCopy(files, target);
        if (!kept.outcome.ok()) {
            return {std::nullopt, passing(kept.outcome)};
        }
        if (!kept.path) {
            // A target that is there after all was being replaced at that moment.
            return {std::nullopt, files.exists(target)};
        }
        file = files.readFile(*kept.path, kSettingsReadLimit);
    }
    if (file.state == FileState::Read) {
        return {std::move(file.bytes), false};
    }
    // A file that is there is worth waiting for: what a load falls back to is older. A kept
    // copy that has just been moved into place is read there next time.
    return {std::nullopt, true};
}

// After a store beside the program: whether no per-user file or kept copy is left that the
// next load would read first.
bool perUserCopyGone(FileSystem& files, const std::string& userFile) {
    const KeptCopy kept = keptSettingsCopy(files, userFile);
    return kept.outcome.ok() && !kept.path && files.removeFile(userFile);
}

}  // namespace

SettingsDocument decodeSettingsFile(AnsiCodec& codec, std::string_view bytes) {
    SettingsDocument document;
    if (bytes.substr(0, kUtf16Mark.size()) == kUtf16Mark) {
        document.encoding = SettingsEncoding::Utf16;
        std::string_view units = bytes.substr(kUtf16Mark.size());
        units = units.substr(0, units.size() & ~static_cast<std::size_t>(1));
        document.text = codec.utf16leToUtf8(units);
    } else if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
        document.encoding = SettingsEncoding::Utf8WithMark;
        document.text = std::string(bytes.substr(kUtf8Mark.size()));
    } else {
        document.encoding =
            isUtf8BeyondAscii(bytes) ? SettingsEncoding::Utf8 : SettingsEncoding::Ansi;
        document.text = std::string(bytes);
    }
    return document;
}

std::string encodeSettingsFile(AnsiCodec& codec, const SettingsDocument& document) {
    switch (document.encoding) {
        case SettingsEncoding::Utf16:
            return std::string(kUtf16Mark) + codec.utf8ToUtf16le(document.text);
        case SettingsEncoding::Utf8WithMark:
            return std::string(kUtf8Mark) + document.text;
        case SettingsEncoding::Ansi:
        case SettingsEncoding::Utf8:
            break;
    }
    return document.text;
}

SettingsKeyNames settingsKeyNames(const SettingsDocument& document) {
    if (document.unicode()) {
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
                             document.unicode() ? path.legacy : path.legacyAnsi);
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

bool isSettingsTemporary(const std::string& target, const std::string& path) {
    // "Velmora.ini.tmp": the one name the oldest version used.
    return path == target + ".tmp" || namedAfter(target, path, kTemporarySuffix);
}

bool isSettingsBackup(const std::string& target, const std::string& path) {
    return namedAfter(target, path, ".bak");
}

KeptCopy keptSettingsCopy(FileSystem& files, const std::string& target) {
    if (files.exists(target)) {
        return {};
    }
    const FolderListing ours = ourFiles(files, target);
    return {ours.outcome, newestTemporary(target, ours.entries)};
}

std::optional<std::string> readSettingsPlace(FileSystem& files, const std::string& target) {
    return withRetries(files, [&] { return readPlaceOnce(files, target); }).bytes;
}

StoreResult storeSettings(FileSystem& files, AnsiCodec& codec, const std::string& programFolder,
                          const SettingsChoice& choice) {
    StoreResult result;
    const std::string programFile = settingsPath(programFolder);
    const std::string userFile = userSettingsPath(files);
    // The dialog's chooser lets no unstorable path through; one from elsewhere is dropped.
    const MusicPathValues path =
        musicPathValues(files, codec, choice.file).value_or(MusicPathValues{});

    const FileOutcome besideProgram = storeInto(files, codec, programFile, choice, path);
    if (besideProgram.ok()) {
        if (userFile.empty() || perUserCopyGone(files, userFile)) {
            result.place = StorePlace::BesideProgram;
            return result;
        }
    } else {
        result.unwritten.push_back({programFile, besideProgram.systemError});
        if (userFile.empty()) {
            return result;
        }
    }
    FileOutcome perUser = files.makeFolder(files.userSettingsFolder());
    if (perUser.ok()) {
        perUser = storeInto(files, codec, userFile, choice, path);
    }
    if (perUser.ok()) {
        result.place = StorePlace::PerUser;
    } else {
        result.unwritten.push_back({userFile, perUser.systemError});
    }
    return result;
}

}  // namespace velmora
