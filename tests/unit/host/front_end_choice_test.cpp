// Which process the renderer watches as its screen saver.
#include <gtest/gtest.h>

#include "host/front_end_choice.h"

namespace {

TEST(FrontEndChoice, OnlyAScreenSaverCreatedBeforeTheRendererIsWatched) {
    constexpr uint64_t kRenderer = 5000;
    EXPECT_TRUE(isOwnScreenSaver("Velmora.scr", 4000, kRenderer));
    EXPECT_TRUE(isOwnScreenSaver("My Saver.SCR", 4000, kRenderer));  // renamed
    EXPECT_TRUE(isOwnScreenSaver("", 4000, kRenderer));  // a handle the saver handed down
    // The parent died and its id went to a program started after the renderer.
    EXPECT_FALSE(isOwnScreenSaver("Velmora.scr", 6000, kRenderer));
    EXPECT_FALSE(isOwnScreenSaver("", 6000, kRenderer));
    EXPECT_FALSE(isOwnScreenSaver("Velmora.scr", kRenderer, kRenderer));
    EXPECT_FALSE(isOwnScreenSaver("explorer.exe", 4000, kRenderer));
    EXPECT_FALSE(isOwnScreenSaver("scr", 4000, kRenderer));
}

TEST(FrontEndChoice, TheHandedDownHandleIsADecimalNumberOrNothing) {
    EXPECT_EQ(frontEndHandleValue("1234"), 1234u);
    EXPECT_EQ(frontEndHandleValue(""), 0u);
    EXPECT_EQ(frontEndHandleValue("0x10"), 0u);
    EXPECT_EQ(frontEndHandleValue("12 "), 0u);
    EXPECT_EQ(frontEndHandleValue("99999999999999999999"), 0u);
}

}  // namespace
