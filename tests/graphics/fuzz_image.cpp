// libFuzzer target for the image path: the PNG checks and the decoder, on
// bytes from memory. Chunk CRCs are recomputed first (zlib's), so that
// mutations reach the checks behind them and the decoder. Built by
// tests/fuzz/fuzz.sh, not by the normal build.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "graphics/image_data.h"

namespace {

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void ResealChunks(std::vector<uint8_t>& b) {
    for (size_t pos = 8; pos + 12 <= b.size() && Be32(&b[pos]) <= b.size() - pos - 12; pos += 12 + Be32(&b[pos])) {
        const size_t length = Be32(&b[pos]);
        const uint32_t crc = static_cast<uint32_t>(crc32(0, &b[pos + 4], static_cast<uInt>(4 + length)));
        for (int i = 0; i < 4; ++i) b[pos + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> sealed(data, data + size);
    ResealChunks(sealed);
    int width = 0;
    int height = 0;
    int depth = 0;
    unsigned char* pixels = kpDecodeImage(sealed.data(), sealed.size(), &width, &height, &depth);
    if (pixels) {
        // Touch every byte the decoder claims to have written.
        const size_t bytes = size_t(width) * size_t(height) * size_t(depth);
        volatile unsigned sum = 0;
        for (size_t i = 0; i < bytes; ++i) sum += pixels[i];
        std::free(pixels);
    }
    return 0;
}
