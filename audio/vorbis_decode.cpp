#include "audio/vorbis_decode.h"

#include <cstdint>
#include <cstdlib>

#include "audio/audio_data.h"

// The decoder's implementation is compiled here and nowhere else.
#include <stb/stb_vorbis.h>

namespace {

constexpr int kGrowFrames = 4096;  // the most one decoded Vorbis block can yield per channel

}  // namespace

short* DecodeVorbis(const unsigned char* bytes, size_t size, const OggVorbisInfo& info, int* frames) {
    if (size > static_cast<size_t>(INT32_MAX)) return nullptr;
    int error = 0;
    stb_vorbis* vorbis = stb_vorbis_open_memory(bytes, static_cast<int>(size), &error, nullptr);
    if (!vorbis) return nullptr;
    stb_vorbis_info stbInfo = stb_vorbis_get_info(vorbis);
    int channels = stbInfo.channels;
    if (channels != info.channels || static_cast<int>(stbInfo.sample_rate) != info.hertz) {
        stb_vorbis_close(vorbis);
        return nullptr;
    }
    const long long maxFrames = static_cast<long long>(kMaxAudioSeconds) * info.hertz;
    const size_t maxSamples = kMaxAudioBytes / sizeof(short);

    size_t limit = static_cast<size_t>(channels) * kGrowFrames;
    size_t used = 0;
    long long total = 0;
    short* buffer = static_cast<short*>(std::malloc(limit * sizeof(short)));
    while (buffer) {
        int n = stb_vorbis_get_frame_short_interleaved(vorbis, channels, buffer + used, static_cast<int>(limit - used));
        if (n <= 0) break;
        total += n;
        used += static_cast<size_t>(channels) * n;
        // Stop as soon as the sound runs past the limits rather than decode on.
        if (total > maxFrames || used > maxSamples) {
            std::free(buffer);
            buffer = nullptr;
            break;
        }
        if (used + static_cast<size_t>(channels) * kGrowFrames > limit) {
            limit *= 2;
            short* grown = static_cast<short*>(std::realloc(buffer, limit * sizeof(short)));
            if (!grown) std::free(buffer);
            buffer = grown;
        }
    }
    stb_vorbis_close(vorbis);
    if (buffer) *frames = static_cast<int>(total);
    return buffer;
}
