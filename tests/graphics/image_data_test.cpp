// Image files are untrusted: the checks must refuse every malformed or
// oversized PNG before the decoder sees it, and files made by a real encoder
// must decode with their own channel count.
#include "graphics/image_data.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/surface.h"
#include "tests/graphics/test_host.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Put32(Bytes& b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<unsigned char>(v >> shift));
}

Bytes Signature() { return {137, 80, 78, 71, 13, 10, 26, 10}; }

// Appends a chunk whose length field says `declared` (normally the data size).
void Chunk(Bytes& b, const char* type, const Bytes& data, int64_t declared = -1) {
    Put32(b, declared < 0 ? static_cast<uint32_t>(data.size()) : static_cast<uint32_t>(declared));
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    Put32(b, 0);  // CRC: not checked
}

Bytes Ihdr(uint32_t w, uint32_t h, int bitDepth, int colourType, int interlace = 0) {
    Bytes d;
    Put32(d, w);
    Put32(d, h);
    d.push_back(static_cast<unsigned char>(bitDepth));
    d.push_back(static_cast<unsigned char>(colourType));
    d.push_back(0);
    d.push_back(0);
    d.push_back(static_cast<unsigned char>(interlace));
    return d;
}

// A small well-formed file: header, `idat` bytes of pixel data, end.
Bytes Png(const Bytes& ihdr, size_t idat = 16) {
    Bytes b = Signature();
    Chunk(b, "IHDR", ihdr);
    Chunk(b, "IDAT", Bytes(idat, 0));
    Chunk(b, "IEND", {});
    return b;
}

struct CheckCase {
    const char* name;
    Bytes bytes;
    KpImageCheck expected;
};

