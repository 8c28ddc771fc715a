// Loading sound files made by sox and oggenc, and refusing damaged ones: the
// damage tables for WAV and Ogg Vorbis, and the inputs kept from fuzzing.
#include "audio/audio_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/audio/audio_test_support.h"
#include "tests/audio/ogg_pages.h"

namespace {

using namespace audio_test;
using Bytes = std::vector<unsigned char>;
using Layout = std::vector<int>;  // length, channels, bytes per sample, hertz
const Layout kRefused(4, -7);     // no data, and the out values untouched

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Decodes the bytes of a file by its name's ending, as the device does
// (gxtkAudio::LoadSample); returns the out values.
Layout Load(const std::string& name, const Bytes& bytes, Bytes* data = nullptr) {
    Layout out(4, -7);  // -7: untouched
    const bool ogg = String(name.c_str()).ToLower().EndsWith(".ogg");
    unsigned char* p = (ogg ? LoadOGGMemory : LoadWAVMemory)(bytes.data(), bytes.size(), &out[0], &out[1], &out[2], &out[3]);
    if (p && data) data->assign(p, p + out[0] * out[1] * out[2]);
    std::free(p);
    return out;
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

TEST(AudioData, WavFilesLoadAsStored) {
    const Bytes plain = ReadFileBytes(MakeTone("plain.wav", 8000, 16, 1, "1000s sine 300"));
    const Bytes samples(plain.begin() + static_cast<long>(FindChunk(plain, "data") + 8), plain.end());
    Bytes listed = plain;  // a LIST/INFO chunk (a comment, as editors write one) before "data"
    const unsigned char list[] = {'L', 'I', 'S', 'T', 18, 0, 0, 0, 'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T', 6, 0, 0, 0, 'h', 'o', 'l', 'l', 'y', 0};
    listed.insert(listed.begin() + static_cast<long>(FindChunk(listed, "data")), std::begin(list), std::end(list));
    Bytes fmt18 = plain;  // an 18-byte fmt chunk: two bytes skipped before the next chunk
    fmt18[FindChunk(fmt18, "fmt ") + 4] = 18;
    fmt18.insert(fmt18.begin() + static_cast<long>(FindChunk(fmt18, "fmt ") + 8 + 16), {0, 0});
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, Bytes>>{{"UPPER.WAV", plain}, {"list.wav", listed}, {"fmt18.wav", fmt18}}) {
        Bytes data;
        EXPECT_EQ(Load(name, bytes, &data), (Layout{1000, 1, 2, 8000})) << name;
        EXPECT_EQ(data, samples) << name;
    }
    std::ofstream(ScratchDir() + "/plain.raw", std::ios::binary).write(reinterpret_cast<const char*>(plain.data()),
                                                                    static_cast<std::streamsize>(plain.size()));
    EXPECT_EQ(Device()->LoadSample(String((ScratchDir() + "/plain.raw").c_str())), nullptr)
        << "the same bytes under another extension are not a sound";
    for (const Layout& l : {Layout{2205, 2, 1, 44100}, Layout{2205, 2, 2, 22050}}) {
        const Bytes file = ReadFileBytes(MakeTone("layout.wav", l[3], 8 * l[2], l[1], "2205s sine 440"));
        Bytes data;
        EXPECT_EQ(Load("layout.wav", file, &data), l);
        EXPECT_EQ(data, Bytes(file.begin() + static_cast<long>(FindChunk(file, "data") + 8), file.end())) << "8-bit stays unsigned";
    }
}

TEST(AudioData, DamagedWavFilesAreRefused) {
    ASSERT_TRUE(Shell("sox -n -r 22050 -c 1 -e ima-adpcm '" + ScratchDir() + "/adpcm.wav' synth 0.1 sine 440"));
    EXPECT_EQ(Load("adpcm.wav", ReadFileBytes(ScratchDir() + "/adpcm.wav")), kRefused) << "compressed";
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
        EXPECT_EQ(Load(std::string(c.name) + ".wav", b), kRefused) << c.name << " should be refused, out values untouched";
        int length = 0, channels = 0, format = 0, hertz = 0;  // the in-memory parser agrees with the file one
        EXPECT_EQ(LoadWAVMemory(b.data(), b.size(), &length, &channels, &format, &hertz), nullptr) << c.name << " (memory)";
    }
}

