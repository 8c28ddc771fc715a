// Loading sound files made by sox and oggenc, and refusing damaged ones: the
// damage tables for WAV and Ogg Vorbis, and the inputs kept from fuzzing.
#include "audio/audio_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "host/game_host.h"
#include "tests/audio/audio_test_support.h"
#include "tests/audio/ogg_pages.h"

namespace {

using namespace audio_test;
using Bytes = std::vector<unsigned char>;

struct Loaded {
    unsigned char* data = nullptr;
    int length = -7, channels = -7, format = -7, hertz = -7;  // -7: untouched
    ~Loaded() { std::free(data); }
};

// Loads through the host, as the game does (the extension picks the decoder).
void Load(const std::string& path, Loaded* out) {
    out->data = KpGame::_game->LoadAudioData(String(path.c_str()), &out->length, &out->channels, &out->format, &out->hertz);
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& name, const Bytes& bytes) {
    std::ofstream(ScratchDir() + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void ExpectRefused(const std::string& name, const Bytes& bytes) {
    WriteFileBytes(name, bytes);
    Loaded r;
    Load(ScratchDir() + "/" + name, &r);
    EXPECT_EQ(r.data, nullptr) << name << " should be refused";
    EXPECT_EQ((std::vector<int>{r.length, r.channels, r.format, r.hertz}), (std::vector<int>{-7, -7, -7, -7})) << name;
}

void PutLe32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// One row of a damage table: `value` written at `at` as a byte (width 1) or a
// little-endian word (width 4), or (width 0) `value` bytes cut from the end.
struct Damage {
    const char* name;
    size_t at;
    uint32_t value;
    int width;
    Bytes Applied(Bytes b) const {
        if (width == 0) b.resize(b.size() - value);
        if (width == 1) b[at] = static_cast<unsigned char>(value);
        if (width == 4) PutLe32(b, at, value);
        return b;
    }
};

size_t FindChunk(const Bytes& b, const char* tag) {
    for (size_t i = 12; i + 4 <= b.size(); ++i) {
        if (std::memcmp(&b[i], tag, 4) == 0) return i;
    }
    return b.size();
}

TEST(AudioData, WavLayoutsLoadAsStored) {
    const struct { int bits, channels, hertz; } cases[] = {{8, 2, 44100}, {16, 1, 44100}, {16, 2, 22050}};
    for (const auto& c : cases) {
        const std::string name = "layout" + std::to_string(c.bits) + "_" + std::to_string(c.channels) + ".wav";
        const std::string path = MakeTone(name, c.hertz, c.bits, c.channels, "2205s sine 440");
        Loaded r;
        Load(path, &r);
        ASSERT_NE(r.data, nullptr) << name;
        EXPECT_EQ((std::vector<int>{r.length, r.channels, r.format, r.hertz}), (std::vector<int>{2205, c.channels, c.bits / 8, c.hertz})) << name;
        const Bytes file = ReadFileBytes(path);
        EXPECT_EQ(0, std::memcmp(r.data, &file[FindChunk(file, "data") + 8], 2205 * c.channels * c.bits / 8)) << name;
    }
    const Bytes plain = ReadFileBytes(MakeTone("plain.wav", 8000, 16, 1, "1000s sine 300"));
    const Bytes samples(plain.begin() + static_cast<long>(FindChunk(plain, "data") + 8), plain.end());
    Bytes listed = plain;  // a LIST/INFO chunk (a comment, as editors write one) before "data"
    const unsigned char list[] = {'L', 'I', 'S', 'T', 18, 0, 0, 0, 'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T', 6, 0, 0, 0, 'h', 'o', 'l', 'l', 'y', 0};
    listed.insert(listed.begin() + static_cast<long>(FindChunk(listed, "data")), std::begin(list), std::end(list));
    Bytes fmt18 = plain;  // an 18-byte fmt chunk: two bytes skipped before the next chunk
    fmt18[FindChunk(fmt18, "fmt ") + 4] = 18;
    fmt18.insert(fmt18.begin() + static_cast<long>(FindChunk(fmt18, "fmt ") + 8 + 16), {0, 0});
    const std::pair<const char*, Bytes> files[] = {{"UPPER.WAV", plain}, {"list.wav", listed}, {"fmt18.wav", fmt18}};
    for (const auto& [name, bytes] : files) {
        WriteFileBytes(name, bytes);
        Loaded r;
        Load(ScratchDir() + "/" + name, &r);
        ASSERT_NE(r.data, nullptr) << name;
        EXPECT_EQ(r.length, 1000) << name;
        EXPECT_EQ(0, std::memcmp(r.data, samples.data(), samples.size())) << name;
    }
    ExpectRefused("plain.raw", plain);  // the same bytes under another extension are not a sound
}

TEST(AudioData, DamagedWavFilesAreRefused) {
    ASSERT_TRUE(Shell("sox -n -r 22050 -c 1 -e ima-adpcm '" + ScratchDir() + "/adpcm.wav' synth 0.1 sine 440"));
    ExpectRefused("adpcm.wav", ReadFileBytes(ScratchDir() + "/adpcm.wav"));
    const Bytes plain = ReadFileBytes(MakeTone("plain.wav", 8000, 16, 1, "1000s sine 300"));
    const size_t fmt = FindChunk(plain, "fmt ");
    const size_t data = FindChunk(plain, "data");
    const Damage cases[] = {
        {"no data chunk", data, 'j', 1},        {"truncated", 0, 100, 0},
        {"cut in the header", 0, uint32_t(plain.size() - fmt - 14), 0}, {"zero channels", fmt + 10, 0, 1},
        {"three channels", fmt + 10, 3, 1},     {"zero bits", fmt + 22, 0, 1},
        {"twelve bits", fmt + 22, 12, 1},       {"24 bits", fmt + 22, 24, 1},
        {"short fmt", fmt + 4, 14, 1},          {"not RIFF", 0, 'X', 1},
        {"not WAVE", 8, 'X', 1},                {"empty", 0, uint32_t(plain.size()), 0},
        {"negative data size", data + 4, 0x80000000u, 4}, {"data size past the end", data + 4, 0x7ffffff0u, 4},
        {"huge fmt", fmt + 4, 0x7ffffff0u, 4}};
    for (const Damage& c : cases) {
        const Bytes b = c.Applied(plain);
        ExpectRefused(std::string(c.name) + ".wav", b);
        Loaded m;  // the in-memory parser agrees with the file one
        m.data = LoadWAVMemory(b.data(), b.size(), &m.length, &m.channels, &m.format, &m.hertz);
        EXPECT_EQ(m.data, nullptr) << c.name << " (memory)";
    }
}

TEST(AudioData, OggOfOneSecondStereo) {
    const std::string ogg = ScratchDir() + "/second.ogg";
    ASSERT_TRUE(Shell("oggenc -Q -o '" + ogg + "' '" + MakeTone("second.wav", 44100, 16, 2, "1 sine 440") + "'"));
    Shell("cp '" + ogg + "' '" + ScratchDir() + "/SECOND.OGG'");
    Loaded r;
    Load(ScratchDir() + "/SECOND.OGG", &r);
    ASSERT_NE(r.data, nullptr);
    EXPECT_EQ((std::vector<int>{r.length, r.channels, r.format, r.hertz}), (std::vector<int>{44100, 2, 2, 44100}));
    // The tone survives the round trip: a 440 Hz sine crosses zero 880 times a second.
    const int16_t* s = reinterpret_cast<const int16_t*>(r.data);
    int crossings = 0;
    for (int i = 1; i < r.length; ++i) crossings += (s[2 * (i - 1)] < 0) != (s[2 * i] < 0);
    EXPECT_NEAR(crossings, 880, 10);
    ExpectRefused("ogg_named.wav", ReadFileBytes(ogg));
}

TEST(AudioData, DamagedOggStreamsAreRefused) {
    const std::string ogg = ScratchDir() + "/short.ogg";
    ASSERT_TRUE(Shell("oggenc -Q -o '" + ogg + "' '" + MakeTone("short.wav", 22050, 16, 1, "0.2 sine 440") + "'"));
    const Bytes good = ReadFileBytes(ogg);
    OggVorbisInfo info;
    ASSERT_TRUE(CheckOggVorbis(good.data(), good.size(), &info));
    EXPECT_EQ((std::vector<long>{info.channels, info.hertz, static_cast<long>(info.lastGranule)}), (std::vector<long>{1, 22050, 4410}));
    constexpr size_t id = 28;  // the identification packet in the first page
    const size_t comment = 58 + 27 + good[58 + 26];  // the comment packet in the second page
    const size_t vendor = good[comment + 7] | (good[comment + 8] << 8);
    Bytes unsealed = good;
    unsealed.back() ^= 0x55;
    ExpectRefused("bad checksum.ogg", unsealed);
    const Damage cases[] = {
        {"bad capture", 0, 'X', 1},              {"version 1", 4, 1, 1},
        {"truncated", 0, 10, 0},                 {"vorbis version 1", id + 7, 1, 1},
        {"zero channels", id + 11, 0, 1},        {"six channels", id + 11, 6, 1},
        {"zero rate", id + 12, 0, 4},            {"rate above 192 kHz", id + 12, 192001, 4},
        {"block size too small", id + 28, 0xb5, 1}, {"block size too large", id + 28, 0xe8, 1},
        {"block sizes swapped", id + 28, 0x8b, 1},  {"no framing bit", id + 29, 0, 1},
        {"vendor too long", comment + 7, 0xfffffff0u, 4}, {"comment count huge", comment + 11 + vendor, 0x40000000u, 4},
        {"too long for its rate", id + 12, 1, 4}};  // longer than ten minutes: 4410 frames claimed at 1 Hz
    for (const Damage& c : cases) {
        Bytes b = c.Applied(good);
        ResealOggPages(b);
        ExpectRefused(std::string(c.name) + ".ogg", b);
    }
    // The same with its length hidden (every page claims an early granule
    // position) is stopped while decoding; at 8 Hz the limit is not reached.
    for (const uint32_t hertz : {1u, 8u}) {
        Bytes b = good;
        PutLe32(b, id + 12, hertz);
        for (size_t i = 1; i + 14 <= b.size(); ++i) {
            if (std::memcmp(&b[i], "OggS", 4) == 0) {
                PutLe32(b, i + 6, 100);
                PutLe32(b, i + 10, 0);
            }
        }
        ResealOggPages(b);
        Loaded m;
        m.data = LoadOGGMemory(b.data(), b.size(), &m.length, &m.channels, &m.format, &m.hertz);
        EXPECT_EQ(m.data != nullptr, hertz == 8) << "hidden length at " << hertz << " Hz";
    }
}

// Inputs that once broke a loader: each must load or be refused, never crash
// (the sanitizer build sees any fault).
TEST(AudioData, FuzzCorpusLoadsOrIsRefused) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(AUDIO_CORPUS_DIR)) {
        if (entry.path().extension() == ".md") continue;
        const Bytes b = ReadFileBytes(entry.path().string());
        for (auto loader : {LoadWAVMemory, LoadOGGMemory}) {
            Loaded r;
            r.data = loader(b.data(), b.size(), &r.length, &r.channels, &r.format, &r.hertz);
            if (r.data) {
                EXPECT_TRUE(r.length >= 0 && (r.channels == 1 || r.channels == 2)) << entry.path();
            }
        }
        ++files;
    }
    EXPECT_GE(files, 3);
}

}  // namespace
