// The command line: argument text, mode letter and preview-box handle.
#include <gtest/gtest.h>

#include "command_line.h"

namespace velmora {
namespace {

TEST(ArgumentText, DropsTheProgramNameQuotedOrNot) {
    EXPECT_EQ(argumentText("\"C:\\Program Files\\Velmora.scr\" /s"), "/s");
    EXPECT_EQ(argumentText("C:\\WINDOWS\\VELMORA.SCR /p 1234"), "/p 1234");
    EXPECT_EQ(argumentText("Velmora.scr"), "");
    EXPECT_EQ(argumentText("\"Velmora.scr\""), "");
    EXPECT_EQ(argumentText("Velmora.scr   /c:99"), "/c:99");
}

TEST(ModeLetter, IsTheUpperCasedSecondCharacter) {
    // In "ｰs" the first character takes several bytes.
    const std::pair<const char*, char> cases[] = {
        {"/s", 'S'}, {"/S", 'S'}, {"-s", 'S'}, {"/p 1", 'P'}, {"/c:1234", 'C'}, {"/a", 'A'},
        {"s", 0},    {"", 0},     {"/", 0},    {"/1", 0},     {"ｰs", 'S'},
    };
    for (const auto& [arguments, letter] : cases) {
        EXPECT_EQ(modeLetter(arguments), letter) << arguments;
    }
}

TEST(PreviewBoxHandle, IsTheNumberFromTheFourthCharacter) {
    struct Case {
        const char* arguments;
        std::int32_t handle;
    };
    const Case cases[] = {
        {"/p 1234", 1234}, {"/p:1234", 1234},
        {"/p", 0},         {"/p ", 0},
        {"/p abc", 0},     {"/p 12ab", 12},
        {"/p  77", 77},    {"/p 99999999999", 0},
        {"/p -5", -5},     {"/p 2147483647", 2147483647},
        // Written unsigned by the system: the high half wraps to the same 32 bits.
        {"/p 2147483648", -2147483647 - 1}, {"/p:4294967295", -1},
        {"/p 3000000000", -1294967296},     {"/p 4294967296", 0},
        {"/p 4294967297", 0},               {"/p -2147483649", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(previewBoxHandle(c.arguments), c.handle) << c.arguments;
    }
}

TEST(PreviewBoxHandle, ToleratesAVeryLongCommandLine) {
    const std::string arguments = "/p " + std::string(100000, '9');
    EXPECT_EQ(previewBoxHandle(arguments), 0);
    EXPECT_EQ(modeLetter(std::string(100000, 'x')), 'X');
}

}  // namespace
}  // namespace velmora
