// libFuzzer target: the Ogg Vorbis path. Page checksums are recomputed before
// loading, so that mutations reach the header checks and the decoder.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "audio/audio_data.h"
#include "tests/audio/ogg_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size) {
    std::vector<unsigned char> sealed(bytes, bytes + size);
    ResealOggPages(sealed);
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
