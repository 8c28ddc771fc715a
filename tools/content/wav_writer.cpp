#include "tools/content/wav_writer.h"

#include <cstdio>

namespace content {

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v & 0xff));
    out.push_back(uint8_t((v >> 8) & 0xff));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int channels, int sampleRate) {
    constexpr uint32_t kBytesPerSample = 2;
    const uint32_t dataBytes = uint32_t(samples.size()) * kBytesPerSample;
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    putTag(out, "RIFF");
    put32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16);
    put16(out, 1);   // uncompressed PCM
    put16(out, uint32_t(channels));
    put32(out, uint32_t(sampleRate));
    put32(out, uint32_t(sampleRate) * uint32_t(channels) * kBytesPerSample);
    put16(out, uint32_t(channels) * kBytesPerSample);
    put16(out, 16);
    putTag(out, "data");
    put32(out, dataBytes);
    for (int16_t s : samples) put16(out, uint16_t(s));

    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace content
