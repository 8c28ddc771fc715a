// Sound file decoding for the audio device: RIFF WAVE (uncompressed 8- and
// 16-bit PCM) and Ogg Vorbis, from the bytes of a file (which the host reads).
//
// Every loader returns a malloc'd block of interleaved samples owned by the
// caller (released with free) and fills length (sample frames), channels
// (1 or 2), format (bytes per sample: 1 unsigned, 2 signed little-endian) and
// hertz; on failure it returns null and leaves the out values untouched.
// Files are untrusted: anything malformed is refused, never trusted.
#pragma once

#include <cstddef>

// Limits on what one sound may decode to.
constexpr int kMaxAudioSeconds = 10 * 60;
constexpr size_t kMaxAudioBytes = size_t{256} * 1024 * 1024;

// RIFF WAVE with uncompressed PCM; the samples are returned as stored.
unsigned char* LoadWAVMemory(const unsigned char* bytes, size_t size, int* length, int* channels, int* format,
                             int* hertz);

// Ogg Vorbis, checked page by page and header by header, then decoded whole to 16-bit samples.
unsigned char* LoadOGGMemory(const unsigned char* bytes, size_t size, int* length, int* channels, int* format,
                             int* hertz);

// What the structural check of an Ogg Vorbis file found.
struct OggVorbisInfo {
    int channels = 0;
    int hertz = 0;
    long long lastGranule = -1;  // total sample frames by the last page; -1 when unknown
};

// True when every Ogg page is well formed (capture pattern, version 0, page
// checksum, segment table and body within the file, one logical stream) and
// the identification and comment headers are sound; fills info.
bool CheckOggVorbis(const unsigned char* bytes, size_t size, OggVorbisInfo* info);

// Checksum of one Ogg page (the CRC field counted as zero); exposed so that
// tests and fuzzers can build pages that pass the check.
unsigned int OggPageChecksum(const unsigned char* page, size_t size);
