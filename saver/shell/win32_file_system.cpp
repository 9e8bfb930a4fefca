// The settings file's Windows side: see win32_file_system.h.
#include "win32_file_system.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "win32_text.h"

namespace velmora {
namespace {

// Closes a file handle when it leaves scope.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) {
            CloseHandle(handle_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

HANDLE openForReading(const std::string& path) {
    // Shared reading and writing as a sequential reader allows; a file opened exclusively
    // elsewhere, or a folder, fails.
    return CreateFileW(utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What a store makes of the error a file call failed with.
FileOutcome failure(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return {FileFault::Missing, error};
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return {FileFault::Busy, error};
        case ERROR_ACCESS_DENIED:
            return {FileFault::Denied, error};
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
            return {FileFault::Unfinished, error};
        default:
            return {FileFault::Other, error};
    }
}

// A folder where a file should be: nothing may be put in its place (opening it as a file
// is refused the same way).
constexpr FileOutcome kFolderInTheWay{FileFault::Other, ERROR_ACCESS_DENIED};

}  // namespace

namespace {

// At most maxBytes bytes of the file; with wholeOrNothing, a file longer than maxBytes is
// Unreadable rather than cut.
WholeFile readUpTo(const std::string& path, std::size_t maxBytes, bool wholeOrNothing) {
    WholeFile whole;
    FileHandle file(openForReading(path));
    if (!file.valid()) {
        whole.outcome = failure(GetLastError());
        whole.state =
            whole.outcome.fault == FileFault::Missing ? FileState::Missing : FileState::Unreadable;
        return whole;
    }
    LARGE_INTEGER size{};
    if (wholeOrNothing && (!GetFileSizeEx(file.get(), &size) ||
                           static_cast<std::uint64_t>(size.QuadPart) > maxBytes)) {
        whole.state = FileState::Unreadable;
        whole.outcome = {FileFault::Other, ERROR_FILE_TOO_LARGE};
        return whole;
    }
    std::vector<char> chunk(64 * 1024);
    while (whole.bytes.size() < maxBytes) {
        const DWORD wanted =
            static_cast<DWORD>(std::min<std::size_t>(chunk.size(), maxBytes - whole.bytes.size()));
        DWORD read = 0;
        if (!ReadFile(file.get(), chunk.data(), wanted, &read, nullptr)) {
            whole.outcome = failure(GetLastError());
            whole.state = FileState::Unreadable;
            whole.bytes.clear();
            return whole;
        }
        if (read == 0) {
            break;
        }
        whole.bytes.append(chunk.data(), read);
    }
    whole.state = FileState::Read;
    return whole;
}

}  // namespace

WholeFile Win32FileSystem::readFile(const std::string& path, std::size_t maxBytes) {
    return readUpTo(path, maxBytes, false);
}

WholeFile Win32FileSystem::readWholeFile(const std::string& path) {
    // A folder of that name is no missing file: nothing may be put in its place.
    if (isFolder(utf8ToWide(path))) {
        WholeFile whole;
        whole.state = FileState::Unreadable;
        whole.outcome = kFolderInTheWay;
        return whole;
    }
    // Read to its end, however long: what is written back must hold all of it.
    return readUpTo(path, 0x7FFFFFFE, true);
}

FileOutcome Win32FileSystem::writeFlushed(const std::string& path, std::string_view bytes) {
    FileHandle file(CreateFileW(utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return failure(GetLastError());
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        return failure(GetLastError());
    }
    if (written != bytes.size()) {
        return {FileFault::Other, ERROR_DISK_FULL};
    }
    if (!FlushFileBuffers(file.get())) {
        return failure(GetLastError());
    }
    return {};
}

FileOutcome Win32FileSystem::replaceFile(const std::string& source, const std::string& target,
                                         const std::string& backup) {
    const std::wstring from = utf8ToWide(source);
    const std::wstring to = utf8ToWide(target);
    if (isFolder(to)) {
        return kFolderInTheWay;  // some systems would move a file over an empty folder
    }
    // ReplaceFileW keeps the target's attributes and security; it needs a target to exist.
    // With a backup name of ours, the old file never stays under a name the system chose,
    // and a replace that stopped half way leaves the target where it was or at the backup.
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // A backup an earlier store left under that name is no longer needed: its target is
        // there, and a replace may refuse to write over it.
        const std::wstring old = utf8ToWide(backup);
        DeleteFileW(old.c_str());
        if (ReplaceFileW(to.c_str(), from.c_str(), old.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                         nullptr, nullptr)) {
            return {};
        }
        const FileOutcome replaced = failure(GetLastError());
        // Some file systems cannot replace at all, and the target may have just gone: a plain
        // move still can. Every other fault is the store's to judge.
        if (replaced.fault != FileFault::Other && replaced.fault != FileFault::Missing) {
            return replaced;
        }
    }
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return {};
    }
    return failure(GetLastError());
}

bool Win32FileSystem::removeFile(const std::string& path) {
    if (DeleteFileW(utf8ToWide(path).c_str())) {
        return true;
    }
    return failure(GetLastError()).fault == FileFault::Missing;
}

FileOutcome Win32FileSystem::makeFolder(const std::string& path) {
    const std::wstring folder = utf8ToWide(path);
    if (CreateDirectoryW(folder.c_str(), nullptr)) {
        return {};
    }
    const DWORD error = GetLastError();
    if (isFolder(folder)) {
        return {};
    }
    return failure(error == ERROR_ALREADY_EXISTS ? ERROR_ACCESS_DENIED : error);
}

bool Win32FileSystem::canOpenForReading(const std::string& path) {
    FileHandle file(openForReading(path));
    return file.valid();
}

bool Win32FileSystem::exists(const std::string& path) {
    return GetFileAttributesW(utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

FolderListing Win32FileSystem::filesStartingWith(const std::string& pathPrefix) {
    FolderListing found;
    const std::size_t slash = pathPrefix.find_last_of('\\');
    if (slash == std::string::npos) {
        return found;
    }
    const std::string folder = pathPrefix.substr(0, slash + 1);
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW(utf8ToWide(pathPrefix + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        // No such file, or no such folder: nothing to find.
        const FileOutcome outcome = failure(GetLastError());
        if (outcome.fault != FileFault::Missing) {
            found.outcome = outcome;
        }
        return found;
    }
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            continue;
        }
        // The pattern also matches short (8.3) names: only the long name counts.
        std::string path = folder + wideToUtf8(entry.cFileName);
        if (path.compare(0, pathPrefix.size(), pathPrefix) != 0) {
            continue;
        }
        const std::uint64_t written = ticks(entry.ftLastWriteTime);
        const std::uint64_t current = ticks(now);
        // FILETIME counts 100 ns.
        found.entries.push_back({std::move(path), written / 10000,
                                 current > written ? (current - written) / 10000000 : 0});
    } while (FindNextFileW(search, &entry));
    const DWORD ended = GetLastError();
    FindClose(search);
    if (ended != ERROR_NO_MORE_FILES) {
        found.outcome = failure(ended);
    }
    return found;
}

std::optional<std::string> Win32FileSystem::shortPathName(const std::string& path) {
    const std::wstring longPath = utf8ToWide(path);
    const DWORD length = GetShortPathNameW(longPath.c_str(), nullptr, 0);
    if (length == 0) {
        return std::nullopt;
    }
    std::wstring shortPath(length, L'\0');
    const DWORD written = GetShortPathNameW(longPath.c_str(), shortPath.data(), length);
    if (written == 0 || written >= length) {
        return std::nullopt;
    }
    shortPath.resize(written);
    return wideToUtf8(shortPath);
}

std::string Win32FileSystem::userSettingsFolder() {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)) ||
        appData[0] == L'\0') {
        return {};
    }
    return wideToUtf8(appData) + "\\Velmora";
}

std::uint32_t Win32FileSystem::processId() {
    return GetCurrentProcessId();
}

void Win32FileSystem::pause(unsigned milliseconds) {
    Sleep(milliseconds);
}

std::string Win32AnsiCodec::ansiToUtf8(std::string_view ansi) {
    return velmora::ansiToUtf8(ansi);
}

std::optional<std::string> Win32AnsiCodec::utf8ToAnsiExact(std::string_view utf8) {
    return velmora::utf8ToAnsiExact(utf8);
}

std::string Win32AnsiCodec::utf16leToUtf8(std::string_view utf16le) {
    return velmora::utf16leToUtf8(utf16le);
}

std::string Win32AnsiCodec::utf8ToUtf16le(std::string_view utf8) {
    return velmora::utf8ToUtf16le(utf8);
}

std::string programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return wideToUtf8(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

}  // namespace velmora
