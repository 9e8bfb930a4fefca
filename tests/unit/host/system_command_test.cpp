// The system commands the renderer's window refuses, and those it passes on.
#include <gtest/gtest.h>

#include <cstdint>

#include "host/system_command.h"

namespace {

TEST(SystemCommand, RefusesTheSystemScreenSaverAndMonitorPowerDown) {
    EXPECT_TRUE(refusesSystemCommand(0xF140));  // SC_SCREENSAVE
    EXPECT_TRUE(refusesSystemCommand(0xF170));  // SC_MONITORPOWER
    // The low four bits belong to the system: with them set it is the same command.
    EXPECT_TRUE(refusesSystemCommand(0xF141));
    EXPECT_TRUE(refusesSystemCommand(0xF14F));
    EXPECT_TRUE(refusesSystemCommand(0xF172));
    EXPECT_TRUE(refusesSystemCommand(0xF17F));
}

TEST(SystemCommand, PassesEveryOtherCommandOn) {
    for (const std::uintptr_t command :
         {0xF000u, 0xF010u, 0xF020u, 0xF030u, 0xF060u, 0xF090u, 0xF100u, 0xF120u, 0xF130u, 0xF150u,
          0xF160u, 0xF180u, 0xF190u, 0xF1A0u, 0xF012u, 0xF062u}) {
        EXPECT_FALSE(refusesSystemCommand(command)) << std::hex << command;
    }
    EXPECT_FALSE(refusesSystemCommand(0));
}

}  // namespace
