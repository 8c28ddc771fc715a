// Loading sound files made by sox and oggenc, and refusing damaged ones.
#include "audio/audio_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host/game_host.h"
#include "tests/audio/audio_test_support.h"

namespace {

using audio_test::MakeTone;
using audio_test::ReadFileBytes;
using audio_test::Shell;
using audio_test::ScratchDir;
using audio_test::WriteFileBytes;

struct Loaded {
    unsigned char* data = nullptr;
    int length = -7, channels = -7, format = -7, hertz = -7;  // -7: untouched
    ~Loaded() { std::free(data); }
};

void Load(const std::string& path, Loaded* out) {
    out->data = KpGame::_game->LoadAudioData(String(path.c_str()), &out->length, &out->channels, &out->format,
                                             &out->hertz);
}

void ExpectRefused(const std::string& path) {
    Loaded r;
    Load(path, &r);
    EXPECT_EQ(r.data, nullptr) << path << " should be refused";
    EXPECT_EQ(r.length, -7) << path << ": out values must stay untouched";
    EXPECT_EQ(r.channels, -7) << path;
}

void PutLe32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// Offset of a RIFF chunk's tag, or npos.
size_t FindChunk(const std::vector<unsigned char>& b, const char* tag) {
    for (size_t i = 12; i + 4 <= b.size(); ++i) {
        if (std::memcmp(&b[i], tag, 4) == 0) return i;
    }
    return std::string::npos;
}

// A plain 16-bit mono WAVE of 1000 frames, made by sox, as bytes.
std::vector<unsigned char> PlainWav() {
    static std::vector<unsigned char> bytes =
        ReadFileBytes(MakeTone("plain.wav", 8000, 16, 1, "1000s sine 300"));
    return bytes;
}

TEST(LoadWav, DecodesLayoutsMadeBySox) {
    struct Case {
        int bits, channels, hertz;
    };
    const Case cases[] = {
        {8, 1, 22050}, {8, 2, 22050}, {16, 1, 44100}, {16, 2, 44100}, {16, 2, 22050}, {8, 1, 44100},
    };
    for (const Case& c : cases) {
        std::string name = "layout_" + std::to_string(c.bits) + "_" + std::to_string(c.channels) + "_" +
                           std::to_string(c.hertz) + ".wav";
        std::string path = MakeTone(name, c.hertz, c.bits, c.channels, "2205s sine 440");
        Loaded r;
        Load(path, &r);
        ASSERT_NE(r.data, nullptr) << name;
        EXPECT_EQ(r.length, 2205) << name;
        EXPECT_EQ(r.channels, c.channels) << name;
        EXPECT_EQ(r.format, c.bits / 8) << name;
        EXPECT_EQ(r.hertz, c.hertz) << name;
        // The bytes are returned as stored in the file.
        std::vector<unsigned char> file = ReadFileBytes(path);
        size_t data = FindChunk(file, "data") + 8;
        EXPECT_EQ(0, std::memcmp(r.data, &file[data], 2205 * c.channels * c.bits / 8)) << name;
    }
}

TEST(LoadWav, ExtensionIgnoresCase) {
    PlainWav();
    Shell("cp '" + ScratchDir() + "/plain.wav' '" + ScratchDir() + "/UPPER.WAV'");
    Loaded r;
    Load(ScratchDir() + "/UPPER.WAV", &r);
    ASSERT_NE(r.data, nullptr);
    EXPECT_EQ(r.length, 1000);
    // The same bytes under another extension are not a sound.
    Shell("cp '" + ScratchDir() + "/plain.wav' '" + ScratchDir() + "/plain.raw'");
    ExpectRefused(ScratchDir() + "/plain.raw");
    ExpectRefused(ScratchDir() + "/missing.wav");
}

TEST(LoadWav, SkipsListChunkAndLongFmt) {
    // A LIST/INFO chunk (a comment, as editors write one) before "data".
    std::vector<unsigned char> withList = PlainWav();
    const unsigned char list[] = {'L', 'I', 'S', 'T', 18, 0, 0, 0, 'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T',
                                  6, 0, 0, 0, 'h', 'o', 'l', 'l', 'y', 0};
    withList.insert(withList.begin() + static_cast<long>(FindChunk(withList, "data")), std::begin(list), std::end(list));
    WriteFileBytes(ScratchDir() + "/list.wav", withList);
    Loaded listed;
    Load(ScratchDir() + "/list.wav", &listed);
    ASSERT_NE(listed.data, nullptr);
    EXPECT_EQ(listed.length, 1000);

    // An 18-byte fmt chunk (cbSize present): two bytes skipped before the next chunk.
    std::vector<unsigned char> b = PlainWav();
    size_t fmt = FindChunk(b, "fmt ");
    ASSERT_EQ(b[fmt + 4], 16);
    b[fmt + 4] = 18;
    b.insert(b.begin() + static_cast<long>(fmt + 8 + 16), {0, 0});
    WriteFileBytes(ScratchDir() + "/fmt18.wav", b);
    Loaded r;
    Load(ScratchDir() + "/fmt18.wav", &r);
    ASSERT_NE(r.data, nullptr);
    EXPECT_EQ(r.length, 1000);
    EXPECT_EQ(0, std::memcmp(r.data, &PlainWav()[FindChunk(PlainWav(), "data") + 8], 2000));
}

TEST(LoadWav, RefusesCompressedAndDamagedFiles) {
    std::string adpcm = ScratchDir() + "/adpcm.wav";
    ASSERT_TRUE(Shell("sox -n -r 22050 -c 1 -e ima-adpcm '" + adpcm + "' synth 0.1 sine 440"));
    ExpectRefused(adpcm);

    const std::vector<unsigned char> plain = PlainWav();
    const size_t fmt = FindChunk(plain, "fmt ");
    const size_t data = FindChunk(plain, "data");
    struct Damage {
        const char* name;
        void (*apply)(std::vector<unsigned char>& b, size_t fmt, size_t data);
    };
    const Damage damages[] = {
        {"no_data", [](std::vector<unsigned char>& b, size_t, size_t d) { std::memcpy(&b[d], "junk", 4); }},
        {"truncated", [](std::vector<unsigned char>& b, size_t, size_t) { b.resize(b.size() - 100); }},
        {"cut_in_header", [](std::vector<unsigned char>& b, size_t f, size_t) { b.resize(f + 14); }},
        {"zero_channels", [](std::vector<unsigned char>& b, size_t f, size_t) { b[f + 10] = 0; }},
        {"three_channels", [](std::vector<unsigned char>& b, size_t f, size_t) { b[f + 10] = 3; }},
        {"zero_bits", [](std::vector<unsigned char>& b, size_t f, size_t) { b[f + 22] = 0; }},
        {"twelve_bits", [](std::vector<unsigned char>& b, size_t f, size_t) { b[f + 22] = 12; }},
        {"twentyfour_bits", [](std::vector<unsigned char>& b, size_t f, size_t) { b[f + 22] = 24; }},
        {"negative_data_size", [](std::vector<unsigned char>& b, size_t, size_t d) { PutLe32(b, d + 4, 0x80000000u); }},
        {"data_size_past_end", [](std::vector<unsigned char>& b, size_t, size_t d) { PutLe32(b, d + 4, 0x7ffffff0u); }},
        {"huge_fmt", [](std::vector<unsigned char>& b, size_t f, size_t) { PutLe32(b, f + 4, 0x7ffffff0u); }},
        {"short_fmt", [](std::vector<unsigned char>& b, size_t f, size_t) { b[f + 4] = 14; }},
        {"not_riff", [](std::vector<unsigned char>& b, size_t, size_t) { b[0] = 'X'; }},
        {"not_wave", [](std::vector<unsigned char>& b, size_t, size_t) { b[8] = 'X'; }},
        {"empty", [](std::vector<unsigned char>& b, size_t, size_t) { b.clear(); }},
    };
    for (const Damage& d : damages) {
        std::vector<unsigned char> b = plain;
        d.apply(b, fmt, data);
        std::string path = ScratchDir() + "/" + d.name + ".wav";
        WriteFileBytes(path, b);
        ExpectRefused(path);
        // The in-memory parser agrees with the file one.
        Loaded m;
        m.data = LoadWAVMemory(b.data(), b.size(), &m.length, &m.channels, &m.format, &m.hertz);
        EXPECT_EQ(m.data, nullptr) << d.name << " (memory)";
    }
}

TEST(LoadOgg, DecodesOneSecondStereo) {
    std::string wav = MakeTone("second.wav", 44100, 16, 2, "1 sine 440");
    std::string ogg = ScratchDir() + "/second.ogg";
    ASSERT_TRUE(Shell("oggenc -Q -o '" + ogg + "' '" + wav + "'"));
    Loaded r;
    Load(ogg, &r);
    ASSERT_NE(r.data, nullptr);
    EXPECT_EQ(r.length, 44100);
    EXPECT_EQ(r.channels, 2);
    EXPECT_EQ(r.format, 2);
    EXPECT_EQ(r.hertz, 44100);
    // The tone survives the round trip: a 440 Hz sine crosses zero 880 times a second.
    const int16_t* s = reinterpret_cast<const int16_t*>(r.data);
    int crossings = 0;
    for (int i = 1; i < r.length; ++i) crossings += (s[2 * (i - 1)] < 0) != (s[2 * i] < 0);
    EXPECT_NEAR(crossings, 880, 10);

    // Upper-case extension, and the same bytes under a ".wav" name are refused.
    Shell("cp '" + ogg + "' '" + ScratchDir() + "/SECOND.OGG'");
    Loaded upper;
    Load(ScratchDir() + "/SECOND.OGG", &upper);
    EXPECT_NE(upper.data, nullptr);
    Shell("cp '" + ogg + "' '" + ScratchDir() + "/ogg_named.wav'");
    ExpectRefused(ScratchDir() + "/ogg_named.wav");
}

// Rewrites the checksum of every page, so damage inside a page is judged by
// the header checks and not merely by the checksum.
void ResealPages(std::vector<unsigned char>& b) {
    size_t pos = 0;
    while (pos + 27 <= b.size() && std::memcmp(&b[pos], "OggS", 4) == 0) {
        size_t segments = b[pos + 26];
        if (pos + 27 + segments > b.size()) return;
        size_t size = 27 + segments;
        for (size_t i = 0; i < segments; ++i) size += b[pos + 27 + i];
        if (pos + size > b.size()) return;
        PutLe32(b, pos + 22, OggPageChecksum(&b[pos], size));
        pos += size;
    }
}

TEST(LoadOgg, RefusesDamagedStreams) {
    std::string wav = MakeTone("short.wav", 22050, 16, 1, "0.2 sine 440");
    std::string ogg = ScratchDir() + "/short.ogg";
    ASSERT_TRUE(Shell("oggenc -Q -o '" + ogg + "' '" + wav + "'"));
    const std::vector<unsigned char> good = ReadFileBytes(ogg);
    OggVorbisInfo info;
    ASSERT_TRUE(CheckOggVorbis(good.data(), good.size(), &info));
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.hertz, 22050);
    EXPECT_EQ(info.lastGranule, 4410);

