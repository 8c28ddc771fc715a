// The data folder as the content tool writes it: the font's glyphs fit its
// advance, every sound is neither silent nor clipped nor clicks, and a second
// run writes the same bytes. (Every sheet loading at each resolution level
// is a test of the shell.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_data.h"
#include "graphics/image_data.h"

namespace {

namespace fs = std::filesystem;
const fs::path kData = GLIMMER_DATA_DIR;
constexpr int kGlyphCell = 16, kAdvance = 7, kPrintable = 94;

std::vector<unsigned char> Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Text advances 7 design pixels a character: every printable glyph is drawn
// and, shadow included, at most 6 pixels wide in its 16 x 16 cell.
TEST(Content, PrintableGlyphsAreDrawnAndFitTheAdvance) {
    const std::vector<unsigned char> png = Bytes(kData / "fonts/editundo.png");
    int w = 0, h = 0, depth = 0;
    const std::unique_ptr<unsigned char, void (*)(void*)> pixels(kpDecodeImage(png.data(), png.size(), &w, &h, &depth), std::free);
    ASSERT_TRUE(pixels && depth == 4) << "the font decodes to pixels with alpha";
    const int columns = w / kGlyphCell;
    for (int frame = 1; frame <= kPrintable; ++frame) {
        const int x0 = (frame % columns) * kGlyphCell, y0 = (frame / columns) * kGlyphCell;
        int left = kGlyphCell, right = -1;
        for (int y = 0; y < kGlyphCell; ++y) {
            for (int x = 0; x < kGlyphCell; ++x) {
                if (pixels.get()[((y0 + y) * w + x0 + x) * 4 + 3] != 0) left = std::min(left, x), right = std::max(right, x);
            }
        }
        const char glyph = static_cast<char>(frame + 32);
        ASSERT_GE(right, 0) << "glyph '" << glyph << "' is blank";
        EXPECT_LT(right - left + 1, kAdvance) << "glyph '" << glyph << "' is " << right - left + 1 << " pixels wide";
    }
}

TEST(Content, EverySoundIsNeitherSilentNorClippedAndStartsAndEndsQuietly) {
    int sounds = 0;
    for (const auto& entry : fs::directory_iterator(kData / "sfx")) {
        ++sounds;
        const std::vector<unsigned char> bytes = Bytes(entry.path());
        int length = 0, channels = 0, format = 0, hertz = 0;
        unsigned char* data = LoadWAVMemory(bytes.data(), bytes.size(), &length, &channels, &format, &hertz);
        ASSERT_NE(data, nullptr) << entry.path() << " does not decode";
        ASSERT_EQ(format, 2) << entry.path() << ": 16-bit samples";
        const int16_t* samples = reinterpret_cast<const int16_t*>(data);
        const size_t count = size_t(length) * channels;
        int peak = 0;
        for (size_t i = 0; i < count; ++i) peak = std::max(peak, std::abs(int(samples[i])));
        EXPECT_GT(peak, 3000) << entry.path() << " is nearly silent";
        EXPECT_LT(peak, 32000) << entry.path() << " is clipped";
        EXPECT_LT(std::abs(int(samples[0])), 300) << entry.path() << " starts with a click";
        EXPECT_LT(std::abs(int(samples[count - 1])), 300) << entry.path() << " ends with a click";
        std::free(data);
    }
    EXPECT_GT(sounds, 0);
}

TEST(Content, ASecondRunWritesTheSameBytes) {
    const fs::path again = fs::temp_directory_path() / ("glimmer-content-" + std::to_string(::getpid()));
    const std::string command = std::string("\"") + GLIMMER_CONTENT_TOOL + "\" \"" + (again / "data").string() + "\" >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kData)) {
        const fs::path relative = fs::relative(entry.path(), kData);
        // The icon tool's files, and the music tool's (the song and its instruments).
        const fs::path top = *relative.begin();
        if (!entry.is_regular_file() || top == "icon" || top == "inst" || top == "music") continue;
        ++files;
        EXPECT_TRUE(Bytes(entry.path()) == Bytes(again / "data" / relative)) << relative << " differs between runs";
    }
    EXPECT_GT(files, 0);
    fs::remove_all(again);
}

}  // namespace
