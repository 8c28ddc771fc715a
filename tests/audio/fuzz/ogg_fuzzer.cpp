// libFuzzer target: the Ogg Vorbis path. Page checksums are recomputed before
// loading, so that mutations reach the header checks and the decoder instead
// of stopping at the checksum, as a crafted file would.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/audio_data.h"

namespace {

void ResealPages(std::vector<unsigned char>& b) {
    size_t pos = 0;
    while (pos + 27 <= b.size() && std::memcmp(&b[pos], "OggS", 4) == 0) {
        size_t segments = b[pos + 26];
        if (pos + 27 + segments > b.size()) return;
        size_t size = 27 + segments;
        for (size_t i = 0; i < segments; ++i) size += b[pos + 27 + i];
        if (pos + size > b.size()) return;
        uint32_t crc = OggPageChecksum(&b[pos], size);
        for (int i = 0; i < 4; ++i) b[pos + 22 + i] = static_cast<unsigned char>(crc >> (8 * i));
        pos += size;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size) {
    std::vector<unsigned char> sealed(bytes, bytes + size);
    ResealPages(sealed);
    int length = 0, channels = 0, format = 0, hertz = 0;
    unsigned char* data = LoadOGGMemory(sealed.data(), sealed.size(), &length, &channels, &format, &hertz);
    if (data) {
        if (channels < 1 || channels > 2 || format != 2 || hertz < 1) std::abort();
        size_t total = static_cast<size_t>(length) * channels * format;
        volatile unsigned char sum = 0;
        for (size_t i = 0; i < total; ++i) sum += data[i];
    }
    std::free(data);
    return 0;
}
