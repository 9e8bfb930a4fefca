// The hack's command line: accepted forms, what they choose, and every kind of bad input.
#include <gtest/gtest.h>

#include "host/x11/hack_options.h"

namespace {

ParsedOptions parse(std::vector<std::string> arguments) {
    return parseHackOptions(arguments);
}

struct AcceptedCase {
    std::vector<std::string> arguments;
    DrawTarget target;
    uint32_t windowId;
    bool reportFrameRate;
    int64_t delay = 0;
    bool delayGiven = false;  // any --delay, 0 included, replaces pacing by the display's refresh
};

class AcceptedOptions : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedOptions, ChooseTargetPacingAndReport) {
    const AcceptedCase& expected = GetParam();
    const ParsedOptions parsed = parse(expected.arguments);
    ASSERT_TRUE(parsed.valid) << parsed.error;
    EXPECT_EQ(parsed.options.target, expected.target);
    EXPECT_EQ(parsed.options.windowId, expected.windowId);
    EXPECT_EQ(parsed.options.reportFrameRate, expected.reportFrameRate);
    EXPECT_EQ(parsed.options.delayMicroseconds, expected.delay);
    EXPECT_EQ(parsed.options.delayGiven, expected.delayGiven);
    EXPECT_FALSE(parsed.options.showUsage);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, AcceptedOptions,
    ::testing::Values(
        // No arguments: a window of its own, paced by the display's refresh, no report.
        AcceptedCase{{}, DrawTarget::kOwnWindow, 0, false},
        AcceptedCase{{"--root"}, DrawTarget::kRootWindow, 0, false},
        AcceptedCase{{"-root"}, DrawTarget::kRootWindow, 0, false},
        AcceptedCase{{"--window-id", "4194311"}, DrawTarget::kGivenWindow, 4194311, false},
        AcceptedCase{{"--window-id", "0x400007"}, DrawTarget::kGivenWindow, 0x400007, false},
        AcceptedCase{{"-window-id=0XFFFFFFFF"}, DrawTarget::kGivenWindow, 0xFFFFFFFF, false},
        // A preview appends --window-id to a command that has --root.
        AcceptedCase{{"--window-id", "0x10", "--root"}, DrawTarget::kGivenWindow, 16, false},
        AcceptedCase{{"--root", "--window-id", "0x10"}, DrawTarget::kGivenWindow, 16, false},
        AcceptedCase{{"--fps", "--delay", "20000"}, DrawTarget::kOwnWindow, 0, true, 20000, true},
        AcceptedCase{{"-delay=0", "-fps"}, DrawTarget::kOwnWindow, 0, true, 0, true},
        AcceptedCase{{"--delay", "10000000"}, DrawTarget::kOwnWindow, 0, false, 10000000, true},
        AcceptedCase{{"--delay", "5", "--delay", "7"}, DrawTarget::kOwnWindow, 0, false, 7, true}));

TEST(HackOptions, HelpAsksForTheUsageText) {
    EXPECT_TRUE(parse({"--help"}).options.showUsage);
    EXPECT_TRUE(parse({"-h"}).options.showUsage);
    EXPECT_NE(hackUsage().find("--window-id"), std::string::npos);
    // What happens without --delay is said too.
    EXPECT_NE(hackUsage().find("refresh rate"), std::string::npos);
}

struct RejectedCase {
    std::vector<std::string> arguments;
    const char* errorMentions;
};

class RejectedOptions : public ::testing::TestWithParam<RejectedCase> {};

TEST_P(RejectedOptions, GiveOneErrorLineNamingTheFault) {
    const RejectedCase& expected = GetParam();
    const ParsedOptions parsed = parse(expected.arguments);
    EXPECT_FALSE(parsed.valid);
    EXPECT_NE(parsed.error.find(expected.errorMentions), std::string::npos) << parsed.error;
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RejectedOptions,
    ::testing::Values(
        RejectedCase{{"--bogus"}, "'--bogus'"}, RejectedCase{{"stray"}, "'stray'"},
        RejectedCase{{"-"}, "'-'"}, RejectedCase{{"--"}, "'--'"},
        RejectedCase{{"--fps=1"}, "'--fps=1'"}, RejectedCase{{"--delay"}, "needs a value"},
        RejectedCase{{"--window-id"}, "needs a value"}, RejectedCase{{"--delay", "-1"}, "'-1'"},
        RejectedCase{{"--delay", "+5"}, "'+5'"}, RejectedCase{{"--delay", "1.5"}, "'1.5'"},
        RejectedCase{{"--delay", "10000001"}, "'10000001'"},
        RejectedCase{{"--delay", "99999999999999999999999"}, "'9999"},
        RejectedCase{{"--delay="}, "''"}, RejectedCase{{"--window-id", "0"}, "'0'"},
        RejectedCase{{"--window-id", "0x"}, "'0x'"},
        RejectedCase{{"--window-id", "0x100000000"}, "'0x100000000'"},
        RejectedCase{{"--window-id", "4294967296"}, "'4294967296'"},
        RejectedCase{{"--window-id", "12ab"}, "'12ab'"},
        RejectedCase{{"--window-id", " 12"}, "' 12'"},
        RejectedCase{{"--window-id", "0x-1"}, "'0x-1'"}));

TEST(ResolveAdoptedWindow, RootPrefersTheScreenSaversWindowAndRejectsABadOne) {
    HackOptions options;
    options.target = DrawTarget::kRootWindow;
    uint32_t window = 99;
    std::string error;
    ASSERT_TRUE(resolveAdoptedWindow(options, "0x2a00003", window, error));
    EXPECT_EQ(window, 0x2a00003u);
    ASSERT_TRUE(resolveAdoptedWindow(options, nullptr, window, error));
    EXPECT_EQ(window, 0u);  // the root window
    EXPECT_FALSE(resolveAdoptedWindow(options, "garbage", window, error));
    EXPECT_NE(error.find("XSCREENSAVER_WINDOW"), std::string::npos);
}

TEST(ResolveAdoptedWindow, OnlyRootReadsTheVariable) {
    HackOptions options;
    uint32_t window = 5;
    std::string error;
    ASSERT_TRUE(resolveAdoptedWindow(options, "0x77", window, error));
    EXPECT_EQ(window, 0u);
    options.target = DrawTarget::kGivenWindow;
    options.windowId = 0x55;
    ASSERT_TRUE(resolveAdoptedWindow(options, "garbage", window, error));
    EXPECT_EQ(window, 0x55u);
}

}  // namespace