    // Offsets inside the first page: 28 is the identification packet.
    constexpr size_t id = 28;
    struct Damage {
        const char* name;
        bool reseal;
        void (*apply)(std::vector<unsigned char>& b);
    };
    const Damage damages[] = {
        {"bad_checksum", false, [](std::vector<unsigned char>& b) { b[b.size() - 1] ^= 0x55; }},
        {"bad_capture", true, [](std::vector<unsigned char>& b) { b[0] = 'X'; }},
        {"version_1", true, [](std::vector<unsigned char>& b) { b[4] = 1; }},
        {"truncated", true, [](std::vector<unsigned char>& b) { b.resize(b.size() - 10); }},
        {"vorbis_version", true, [](std::vector<unsigned char>& b) { b[id + 7] = 1; }},
        {"zero_channels", true, [](std::vector<unsigned char>& b) { b[id + 11] = 0; }},
        {"six_channels", true, [](std::vector<unsigned char>& b) { b[id + 11] = 6; }},
        {"zero_rate", true, [](std::vector<unsigned char>& b) { PutLe32(b, id + 12, 0); }},
        {"huge_rate", true, [](std::vector<unsigned char>& b) { PutLe32(b, id + 12, 192001); }},
        {"blocksize_small", true, [](std::vector<unsigned char>& b) { b[id + 28] = 0xb5; }},
        {"blocksize_large", true, [](std::vector<unsigned char>& b) { b[id + 28] = 0xe8; }},
        {"blocksizes_swapped", true, [](std::vector<unsigned char>& b) { b[id + 28] = 0x8b; }},
        {"no_framing", true, [](std::vector<unsigned char>& b) { b[id + 29] = 0; }},
        {"vendor_too_long", true, [](std::vector<unsigned char>& b) {
             size_t c = 58 + 27 + b[58 + 26];  // second page's packet data
             PutLe32(b, c + 7, 0xfffffff0u);
         }},
        {"comment_count_huge", true, [](std::vector<unsigned char>& b) {
             size_t c = 58 + 27 + b[58 + 26];
             uint32_t vendor = b[c + 7] | (b[c + 8] << 8);
             PutLe32(b, c + 11 + vendor, 0x40000000u);
         }},
    };
    for (const Damage& d : damages) {
        std::vector<unsigned char> b = good;
        d.apply(b);
        if (d.reseal) ResealPages(b);
        std::string path = ScratchDir() + "/" + d.name + ".ogg";
        WriteFileBytes(path, b);
        ExpectRefused(path);
    }
}

