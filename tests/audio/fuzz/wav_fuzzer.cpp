// libFuzzer target: the RIFF WAVE parser, from memory and from a file stream,
// which must agree with each other.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/audio_data.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size) {
    int length = 0, channels = 0, format = 0, hertz = 0;
    unsigned char* fromMemory = LoadWAVMemory(bytes, size, &length, &channels, &format, &hertz);
    if (fromMemory) {
        // Touch every byte the device would hand to OpenAL.
        size_t total = static_cast<size_t>(length) * channels * format;
        volatile unsigned char sum = 0;
        for (size_t i = 0; i < total; ++i) sum += fromMemory[i];
    }

    FILE* file = fmemopen(const_cast<unsigned char*>(bytes), size ? size : 1, "rb");
    if (file && size) {
        int l2 = 0, c2 = 0, f2 = 0, h2 = 0;
        unsigned char* fromFile = LoadWAV(file, &l2, &c2, &f2, &h2);
        if ((fromFile != nullptr) != (fromMemory != nullptr)) std::abort();
        if (fromFile && (l2 != length || c2 != channels || f2 != format || h2 != hertz ||
                         std::memcmp(fromFile, fromMemory, static_cast<size_t>(length) * channels * format) != 0)) {
            std::abort();
        }
        std::free(fromFile);
    }
    if (file) std::fclose(file);
    std::free(fromMemory);
    return 0;
}
