// Text conversions through MultiByteToWideChar and WideCharToMultiByte: see win32_text.h.
#include "win32_text.h"

#include <windows.h>

#include <cstring>

namespace velmora {
namespace {

std::wstring toWide(std::string_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            length);
    }
    return wide;
}

std::string fromWide(std::wstring_view wide, UINT codePage) {
    if (wide.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                            length, nullptr, nullptr);
    }
    return text;
}

}  // namespace

std::wstring utf8ToWide(std::string_view utf8) {
    return toWide(utf8, CP_UTF8);
}

std::string wideToUtf8(std::wstring_view wide) {
    return fromWide(wide, CP_UTF8);
}

std::string ansiToUtf8(std::string_view ansi) {
    return wideToUtf8(toWide(ansi, CP_ACP));
}

std::optional<std::string> utf8ToAnsiExact(std::string_view utf8) {
    const std::wstring wide = utf8ToWide(utf8);
    if (wide.empty()) {
        return std::string();
    }
    BOOL usedDefault = FALSE;
    const int length =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                            static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        ansi.data(), length, nullptr, &usedDefault);
    if (usedDefault) {
        return std::nullopt;
    }
    return ansi;
}

std::string utf16leToUtf8(std::string_view utf16le) {
    std::wstring wide(utf16le.size() / 2, L'\0');
    std::memcpy(wide.data(), utf16le.data(), wide.size() * 2);
    return wideToUtf8(wide);
}

std::string utf8ToUtf16le(std::string_view utf8) {
    const std::wstring wide = utf8ToWide(utf8);
    std::string bytes(wide.size() * 2, '\0');
    std::memcpy(bytes.data(), wide.data(), bytes.size());
    return bytes;
}

}  // namespace velmora
