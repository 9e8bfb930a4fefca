// Writes RGB images for velmora-tool: binary PPM (P6) or PNG, chosen by the file's extension.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// rgb: width * height * 3 bytes, top row first. Throws UsageError naming the file when it
// cannot be written or its extension is neither .ppm nor .png.
void writeImageFile(const std::string& path, int32_t width, int32_t height,
                    const std::vector<uint8_t>& rgb);
