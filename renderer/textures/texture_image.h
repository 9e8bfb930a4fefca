// A generated picture on its way to the GL: size, pixel format and the RGB bytes it owns.
#pragma once

#include <cstdint>
#include <vector>

// GL_RGB, kept as a number so that the generator needs no GL header (texture.cpp checks it).
constexpr uint32_t kTextureFormatRgb = 0x1907;

struct TextureImage {
    int32_t width = 0;   // pixels; 256 for every generated image
    int32_t height = 0;  // pixels; 256 for every generated image
    uint32_t format = kTextureFormatRgb;
    std::vector<uint8_t> pixels;  // width * height * 3 bytes, r g b, row 0 first
};
