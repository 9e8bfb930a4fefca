// Owners of GDI handles, so that every font, bitmap, brush and device context the front-end
// makes is given back exactly once, and the backing image a window paints from.
#pragma once

#include <windows.h>

#include <utility>

namespace velmora {

// A font, bitmap or brush, deleted with its owner.
template <typename Handle>
class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { reset(); }
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.handle_, nullptr));
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle get() const { return handle_; }
    // Deletes the object held (it must be selected into no device context) and keeps handle.
    void reset(Handle handle = nullptr) {
        if (handle_ != nullptr) {
            DeleteObject(handle_);
        }
        handle_ = handle;
    }

  private:
    Handle handle_ = nullptr;
};

using FontOwner = GdiObject<HFONT>;
using BitmapOwner = GdiObject<HBITMAP>;
using BrushOwner = GdiObject<HBRUSH>;

// A memory device context. What it held at first is selected back before it is deleted,
// so that whatever was selected into it can be deleted after it (owners of such objects
// are declared before the MemoryDc that uses them).
class MemoryDc {
  public:
    MemoryDc() = default;
    // nullptr when none can be made.
    explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() { release(); }
    MemoryDc(MemoryDc&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)),
          original_(std::exchange(other.original_, nullptr)) {}
    MemoryDc& operator=(MemoryDc&& other) noexcept;
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC get() const { return dc_; }
    // Selects a bitmap (or font, brush) into the context; nothing without a context.
    void select(HGDIOBJ object);

  private:
    void release();

    HDC dc_ = nullptr;
    HGDIOBJ original_ = nullptr;  // what the first select replaced
};

// A window's device context (the screen's for a null window) while the owner lives.
class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// The device context of one WM_PAINT, between BeginPaint and EndPaint.
class PaintDc {
  public:
    explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC get() const { return dc_; }

  private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a device context for as long as the owner lives; then what was
// there before is selected back. A null object selects nothing.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_ != nullptr) {
            SelectObject(dc_, previous_);
        }
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A bitmap of a given size (in pixels) with its device context, keeping what was drawn into
// it: the backing image of a window's client area, or a frame composed off screen.
class BackingImage {
  public:
    // A fresh image of width x height pixels (at least 1 x 1 is made), compatible with the
    // device context or with the window's; what the old one held is gone. False, and the
    // old image kept, when no new one can be made.
    bool resize(HDC compatibleWith, int width, int height);
    bool resize(HWND window, int width, int height);

    // nullptr until a resize has succeeded.
    HDC dc() const { return dc_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    // The whole image onto target at its top-left corner.
    void copyTo(HDC target) const;

  private:
    BitmapOwner bitmap_;  // before dc_: selected back out before it is deleted
    MemoryDc dc_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace velmora
