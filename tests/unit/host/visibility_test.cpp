// The session's state as the system reports it at the start, and what each system version
// offers.
#include <gtest/gtest.h>

#include "host/visibility.h"

namespace {

TEST(SessionAtTheStart, TheLockFlagAndTheConnectionStateAsReported) {
    struct Case {
        SessionReport report;
        bool seen;
    };
    const Case cases[] = {
        {{0, 0, false}, false},  // locked, active
        {{1, 0, false}, true},   // unlocked, active
        {{-1, 0, false}, true},  // lock state unknown: as before, shown
        {{1, 4, false}, false},  // unlocked but disconnected
        {{1, 1, false}, true},   // connected, not yet active
        {{0, 0, true}, true},    // Windows 7: the flag says locked for an unlocked session
        {{1, 0, true}, false},   // ... and unlocked for a locked one
        {{-1, 0, true}, true},
    };
    for (const Case& c : cases) {
        Visibility visibility;
        visibility.sessionStarted(c.report);
        EXPECT_EQ(visibility.seen(), c.seen)
            << c.report.lockFlag << " " << c.report.connectState << " "
            << c.report.lockFlagInverted;
    }
}

TEST(SessionAtTheStart, TheSessionsOwnDisplayFromWindows81AndTheInvertedFlagOnWindows7) {
    EXPECT_FALSE(hasSessionDisplayState(6, 1));  // Windows 7
    EXPECT_FALSE(hasSessionDisplayState(6, 2));  // Windows 8
    EXPECT_TRUE(hasSessionDisplayState(6, 3));   // Windows 8.1
    EXPECT_TRUE(hasSessionDisplayState(10, 0));  // Windows 10 and 11
    EXPECT_TRUE(reportsLockFlagInverted(6, 1));
    EXPECT_FALSE(reportsLockFlagInverted(6, 2));
    EXPECT_FALSE(reportsLockFlagInverted(10, 0));
}

}  // namespace
