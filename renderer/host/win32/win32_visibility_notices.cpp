// Registration for the display-power and session notices, and the display state they carry.
#include "host/win32/win32_visibility_notices.h"

#include <cstring>

namespace {

// GUID_CONSOLE_DISPLAY_STATE: the state of the display the console session is shown on.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr DWORD kNotifyForThisSession = 0;  // NOTIFY_FOR_THIS_SESSION

using RegisterPowerProc = HANDLE(WINAPI*)(HANDLE, LPCGUID, DWORD);
using UnregisterPowerProc = BOOL(WINAPI*)(HANDLE);
using RegisterSessionProc = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionProc = BOOL(WINAPI*)(HWND);

// Through void(*)(): the one function-pointer cast the compiler accepts silently.
template <typename Proc>
Proc lookUp(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

HMODULE user32() {
    return GetModuleHandleA("user32.dll");
}

}  // namespace

void VisibilityNotices::attach(HWND window) {
    window_ = window;
    if (const auto registerPower =
            lookUp<RegisterPowerProc>(user32(), "RegisterPowerSettingNotification")) {
        powerNotice_ = registerPower(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    sessionLibrary_ = LoadLibraryA("wtsapi32.dll");
    if (const auto registerSession =
            lookUp<RegisterSessionProc>(sessionLibrary_, "WTSRegisterSessionNotification")) {
        sessionNotices_ = registerSession(window, kNotifyForThisSession) != FALSE;
    }
}

void VisibilityNotices::release() {
    if (powerNotice_ != nullptr) {
        if (const auto unregisterPower =
                lookUp<UnregisterPowerProc>(user32(), "UnregisterPowerSettingNotification")) {
            unregisterPower(powerNotice_);
        }
        powerNotice_ = nullptr;
    }
    if (sessionNotices_) {
        if (const auto unregisterSession = lookUp<UnregisterSessionProc>(
                sessionLibrary_, "WTSUnRegisterSessionNotification")) {
            unregisterSession(window_);
        }
        sessionNotices_ = false;
    }
    if (sessionLibrary_ != nullptr) {
        FreeLibrary(sessionLibrary_);
        sessionLibrary_ = nullptr;
    }
}

bool VisibilityNotices::readDisplayState(WPARAM event, LPARAM data, uint32_t& state) {
    if (event != PBT_POWERSETTINGCHANGE || data == 0) {
        return false;
    }
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(data);
    if (std::memcmp(&setting->PowerSetting, &kConsoleDisplayState, sizeof(GUID)) != 0 ||
        setting->DataLength < sizeof(DWORD)) {
        return false;
    }
    DWORD value = 0;
    std::memcpy(&value, setting->Data, sizeof value);
    state = value;
    return true;
}
