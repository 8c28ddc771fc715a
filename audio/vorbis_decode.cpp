#include "audio/vorbis_decode.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "audio/audio_data.h"

// The reference decoder is used rather than stb_vorbis: Debian's stb_vorbis
// 1.22 leaks, crashes and makes unbounded allocations on crafted setup
// headers (the codebooks), which no check short of a second setup-header
// parser can rule out.

namespace {

constexpr int kGrowFrames = 4096;  // the most one decoded Vorbis block yields per channel
constexpr int kLittleEndian = 0;
constexpr int kSixteenBits = 2;
constexpr int kSigned = 1;

// The file in memory, read front to back (no seeking, so the decoder takes it as a stream).
struct MemoryStream {
    const unsigned char* bytes;
    size_t size;
    size_t pos;
};

size_t ReadStream(void* out, size_t size, size_t count, void* source) {
    MemoryStream* s = static_cast<MemoryStream*>(source);
    if (size == 0) return 0;
    size_t n = std::min(count, (s->size - s->pos) / size);
    std::memcpy(out, s->bytes + s->pos, n * size);
    s->pos += n * size;
    return n;
}

}  // namespace

short* DecodeVorbis(const unsigned char* bytes, size_t size, const OggVorbisInfo& info, int* frames) {
    MemoryStream stream{bytes, size, 0};
    const ov_callbacks callbacks = {ReadStream, nullptr, nullptr, nullptr};
    OggVorbis_File vf;
    if (ov_open_callbacks(&stream, &vf, nullptr, 0, callbacks) != 0) return nullptr;
    const vorbis_info* vi = ov_info(&vf, -1);
    if (!vi || vi->channels != info.channels || vi->rate != info.hertz) {
        ov_clear(&vf);
        return nullptr;
    }
    const size_t channels = static_cast<size_t>(info.channels);
    const long long maxFrames = static_cast<long long>(kMaxAudioSeconds) * info.hertz;
    const size_t maxSamples = kMaxAudioBytes / sizeof(short);

    size_t limit = channels * kGrowFrames;
    size_t used = 0;
    short* buffer = static_cast<short*>(std::malloc(limit * sizeof(short)));
    while (buffer) {
        int link = 0;
        long got = ov_read(&vf, reinterpret_cast<char*>(buffer + used), static_cast<int>((limit - used) * sizeof(short)),
                           kLittleEndian, kSixteenBits, kSigned, &link);
        if (got == OV_HOLE) continue;  // a gap in the data: decoding goes on after it
        if (got < 0) {
            std::free(buffer);
            buffer = nullptr;
            break;
        }
        if (got == 0) break;
        used += static_cast<size_t>(got) / sizeof(short);
        // Stop as soon as the sound runs past the limits rather than decode on.
        if (static_cast<long long>(used / channels) > maxFrames || used > maxSamples) {
            std::free(buffer);
            buffer = nullptr;
            break;
        }
        if (used + channels * kGrowFrames > limit) {
            limit *= 2;
            short* grown = static_cast<short*>(std::realloc(buffer, limit * sizeof(short)));
            if (!grown) std::free(buffer);
            buffer = grown;
        }
    }
    ov_clear(&vf);
    if (buffer) *frames = static_cast<int>(used / channels);
    return buffer;
}
