// RenderWindow: the window procedure, and the swap.
#include "host/win32/win32_render_window.h"

#include "host/system_command.h"

namespace {

// Set by the end-to-end tests for a renderer that stops answering once its window shows (its
// screen saver is then killed); no user ever sets it.
bool hangsAfterShowForTest() {
    char value[8] = {};
    return GetEnvironmentVariableA("VELMORA_TEST_HANG_AFTER_SHOW", value, sizeof value) > 0;
}

uint32_t keyCode(WPARAM virtualKey) {
    return static_cast<uint32_t>(virtualKey < 0x100 ? virtualKey : 0x100);
}

}  // namespace

void RenderWindow::swapBuffers() {
    if (!firstSwapDone_) {
        firstSwapDone_ = true;
        hangsForTest_ = hangsAfterShowForTest();
    }
    window_.swapBuffers();
    while (hangsForTest_) {
        Sleep(INFINITE);
    }
}

void RenderWindow::onMessage(GlWindow& owner, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            owner.onSize(wParam == SIZE_MINIMIZED, LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_ACTIVATEAPP:
            owner.onActivateApp(wParam != FALSE);
            break;
        case WM_TIMER:
            if (wParam == Win32Display::kMonitorCheckTimer) {
                owner.onMonitorCheck();
            }
            break;
        case WM_DISPLAYCHANGE:
            owner.onDisplayChange();
            break;
        case WM_POWERBROADCAST: {
            uint32_t state = 0;
            if (VisibilityNotices::readDisplayState(wParam, lParam, state)) {
                owner.onDisplayPower(state);
            }
            break;
        }
        case WM_WTSSESSION_CHANGE:
            owner.onSessionChange(static_cast<uint32_t>(wParam));
            break;
        case WM_KEYDOWN:
            owner.onKeyDown(keyCode(wParam));
            break;
        case WM_KEYUP:
            owner.onKeyUp(keyCode(wParam));
            break;
        default:
            break;
    }
}

LRESULT CALLBACK RenderWindow::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (auto* owner = reinterpret_cast<GlWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
        onMessage(*owner, message, wParam, lParam);
    }
    switch (message) {
        case WM_CLOSE:
            PostMessageA(window, WM_QUIT, 0, 0);
            break;  // DefWindowProcA destroys the window
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
