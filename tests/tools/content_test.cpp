// Checks the game's data folder as the content tool writes it: every sheet the game
// loads exists at three resolutions with the cell grid the loader grabs, the font fits
// its layout, every sound decodes and is neither silent nor clipped, and a second run
// of the tool gives the same bytes.
#include <gtest/gtest.h>

#include "audio/audio_data.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kData = GLIMMER_DATA_DIR;

struct SheetCase {
    const char* name;
    int cellW, cellH, frames;
};

// The game's image slots: file name, design cell size, frame count.
const SheetCase kSheets[] = {
    {"plat", 32, 32, 64},          {"nme", 32, 32, 64},
    {"gfx1", 32, 32, 64},          {"bubble", 128, 64, 1},
    {"circle", 128, 128, 1},       {"BadgesA", 64, 64, 64},
    {"fonts/editundo", 16, 16, 128}, {"common/Testcard_Circle", 256, 256, 1},
    {"common/icade", 64, 64, 2},   {"common/ZOLTLogo", 256, 256, 1},
    {"common/dpad", 32, 32, 16},   {"common/Buttons", 64, 64, 16},
    {"parts", 8, 8, 256},          {"common/icons", 32, 32, 16},
    {"logo", 256, 128, 1},         {"menu", 256, 256, 4},
};
const int kSoundSlots[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                           17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 95, 98, 99};

struct Image {
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    uint8_t alpha(int x, int y) const { return rgba[(size_t(y) * w + x) * 4 + 3]; }
};

std::optional<Image> loadPng(const std::string& path) {
    Image img;
    int channels = 0;
    uint8_t* data = stbi_load(path.c_str(), &img.w, &img.h, &channels, 4);
    if (!data) return std::nullopt;
    img.rgba.assign(data, data + size_t(img.w) * img.h * 4);
    stbi_image_free(data);
    return img;
}

struct Pcm {
    int channels = 0, bits = 0, rate = 0;
    std::vector<int16_t> samples;
};

// Decodes a PCM WAVE file: RIFF header, "fmt " chunk, then chunks up to "data".
// Decodes with the game's own WAV loader, as the game will.
std::optional<Pcm> decodeWav(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int length = 0, channels = 0, format = 0, hertz = 0;
    unsigned char* data = LoadWAVMemory(b.data(), b.size(), &length, &channels, &format, &hertz);
    if (!data) return std::nullopt;
    Pcm pcm;
    pcm.channels = channels;
    pcm.rate = hertz;
    pcm.bits = format * 8;
    if (format == 2) {
        const int16_t* samples = reinterpret_cast<const int16_t*>(data);
        pcm.samples.assign(samples, samples + static_cast<size_t>(length) * channels);
    }
    std::free(data);
    return pcm;
}

std::vector<uint8_t> readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(ContentSheets, EveryResolutionHasTheLoadersCellGrid) {
    const struct { const char* suffix; int level; } levels[] = {{"", 1}, {"-hd", 2}, {"-hd2", 4}};
    for (const SheetCase& s : kSheets) {
        for (const auto& l : levels) {
            const std::string path = kData + "/" + s.name + l.suffix + ".png";
            const auto img = loadPng(path);
            ASSERT_TRUE(img.has_value()) << path << " is missing or unreadable";
            const int cw = s.cellW * l.level, ch = s.cellH * l.level;
            EXPECT_EQ(img->w % cw, 0) << path << ": width " << img->w << " is not a multiple of the cell width " << cw;
            EXPECT_EQ(img->h % ch, 0) << path << ": height " << img->h << " is not a multiple of the cell height " << ch;
            const int cells = (img->w / cw) * (img->h / ch);
            EXPECT_GE(cells, s.frames) << path << ": " << cells << " cells, expected at least " << s.frames;
            bool visible = false;
            for (size_t i = 3; i < img->rgba.size() && !visible; i += 4) visible = img->rgba[i] != 0;
            EXPECT_TRUE(visible) << path << " is fully transparent";
        }
    }
}

// Text is laid out at an advance of 7 design pixels, so every printable glyph must be
// drawn and no wider than 6 pixels (shadow included) in its 16 x 16 cell.
TEST(ContentFont, PrintableGlyphsAreDrawnAndFitTheAdvance) {
    const auto img = loadPng(kData + "/fonts/editundo.png");
    ASSERT_TRUE(img.has_value());
    const int columns = img->w / 16;
    for (int frame = 1; frame <= 94; ++frame) {
        const int x0 = (frame % columns) * 16, y0 = (frame / columns) * 16;
        int left = 16, right = -1;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (img->alpha(x0 + x, y0 + y) != 0) left = std::min(left, x), right = std::max(right, x);
        const char ch = char(frame + 32);
        ASSERT_GE(right, 0) << "glyph '" << ch << "' (frame " << frame << ") is blank";
        EXPECT_LE(right - left + 1, 6) << "glyph '" << ch << "' is " << right - left + 1 << " pixels wide";
    }
    const auto strip = loadPng(kData + "/vela_font.png");
    ASSERT_TRUE(strip.has_value()) << "vela_font.png is missing";
    EXPECT_EQ(strip->w % 96, 0) << "default font width " << strip->w << " is not 96 equal frames";
    EXPECT_GE(strip->w / 96, 3) << "default font frames are too narrow for their padding";
}

TEST(ContentSounds, EverySlotDecodesAndIsNeitherSilentNorClipped) {
    for (int slot : kSoundSlots) {
        char name[32];
        std::snprintf(name, sizeof name, "/sfx/%03d.wav", slot);
        const auto pcm = decodeWav(kData + name);
        ASSERT_TRUE(pcm.has_value()) << name << " does not decode as PCM WAVE";
        EXPECT_TRUE(pcm->channels == 1 || pcm->channels == 2) << name << ": " << pcm->channels << " channels";
        EXPECT_EQ(pcm->bits, 16) << name;
        ASSERT_FALSE(pcm->samples.empty()) << name << " has no samples";
        int peak = 0;
        for (int16_t s : pcm->samples) peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 3000) << name << " is nearly silent (peak " << peak << ")";
        EXPECT_LT(peak, 32000) << name << " is clipped (peak " << peak << ")";
        // Ends close to zero: no click when a sound starts or stops.
        EXPECT_LT(std::abs(int(pcm->samples.front())), 300) << name << " starts with a jump";
        EXPECT_LT(std::abs(int(pcm->samples.back())), 300) << name << " ends with a jump";
    }
}

TEST(ContentTool, SecondRunWritesTheSameBytes) {
    const fs::path again = fs::temp_directory_path() / "glimmer_content_again";
    fs::remove_all(again);
    const std::string cmd = std::string("\"") + GLIMMER_CONTENT_TOOL + "\" \"" + (again / "data").string() + "\" > /dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kData)) {
        if (!entry.is_regular_file()) continue;
        const fs::path rel = fs::relative(entry.path(), kData);
        if (*rel.begin() == "icon") continue;  // the window icons come from the icon tool
        EXPECT_TRUE(readBytes(entry.path()) == readBytes(again / "data" / rel)) << rel << " differs between runs";
        ++files;
    }
    EXPECT_EQ(files, 16 * 3 + 1 + 31) << "unexpected number of files in the data folder";
    fs::remove_all(again);
}

}  // namespace
