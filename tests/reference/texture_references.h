// Texture programs whose results must be the same bytes in the Linux and the Windows build:
// the native unit tests and the Windows check program (run under Wine) hold both builds to
// these fingerprints.
#pragma once

#include <cstring>
#include <cstdint>
#include <string>
#include <vector>

#include "reference/sha256.h"
#include "textures/texture_generator.h"
#include "textures/glow_program.h"

struct TextureReference {
    const char* name;
    std::vector<uint8_t> program;
    const char* imageSha256;  // of the 196 608 bytes of the result
};

// Hex digit pairs separated by blanks.
inline std::vector<uint8_t> programFromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 3) {
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

inline std::vector<TextureReference> textureReferences() {
    return {
        // Checked by eye: a white-to-cyan-to-blue glow bent by the ripple, black corners.
        {"glow", std::vector<uint8_t>(kGlowProgramBytes, kGlowProgramBytes + 46),
         "7b8c228bf30b568e1d907524bbe4f3ef12ef6556b2915d7654450b763712773e"},
        // Every opcode once or more, seeds repeated and varied, warps at odd and full amplitude.
        {"every_opcode",
         programFromHex(
             "14 02 10 00 00 00 00 00 00 07 02 11 00 00 00 00 00 00 07 02 12 00 00 00 00 00 00 "
             "C8 03 20 80 00 00 00 00 00 00 01 21 40 00 00 00 00 00 00 01 22 C0 00 00 00 00 00 "
             "00 22 10 03 05 07 0B 0D 11 00 21 20 10 F0 00 00 00 00 00 11 20 90 00 00 00 00 00 "
             "00 13 10 00 00 00 00 00 00 00 36 00 20 00 00 00 00 00 00 33 00 10 00 00 00 00 00 "
             "00 31 00 20 00 00 00 00 00 00 32 00 10 00 00 00 00 00 00 36 30 10 00 00 00 00 00 "
             "00 35 30 20 00 00 00 00 00 00 34 00 30 00 00 00 00 00 00 12 00 02 00 00 00 00 00 "
             "00 22 00 FF FE FF FF FF FF 00 07 00 00 00 00 00 00 00 00"),
         "322d665252445335a4b6d2e9b7af3e491bf4b011b28952ea916876271806f402"},
    };
}

inline std::string textureImageSha256(TextureGenerator& generator,
                                      const std::vector<uint8_t>& program) {
    return sha256Hex(generator.buildImage(TextureProgram{program.data(), program.size()})->pixels);
}

// FNV-1a (64-bit) over the bits of every Ripple sine the generator can take: each row or
// column position (0 to 255) with each frequency and each phase (0 to 255), 16.7 million.
inline uint64_t rippleSineChecksum() {
    uint64_t hash = 0xcbf29ce484222325u;
    for (int32_t frequency = 0; frequency < 256; ++frequency) {
        for (int32_t phase = 0; phase < 256; ++phase) {
            for (int32_t position = 0; position < 256; ++position) {
                const float sine = rippleSine(position, static_cast<uint8_t>(frequency),
                                              static_cast<uint8_t>(phase));
                uint32_t bits = 0;
                static_assert(sizeof(bits) == sizeof(sine), "float is 32 bits");
                std::memcpy(&bits, &sine, sizeof(bits));
                for (int byte = 0; byte < 4; ++byte) {
                    hash = (hash ^ ((bits >> (8 * byte)) & 0xFFu)) * 0x100000001b3u;
                }
            }
        }
    }
    return hash;
}
constexpr uint64_t kRippleSineChecksum = 0x053394eb8252af83u;
