// Replays kept fuzz inputs (the files named as arguments) through the fuzz target's entry
// without libFuzzer, so that CTest runs each under the sanitizer tree's ASan and UBSan.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                         std::istreambuf_iterator<char>()};
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        std::printf("replayed %s (%zu bytes)\n", argv[i], bytes.size());
    }
    return argc > 1 ? 0 : 1;  // no input at all proves nothing
}
