// The Windows text adapter: how the exact conversion into the ANSI code page is asked of
// WideCharToMultiByte on each kind of system.
#include <windows.h>

#include <gtest/gtest.h>

#include "win32_text.h"

namespace velmora {
namespace {

TEST(ExactConversion, Utf8CodePageTakesNoFlagsAndNoUsedDefaultPointer) {
    // Windows refuses WC_NO_BEST_FIT_CHARS and a used-default pointer for 65001
    // (ERROR_INVALID_FLAGS, ERROR_INVALID_PARAMETER); Wine accepts both, so only the choice
    // itself can be checked here.
    const ExactConversion utf8 = exactConversionFor(CP_UTF8);
    EXPECT_EQ(utf8.flags, 0u);
    EXPECT_FALSE(utf8.checkDefaultCharacter);
    for (const unsigned codePage : {932u, 1252u, 936u, 1251u}) {
        const ExactConversion ansi = exactConversionFor(codePage);
        EXPECT_EQ(ansi.flags, static_cast<unsigned long>(WC_NO_BEST_FIT_CHARS)) << codePage;
        EXPECT_TRUE(ansi.checkDefaultCharacter) << codePage;
    }
}

TEST(ExactConversion, TheChosenFlagsConvertUnderTheirCodePage) {
    // A Japanese path with a note sign: UTF-8 holds it whole; code page 1252 has no form for
    // it, and the used-default check says so instead of passing a look-alike.
    const std::wstring path = L"C:\\\u97F3\u697D\\\u266A.wav";
    const ExactConversion utf8 = exactConversionFor(CP_UTF8);
    char bytes[64] = {};
    const int length =
        WideCharToMultiByte(CP_UTF8, utf8.flags, path.data(), static_cast<int>(path.size()), bytes,
                            sizeof(bytes), nullptr, nullptr);
    EXPECT_EQ(std::string(bytes, length > 0 ? length : 0), u8"C:\\\u97F3\u697D\\\u266A.wav");

    const ExactConversion latin = exactConversionFor(1252);
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(1252, latin.flags, path.data(), static_cast<int>(path.size()), bytes,
                        sizeof(bytes), nullptr, &usedDefault);
    EXPECT_TRUE(usedDefault);
}

}  // namespace
}  // namespace velmora
