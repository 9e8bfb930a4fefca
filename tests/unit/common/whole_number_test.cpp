// Whole numbers from text: the whole-text rule, the range, and each caller's extra forms.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "common/whole_number.h"

namespace velmora {
namespace {

TEST(WholeNumber, ReadsDigitsAndASignUpToBothEndsOfTheRange) {
    EXPECT_EQ(parseWholeInteger<int32_t>("0", -5, 5), 0);
    EXPECT_EQ(parseWholeInteger<int32_t>("-5", -5, 5), -5);
    EXPECT_EQ(parseWholeInteger<int32_t>("5", -5, 5), 5);
    EXPECT_EQ(parseWholeInteger<int32_t>("007", 0, 10), 7);
    constexpr int64_t kLow = std::numeric_limits<int64_t>::min();
    constexpr int64_t kHigh = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(parseWholeInteger<int64_t>("-9223372036854775808", kLow, kHigh), kLow);
    EXPECT_EQ(parseWholeInteger<int64_t>("9223372036854775807", kLow, kHigh), kHigh);
    EXPECT_EQ(parseWholeInteger<uint64_t>("18446744073709551615", 0, UINT64_MAX), UINT64_MAX);
}

TEST(WholeNumber, AnythingButOneNumberWithinTheRangeGivesNothing) {
    for (const char* text : {"", " ", "-", "+", "+5", "--5", "-+5", "5-", "1 2", " 5", "5 ", "12ab",
                             "0x10", "1.0", "1e3", "\t5", "6", "-6", "99999999999999999999"}) {
        EXPECT_FALSE(parseWholeInteger<int32_t>(text, -5, 5).has_value()) << '"' << text << '"';
    }
    // An unsigned type takes no sign at all, not even on zero.
    for (const char* text : {"-0", "-1", "18446744073709551616"}) {
        EXPECT_FALSE(parseWholeInteger<uint64_t>(text, 0, UINT64_MAX).has_value()) << text;
    }
}

TEST(WholeNumber, HexadecimalDigitsOfEitherCaseWithoutAPrefix) {
    const WholeNumberForm hex{16};
    EXPECT_EQ(parseWholeInteger<uint32_t>("ff", 0, UINT32_MAX, hex), 0xFFu);
    EXPECT_EQ(parseWholeInteger<uint32_t>("C6c5D7", 0, UINT32_MAX, hex), 0xC6C5D7u);
    EXPECT_EQ(parseWholeInteger<uint32_t>("FFFFFFFF", 0, UINT32_MAX, hex), 0xFFFFFFFFu);
    for (const char* text : {"0x1f", "1g", "100000000", ""}) {
        EXPECT_FALSE(parseWholeInteger<uint32_t>(text, 0, UINT32_MAX, hex).has_value()) << text;
    }
}

TEST(WholeNumber, BlanksAndAPlusSignOnlyWhereTheFormAllowsThem) {
    const WholeNumberForm stored{10, true, kCLibrarySpaces, " "};
    EXPECT_EQ(parseWholeInteger<int32_t>(" \t\n-12  ", -100, 100, stored), -12);
    EXPECT_EQ(parseWholeInteger<int32_t>("\r+12", -100, 100, stored), 12);
    for (const char* text : {"   ", "+", "+-12", "- 12", "+ 12", "1 2", "12\t", "12x "}) {
        EXPECT_FALSE(parseWholeInteger<int32_t>(text, -100, 100, stored).has_value())
            << '"' << text << '"';
    }
    // A plus sign on an unsigned type, where the form allows it.
    EXPECT_EQ(parseWholeInteger<uint32_t>("+7", 0, 9, WholeNumberForm{10, true}), 7u);
}

}  // namespace
}  // namespace velmora
