// The settings file's Windows side: see win32_file_system.h.
#include "win32_file_system.h"

#include <windows.h>

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

bool Win32FileSystem::writeFile(const std::string& path, std::string_view bytes) {
    FileHandle file(CreateFileW(utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

bool Win32FileSystem::canOpenForReading(const std::string& path) {
    FileHandle file(openForReading(path));
    return file.valid();
}

std::string Win32AnsiCodec::ansiToUtf8(std::string_view ansi) {
    return velmora::ansiToUtf8(ansi);
}

std::string Win32AnsiCodec::utf8ToAnsi(std::string_view utf8) {
    return velmora::utf8ToAnsi(utf8);
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