std::vector<CheckCase> CheckCases() {
    std::vector<CheckCase> cases;
    cases.push_back({"well formed", Png(Ihdr(4, 4, 8, 6)), kImageOk});
    cases.push_back({"empty", {}, kImageNotPng});
    cases.push_back({"gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}, kImageNotPng});
    cases.push_back({"text", {'h', 'e', 'l', 'l', 'o', '\n'}, kImageNotPng});
    cases.push_back({"signature only", Signature(), kImageBadChunk});
    {
        Bytes b = Png(Ihdr(4, 4, 8, 6));
        b.resize(b.size() - 12);  // no IEND
        cases.push_back({"no end chunk", b, kImageBadChunk});
    }
    {
        Bytes b = Png(Ihdr(4, 4, 8, 6));
        b.resize(b.size() - 3);  // IEND cut short
        cases.push_back({"truncated end chunk", b, kImageBadChunk});
    }
    {
        // A 2 GiB IDAT length in a tiny file: the decoder would reallocate first.
        Bytes b = Signature();
        Chunk(b, "IHDR", Ihdr(4, 4, 8, 6));
        Chunk(b, "IDAT", Bytes(16, 0), 0x7ffffff0);
        Chunk(b, "IEND", {});
        cases.push_back({"idat length past the end", b, kImageBadChunk});
    }
    {
        Bytes b = Signature();
        Chunk(b, "IHDR", Ihdr(4, 4, 8, 6));
        Chunk(b, "IDAT", Bytes(16, 0), 0xfffffff0u);
        cases.push_back({"chunk length above 2^31", b, kImageBadChunk});
    }
    {
        Bytes b = Signature();
        Chunk(b, "IDAT", Bytes(16, 0));
        Chunk(b, "IHDR", Ihdr(4, 4, 8, 6));
        Chunk(b, "IEND", {});
        cases.push_back({"header not first", b, kImageBadHeader});
    }
    {
        Bytes b = Signature();
        Bytes h = Ihdr(4, 4, 8, 6);
        h.pop_back();
        Chunk(b, "IHDR", h);
        Chunk(b, "IEND", {});
        cases.push_back({"short header", b, kImageBadHeader});
    }
    {
        Bytes b = Signature();
        Chunk(b, "IHDR", Ihdr(4, 4, 8, 6));
        Chunk(b, "IHDR", Ihdr(4, 4, 8, 6));
        Chunk(b, "IDAT", Bytes(16, 0));
        Chunk(b, "IEND", {});
        cases.push_back({"second header", b, kImageBadHeader});
    }
    {
        Bytes b = Signature();
        Chunk(b, "IHDR", Ihdr(4, 4, 8, 6));
        Chunk(b, "CgBI", Bytes(4, 0));
        Chunk(b, "IDAT", Bytes(16, 0));
        Chunk(b, "IEND", {});
        cases.push_back({"apple variant", b, kImageBadHeader});
    }
    cases.push_back({"zero width", Png(Ihdr(0, 4, 8, 6)), kImageBadHeader});
    cases.push_back({"colour type 5", Png(Ihdr(4, 4, 8, 5)), kImageBadHeader});
    cases.push_back({"palette of 16 bits", Png(Ihdr(4, 4, 16, 3)), kImageBadHeader});
    cases.push_back({"rgb of 4 bits", Png(Ihdr(4, 4, 4, 2)), kImageBadHeader});
    cases.push_back({"interlace method 2", Png(Ihdr(4, 4, 8, 6, 2)), kImageBadHeader});
    cases.push_back({"widest", Png(Ihdr(16384, 1, 8, 0)), kImageOk});
    cases.push_back({"too wide", Png(Ihdr(16385, 1, 8, 0)), kImageTooLarge});
    cases.push_back({"too tall", Png(Ihdr(1, 16385, 8, 0)), kImageTooLarge});
    cases.push_back({"width above 2^31", Png(Ihdr(0x80000001u, 1, 8, 0)), kImageTooLarge});
    cases.push_back({"16-bit rgba", Png(Ihdr(4, 4, 16, 6)), kImageSixteenBit});
    cases.push_back({"16-bit grey", Png(Ihdr(4, 4, 16, 0)), kImageSixteenBit});
    {
        Bytes b = Signature();
        Chunk(b, "IHDR", Ihdr(4, 4, 8, 6));
        Chunk(b, "IEND", {});
        cases.push_back({"no pixel data", b, kImageNoPixelData});
    }
    {
        Bytes b = Signature();
        Chunk(b, "IHDR", Ihdr(4, 4, 8, 6));
        Chunk(b, "IDAT", {});
        Chunk(b, "IDAT", Bytes(16, 0));
        Chunk(b, "IEND", {});
        cases.push_back({"empty pixel data chunk", b, kImageNoPixelData});
    }
    cases.push_back({"huge image in a few bytes", Png(Ihdr(16384, 16384, 8, 6), 64), kImageNoPixelData});
    return cases;
}

TEST(ImageDataTest, ChecksRefuseMalformedPngs) {
    for (const CheckCase& c : CheckCases()) {
        EXPECT_EQ(kpCheckPngBytes(c.bytes.data(), c.bytes.size()), c.expected)
            << c.name << ": expected check " << c.expected;
        // Whatever the check says, decoding must not crash; refused bytes give null.
        int w = 0, h = 0, d = 0;
        unsigned char* pixels = kpDecodeImage(c.bytes.data(), c.bytes.size(), &w, &h, &d);
        if (c.expected != kImageOk) {
            EXPECT_EQ(pixels, nullptr) << c.name;
        }
        std::free(pixels);
    }
}

struct FileCase {
    const char* name;
    const char* convertArgs;
    int width, height, depth;  // depth 0: the file must be refused
};

// Files of every colour type the encoder writes, including a non-power-of-two size.
const FileCase kFileCases[] = {
    {"grey.png", "-size 20x12 gradient:black-white -depth 8 -define png:color-type=0", 20, 12, 1},
    {"greyalpha.png", "-size 3x2 xc:gray50 -alpha set -channel A -evaluate set 50% +channel -define png:color-type=4",
     3, 2, 2},
    {"rgb.png", "-size 5x4 xc:'rgb(200,100,50)' -define png:color-type=2", 5, 4, 3},
    {"rgba.png", "-size 2x1 xc:'rgba(200,100,50,0.50196)' -define png:color-type=6", 2, 1, 4},
    {"palette.png", "-size 4x4 xc:red -fill blue -draw \"point 0,0\" -define png:color-type=3", 4, 4, 3},
    {"interlaced.png", "-size 9x7 gradient:red-blue -depth 8 -interlace PNG -define png:color-type=2", 9, 7, 3},
    {"rgb16.png", "-size 4x4 gradient:red-blue -depth 16 -define png:bit-depth=16", 0, 0, 0},
};

TEST(ImageDataTest, LoadsEncoderFilesWithTheirChannelCount) {
    for (const FileCase& c : kFileCases) {
        const std::string path = MakeImage(c.convertArgs, c.name);
        int w = 0, h = 0, d = 0;
        unsigned char* pixels = TestHost::Get().LoadImageData(String(path.c_str()), &w, &h, &d);
        if (c.depth == 0) {
            EXPECT_EQ(pixels, nullptr) << c.name << " should be refused";
        } else {
            ASSERT_NE(pixels, nullptr) << c.name << " did not load";
            EXPECT_EQ(w, c.width) << c.name;
            EXPECT_EQ(h, c.height) << c.name;
            EXPECT_EQ(d, c.depth) << c.name;
        }
        std::free(pixels);
    }
}

TEST(ImageDataTest, PixelsArriveAsWrittenAndPremultipliedInTheSurface) {
    int w = 0, h = 0, d = 0;
    const std::string rgb = MakeImage("-size 2x2 xc:'rgb(200,100,50)' -define png:color-type=2", "px_rgb.png");
    unsigned char* p = TestHost::Get().LoadImageData(String(rgb.c_str()), &w, &h, &d);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{200, 100, 50}));
    std::free(p);

    const std::string rgba = MakeImage(
        "-size 1x1 xc:'rgba(200,100,50,0.50196)' xc:'rgba(255,255,255,0)' +append -define png:color-type=6",
        "px_rgba.png");
    p = TestHost::Get().LoadImageData(String(rgba.c_str()), &w, &h, &d);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(d, 4);
    gxtkSurface* s = new gxtkSurface();
    s->SetData(p, w, h, d);
    EXPECT_EQ((std::vector<int>{s->data[0], s->data[1], s->data[2], s->data[3]}),
              (std::vector<int>{100, 50, 25, 128}));
    EXPECT_EQ((std::vector<int>{s->data[4], s->data[5], s->data[6], s->data[7]}), (std::vector<int>{0, 0, 0, 0}))
        << "a fully transparent pixel is stored as zeros";
    s->Discard();
}

