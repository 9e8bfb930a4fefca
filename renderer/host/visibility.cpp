// The system's display-power and session notices as the renderer's visibility state.
#include "host/visibility.h"

namespace {

// Display power states.
constexpr uint32_t kDisplayOff = 0;
constexpr uint32_t kDisplayOn = 1;
constexpr uint32_t kDisplayDimmed = 2;

// Session change codes.
constexpr uint32_t kConsoleConnect = 1;
constexpr uint32_t kConsoleDisconnect = 2;
constexpr uint32_t kRemoteConnect = 3;
constexpr uint32_t kRemoteDisconnect = 4;
constexpr uint32_t kSessionLock = 7;
constexpr uint32_t kSessionUnlock = 8;

// The session's lock flag and connection state when asked for them.
constexpr int32_t kLockFlagLocked = 0;
constexpr int32_t kLockFlagUnlocked = 1;
constexpr int32_t kConnectStateDisconnected = 4;

}  // namespace

void Visibility::displayPowerChanged(uint32_t state) {
    if (state == kDisplayOff) {
        displayOn_ = false;
    } else if (state == kDisplayOn || state == kDisplayDimmed) {
        displayOn_ = true;
    }
}

void Visibility::sessionStarted(const SessionReport& report) {
    if (report.lockFlag == kLockFlagLocked || report.lockFlag == kLockFlagUnlocked) {
        locked_ = (report.lockFlag == kLockFlagLocked) != report.lockFlagInverted;
    }
    connected_ = report.connectState != kConnectStateDisconnected;
}

void Visibility::sessionChanged(uint32_t code) {
    switch (code) {
        case kConsoleDisconnect:
        case kRemoteDisconnect:
            connected_ = false;
            break;
        case kConsoleConnect:
        case kRemoteConnect:
            connected_ = true;
            break;
        case kSessionLock:
            locked_ = true;
            break;
        case kSessionUnlock:
            locked_ = false;
            break;
        default:
            break;
    }
}

bool hasSessionDisplayState(uint32_t major, uint32_t minor) {
    return major > 6 || (major == 6 && minor >= 3);
}

bool reportsLockFlagInverted(uint32_t major, uint32_t minor) {
    return major == 6 && minor == 1;
}
