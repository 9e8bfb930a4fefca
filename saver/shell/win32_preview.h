// Velmora_R, the preview: the still picture as a child of the display settings' preview box.
#pragma once

#include <windows.h>

#include <cstdint>

#include "win32_gdi.h"

namespace velmora {

class Win32Preview {
  public:
    Win32Preview() = default;
    ~Win32Preview();
    Win32Preview(const Win32Preview&) = delete;
    Win32Preview& operator=(const Win32Preview&) = delete;

    // Loads the form, attaches it to the box at (0, 0) with the box's size and shows it;
    // false when the box is no window or the form cannot be made.
    // False if the form could not be made at all.
    bool attach(HINSTANCE instance, std::int32_t boxHandle);

    // The process that owns the box, or nullptr: when it ends without destroying the box
    // (killed), the preview must end with it rather than linger unseen.
    HANDLE boxOwner() const { return boxOwner_; }

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HDC target);

    HWND window_ = nullptr;
    BitmapOwner picture_;
    HANDLE boxOwner_ = nullptr;
    RECT imageRect_{};  // Img_Prev: where the picture may show, in client pixels
};

}  // namespace velmora
