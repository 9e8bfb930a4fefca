// The run form's hidden window: see win32_run_window.h.
#include "win32_run_window.h"

#include "win32_text.h"

namespace velmora {
namespace {

constexpr const wchar_t* kRunWindowClass = L"VelmoraRunForm";

}  // namespace

bool Win32RunWindow::create(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kRunWindowClass;
    RegisterClassW(&windowClass);
    // A top-level window that is never shown: its title marks a running screen saver.
    window_ = CreateWindowExW(0, kRunWindowClass, utf8ToWide(kRunFormTitle).c_str(),
                              WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr, nullptr, instance, this);
    return window_ != nullptr;
}

void Win32RunWindow::load(DisplayModeControl& display, ProcessLauncher& processes,
                          CursorControl& cursor, ProgramControl& program, BgmPlayer& music,
                          const BgmSettings& settings, std::int32_t& cursorState, const std::string& programFolder) {
    timers_ = std::make_unique<Win32WindowTimers>(window_);
    form_ = std::make_unique<RunForm>(
        RunFormServices{display, processes, *timers_, cursor, program, music}, settings,
        cursorState, programFolder, currentArguments);
    form_->formLoad();
}

LRESULT CALLBACK Win32RunWindow::procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32RunWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->form_ == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
        case WM_TIMER:
            self->onTimer(wParam);
            return 0;
        case WM_CLOSE:
            self->onUnload();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam) {
                self->onUnload();
            }
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void Win32RunWindow::onTimer(WPARAM timer) {
    switch (static_cast<RunTimer>(timer)) {
        case RunTimer::Timer1:
            form_->timer1Tick();
            break;
        case RunTimer::Timer2:
            form_->timer2Tick();
            break;
        case RunTimer::Timer3:
            form_->timer3Tick();
            break;
    }
}

// Any unload of the form (closed from outside, the session ending) ends the run.
void Win32RunWindow::onUnload() {
    form_->queryUnload();
}

}  // namespace velmora
