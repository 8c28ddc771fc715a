// libFuzzer target for the image path: the PNG checks and the decoder, on
// bytes from memory. Built by tests/fuzz/fuzz.sh, not by the normal build.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "graphics/image_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int width = 0;
    int height = 0;
    int depth = 0;
    unsigned char* pixels = kpDecodeImage(data, size, &width, &height, &depth);
    if (pixels) {
        // Touch every byte the decoder claims to have written.
        const size_t bytes = size_t(width) * size_t(height) * size_t(depth);
        volatile unsigned sum = 0;
        for (size_t i = 0; i < bytes; ++i) sum += pixels[i];
        std::free(pixels);
    }
    return 0;
}
