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

ExactConversion exactConversionFor(unsigned codePage) {
    if (codePage == CP_UTF8) {
        return {0, false};
    }
    return {WC_NO_BEST_FIT_CHARS, true};
}

std::optional<std::string> utf8ToAnsiExact(std::string_view utf8) {
    const std::wstring wide = utf8ToWide(utf8);
    if (wide.empty()) {
        return std::string();
    }
    const ExactConversion conversion = exactConversionFor(GetACP());
    BOOL usedDefault = FALSE;
    BOOL* const usedDefaultFlag = conversion.checkDefaultCharacter ? &usedDefault : nullptr;
    const int length =
        WideCharToMultiByte(CP_ACP, conversion.flags, wide.data(), static_cast<int>(wide.size()),
                            nullptr, 0, nullptr, usedDefaultFlag);
    if (length <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string ansi(static_cast<std::size_t>(length), '\0');
    const int written =
        WideCharToMultiByte(CP_ACP, conversion.flags, wide.data(), static_cast<int>(wide.size()),
                            ansi.data(), length, nullptr, usedDefaultFlag);
    if (written != length || usedDefault) {
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

std::string systemErrorText(std::uint32_t error) {
    constexpr DWORD kFlags =
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER;
    const DWORD languages[] = {MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN),
                               MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)};
    for (const DWORD language : languages) {
        wchar_t* buffer = nullptr;
        const DWORD length = FormatMessageW(kFlags, nullptr, error, language,
                                            reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        if (length == 0 || buffer == nullptr) {
            continue;
        }
        std::wstring text(buffer, length);
        LocalFree(buffer);
        while (!text.empty() &&
               (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
            text.pop_back();
        }
        if (!text.empty()) {
            return wideToUtf8(text);
        }
    }
    return {};
}

}  // namespace velmora
