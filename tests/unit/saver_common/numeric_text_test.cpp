// Number texts: whole-text and leading-number parses and the two roundings.
#include <gtest/gtest.h>

#include "numeric_text.h"

namespace velmora {
namespace {

TEST(ParseWholeNumber, AcceptsBlanksSignFractionAndExponent) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"2", 2},      {" 2", 2},        {"2 ", 2},      {"-1", -1},   {"- 1", -1},
        {"+7", 7},     {"2.9", 2.9},     {"-0.5", -0.5}, {".5", 0.5},  {"5.", 5},
        {"1e3", 1000}, {"1.5E-1", 0.15}, {"2d2", 200},   {"\t3\t", 3}, {"007", 7},
    };
    for (const Case& c : cases) {
        const std::optional<double> value = parseWholeNumber(c.text);
        ASSERT_TRUE(value.has_value()) << c.text;
        EXPECT_DOUBLE_EQ(*value, c.value) << c.text;
    }
}

TEST(ParseWholeNumber, RejectsTextsThatAreNotOneNumber) {
    for (const char* text :
         {"", " ", "abc", "2a", "1 2", "--1", "+-1", ".", "-", "1e", "0x10", "1,5", "1e999"}) {
        EXPECT_FALSE(parseWholeNumber(text).has_value()) << text;
    }
}

TEST(ParseLeadingNumber, SkipsBlanksAndStopsAtTheFirstForeignCharacter) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"1234", 1234}, {" 1234", 1234}, {"12 34", 1234}, {"1234abc", 1234},
        {"abc", 0},     {"", 0},         {"-12", -12},    {"1.5x", 1.5},
        {"2e3", 2000},  {"2e", 2},       {"12:34", 12},   {"\n7", 7},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(parseLeadingNumber(c.text), c.value) << c.text;
    }
}

TEST(FloorToInt16, RoundsDownWithinSixteenBits) {
    EXPECT_EQ(floorToInt16(2.9), 2);
    EXPECT_EQ(floorToInt16(-0.5), -1);
    EXPECT_EQ(floorToInt16(32767.9), 32767);
    EXPECT_EQ(floorToInt16(-32768), -32768);
    EXPECT_FALSE(floorToInt16(32768).has_value());
    EXPECT_FALSE(floorToInt16(-32768.5).has_value());
}

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEvenToInt16(2.5), 2);
    EXPECT_EQ(roundHalfEvenToInt16(3.5), 4);
    EXPECT_EQ(roundHalfEvenToInt16(-2.5), -2);
    EXPECT_EQ(roundHalfEvenToInt16(-3.5), -4);
    EXPECT_EQ(roundHalfEvenToInt16(2.6), 3);
    EXPECT_EQ(roundHalfEvenToInt16(2.4), 2);
    EXPECT_FALSE(roundHalfEvenToInt16(32767.5).has_value());
    EXPECT_EQ(roundHalfEvenToInt32(2147483647.0), 2147483647);
    EXPECT_FALSE(roundHalfEvenToInt32(2147483648.0).has_value());
}

}  // namespace
}  // namespace velmora
