// A headless OpenGL context (Mesa through EGL, no X display) for the GL tests and the
// developer tool: a pbuffer of a given size, current on the calling thread while alive.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class OffscreenContext {
  public:
    // Throws std::runtime_error with the failing EGL step when no context can be made.
    OffscreenContext(int32_t width, int32_t height);
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

    // The colour buffer as RGB bytes, top row first (as an image file wants it).
    std::vector<uint8_t> readPixelsTopDown() const;

  private:
    struct Egl;
    std::unique_ptr<Egl> egl_;
    int32_t width_ = 0;
    int32_t height_ = 0;
};
