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

}  // namespace

void Visibility::displayPowerChanged(uint32_t state) {
    if (state == kDisplayOff) {
        displayOn_ = false;
    } else if (state == kDisplayOn || state == kDisplayDimmed) {
        displayOn_ = true;
    }
}

void Visibility::sessionChanged(uint32_t code) {
    switch (code) {
        case kConsoleDisconnect:
        case kRemoteDisconnect:
        case kSessionLock:
            sessionShown_ = false;
            break;
        case kConsoleConnect:
        case kRemoteConnect:
        case kSessionUnlock:
            sessionShown_ = true;
            break;
        default:
            break;
    }
}
