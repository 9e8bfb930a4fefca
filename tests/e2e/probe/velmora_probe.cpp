// The end-to-end tests' eyes inside Wine: asks Windows what X11 tools cannot see
// (window classes, rectangles, styles, parents, the display mode) and makes test windows.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void printWindow(HWND window) {
    char className[256] = {};
    GetClassNameA(window, className, sizeof(className));
    char title[256] = {};
    GetWindowTextA(window, title, sizeof(title));
    RECT rect{};
    GetWindowRect(window, &rect);
    RECT client{};
    GetClientRect(window, &client);
    POINT clientOrigin{0, 0};
    ClientToScreen(window, &clientOrigin);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    std::printf("hwnd=%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    std::printf("class=%s\n", className);
    std::printf("title=%s\n", title);
    // The title as UTF-8 bytes in hex, so that Japanese texts survive any code page.
    wchar_t wideTitle[512] = {};
    GetWindowTextW(window, wideTitle, 512);
    char utf8Title[2048] = {};
    WideCharToMultiByte(CP_UTF8, 0, wideTitle, -1, utf8Title, sizeof(utf8Title), nullptr, nullptr);
    std::printf("title_utf8=");
    for (const char* c = utf8Title; *c != '\0'; ++c) {
        std::printf("%02x", static_cast<unsigned char>(*c));
    }
    std::printf("\n");
    std::printf("rect=%ld,%ld,%ld,%ld\n", rect.left, rect.top, rect.right, rect.bottom);
    std::printf("client=%ld,%ld,%ld,%ld\n", client.left, client.top, client.right, client.bottom);
    std::printf("client_origin=%ld,%ld\n", clientOrigin.x, clientOrigin.y);
    std::printf("visible=%d\n", IsWindowVisible(window) ? 1 : 0);
    std::printf("style=0x%08lx\n", static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)));
    std::printf("exstyle=0x%08lx\n",
                static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)));
    std::printf("parent=%llu\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(GetParent(window))));
    std::printf("pid=%lu\n", static_cast<unsigned long>(processId));
    std::printf("foreground=%d\n", GetForegroundWindow() == window ? 1 : 0);
}

HWND windowByTitle(const char* title) {
    return FindWindowA(nullptr, title);
}

HWND windowByHandle(const char* text) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 0)));
}

int findCommand(const char* title) {
    HWND window = windowByTitle(title);
    if (window == nullptr) {
        std::printf("none\n");
        return 1;
    }
    printWindow(window);
    return 0;
}

int childrenCommand(const char* handle) {
    HWND parent = windowByHandle(handle);
    if (!IsWindow(parent)) {
        std::printf("none\n");
        return 1;
    }
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        printWindow(child);
        RECT rect{};
        GetWindowRect(child, &rect);
        POINT topLeft{rect.left, rect.top};
        ScreenToClient(parent, &topLeft);
        std::printf("position_in_parent=%ld,%ld\n", topLeft.x, topLeft.y);
        std::printf("--\n");
    }
    return 0;
}

int closeCommand(const char* title) {
    HWND window = windowByTitle(title);
    if (window == nullptr) {
        return 1;
    }
    return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
}

int sysCommand(const char* title, const char* code) {
    HWND window = windowByTitle(title);
    if (window == nullptr) {
        return 1;
    }
    const LRESULT result =
        SendMessageA(window, WM_SYSCOMMAND, static_cast<WPARAM>(std::strtoul(code, nullptr, 0)), 0);
    std::printf("result=%lld\n", static_cast<long long>(result));
    return 0;
}