TEST(ImageDataTest, BrokenFilesGiveNull) {
    const Bytes good = ReadFile(MakeImage("-size 16x16 gradient:red-blue -depth 8 -define png:color-type=2", "whole.png"));
    ASSERT_GT(good.size(), 60u);
    const Bytes half(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
    const Bytes noEnd(good.begin(), good.end() - 1);
    const std::string gif = MakeImage("-size 4x4 xc:red gif:", "real_gif.png");
    const std::string files[] = {
        WriteFile("truncated_half.png", half),
        WriteFile("truncated_end.png", noEnd),
        WriteFile("empty.png", {}),
        WriteFile("text.png", Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e', '\n'}),
        gif,
        ScratchDir() + "/data/missing.png",
    };
    for (const std::string& f : files) {
        int w = -1, h = -1, d = -1;
        unsigned char* p = TestHost::Get().LoadImageData(String(f.c_str()), &w, &h, &d);
        EXPECT_EQ(p, nullptr) << f;
        EXPECT_EQ((std::vector<int>{w, h, d}), (std::vector<int>{-1, -1, -1})) << f << ": out values untouched";
        std::free(p);
    }
}

// Inputs kept from fuzzing: each must be handled without a crash.
TEST(ImageDataTest, FuzzCorpusDecodesSafely) {
    DIR* dir = opendir(GRAPHICS_CORPUS_DIR);
    ASSERT_NE(dir, nullptr);
    int files = 0;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        const Bytes b = ReadFile(std::string(GRAPHICS_CORPUS_DIR) + "/" + e->d_name);
        int w = 0, h = 0, d = 0;
        std::free(kpDecodeImage(b.data(), b.size(), &w, &h, &d));
        ++files;
    }
    closedir(dir);
    EXPECT_GT(files, 0);
}

}  // namespace
