// Private-profile text: files as the platform writes and reads them, both ways.
#include <gtest/gtest.h>

#include <iterator>

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

// Into an empty file, and back.
TEST(ProfileText, WritesAndReadsAFileAsThePlatformDoes) {
    std::string text;
    text = writeProfileValue(text, "Section", kSjisKind, " 2");
    text = writeProfileValue(text, "Section", kSjisRepeat, " 0");
    text = writeProfileValue(text, "Section", kSjisFile, "C:\\Music\\a.mp3");
    EXPECT_EQ(text, kPlatformFile);
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
    // The same table the platform's own reader is checked against under Wine; a literal's
    // length is taken whole, so that a NUL inside it counts.
#define PROFILE_LOOKUP(what, text, section, key, value, anyCodePage) \
    {what, std::string(text, sizeof(text) - 1), section, key, value},
    const Case cases[] = {
#include "reference/profile_lookups.inc"
    };
#undef PROFILE_LOOKUP
    EXPECT_GE(std::size(cases), 20u);
    for (const Case& c : cases) {
        EXPECT_EQ(readProfileValue(c.text, c.section, c.key), c.value) << c.what;
    }
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

TEST(WriteProfileValue, ReplacesAKeyInPlaceAndKeepsEverythingElse) {
    const std::string text = "; mine\r\n[Other]\r\nx=1\r\n\r\n[section]\r\n" + kSjisKind +
                             "=1\r\n" + "y=2\r\n\r\n[Last]\r\n";
    EXPECT_EQ(writeProfileValue(text, "Section", kSjisKind, "-1"),
              "; mine\r\n[Other]\r\nx=1\r\n\r\n[section]\r\n" + kSjisKind +
                  "=-1\r\ny=2\r\n\r\n[Last]\r\n");
}

// A new key after the last line of its section; a missing section at the end.
TEST(WriteProfileValue, AddsANewKeyAfterItsSectionOrANewSectionAtTheEnd) {
    EXPECT_EQ(writeProfileValue("[Section]\r\na=1\r\n\r\n[Other]\r\n", "Section", "b", "2"),
              "[Section]\r\na=1\r\nb=2\r\n\r\n[Other]\r\n");
    EXPECT_EQ(writeProfileValue("[Section]\r\na=1", "Section", "b", "2"),
              "[Section]\r\na=1\r\nb=2\r\n");
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
