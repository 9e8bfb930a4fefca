// The end-to-end tests' eyes inside Wine: asks Windows what X11 tools cannot see
// (window classes, rectangles, styles, parents, the display mode) and makes test windows.
#include <windows.h>
#include <tlhelp32.h>
#include <winver.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

namespace {

// Exit codes: a command that could not find its window says so with its own code (and "none"),
// so that a probe that failed to run (any other code) is never taken for a window that is gone.
constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kNoSuchWindow = 3;

int noSuchWindow() {
    std::printf("none\n");
    return kNoSuchWindow;
}

// Every failure says which step failed.
int failed(const char* step) {
    std::printf("failed=%s error=%lu\n", step, static_cast<unsigned long>(GetLastError()));
    return kFailed;
}

// A text as UTF-8 bytes in hex, so that any text (Japanese included) survives any code page.
void printUtf8Hex(const char* key, const wchar_t* text) {
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), nullptr, nullptr);
    std::printf("%s=", key);
    for (const char* c = utf8; *c != '\0'; ++c) {
        std::printf("%02x", static_cast<unsigned char>(*c));
    }
    std::printf("\n");
}

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
    wchar_t wideTitle[512] = {};
    GetWindowTextW(window, wideTitle, 512);
    printUtf8Hex("title_utf8", wideTitle);
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

// Runs a command on the top-level window titled title, or says there is none.
template <typename Command>
int onWindow(const char* title, Command command) {
    HWND window = FindWindowA(nullptr, title);
    return window != nullptr ? command(window) : noSuchWindow();
}

HWND windowByHandle(const char* text) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 0)));
}

int findCommand(HWND window) {
    printWindow(window);
    return kDone;
}

int childrenCommand(const char* handle) {
    HWND parent = windowByHandle(handle);
    if (!IsWindow(parent)) {
        return noSuchWindow();
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
    return kDone;
}

int closeCommand(HWND window) {
    return PostMessageA(window, WM_CLOSE, 0, 0) ? kDone : failed("PostMessageA");
}

int sysCommand(HWND window, const char* code) {
    // With a deadline: a command the window passes on may open a modal window of the system's.
    DWORD_PTR result = 0;
    const LRESULT answered = SendMessageTimeoutA(
        window, WM_SYSCOMMAND, static_cast<WPARAM>(std::strtoul(code, nullptr, 0)), 0, SMTO_NORMAL,
        5000, &result);
    std::printf("answered=%d\n", answered != 0 ? 1 : 0);
    std::printf("result=%lld\n", static_cast<long long>(result));
    return kDone;
}

// Tells the window its session changed (locked, unlocked, switched away), as the system
// does, with the session id of the window's process.
int sessionCommand(HWND window, const char* code) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    DWORD sessionId = 0;
    ProcessIdToSessionId(processId, &sessionId);
    const WPARAM change = static_cast<WPARAM>(std::strtoul(code, nullptr, 0));
    return PostMessageA(window, WM_WTSSESSION_CHANGE, change, static_cast<LPARAM>(sessionId))
               ? kDone
               : failed("PostMessageA");
}

// Brings Wine's desktop up on the display (its first caller starts it and waits until it
// is ready), so that a scenario's own programs never race its start.
int desktopCommand() {
    return GetDesktopWindow() != nullptr ? kDone : failed("GetDesktopWindow");
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
    return kDone;
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
    return EnumDisplayMonitors(nullptr, nullptr, printMonitor, 0) ? kDone
                                                                  : failed("EnumDisplayMonitors");
}

LRESULT CALLBACK boxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window of a class of its own, filled with the stock brush, whose end ends the message loop.
HWND makeWindow(const char* className, const char* title, DWORD style, int brush, RECT place) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = boxProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(brush));
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    return CreateWindowA(className, title, style, place.left, place.top, place.right - place.left,
                         place.bottom - place.top, nullptr, nullptr, windowClass.hInstance,
                         nullptr);
}

// A stand-in for the display settings' preview box: a visible window with the given
// client size. Prints its handle in decimal, then runs until it is destroyed.
int boxCommand(const char* width, const char* height, const char* title) {
    RECT rect{0, 0, std::atoi(width), std::atoi(height)};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    OffsetRect(&rect, 40 - rect.left, 40 - rect.top);
    HWND window = makeWindow("VelmoraProbeBox", title,
                             WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, WHITE_BRUSH, rect);
    if (window == nullptr) {
        return failed("CreateWindowA");
    }
    std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    std::fflush(stdout);
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return kDone;
}

