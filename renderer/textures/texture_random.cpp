// The texture programs' random source; its state is shared by every build in the process.
#include "textures/texture_random.h"

namespace {

uint32_t randomState = 0;

}  // namespace

void seedTextureRandom(uint32_t seed) {
    randomState = seed;
}

int32_t nextTextureRandom() {
    randomState = randomState * 214013u + 2531011u;  // unsigned: wraps modulo 2^32
    return static_cast<int32_t>((randomState >> 16) & 0x7FFFu);
}
