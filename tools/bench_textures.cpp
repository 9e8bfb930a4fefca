// Texture section of the benchmark report (placeholder until the generator lands).
#include "bench.h"

void benchTextures() {}
