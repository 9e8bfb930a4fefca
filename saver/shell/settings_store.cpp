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

std::vector<FolderEntry> ourTemporaries(FileSystem& files, const std::string& target) {
    std::vector<FolderEntry> ours;
    for (FolderEntry& entry : files.filesStartingWith(target + ".")) {
        if (isSettingsTemporary(target, entry.path)) {
            ours.push_back(std::move(entry));
        }
    }
    return ours;
}

// A temporary name no file has yet: the process id keeps other processes' stores apart,
// the attempt number this process's own.
std::string freshTemporaryName(FileSystem& files, const std::string& target, unsigned& attempt) {
    const std::string stem = target + "." + std::to_string(files.processId()) + "-";
    std::string name;
    do {
        name = stem + std::to_string(++attempt) + std::string(kTemporarySuffix);
    } while (files.exists(name));
    return name;
}

// One attempt of a store into one file, and whether another attempt may go better.
struct Attempt {
    FileOutcome outcome;
    bool worthRetrying = false;
};

FileOutcome unreadable(const WholeFile& file) {
    return file.outcome.ok() ? FileOutcome{FileFault::Other, 0} : file.outcome;
}

// Faults a later attempt may not meet: a file open elsewhere, access denied on a file that
// exists, a replace that stopped half way, a temporary file another store took away.
bool passing(const FileOutcome& outcome) {
    return outcome.fault == FileFault::Busy || outcome.fault == FileFault::Denied ||
           outcome.fault == FileFault::Unfinished || outcome.fault == FileFault::Missing;
}

Attempt attemptStore(FileSystem& files, AnsiCodec& codec, const std::string& target,
                     const SettingsChoice& choice, const MusicPathValues& path, unsigned& attempt) {
    const std::vector<FolderEntry> ours = ourTemporaries(files, target);
    // An earlier store that could not finish its move left the only copy of the file under a
    // temporary name: finish that move first.
    if (const std::optional<std::string> pending = pendingSettingsFile(files, target)) {
        const FileOutcome finished = files.replaceFile(*pending, target);
        if (!finished.ok()) {
            return {finished, passing(finished)};
        }
    }
    const WholeFile existing = files.readWholeFile(target);
    if (existing.state == FileState::Unreadable) {
        // What it holds would be lost; a file open elsewhere is let go of soon.
        const FileOutcome outcome = unreadable(existing);
        return {outcome, outcome.fault == FileFault::Busy || outcome.fault == FileFault::Denied};
    }

    const std::string temporary = freshTemporaryName(files, target, attempt);
    const FileOutcome written =
        files.writeFlushed(temporary, settingsFileAfterStore(codec, existing.bytes, choice, path));
    if (!written.ok()) {
        files.removeFile(temporary);  // part of the bytes at most; the target is untouched
        // A folder that refuses a new file goes on refusing it.
        return {written, written.fault == FileFault::Busy};
    }
    const FileOutcome installed = files.replaceFile(temporary, target);
    if (installed.ok()) {
        for (const FolderEntry& entry : ours) {
            if (entry.ageSeconds >= kStaleTemporarySeconds) {
                files.removeFile(entry.path);
            }
        }
        return {installed, false};
    }
    // A replace may have stopped half way: while the target is missing, the temporary file
    // holds the only copy of the new bytes, and the next attempt moves it into place.
    if (files.exists(target)) {
        files.removeFile(temporary);
    }
    return {installed, passing(installed)};
}

// The whole store into one file, attempted again after transient faults.
FileOutcome storeInto(FileSystem& files, AnsiCodec& codec, const std::string& target,
                      const SettingsChoice& choice, const MusicPathValues& path) {
    unsigned attempt = 0;
    for (unsigned pauseMs : kRetryPausesMs) {
        const Attempt tried = attemptStore(files, codec, target, choice, path, attempt);
        if (tried.outcome.ok() || !tried.worthRetrying) {
            return tried.outcome;
        }
        files.pause(pauseMs);
    }
    return attemptStore(files, codec, target, choice, path, attempt).outcome;
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
    const std::string prefix = target + ".";
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    const std::string_view rest = std::string_view(path).substr(prefix.size());
    if (rest == "tmp") {
        return true;  // the one name an older version used
    }
    if (rest.size() <= kTemporarySuffix.size() ||
        rest.substr(rest.size() - kTemporarySuffix.size()) != kTemporarySuffix) {
        return false;
    }
    const std::string_view middle = rest.substr(0, rest.size() - kTemporarySuffix.size());
    const std::size_t dash = middle.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == middle.size()) {
        return false;
    }
    for (std::size_t i = 0; i < middle.size(); ++i) {
        if (i != dash && (middle[i] < '0' || middle[i] > '9')) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> pendingSettingsFile(FileSystem& files, const std::string& target) {
    if (files.exists(target)) {
        return std::nullopt;
    }
    std::optional<FolderEntry> newest;
    for (FolderEntry& entry : ourTemporaries(files, target)) {
        if (entry.ageSeconds < kStaleTemporarySeconds &&
            (!newest || entry.ageSeconds < newest->ageSeconds)) {
            newest = std::move(entry);
        }
    }
    if (!newest) {
        return std::nullopt;
    }
    return newest->path;
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
    const FileOutcome besideProgram = storeInto(files, codec, result.programFile, choice, path);
    if (besideProgram.ok()) {
        // A readable per-user file is read first: a copy left there would hide this store.
        if (!userStoreKnown || !files.canOpenForReading(result.userFile) ||
            files.removeFile(result.userFile)) {
            result.place = StorePlace::BesideProgram;
            return result;
        }
    } else {
        result.programError = besideProgram.systemError;
    }
    if (!userStoreKnown) {
        return result;
    }
    FileOutcome perUser = files.makeFolder(files.userSettingsFolder());
    if (perUser.ok()) {
        perUser = storeInto(files, codec, result.userFile, choice, path);
    }
    if (perUser.ok()) {
        result.place = StorePlace::PerUser;
    } else {
        result.userError = perUser.systemError;
    }
    return result;
}

}  // namespace velmora