// Brings the window to the foreground, as a click on it or Alt+Tab would.
int activateCommand(HWND window) {
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    }
    return SetForegroundWindow(window) ? kDone : failed("SetForegroundWindow");
}

// Opens the process that owns the window; kDone, or the exit code that says why not.
int openOwner(HWND window, DWORD access, HANDLE& process) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process = OpenProcess(access, FALSE, processId);
    return process != nullptr ? kDone : failed("OpenProcess");
}

// Ends the process that owns the window, as a task manager would.
int killCommand(HWND window) {
    HANDLE process = nullptr;
    if (const int code = openOwner(window, PROCESS_TERMINATE, process); code != kDone) {
        return code;
    }
    if (!TerminateProcess(process, 9)) {
        const int code = failed("TerminateProcess");
        CloseHandle(process);
        return code;
    }
    CloseHandle(process);
    return kDone;
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
    return WritePrivateProfileStringA(section, key.c_str(), value.c_str(), file)
               ? kDone
               : failed("WritePrivateProfileStringA");
}

// The same through the W form, key and value given as UTF-8 hex: a Unicode file's writer.
int profileWriteWideCommand(const char* file, const char* section, const char* keyHex,
                            const char* valueHex) {
    const auto wide = [](const std::string& utf8) {
        std::wstring text(utf8.size() + 1, L'\0');
        const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text.data(),
                                               static_cast<int>(text.size()));
        text.resize(length > 0 ? length - 1 : 0);
        return text;
    };
    return WritePrivateProfileStringW(wide(section).c_str(), wide(fromHex(keyHex)).c_str(),
                                      wide(fromHex(valueHex)).c_str(), wide(file).c_str())
               ? kDone
               : failed("WritePrivateProfileStringW");
}

// A scanner's stand-in: opens the file with read sharing only (no write or delete sharing),
// says "held", and keeps it open until a file appears or goes in its folder (a store has
// begun) and then for holdMs more, at most 30 s in all; says whether a store was seen.
int holdCommand(const char* file, const char* holdMs) {
    HANDLE held = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        return failed("CreateFileA");
    }
    std::string folder(file);
    folder.resize(folder.find_last_of('\\') + 1);
    HANDLE change =
        FindFirstChangeNotificationA(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    std::printf("held\n");
    std::fflush(stdout);
    const bool seen =
        change != INVALID_HANDLE_VALUE && WaitForSingleObject(change, 30000) == WAIT_OBJECT_0;
    if (seen) {
        Sleep(static_cast<DWORD>(std::atoi(holdMs)));
    }
    if (change != INVALID_HANDLE_VALUE) {
        FindCloseChangeNotification(change);
    }
    CloseHandle(held);
    std::printf("store_seen=%d\nreleased\n", seen ? 1 : 0);
    std::fflush(stdout);
    return kDone;
}

// Holds the process that owns the window from outside (it may be a grandchild nobody else
// has a handle of), says "opened", and once it has ended (within waitMs) prints its exit code.
int exitCodeCommand(HWND window, const char* waitMs) {
    HANDLE process = nullptr;
    if (const int code =
            openOwner(window, SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, process);
        code != kDone) {
        return code;
    }
    std::printf("opened\n");
    std::fflush(stdout);
    const DWORD waited = WaitForSingleObject(process, static_cast<DWORD>(std::atoi(waitMs)));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    if (waited != WAIT_OBJECT_0) {
        return failed("WaitForSingleObject");
    }
    std::printf("exit=%lu\n", static_cast<unsigned long>(code));
    return kDone;
}

// The system's text for an error number, as UTF-8 hex, in Japanese and in the system's own
// language (empty when the system has none).
int errorTextCommand(const char* code) {
    const DWORD error = static_cast<DWORD>(std::strtoul(code, nullptr, 0));
    const std::pair<const char*, DWORD> languages[] = {
        {"ja", MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN)},
        {"default", MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)}};
    for (const auto& [name, language] : languages) {
        wchar_t text[1024] = {};
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       language, text, 1024, nullptr);
        printUtf8Hex(name, text);
    }
    return kDone;
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
    HWND window = makeWindow("VelmoraProbeRenderer", "VelmoraVC", WS_POPUP | WS_VISIBLE,
                             BLACK_BRUSH, RECT{0, 0, 64, 64});
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

