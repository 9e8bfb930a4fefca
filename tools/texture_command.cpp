// `velmora-tool texture`: runs a texture program (the glow program or one given in hex) and
// writes the 256 x 256 result as PPM or PNG, for people who write texture programs.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "image_file.h"
#include "textures/texture_generator.h"
#include "textures/glow_program.h"
#include "tool_command.h"

const char* const kTextureHelp =
    "usage: velmora-tool texture (--glow | --program HEX | --program-file FILE) --out FILE\n"
    "Runs a texture program and writes the 256 x 256 RGB result (layer 0) to FILE, as\n"
    "binary PPM (.ppm) or PNG (.png). --glow is the renderer's glow program.\n"
    "HEX: the program's bytes as hex digit pairs; blanks anywhere are ignored. FILE: the\n"
    "same as text; '#' starts a comment that runs to the end of the line.\n"
    "\n"
    "A program: byte N (step count), then N steps of nine bytes:\n"
    "  OP P0 P1 P2 P3 P4 P5 P6 P7\n"
    "P0 = layer (high nibble, 0-3) and channel (low nibble: 0 r, 1 g, 2 b; generators only),\n"
    "P7 = random seed of the step. Channels saturate at 0 and 255. Opcodes (hex):\n"
    "  01 Fill        channel = P1\n"
    "  02 Noise       channel = random 0-254\n"
    "  03 Radial      channel = 255 - 2 d P1/255, d = distance from (128,128)\n"
    "  11 Brightness  each channel + 2 P1 - 255 (P1 127: -1, 128: +1)\n"
    "  12 HeatRamp    s = r+g+b spread over three channels, order by P1 0-5:\n"
    "                 0 rgb 1 rbg 2 grb 3 gbr 4 brg 5 bgr (5: black-blue-cyan-white)\n"
    "  13 Grey        r = g = b = (r+g+b)/3\n"
    "  21 Shift       pixel (x,y) shows old (x+P1, y+P2), wrapping around\n"
    "  22 Ripple      reads (x + P3 sin(y K P1 + P5), y + P4 sin(x K P2 + P6)),\n"
    "                 K = pi/127.5: P1, P2 periods per 255 px, P3, P4 pixels, P5, P6 radians\n"
    "  31 Add         layer P0 += layer of P1's high nibble\n"
    "  32 Subtract    layer P0 -= layer P1\n"
    "  33 Multiply    layer P0 = P0 * P1 / 255\n"
    "  34 Darken      layer P0 = min(P0, P1)\n"
    "  35 Lighten     layer P0 = max(P0, P1)\n"
    "  36 Copy        layer P0 = layer P1\n"
    "Other opcodes, and steps naming a layer above 3 or a channel above 2, do nothing.\n"
    "Warps sample bilinearly with wrap-around.\n";

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

// Hex digit pairs; blanks are skipped, and with comments '#' skips to the end of the line.
std::vector<uint8_t> parseHex(const std::string& text, bool comments) {
    std::vector<uint8_t> bytes;
    int pending = -1;  // the high digit of a byte in progress
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (comments && c == '#') {
            while (i < text.size() && text[i] != '\n') {
                ++i;
            }
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            continue;
        }
        const int digit = hexDigit(c);
        if (digit < 0) {
            throw UsageError{"malformed hex: '" + std::string(1, c) + "' at offset " +
                             std::to_string(i)};
        }
        if (pending < 0) {
            pending = digit;
        } else {
            bytes.push_back(static_cast<uint8_t>(pending * 16 + digit));
            pending = -1;
        }
    }
    if (pending >= 0) {
        throw UsageError{"malformed hex: odd number of digits"};
    }
    return bytes;
}

std::string readTextFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (!file || !(text << file.rdbuf())) {
        throw UsageError{"cannot read '" + path + "'"};
    }
    return text.str();
}

const std::string& valueOf(const ToolArguments& arguments, size_t& index) {
    if (index + 1 >= arguments.size()) {
        throw UsageError{"option '" + arguments[index] + "' needs a value"};
    }
    return arguments[++index];
}

}  // namespace

int runTextureCommand(const ToolArguments& arguments) {
    std::vector<uint8_t> program;
    int sources = 0;
    std::string out;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--glow") {
            program.assign(kGlowProgramBytes, kGlowProgramBytes + sizeof(kGlowProgramBytes));
            ++sources;
        } else if (option == "--program") {
            program = parseHex(valueOf(arguments, i), false);
            ++sources;
        } else if (option == "--program-file") {
            program = parseHex(readTextFile(valueOf(arguments, i)), true);
            ++sources;
        } else if (option == "--out") {
            out = valueOf(arguments, i);
        } else {
            throw UsageError{"unknown option '" + option + "'"};
        }
    }
    if (sources != 1) {
        throw UsageError{"give exactly one of --glow, --program, --program-file"};
    }
    if (out.empty()) {
        throw UsageError{"--out FILE is missing"};
    }
    TextureGenerator generator;
    const std::unique_ptr<TextureImage> image =
        generator.buildImage(TextureProgram{program.data(), program.size()});
    writeImageFile(out, image->width, image->height, image->pixels);
    return 0;
}
