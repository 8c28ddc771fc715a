// Writes 16-bit PCM RIFF WAVE files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content {

// Writes interleaved 16-bit samples; returns false if the file cannot be written.
bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int channels, int sampleRate);

}  // namespace content
