// A window with four owner-drawn buttons for the end-to-end tests: "設定" and "ｷｬﾝｾﾙ"
// enabled, "..." disabled, "BGM" with a transparent background. Each Click prints
// "click <name>" on stdout at once.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "controls/win32_command_window.h"

namespace {

constexpr const wchar_t* kDemoClass = L"VelmoraButtonDemo";
constexpr const wchar_t* kDemoTitle = L"Velmora button demo";

struct DemoButton {
    const char* name;
    TwipsRect placement;  // twips in the window's client area
    MemoryPropertyBag design;
};

LRESULT CALLBACK demoProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(window, &client);
            HBRUSH grey = CreateSolidBrush(RGB(192, 192, 192));
            FillRect(reinterpret_cast<HDC>(wParam), &client, grey);
            DeleteObject(grey);
            return 1;
        }
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int main() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = demoProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kDemoClass;
    if (RegisterClassW(&windowClass) == 0) {
        return 1;
    }
    // A popup at the screen's corner: no frame, so test coordinates are the client's.
    HWND window = CreateWindowExW(0, kDemoClass, kDemoTitle, WS_POPUP | WS_VISIBLE, 0, 0, 400, 120,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        return 1;
    }

    DemoButton designs[] = {
        {"set", {300, 300, 1155, 375}, MemoryPropertyBag(PropertyValues{{"Caption", "設定"}})},
        {"cancel", {1800, 300, 1155, 375}, MemoryPropertyBag(PropertyValues{{"Caption", "ｷｬﾝｾﾙ"}})},
        {"file",
         {3300, 300, 615, 315},
         MemoryPropertyBag(PropertyValues{{"Caption", "..."}, {"Enabled", "0"}})},
        {"bare",
         {4200, 300, 1155, 375},
         MemoryPropertyBag(PropertyValues{{"Caption", "BGM"}, {"Visible", "0"}})},
    };

    std::vector<std::unique_ptr<CommandWindow>> buttons;
    int id = 200;
    for (DemoButton& planned : designs) {
        std::unique_ptr<CommandWindow> button = CommandWindow::create(
            window, planned.placement, id++, &planned.design, defaultButtonFont());
        if (button == nullptr) {
            return 1;
        }
        const char* name = planned.name;
        button->control().onClick([name] {
            std::printf("click %s\n", name);
            std::fflush(stdout);
        });
        buttons.push_back(std::move(button));
    }
    // As the dialog's load handler does: every button starts its hover tracking.
    for (auto& button : buttons) {
        button->control().Initialize();
    }
    std::printf("ready\n");
    std::fflush(stdout);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    buttons.clear();
    DestroyWindow(window);
    return 0;
}
