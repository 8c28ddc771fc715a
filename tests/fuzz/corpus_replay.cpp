// Replays the kept inputs of a fuzz target without libFuzzer: every file in
// the folders named, once each. A target that finds a fault aborts.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/testhost/test_game.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            const std::string bytes = ReadFile(entry.path().string());
            LLVMFuzzerTestOneInput(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
            ++inputs;
        }
    }
    std::fprintf(stderr, "%d inputs replayed\n", inputs);
    return inputs > 0 ? 0 : 1;  // no input proves nothing
}
