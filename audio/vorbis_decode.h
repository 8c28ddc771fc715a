// Whole-stream Vorbis decoding behind the Ogg loader, on the reference
// decoder (libvorbisfile). Only files that passed CheckOggVorbis
// (audio/audio_data.h) are handed to it.
#pragma once

#include <cstddef>

struct OggVorbisInfo;

// Decodes the stream to interleaved 16-bit samples in a malloc'd block grown
// by doubling; stores the frame count in *frames. Returns null when the
// stream cannot be decoded or would exceed kMaxAudioSeconds or kMaxAudioBytes.
short* DecodeVorbis(const unsigned char* bytes, size_t size, const OggVorbisInfo& info, int* frames);
