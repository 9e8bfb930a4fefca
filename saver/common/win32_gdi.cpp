// GDI owners and the backing image: see win32_gdi.h.
#include "win32_gdi.h"

namespace velmora {

MemoryDc& MemoryDc::operator=(MemoryDc&& other) noexcept {
    if (this != &other) {
        release();
        dc_ = std::exchange(other.dc_, nullptr);
        original_ = std::exchange(other.original_, nullptr);
    }
    return *this;
}

void MemoryDc::select(HGDIOBJ object) {
    if (dc_ == nullptr || object == nullptr) {
        return;
    }
    HGDIOBJ previous = SelectObject(dc_, object);
    if (original_ == nullptr) {
        original_ = previous;
    }
}

void MemoryDc::release() {
    if (dc_ == nullptr) {
        return;
    }
    if (original_ != nullptr) {
        SelectObject(dc_, original_);
    }
    DeleteDC(dc_);
    dc_ = nullptr;
    original_ = nullptr;
}

bool BackingImage::resize(HDC compatibleWith, int width, int height) {
    BitmapOwner bitmap(
        CreateCompatibleBitmap(compatibleWith, width > 0 ? width : 1, height > 0 ? height : 1));
    if (bitmap.get() == nullptr) {
        return false;
    }
    if (dc_.get() == nullptr) {
        dc_ = MemoryDc(compatibleWith);
        if (dc_.get() == nullptr) {
            return false;
        }
    }
    // The new bitmap in, then the old one (now selected nowhere) deleted.
    dc_.select(bitmap.get());
    bitmap_ = std::move(bitmap);
    width_ = width;
    height_ = height;
    return true;
}

bool BackingImage::resize(HWND window, int width, int height) {
    const WindowDc screen(window);
    return resize(screen.get(), width, height);
}

void BackingImage::copyTo(HDC target) const {
    if (dc_.get() != nullptr) {
        BitBlt(target, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
    }
}

}  // namespace velmora
