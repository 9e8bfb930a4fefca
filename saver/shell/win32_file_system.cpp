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

}  // namespace

std::optional<std::string> Win32FileSystem::readFile(const std::string& path,
                                                     std::size_t maxBytes) {
    FileHandle file(openForReading(path));
    if (!file.valid()) {
        return std::nullopt;
    }
    std::string bytes;
    std::vector<char> chunk(64 * 1024);
    while (bytes.size() < maxBytes) {
        const DWORD wanted =
            static_cast<DWORD>(std::min<std::size_t>(chunk.size(), maxBytes - bytes.size()));
        DWORD read = 0;
        if (!ReadFile(file.get(), chunk.data(), wanted, &read, nullptr)) {
            return std::nullopt;
        }
        if (read == 0) {
            break;
        }
        bytes.append(chunk.data(), read);
    }
    return bytes;
}

WholeFile Win32FileSystem::readWholeFile(const std::string& path) {
    WholeFile whole;
    // A folder of that name is no missing file: nothing may be put in its place.
    if (isFolder(utf8ToWide(path))) {
        whole.state = FileState::Unreadable;
        return whole;
    }
    FileHandle file(openForReading(path));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        whole.state = missing ? FileState::Missing : FileState::Unreadable;
        return whole;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart >= 0x7FFFFFFF) {
        whole.state = FileState::Unreadable;
        return whole;
    }
    // Read to its end, however long: what is written back must hold all of it.
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) {
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

bool Win32FileSystem::writeFlushed(const std::string& path, std::string_view bytes) {
    FileHandle file(CreateFileW(utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return false;
    }
    DWORD written = 0;
    const bool whole =
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    return whole && FlushFileBuffers(file.get());
}

bool Win32FileSystem::replaceFile(const std::string& source, const std::string& target) {
    const std::wstring from = utf8ToWide(source);
    const std::wstring to = utf8ToWide(target);
    if (isFolder(to)) {
        return false;  // some systems would move a file over an empty folder
    }
    // ReplaceFileW keeps the target's attributes and security; it needs a target to exist.
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES &&
        ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr)) {
        return true;
    }
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Win32FileSystem::removeFile(const std::string& path) {
    return DeleteFileW(utf8ToWide(path).c_str()) != FALSE;
}

bool Win32FileSystem::makeFolder(const std::string& path) {
    const std::wstring folder = utf8ToWide(path);
    return CreateDirectoryW(folder.c_str(), nullptr) || isFolder(folder);
}

bool Win32FileSystem::canOpenForReading(const std::string& path) {
    FileHandle file(openForReading(path));
    return file.valid();
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