// What Windows reads of a program's version resource (Properties > Details): the fixed
// version numbers and the strings of the resource's first language.
int versionCommand(const char* path) {
    wchar_t widePath[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(widePath, &ignored);
    if (size == 0) {
        return failed("GetFileVersionInfoSizeW");
    }
    std::string data(size, '\0');
    if (!GetFileVersionInfoW(widePath, 0, size, data.data())) {
        return failed("GetFileVersionInfoW");
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
        fixed != nullptr) {
        const auto part = [](DWORD word, bool high) {
            return static_cast<unsigned>(high ? HIWORD(word) : LOWORD(word));
        };
        std::printf("file_version=%u.%u.%u.%u\n", part(fixed->dwFileVersionMS, true),
                    part(fixed->dwFileVersionMS, false), part(fixed->dwFileVersionLS, true),
                    part(fixed->dwFileVersionLS, false));
        std::printf("product_version=%u.%u.%u.%u\n", part(fixed->dwProductVersionMS, true),
                    part(fixed->dwProductVersionMS, false), part(fixed->dwProductVersionLS, true),
                    part(fixed->dwProductVersionLS, false));
    }
    WORD* translation = nullptr;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 2 * sizeof(WORD)) {
        return kDone;
    }
    std::printf("translation=%04x%04x\n", static_cast<unsigned>(translation[0]),
                static_cast<unsigned>(translation[1]));
    for (const wchar_t* name :
         {L"ProductName", L"FileDescription", L"FileVersion", L"ProductVersion",
          L"OriginalFilename", L"CompanyName", L"LegalCopyright"}) {
        wchar_t query[128] = {};
        swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls",
                 static_cast<unsigned>(translation[0]), static_cast<unsigned>(translation[1]),
                 name);
        wchar_t* value = nullptr;
        if (VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&value), &length) &&
            value != nullptr) {
            char key[64] = {};
            WideCharToMultiByte(CP_UTF8, 0, name, -1, key, sizeof(key), nullptr, nullptr);
            printUtf8Hex(key, value);
        }
    }
    return kDone;
}

// Every process of this Wine prefix by its program's name, one a line: what is left running.
int processesCommand() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return failed("CreateToolhelp32Snapshot");
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        std::printf("process=%lu %s\n", static_cast<unsigned long>(entry.th32ProcessID),
                    entry.szExeFile);
    }
    CloseHandle(snapshot);
    return kDone;
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
        "       syscommand TITLE CODE | session TITLE CODE | desktop | display | monitors |\n"
        "       box WIDTH HEIGHT TITLE | kill TITLE | activate TITLE |\n"
        "       profile-write FILE SECTION KEYHEX VALUEHEX |\n"
        "       profile-write-w FILE SECTION KEYHEX VALUEHEX |\n"
        "       version FILE | hold FILE MS |\n"
        "       error-text CODE | processes | exit-code TITLE MS\n");
    return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1 && startedAsRenderer()) {
        return slowRenderer();
    }
    // The scenarios' proof that the command below was reached: a probe that never said this
    // changed nothing and may be started again; one that said it never is.
    std::fprintf(stderr, "velmora_probe: started\n");
    std::fflush(stderr);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "find" && argc == 3)
        return onWindow(argv[2], findCommand);
    if (command == "children" && argc == 3)
        return childrenCommand(argv[2]);
    if (command == "close" && argc == 3)
        return onWindow(argv[2], closeCommand);
    if (command == "syscommand" && argc == 4)
        return onWindow(argv[2], [&](HWND window) { return sysCommand(window, argv[3]); });
    if (command == "session" && argc == 4)
        return onWindow(argv[2], [&](HWND window) { return sessionCommand(window, argv[3]); });
    if (command == "desktop" && argc == 2)
        return desktopCommand();
    if (command == "display" && argc == 2)
        return displayCommand();
    if (command == "monitors" && argc == 2)
        return monitorsCommand();
    if (command == "box" && argc == 5)
        return boxCommand(argv[2], argv[3], argv[4]);
    if (command == "activate" && argc == 3)
        return onWindow(argv[2], activateCommand);
    if (command == "kill" && argc == 3)
        return onWindow(argv[2], killCommand);
    if (command == "profile-write" && argc == 6)
        return profileWriteCommand(argv[2], argv[3], argv[4], argv[5]);
    if (command == "profile-write-w" && argc == 6)
        return profileWriteWideCommand(argv[2], argv[3], argv[4], argv[5]);
    if (command == "version" && argc == 3)
        return versionCommand(argv[2]);
    if (command == "hold" && argc == 4)
        return holdCommand(argv[2], argv[3]);
    if (command == "error-text" && argc == 3)
        return errorTextCommand(argv[2]);
    if (command == "processes" && argc == 2)
        return processesCommand();
    if (command == "exit-code" && argc == 4)
        return onWindow(argv[2], [&](HWND window) { return exitCodeCommand(window, argv[3]); });
    return usage();
}