TEST(LoadOgg, RefusesStreamsPastTheLengthLimit) {
    // Eleven minutes of silence at 8000 Hz compresses small but decodes past ten minutes.
    std::string wav = MakeTone("long.wav", 8000, 16, 1, "660 sine 0 vol 0");
    std::string ogg = ScratchDir() + "/long.ogg";
    ASSERT_TRUE(Shell("oggenc -Q -q -1 -o '" + ogg + "' '" + wav + "'"));
    ExpectRefused(ogg);
    // The same stream with its length hidden (every page claims an early
    // granule position) is stopped while decoding.
    std::vector<unsigned char> b = ReadFileBytes(ogg);
    for (size_t i = 1; i + 14 <= b.size(); ++i) {
        if (std::memcmp(&b[i], "OggS", 4) == 0) {
            PutLe32(b, i + 6, 1000);
            PutLe32(b, i + 10, 0);
        }
    }
    ResealPages(b);
    std::string hidden = ScratchDir() + "/long_hidden.ogg";
    WriteFileBytes(hidden, b);
    ExpectRefused(hidden);
}

// Inputs that once broke a loader: each must load or be refused, never crash.
TEST(AudioCorpus, PastFailuresLoadOrAreRefused) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(AUDIO_CORPUS_DIR)) {
        if (entry.path().extension() == ".md") continue;
        std::vector<unsigned char> b = ReadFileBytes(entry.path().string());
        for (auto loader : {LoadWAVMemory, LoadOGGMemory}) {
            Loaded r;
            r.data = loader(b.data(), b.size(), &r.length, &r.channels, &r.format, &r.hertz);
            if (r.data) {
                EXPECT_GE(r.length, 0) << entry.path();
                EXPECT_TRUE(r.channels == 1 || r.channels == 2) << entry.path();
            }
        }
        ++files;
    }
    EXPECT_GE(files, 3);
}

}  // namespace