TEST(AudioData, OggStreamsDecodeOrAreRefused) {
    const std::string ogg = ScratchDir() + "/second.ogg";
    ASSERT_TRUE(Shell("oggenc -Q -o '" + ogg + "' '" + MakeTone("second.wav", 44100, 16, 2, "1 sine 440") + "'"));
    Bytes pcm;
    EXPECT_EQ(Load("SECOND.OGG", ReadFileBytes(ogg), &pcm), (Layout{44100, 2, 2, 44100}));
    int crossings = 0;  // a 440 Hz sine crosses zero 880 times a second
    for (size_t i = 4; i + 1 < pcm.size(); i += 4) crossings += ((pcm[i - 3] & 0x80) != 0) != ((pcm[i + 1] & 0x80) != 0);
    EXPECT_NEAR(crossings, 880, 10);
    EXPECT_EQ(Load("ogg_named.wav", ReadFileBytes(ogg)), kRefused);
    // A sound shipped compressed: asked of the device as a wave file that is
    // absent, found as the .ogg beside it.
    std::filesystem::copy_file(ogg, ScratchDir() + "/shipped.ogg");
    EXPECT_NE(Device()->LoadSample(String((ScratchDir() + "/shipped.wav").c_str())), nullptr);
    EXPECT_EQ(Device()->LoadSample(String((ScratchDir() + "/absent.wav").c_str())), nullptr);

    ASSERT_TRUE(Shell("oggenc -Q -o '" + ogg + "' '" + MakeTone("short.wav", 22050, 16, 1, "0.2 sine 440") + "'"));
    const Bytes good = ReadFileBytes(ogg);
    OggVorbisInfo info;
    ASSERT_TRUE(CheckOggVorbis(good.data(), good.size(), &info));
    ASSERT_EQ(info.lastGranule, 4410);
    Bytes unsealed = good;
    unsealed.back() ^= 0x55;
    EXPECT_EQ(Load("bad checksum.ogg", unsealed), kRefused);
    constexpr size_t id = 28;  // the identification packet in the first page
    const size_t comment = 58 + 27 + good[58 + 26];  // the comment packet in the second page
    const size_t vendor = good[comment + 7] | (good[comment + 8] << 8);
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
        ResealOggPages(b);  // so that the damage, not the checksum, is judged
        EXPECT_EQ(Load(std::string(c.name) + ".ogg", b), kRefused) << c.name << " should be refused, out values untouched";
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
        EXPECT_EQ(Load("hidden.ogg", b) == kRefused, hertz == 1) << "hidden length at " << hertz << " Hz";
    }
}

// Inputs that once broke the Ogg loader (corpus/README.md), each with what
// both loaders must make of it; the sanitizer build sees any fault on the way.
TEST(AudioData, KeptFuzzInputsAreRefused) {
    const char* const kept[] = {"codebook-lookup-inf.ogg", "codebook-lookup-overflow.ogg", "setup-error-leak.ogg"};
    for (const char* name : kept) {
        const Bytes b = ReadFileBytes(std::string(AUDIO_CORPUS_DIR) + "/" + name);
        ASSERT_FALSE(b.empty()) << name;
        int length = 0, channels = 0, format = 0, hertz = 0;
        EXPECT_EQ(LoadWAVMemory(b.data(), b.size(), &length, &channels, &format, &hertz), nullptr) << name;
        EXPECT_EQ(Load(name, b), kRefused) << name;
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(AUDIO_CORPUS_DIR)) files += entry.path().extension() == ".ogg";
    EXPECT_EQ(files, static_cast<int>(std::size(kept))) << "every kept input has its row";
}

}  // namespace
