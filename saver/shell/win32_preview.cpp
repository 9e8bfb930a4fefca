// Velmora_R, the preview: see win32_preview.h.
#include "win32_preview.h"

#include <algorithm>

#include "shell_resources.h"

namespace velmora {
namespace {

constexpr const wchar_t* kPreviewClass = L"VelmoraPreview";
constexpr int kPictureWidth = 152;
constexpr int kPictureHeight = 112;

HWND boxFromHandle(std::int32_t handle) {
    // Window handles carry 32 significant bits; they widen with their sign.
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
}

}  // namespace

Win32Preview::~Win32Preview() {
    if (boxOwner_ != nullptr) {
        CloseHandle(boxOwner_);
    }
}

bool Win32Preview::attach(HINSTANCE instance, std::int32_t boxHandle) {
    const HWND box = boxFromHandle(boxHandle);
    // No such box: nothing would ever end an invisible preview.
    if (!IsWindow(box)) {
        return false;
    }
    RECT boxRect{};
    GetWindowRect(box, &boxRect);
    const int width = boxRect.right - boxRect.left;
    const int height = boxRect.bottom - boxRect.top;
    DWORD ownerId = 0;
    GetWindowThreadProcessId(box, &ownerId);
    if (ownerId != 0 && ownerId != GetCurrentProcessId()) {
        boxOwner_ = OpenProcess(SYNCHRONIZE, FALSE, ownerId);
    }

    picture_.reset(static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_PREVIEW),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kPreviewClass;
    RegisterClassW(&windowClass);
    // Borderless and hidden until it sits in the box.
    window_ = CreateWindowExW(0, kPreviewClass, L"Preview Window", WS_POPUP, 0, 0, kPictureWidth,
                              kPictureHeight, nullptr, nullptr, instance, this);
    if (window_ == nullptr) {
        return false;
    }
    // A proper child before SetParent: with WS_POPUP kept, the box may place or destroy it
    // wrongly.
    const LONG style = GetWindowLongW(window_, GWL_STYLE);
    SetWindowLongW(window_, GWL_STYLE, (style & ~static_cast<LONG>(WS_POPUP)) | WS_CHILD);
    SetParent(window_, box);
    MoveWindow(window_, 0, 0, width, height, FALSE);
    imageRect_ = RECT{0, 0, width, height};
    ShowWindow(window_, SW_SHOW);
    return true;
}

LRESULT CALLBACK Win32Preview::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Preview*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_PAINT:
            if (self != nullptr) {
                PAINTSTRUCT paint{};
                self->paint(BeginPaint(window, &paint));
                EndPaint(window, &paint);
                return 0;
            }
            break;
        case WM_PRINTCLIENT:
            if (self != nullptr) {
                self->paint(reinterpret_cast<HDC>(wParam));
                return 0;
            }
            break;
        case WM_NCHITTEST:
            // The preview takes no input: the mouse belongs to the box beneath.
            return HTTRANSPARENT;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_DESTROY:
            // The box has gone (the display settings closed) or the form was closed: the
            // preview process ends with it.
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The picture at its own size from the top-left corner, cut to Img_Prev; the class's black
// brush has filled the rest. The screen and a print of the window draw alike.
void Win32Preview::paint(HDC target) {
    if (picture_.get() != nullptr) {
        MemoryDc source(target);
        source.select(picture_.get());
        const int width = std::min<int>(kPictureWidth, imageRect_.right - imageRect_.left);
        const int height = std::min<int>(kPictureHeight, imageRect_.bottom - imageRect_.top);
        if (width > 0 && height > 0) {
            BitBlt(target, imageRect_.left, imageRect_.top, width, height, source.get(), 0, 0,
                   SRCCOPY);
        }
    }
}

}  // namespace velmora
