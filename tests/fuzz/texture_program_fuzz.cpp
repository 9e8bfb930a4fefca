// libFuzzer target: any byte string is run as a texture program. AddressSanitizer and UBSan
// catch any read or write outside the layers and any undefined arithmetic.
#include <cstddef>
#include <cstdint>

#include "textures/texture_generator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TextureGenerator generator;  // one batch for the whole run, as the renderer does
    const std::unique_ptr<TextureImage> image = generator.buildImage(TextureProgram{data, size});
    if (image->pixels.size() != kLayerBytes || image->width != 256 || image->height != 256) {
        __builtin_trap();
    }
    return 0;
}
