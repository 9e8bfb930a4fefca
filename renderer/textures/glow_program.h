// The stored texture program of the renderer's one texture (GL-free, so that tools and
// tests can run it without a context).
#pragma once

#include <cstdint>

#include "textures/texture_generator.h"

// 46 bytes: three Radial steps (r, g, b of layer 0, P1 255), a HeatRamp to black, blue,
// cyan, white (P1 5) and a Ripple (P1 2, P2 1, P3 32, P4 64, P5 16, P6 48); every seed 0.
extern const uint8_t kGlowProgramBytes[46];

TextureProgram glowProgram();
