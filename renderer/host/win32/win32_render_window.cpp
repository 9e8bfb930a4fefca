// RenderWindow: display mode, window, pixel format, GL context and the window procedure.
#include "host/win32/win32_render_window.h"

#include "host/extension_list.h"
#include "host/system_command.h"
#include "host/viewport.h"

namespace {

constexpr const char* kWindowClass = "GLWindow";
// Monitors plugged in or moved are covered within this many milliseconds even where the
// system announces no display change.
constexpr UINT_PTR kMonitorCheckTimer = 1;
constexpr UINT kMonitorCheckMs = 1000;

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

}  // namespace

RenderWindow::RenderWindow(const WindowRequest& request, KeyTable& keys)
    : keys_(keys),
      cover_(display_, {request.width, request.height, request.colorBits}),
      fullScreen_(request.fullScreen) {
    // Before any window: covering means physical pixels.
    becomeDpiAware();
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = &RenderWindow::windowProcedure;
    windowClass.hInstance = programInstance();
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassA(&windowClass) == 0) {
        throw "Register window class failed";
    }

    // Full screen: one borderless top-most window over every monitor, at the requested mode
    // when the display grants it, else at the mode it has; black wherever the shot is not.
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD extendedStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    ScreenRect area{0, 0, request.width, request.height};
    if (fullScreen_) {
        style = WS_POPUP;
        extendedStyle = WS_EX_APPWINDOW | WS_EX_TOPMOST;
        area = cover_.takeScreen().window;
    } else {
        // The requested size is the outer size: the frame is not added.
        area.left = GetSystemMetrics(SM_CXSCREEN) / 2 - request.width / 2;
        area.top = GetSystemMetrics(SM_CYSCREEN) / 2 - request.height / 2;
        area.right = area.left + request.width;
        area.bottom = area.top + request.height;
    }
    style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

    window_ =
        CreateWindowExA(extendedStyle, kWindowClass, request.title, style, area.left, area.top,
                        area.width(), area.height(), nullptr, nullptr, programInstance(), nullptr);
    if (window_ == nullptr) {
        throw "Create window failed";
    }
    display_.attach(window_);
    // Key messages from here on reach this object; earlier ones (creation) need none.
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    notices_.attach(window_);

    deviceContext_ = GetDC(window_);
    if (deviceContext_ == nullptr) {
        throw "Create DC failed";
    }
    const PIXELFORMATDESCRIPTOR pixelFormat = pixelFormatRequest(request.colorBits);
    const int format = ChoosePixelFormat(deviceContext_, &pixelFormat);
    if (format == 0 || pixelFormatRefusedForTest()) {
        throw "No suitable pixel format found";
    }
    if (!SetPixelFormat(deviceContext_, format, &pixelFormat)) {
        throw "Set pixelformat failed";
    }
    glContext_ = wglCreateContext(deviceContext_);
    if (glContext_ == nullptr) {
        throw "Create GL Context failed";
    }
    if (!wglMakeCurrent(deviceContext_, glContext_)) {
        throw "Select Contexts failed";
    }
    // Where the driver offers it, swaps wait for the display's refresh; where they do not,
    // the frame loop sleeps out the period itself, at the rate the display reports.
    requestSwapInterval(deviceContext_, 1);
    refreshRateHz_ = GetDeviceCaps(deviceContext_, VREFRESH);

    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(window_);
    // WM_SIZE during creation came before any context was current.
    if (fullScreen_) {
        display_.setViewport(cover_.layout().viewport);
        ShowCursor(FALSE);
        SetTimer(window_, kMonitorCheckTimer, kMonitorCheckMs, nullptr);
    } else {
        resizeViewport(request.width, request.height);
    }
}

RenderWindow::~RenderWindow() {
    ShowCursor(TRUE);
    cover_.giveBack();
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(glContext_);
    ReleaseDC(window_, deviceContext_);
    if (IsWindow(window_)) {
        // Keys arriving during destruction must not reach a dying object.
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    }
    notices_.release();
    DestroyWindow(window_);  // may already be gone after WM_CLOSE
    UnregisterClassA(kWindowClass, programInstance());
}

void RenderWindow::swapBuffers() {
    SwapBuffers(deviceContext_);
}

void RenderWindow::onKeyDown(WPARAM virtualKey) {
    keys_.press(static_cast<uint32_t>(virtualKey < 0x100 ? virtualKey : 0x100));
}

void RenderWindow::onKeyUp(WPARAM virtualKey) {
    keys_.release(static_cast<uint32_t>(virtualKey < 0x100 ? virtualKey : 0x100));
}

void RenderWindow::onSize(WPARAM kind, int32_t width, int32_t height) {
    if (kind == SIZE_MINIMIZED || kind == SIZE_RESTORED || kind == SIZE_MAXIMIZED) {
        visibility_.setWindowShown(kind != SIZE_MINIMIZED);
    }
    const ViewportRect viewport = cover_.viewportFor(width, height);
    placeViewport(viewport.x, viewport.y, viewport.width, viewport.height);
}

// Losing the activation (rare over a top-most cover) gives the display back to the user.
void RenderWindow::onActivateApp(bool active) {
    if (fullScreen_) {
        cover_.onActivateApp(active);
    }
}

// A monitor plugged or unplugged, or a mode changed by anyone: cover them as they now are.
void RenderWindow::onDisplayChange() {
    if (fullScreen_) {
        cover_.onDisplayChange();
    }
}

void RenderWindow::onPowerBroadcast(WPARAM event, LPARAM data) {
    uint32_t state = 0;
    if (VisibilityNotices::readDisplayState(event, data, state)) {
        visibility_.displayPowerChanged(state);
    }
}

void RenderWindow::onSessionChange(WPARAM code) {
    visibility_.sessionChanged(static_cast<uint32_t>(code));
}

void RenderWindow::onTimer(WPARAM timer) {
    if (fullScreen_ && timer == kMonitorCheckTimer) {
        cover_.onMonitorCheck();
    }
}

LRESULT CALLBACK RenderWindow::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    auto* self = reinterpret_cast<RenderWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
        case WM_SIZE:
            if (self != nullptr) {
                self->onSize(wParam, LOWORD(lParam), HIWORD(lParam));
            } else {
                resizeViewport(LOWORD(lParam), HIWORD(lParam));
            }
            break;
        case WM_ACTIVATEAPP:
            if (self != nullptr) {
                self->onActivateApp(wParam != FALSE);
            }
            break;
        case WM_TIMER:
            if (self != nullptr) {
                self->onTimer(wParam);
            }
            break;
        case WM_DISPLAYCHANGE:
            if (self != nullptr) {
                self->onDisplayChange();
            }
            break;
        case WM_POWERBROADCAST:
            if (self != nullptr) {
                self->onPowerBroadcast(wParam, lParam);
            }
            break;
        case WM_WTSSESSION_CHANGE:
            if (self != nullptr) {
                self->onSessionChange(wParam);
            }
            break;
        case WM_CLOSE:
            PostMessageA(window, WM_QUIT, 0, 0);
            break;  // DefWindowProcA destroys the window
        case WM_KEYDOWN:
            if (self != nullptr) {
                self->onKeyDown(wParam);
            }
            break;
        case WM_KEYUP:
            if (self != nullptr) {
                self->onKeyUp(wParam);
            }
            break;
        case WM_SYSCOMMAND:
            // The system's own screen saver and monitor power-down stay off while we run.
            if (refusesSystemCommand(wParam)) {
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
