// The renderer's window system on Win32: see win32_display.h.
#include "host/win32/win32_display.h"

#include "host/extension_list.h"

namespace {

constexpr const char* kWindowClass = "GLWindow";

HINSTANCE programInstance() {
    return GetModuleHandleA(nullptr);
}

PIXELFORMATDESCRIPTOR pixelFormatRequest(int32_t colorBits) {
    PIXELFORMATDESCRIPTOR request{};
    request.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = static_cast<BYTE>(colorBits);
    request.cDepthBits = 16;
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

// The WGL extension list of the current context's driver; null when it gives none.
const char* wglExtensions(HDC deviceContext) {
    using ExtensionsExt = const char*(WINAPI*)();
    using ExtensionsArb = const char*(WINAPI*)(HDC);
    // Through void(*)(): the one function-pointer cast the compiler accepts silently.
    if (const PROC address = wglGetProcAddress("wglGetExtensionsStringARB")) {
        return reinterpret_cast<ExtensionsArb>(reinterpret_cast<void (*)()>(address))(
            deviceContext);
    }
    if (const PROC address = wglGetProcAddress("wglGetExtensionsStringEXT")) {
        return reinterpret_cast<ExtensionsExt>(reinterpret_cast<void (*)()>(address))();
    }
    return nullptr;
}

// WGL_EXT_swap_control, when the driver lists it (some hand out an address for a function
// they do not support); otherwise nothing changes.
void requestSwapInterval(HDC deviceContext, int interval) {
    if (!extensionListHas(wglExtensions(deviceContext), "WGL_EXT_swap_control")) {
        return;
    }
    using SwapIntervalProc = BOOL(WINAPI*)(int);
    const PROC address = wglGetProcAddress("wglSwapIntervalEXT");
    if (address == nullptr) {
        return;
    }
    const auto swapInterval =
        reinterpret_cast<SwapIntervalProc>(reinterpret_cast<void (*)()>(address));
    swapInterval(interval);
}

// Set by the end-to-end tests to fail the start-up after the display mode has changed, as a
// display without OpenGL does; no user ever sets it.
bool pixelFormatRefusedForTest() {
    char value[8] = {};
    return GetEnvironmentVariableA("VELMORA_TEST_NO_PIXEL_FORMAT", value, sizeof value) > 0;
}


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

Win32Display::Win32Display(WNDPROC procedure) : procedure_(procedure) {
    // Covering means physical pixels.
    becomeDpiAware();
}

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

// Placed by each frame, before each monitor's shot.
void Win32Display::setViewports(const std::vector<ViewportRect>& viewports) {
    viewports_ = viewports;
}

void Win32Display::minimise() {
    ShowWindow(window_, SW_MINIMIZE);
}

bool Win32Display::registerClass() {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = procedure_;
    windowClass.hInstance = programInstance();
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassA(&windowClass) != 0;
}

ScreenRect Win32Display::primaryScreen() {
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

bool Win32Display::createWindow(const char* title, const ScreenRect& area, bool coversScreen,
                                GlWindow& owner) {
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD extendedStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    if (coversScreen) {
        style = WS_POPUP;
        extendedStyle = WS_EX_APPWINDOW | WS_EX_TOPMOST;
    }
    style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    window_ = CreateWindowExA(extendedStyle, kWindowClass, title, style, area.left, area.top,
                              area.width(), area.height(), nullptr, nullptr, programInstance(),
                              nullptr);
    if (window_ == nullptr) {
        return false;
    }
    // Messages from here on reach the owner; earlier ones (creation) need none.
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&owner));
    return true;
}

bool Win32Display::takeDeviceContext() {
    deviceContext_ = GetDC(window_);
    return deviceContext_ != nullptr;
}

int32_t Win32Display::choosePixelFormat(int32_t colorBits) {
    const PIXELFORMATDESCRIPTOR request = pixelFormatRequest(colorBits);
    const int format = ChoosePixelFormat(deviceContext_, &request);
    return pixelFormatRefusedForTest() ? 0 : format;
}

bool Win32Display::setPixelFormat(int32_t format, int32_t colorBits) {
    const PIXELFORMATDESCRIPTOR request = pixelFormatRequest(colorBits);
    return SetPixelFormat(deviceContext_, format, &request) != FALSE;
}

bool Win32Display::createContext() {
    glContext_ = wglCreateContext(deviceContext_);
    return glContext_ != nullptr;
}

bool Win32Display::makeCurrent() {
    return wglMakeCurrent(deviceContext_, glContext_) != FALSE;
}

// Where the driver offers it, swaps wait for the display's refresh; where they do not, the
// frame loop sleeps out the period itself, at the rate the display reports (VREFRESH: 0 or 1
// when the display does not know).
int32_t Win32Display::syncToDisplay() {
    requestSwapInterval(deviceContext_, 1);
    return GetDeviceCaps(deviceContext_, VREFRESH);
}

void Win32Display::showWindow() {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(window_);
}

void Win32Display::showCursor(bool show) {
    ShowCursor(show ? TRUE : FALSE);
}

bool Win32Display::startMonitorChecks(uint32_t intervalMs) {
    return SetTimer(window_, kMonitorCheckTimer, intervalMs, nullptr) != 0;
}

void Win32Display::swapBuffers() {
    SwapBuffers(deviceContext_);
}

void Win32Display::releaseContext() {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(glContext_);
    glContext_ = nullptr;
}

void Win32Display::releaseDeviceContext() {
    ReleaseDC(window_, deviceContext_);
    deviceContext_ = nullptr;
}

void Win32Display::destroyWindow() {
    if (IsWindow(window_)) {
        // Messages sent during the destruction must not reach an owner being taken down.
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);  // may already be gone after WM_CLOSE
    }
    window_ = nullptr;
}

void Win32Display::unregisterClass() {
    UnregisterClassA(kWindowClass, programInstance());
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
