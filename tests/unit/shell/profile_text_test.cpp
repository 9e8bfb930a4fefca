// Private-profile text: files as the platform writes and reads them, both ways.
#include <gtest/gtest.h>

#include "profile_text.h"
#include "settings_keys.h"

namespace velmora {
namespace {

using test::kSjisFile;
using test::kSjisKind;
using test::kSjisRepeat;

// What the platform's WritePrivateProfileString leaves after the dialog's three writes.
const std::string kPlatformFile = "[Section]\r\n" + kSjisKind + "= 2\r\n" + kSjisRepeat +
                                  "= 0\r\n" + kSjisFile + "=C:\\Music\\a.mp3\r\n";

TEST(ReadProfileValue, ReadsAFileAsThePlatformWritesIt) {
    EXPECT_EQ(readProfileValue(kPlatformFile, "Section", kSjisKind), "2");
    EXPECT_EQ(readProfileValue(kPlatformFile, "Section", kSjisRepeat), "0");
    EXPECT_EQ(readProfileValue(kPlatformFile, "Section", kSjisFile), "C:\\Music\\a.mp3");
}

TEST(ReadProfileValue, FollowsThePlatformsLookupRules) {
    struct Case {
        const char* what;
        std::string text;
        std::string section;
        std::string key;
        std::string value;
    };
    const Case cases[] = {
        {"names ignore ASCII case", "[SECTION]\nbgm" + kSjisKind.substr(3) + "=1\n", "Section",
         kSjisKind, "1"},
        {"blanks around names and values", "  [ Section ]  \r\n  k  =  v w  \r\n", "Section", "k",
         "v w"},
        {"LF alone ends a line", "[Section]\nk=1\nj=2", "Section", "j", "2"},
        {"CR alone does not", "[Section]\rk=1\rj=2\r\n", "Section", "j", ""},
        {"quotes are dropped", "[Section]\nk=\"a b\"\n", "Section", "k", "a b"},
        {"single quotes too", "[Section]\nk='a'\n", "Section", "k", "a"},
        {"unmatched quotes stay", "[Section]\nk=\"a\n", "Section", "k", "\"a"},
        {"comment lines are no keys", "[Section]\n;k=1\nk=2\n", "Section", "k", "2"},
        {"first key wins", "[Section]\nk=1\nk=2\n", "Section", "k", "1"},
        {"first section wins", "[Section]\n[Other]\nk=1\n[Section]\nk=2\n", "Section", "k", ""},
        {"keys of other sections", "[Other]\nk=1\n[Section]\nj=2\n", "Section", "k", ""},
        {"key before any section", "k=1\n[Section]\n", "Section", "k", ""},
        {"missing section", "k=1\n", "Section", "k", ""},
        {"line without equals", "[Section]\nk\n", "Section", "k", ""},
        {"empty value", "[Section]\nk=\n", "Section", "k", ""},
        {"value up to a NUL", std::string("[Section]\nk=ab\0cd\n", 18), "Section", "k", "ab"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[Section]\nk=1\n", "Section", "k", "1"},
        {"equals in the value", "[Section]\nk=a=b\n", "Section", "k", "a=b"},
        {"trail byte is no letter", "[Section]\n\x83\x61=1\n", "Section", "\x83\x41", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readProfileValue(c.text, c.section, c.key), c.value) << c.what;
    }
}

TEST(ReadProfileValue, CutsValuesTo255Bytes) {
    const std::string text = "[Section]\nk=" + std::string(300, 'x') + "\n";
    EXPECT_EQ(readProfileValue(text, "Section", "k"), std::string(255, 'x'));
}

TEST(ReadProfileValue, SurvivesBinaryGarbage) {
    std::string garbage;
    unsigned state = 12345;
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += static_cast<char>(state >> 24);
    }
    EXPECT_EQ(readProfileValue(garbage, "Section", kSjisKind), "");
    EXPECT_EQ(readProfileValue(garbage + "\n[Section]\n" + kSjisKind + "=1", "Section", kSjisKind),
              "1");
}

TEST(WriteProfileValue, WritesWhatThePlatformWritesIntoAnEmptyFile) {
    std::string text;
    text = writeProfileValue(text, "Section", kSjisKind, " 2");
    text = writeProfileValue(text, "Section", kSjisRepeat, " 0");
    text = writeProfileValue(text, "Section", kSjisFile, "C:\\Music\\a.mp3");
    EXPECT_EQ(text, kPlatformFile);
}

TEST(WriteProfileValue, ReplacesAKeyInPlaceAndKeepsEverythingElse) {
    const std::string text = "; mine\r\n[Other]\r\nx=1\r\n\r\n[section]\r\n" + kSjisKind +
                             "=1\r\n" + "y=2\r\n\r\n[Last]\r\n";
    EXPECT_EQ(writeProfileValue(text, "Section", kSjisKind, "-1"),
              "; mine\r\n[Other]\r\nx=1\r\n\r\n[section]\r\n" + kSjisKind +
                  "=-1\r\ny=2\r\n\r\n[Last]\r\n");
}

TEST(WriteProfileValue, AddsANewKeyAfterTheLastLineOfItsSection) {
    EXPECT_EQ(writeProfileValue("[Section]\r\na=1\r\n\r\n[Other]\r\n", "Section", "b", "2"),
              "[Section]\r\na=1\r\nb=2\r\n\r\n[Other]\r\n");
    EXPECT_EQ(writeProfileValue("[Section]\r\na=1", "Section", "b", "2"),
              "[Section]\r\na=1\r\nb=2\r\n");
}

TEST(WriteProfileValue, AddsAMissingSectionAtTheEnd) {
    EXPECT_EQ(writeProfileValue("[Other]\r\nx=1", "Section", "k", "v"),
              "[Other]\r\nx=1\r\n[Section]\r\nk=v\r\n");
}

TEST(WriteProfileValue, WhatIsWrittenReadsBack) {
    const std::string values[] = {" 2", "-1", "C:\\a b\\c.mp3", "", "x=y"};
    std::string text = "garbage\x01\x02\n[Section]\nold=1\n";
    for (const std::string& value : values) {
        text = writeProfileValue(text, "Section", kSjisFile, value);
        std::string expected(value);
        while (!expected.empty() && expected.front() == ' ') {
            expected.erase(0, 1);
        }
        EXPECT_EQ(readProfileValue(text, "Section", kSjisFile), expected) << value;
        EXPECT_EQ(readProfileValue(text, "Section", "old"), "1");
    }
}

}  // namespace
}  // namespace velmora
