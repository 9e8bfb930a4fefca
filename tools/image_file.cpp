// PPM by hand (it is a header and the bytes), PNG through libpng.
#include "image_file.h"

#include <png.h>

#include <cctype>
#include <cstdio>
#include <memory>

#include "tool_command.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

bool endsWith(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) {
        return false;
    }
    for (size_t i = 0; i < suffix.size(); ++i) {
        const char c = text[text.size() - suffix.size() + i];
        if (std::tolower(static_cast<unsigned char>(c)) != suffix[i]) {
            return false;
        }
    }
    return true;
}

File openForWriting(const std::string& path) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        throw UsageError{"cannot write '" + path + "'"};
    }
    return file;
}

void writePpm(const std::string& path, int32_t width, int32_t height,
              const std::vector<uint8_t>& rgb) {
    File file = openForWriting(path);
    std::fprintf(file.get(), "P6\n%d %d\n255\n", width, height);
    const bool written = std::fwrite(rgb.data(), 1, rgb.size(), file.get()) == rgb.size();
    if (!written || std::fflush(file.get()) != 0) {
        throw UsageError{"cannot write '" + path + "'"};
    }
}

void writePng(const std::string& path, int32_t width, int32_t height,
              const std::vector<uint8_t>& rgb) {
    File file = openForWriting(path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw UsageError{"cannot write '" + path + "'"};
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t row = 0; row < height; ++row) {
        png_write_row(png, &rgb[static_cast<size_t>(row) * static_cast<size_t>(width) * 3]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(file.get()) != 0) {
        throw UsageError{"cannot write '" + path + "'"};
    }
}

}  // namespace

void writeImageFile(const std::string& path, int32_t width, int32_t height,
                    const std::vector<uint8_t>& rgb) {
    if (endsWith(path, ".ppm")) {
        writePpm(path, width, height, rgb);
    } else if (endsWith(path, ".png")) {
        writePng(path, width, height, rgb);
    } else {
        throw UsageError{"'" + path + "': the output must end in .ppm or .png"};
    }
}
