// Velmora_BGM's Windows side: see win32_mci_transport.h. The W calls carry the texts, so a
// music path reads right whatever the system's code page.
#include "win32_mci_transport.h"

#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "win32_text.h"

namespace velmora {
namespace {

std::string textUpToNul(const std::vector<wchar_t>& buffer) {
    std::size_t length = 0;
    while (length < buffer.size() && buffer[length] != L'\0') {
        ++length;
    }
    return wideToUtf8(std::wstring_view(buffer.data(), length));
}

// The name PlaySound is given for a file. Some multimedia layers open sound files through
// the ANSI code page; a path beyond it is given by its short (8.3) name, which the code
// page holds, when the file system has one.
std::wstring soundFileName(const std::string& path) {
    const std::wstring name = utf8ToWide(path);
    if (utf8ToAnsiExact(path)) {
        return name;
    }
    const DWORD length = GetShortPathNameW(name.c_str(), nullptr, 0);
    if (length == 0) {
        return name;
    }
    std::wstring shortName(length, L'\0');
    const DWORD written = GetShortPathNameW(name.c_str(), shortName.data(), length);
    if (written == 0 || written >= length) {
        return name;
    }
    shortName.resize(written);
    return shortName;
}

}  // namespace

std::uint32_t Win32MciTransport::sendString(const std::string& command, std::string& returned,
                                            std::size_t returnLength) {
    std::vector<wchar_t> buffer(returnLength + 1, L'\0');
    const MCIERROR code =
        mciSendStringW(utf8ToWide(command).c_str(), returnLength ? buffer.data() : nullptr,
                       static_cast<UINT>(returnLength), nullptr);
    returned = returnLength ? textUpToNul(buffer) : std::string();
    return code;
}

bool Win32MciTransport::errorString(std::uint32_t code, std::string& text,
                                    std::size_t bufferLength) {
    std::vector<wchar_t> buffer(bufferLength + 1, L'\0');
    if (!mciGetErrorStringW(code, buffer.data(), static_cast<UINT>(bufferLength))) {
        return false;
    }
    text = textUpToNul(buffer);
    return true;
}

unsigned Win32MciTransport::waveOutDeviceCount() {
    return waveOutGetNumDevs();
}

bool Win32MciTransport::playSound(const std::string* name, std::uint32_t flags) {
    if (name == nullptr) {
        return PlaySoundW(nullptr, nullptr, flags) != FALSE;
    }
    return PlaySoundW(soundFileName(*name).c_str(), nullptr, flags) != FALSE;
}

}  // namespace velmora
