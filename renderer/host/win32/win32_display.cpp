// The renderer's display services on Win32: see win32_display.h.
#include "host/win32/win32_display.h"

#include "host/viewport.h"

namespace {

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM found) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoA(monitor, &info)) {
        const RECT& area = info.rcMonitor;
        reinterpret_cast<std::vector<MonitorInfo>*>(found)->push_back(
            {{area.left, area.top, area.right, area.bottom},
             (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    }
    return TRUE;
}

}  // namespace

bool Win32Display::requestMode(int32_t width, int32_t height, int32_t colorBits) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(DEVMODEA);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(colorBits);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

void Win32Display::restoreRegistryMode() {
    ChangeDisplaySettingsA(nullptr, 0);
}

std::vector<MonitorInfo> Win32Display::monitors() {
    std::vector<MonitorInfo> found;
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&found));
    if (found.empty()) {
        found.push_back(
            {{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, true});
    }
    return found;
}

void Win32Display::placeWindow(const ScreenRect& area) {
    if (IsIconic(window_)) {
        ShowWindow(window_, SW_RESTORE);
    }
    SetWindowPos(window_, HWND_TOPMOST, area.left, area.top, area.width(), area.height(),
                 SWP_SHOWWINDOW);
}

void Win32Display::setViewport(const ViewportRect& viewport) {
    placeViewport(viewport.x, viewport.y, viewport.width, viewport.height);
}

void Win32Display::minimise() {
    ShowWindow(window_, SW_MINIMIZE);
}

void becomeDpiAware() {
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    if (user32 == nullptr) {
        return;
    }
    // Per monitor (Windows 10 1703 on): every monitor at its own scale, none stretched.
    // Through void(*)(): the one function-pointer cast the compiler accepts silently.
    using ContextProc = BOOL(WINAPI*)(HANDLE);
    if (const FARPROC address = GetProcAddress(user32, "SetProcessDpiAwarenessContext")) {
        // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, a handle value that older headers lack.
        const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
        if (reinterpret_cast<ContextProc>(reinterpret_cast<void (*)()>(address))(perMonitorV2)) {
            return;
        }
    }
    using DpiAwareProc = BOOL(WINAPI*)();
    if (const FARPROC address = GetProcAddress(user32, "SetProcessDPIAware")) {
        reinterpret_cast<DpiAwareProc>(reinterpret_cast<void (*)()>(address))();
    }
}
