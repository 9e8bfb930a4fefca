// Registration for the display-power and session notices, and the display state they carry.
#include "host/win32/win32_visibility_notices.h"

#include <cstring>

namespace {

// GUID_CONSOLE_DISPLAY_STATE: the state of the display the console session is shown on.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// GUID_SESSION_DISPLAY_STATUS: the state of the display of this process's own session (a
// Remote Desktop session's, not the console monitor's).
constexpr GUID kSessionDisplayStatus = {
    0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
constexpr DWORD kNotifyForThisSession = 0;  // NOTIFY_FOR_THIS_SESSION

// WTSQuerySessionInformationW's WTSSessionInfoEx (25) answer, as far as it is read: a
// WTSINFOEXW whose level-1 record starts, after the level and the alignment of its 64-bit
// times, with the session's id, connection state and lock flag.
constexpr int kSessionInfoEx = 25;
constexpr DWORD kCurrentSession = static_cast<DWORD>(-1);  // WTS_CURRENT_SESSION
struct SessionInfoExStart {
    DWORD level;
    DWORD alignment;
    ULONG sessionId;
    LONG connectState;
    LONG lockFlag;
};

using QuerySessionProc = BOOL(WINAPI*)(HANDLE, DWORD, int, LPWSTR*, DWORD*);
using FreeMemoryProc = void(WINAPI*)(PVOID);
using VersionProc = LONG(WINAPI*)(OSVERSIONINFOW*);

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

// The system's own version numbers (GetVersionEx reports 6.2 to a program without a
// manifest).
OSVERSIONINFOW systemVersion() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (const auto getVersion = lookUp<VersionProc>(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")) {
        getVersion(&version);
    }
    return version;
}

bool isDisplayStateNotice(const GUID& setting) {
    return std::memcmp(&setting, &kConsoleDisplayState, sizeof(GUID)) == 0 ||
           std::memcmp(&setting, &kSessionDisplayStatus, sizeof(GUID)) == 0;
}

}  // namespace

SessionReport VisibilityNotices::attach(HWND window) {
    window_ = window;
    const OSVERSIONINFOW version = systemVersion();
    const GUID& displayState =
        hasSessionDisplayState(version.dwMajorVersion, version.dwMinorVersion)
            ? kSessionDisplayStatus
            : kConsoleDisplayState;
    if (const auto registerPower =
            lookUp<RegisterPowerProc>(user32(), "RegisterPowerSettingNotification")) {
        powerNotice_ = registerPower(window, &displayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    }
    sessionLibrary_ = LoadLibraryA("wtsapi32.dll");
    if (const auto registerSession =
            lookUp<RegisterSessionProc>(sessionLibrary_, "WTSRegisterSessionNotification")) {
        sessionNotices_ = registerSession(window, kNotifyForThisSession) != FALSE;
    }
    // Asked after the registration: a change in between is reported as a notice too.
    SessionReport report = querySession();
    report.lockFlagInverted =
        reportsLockFlagInverted(version.dwMajorVersion, version.dwMinorVersion);
    return report;
}

SessionReport VisibilityNotices::querySession() {
    SessionReport report;
    const auto query = lookUp<QuerySessionProc>(sessionLibrary_, "WTSQuerySessionInformationW");
    const auto freeMemory = lookUp<FreeMemoryProc>(sessionLibrary_, "WTSFreeMemory");
    LPWSTR buffer = nullptr;
    DWORD bytes = 0;
    if (query == nullptr || freeMemory == nullptr ||
        !query(nullptr, kCurrentSession, kSessionInfoEx, &buffer, &bytes)) {
        return report;
    }
    if (buffer != nullptr && bytes >= sizeof(SessionInfoExStart)) {
        SessionInfoExStart start{};
        std::memcpy(&start, buffer, sizeof start);
        if (start.level == 1) {
            report.lockFlag = start.lockFlag;
            report.connectState = start.connectState;
        }
    }
    freeMemory(buffer);
    return report;
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
    if (!isDisplayStateNotice(setting->PowerSetting) || setting->DataLength < sizeof(DWORD)) {
        return false;
    }
    DWORD value = 0;
    std::memcpy(&value, setting->Data, sizeof value);
    state = value;
    return true;
}
