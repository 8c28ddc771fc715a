// libFuzzer target: the RIFF WAVE parser on any bytes; what it accepts is
// read through to its last sample.
#include <cstdlib>

#include "audio/audio_data.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size) {
    int length = 0, channels = 0, format = 0, hertz = 0;
    unsigned char* samples = LoadWAVMemory(bytes, size, &length, &channels, &format, &hertz);
    if (samples) {
        // Touch every byte the device would hand to OpenAL.
        size_t total = static_cast<size_t>(length) * channels * format;
        volatile unsigned char sum = 0;
        for (size_t i = 0; i < total; ++i) sum += samples[i];
    }
    std::free(samples);
    return 0;
}
