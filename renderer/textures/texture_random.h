// The random source of the texture programs: our own copy of the classic C runtime generator,
// so that Noise gives the same numbers on every platform (glibc's rand differs).
#pragma once

#include <cstdint>

// Sets the process-wide 32-bit state to seed (every step seeds it with its P7).
void seedTextureRandom(uint32_t seed);

// state = state * 214013 + 2531011 (mod 2^32); returns bits 16 to 30 of it: 0 to 32767.
int32_t nextTextureRandom();