int displayCommand() {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    std::printf("mode=%lux%lux%lu\n", mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel);
    std::printf("screen=%dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    CURSORINFO cursor{};
    cursor.cbSize = sizeof(cursor);
    GetCursorInfo(&cursor);
    std::printf("cursor_showing=%d\n", (cursor.flags & CURSOR_SHOWING) ? 1 : 0);
    return 0;
}

BOOL CALLBACK printMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFOEXA info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info)) {
        return TRUE;
    }
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    EnumDisplaySettingsA(info.szDevice, ENUM_CURRENT_SETTINGS, &mode);
    const RECT& area = info.rcMonitor;
    std::printf("monitor=%s %ld,%ld,%ld,%ld %lux%lux%lu %d\n", info.szDevice, area.left, area.top,
                area.right, area.bottom, mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel,
                (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
    return TRUE;
}

// Each monitor as Windows sees it: device, rectangle, current mode of its device, primary.
int monitorsCommand() {
    std::printf("virtual=%d,%d,%d,%d\n", GetSystemMetrics(SM_XVIRTUALSCREEN),
                GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
                GetSystemMetrics(SM_CYVIRTUALSCREEN));
    return EnumDisplayMonitors(nullptr, nullptr, printMonitor, 0) ? 0 : 1;
}

LRESULT CALLBACK boxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A stand-in for the display settings' preview box: a visible window with the given
// client size. Prints its handle in decimal, then runs until it is destroyed.
int boxCommand(const char* width, const char* height, const char* title) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = boxProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "VelmoraProbeBox";
    RegisterClassA(&windowClass);
    RECT rect{0, 0, std::atoi(width), std::atoi(height)};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window =
        CreateWindowA("VelmoraProbeBox", title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                      40, 40, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                      windowClass.hInstance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    std::fflush(stdout);
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

// Brings the window to the foreground, as a click on it or Alt+Tab would.
int activateCommand(const char* title) {
    HWND window = windowByTitle(title);
    if (window == nullptr) {
        return 1;
    }
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    return SetForegroundWindow(window) ? 0 : 1;
}

// Ends the process that owns the window, as a task manager would.
int killCommand(const char* title) {
    HWND window = windowByTitle(title);
    if (window == nullptr) {
        return 1;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
    if (process == nullptr) {
        return 1;
    }
    const BOOL ended = TerminateProcess(process, 9);
    CloseHandle(process);
    return ended ? 0 : 1;
}

// Writes one value with the platform's own private-profile service; key and value are
// given as hex bytes so that Shift-JIS names pass unchanged.
std::string fromHex(const char* hex) {
    std::string bytes;
    for (const char* c = hex; c[0] != '\0' && c[1] != '\0'; c += 2) {
        const char pair[3] = {c[0], c[1], '\0'};
        bytes += static_cast<char>(std::strtoul(pair, nullptr, 16));
    }
    return bytes;
}

int profileWriteCommand(const char* file, const char* section, const char* keyHex,
                        const char* valueHex) {
    const std::string key = fromHex(keyHex);
    const std::string value = fromHex(valueHex);
    return WritePrivateProfileStringA(section, key.c_str(), value.c_str(), file) ? 0 : 1;
}

int profileReadCommand(const char* file, const char* section, const char* keyHex) {
    const std::string key = fromHex(keyHex);
    char value[256] = {};
    GetPrivateProfileStringA(section, key.c_str(), "", value, sizeof(value), file);
    for (const char* c = value; *c != '\0'; ++c) {
        std::printf("%02x", static_cast<unsigned char>(*c));
    }
    std::printf("\n");
    return 0;
}

// A number of milliseconds from the environment; -1 when the variable is not set.
int environmentMs(const char* name) {
    char value[32] = {};
    if (GetEnvironmentVariableA(name, value, sizeof(value)) == 0) {
        return -1;
    }
    return std::atoi(value);
}

// A stand-in renderer for the front-end's watch: started as Velmora.dll with no arguments,
// it waits VELMORA_PROBE_RENDERER_DELAY_MS, then shows a window titled "VelmoraVC" until it
// is closed. With VELMORA_PROBE_RENDERER_HANG_MS it stops handling messages that long after
// showing the window, for good, like a renderer that hangs. With
// VELMORA_PROBE_RENDERER_SWITCH set it first switches the display to 1024x768x16, and with
// VELMORA_PROBE_RENDERER_CRASH_ON_CLOSE a close request makes it die as a crash would: no
// teardown, the exit code of an access violation.
int slowRenderer() {
    Sleep(static_cast<DWORD>(std::max(environmentMs("VELMORA_PROBE_RENDERER_DELAY_MS"), 0)));
    const int hangAfterMs = environmentMs("VELMORA_PROBE_RENDERER_HANG_MS");
    const bool crashOnClose = environmentMs("VELMORA_PROBE_RENDERER_CRASH_ON_CLOSE") >= 0;
    if (environmentMs("VELMORA_PROBE_RENDERER_SWITCH") >= 0) {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        mode.dmPelsWidth = 1024;
        mode.dmPelsHeight = 768;
        mode.dmBitsPerPel = 16;
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
    }
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = boxProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "VelmoraProbeRenderer";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("VelmoraProbeRenderer", "VelmoraVC", WS_POPUP | WS_VISIBLE, 0, 0,
                                64, 64, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    const DWORD shown = GetTickCount();
    MSG message{};
    for (;;) {
        if (hangAfterMs >= 0 && GetTickCount() - shown >= static_cast<DWORD>(hangAfterMs)) {
            for (;;) {
                Sleep(INFINITE);
            }
        }
        // Wakes at least every 50 ms to look at the clock.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                return 0;
            }
            if (message.message == WM_CLOSE && crashOnClose) {
                TerminateProcess(GetCurrentProcess(), 0xC0000005u);
            }
            DispatchMessageA(&message);
        }
    }
}

bool startedAsRenderer() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* name = std::strrchr(path, '\\');
    return _stricmp(name != nullptr ? name + 1 : path, "Velmora.dll") == 0;
}

int usage() {
    std::fprintf(
        stderr,
        "usage: velmora_probe find TITLE | children HWND | close TITLE |\n"
        "       syscommand TITLE CODE | display | monitors | box WIDTH HEIGHT TITLE |\n"
        "       kill TITLE | activate TITLE | profile-write FILE SECTION KEYHEX VALUEHEX |\n"
        "       profile-read FILE SECTION KEYHEX\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1 && startedAsRenderer()) {
        return slowRenderer();
    }
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "find" && argc == 3)
        return findCommand(argv[2]);
    if (command == "children" && argc == 3)
        return childrenCommand(argv[2]);
    if (command == "close" && argc == 3)
        return closeCommand(argv[2]);
    if (command == "syscommand" && argc == 4)
        return sysCommand(argv[2], argv[3]);
    if (command == "display" && argc == 2)
        return displayCommand();
    if (command == "monitors" && argc == 2)
        return monitorsCommand();
    if (command == "box" && argc == 5)
        return boxCommand(argv[2], argv[3], argv[4]);
    if (command == "activate" && argc == 3)
        return activateCommand(argv[2]);
    if (command == "kill" && argc == 3)
        return killCommand(argv[2]);
    if (command == "profile-write" && argc == 6)
        return profileWriteCommand(argv[2], argv[3], argv[4], argv[5]);
    if (command == "profile-read" && argc == 5)
        return profileReadCommand(argv[2], argv[3], argv[4]);
    return usage();
}
