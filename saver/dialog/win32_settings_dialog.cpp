// Stand-in for the settings dialog: a window titled "<Velmora>" that closes on Esc or its
// close box, so that the settings switch and the instance guard can be exercised.
#include <windows.h>

#include "settings_dialog.h"

namespace velmora {
namespace {

constexpr const wchar_t* kDialogClass = L"VelmoraSettings";

LRESULT CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                DestroyWindow(window);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

void showSettingsDialog(SettingsDialogContext& context) {
    (void)context;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = dialogProcedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kDialogClass;
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(
        WS_EX_DLGMODALFRAME, kDialogClass, L"<Velmora>", WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
        CW_USEDEFAULT, CW_USEDEFAULT, 512, 282, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return;
    }
    SetForegroundWindow(window);
    SetFocus(window);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace velmora
