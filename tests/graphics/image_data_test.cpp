// Image files are untrusted: the checks must refuse every malformed, damaged
// or oversized PNG before the decoder sees it (chunk CRCs as zlib computes
// them), inputs kept from fuzzing among them, and files made by a real encoder
// must decode with their own channel count.
#include "graphics/image_data.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/graphics/test_host.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Put32(Bytes& b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<unsigned char>(v >> shift));
}

// A chunk whose length field says `declared` (normally the data size), with
// its CRC as zlib computes it, plus `crcDamage`.
Bytes Chunk(const char* type, const Bytes& data, int64_t declared = -1, uint32_t crcDamage = 0) {
    Bytes b;
    Put32(b, declared < 0 ? static_cast<uint32_t>(data.size()) : static_cast<uint32_t>(declared));
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    Put32(b, static_cast<uint32_t>(crc32(0, b.data() + 4, static_cast<uInt>(b.size() - 4))) + crcDamage);
    return b;
}

Bytes Ihdr(uint32_t w, uint32_t h, int bitDepth, int colourType, int interlace = 0, uint32_t crcDamage = 0) {
    Bytes d;
    Put32(d, w);
    Put32(d, h);
    d.insert(d.end(), {static_cast<unsigned char>(bitDepth), static_cast<unsigned char>(colourType), 0, 0,
                       static_cast<unsigned char>(interlace)});
    return Chunk("IHDR", d, -1, crcDamage);
}

// The zlib stream of `rows` filter-0 rows of `rowBytes` zero bytes each.
Bytes Deflated(size_t rows, size_t rowBytes) {
    const Bytes raw(rows * (rowBytes + 1), 0);
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
    out.resize(size);
    return out;
}

const Bytes kSignature = {137, 80, 78, 71, 13, 10, 26, 10};
const Bytes kPixels = Deflated(4, 16);  // 4 x 4 RGBA
const Bytes kIdat = Chunk("IDAT", kPixels);
const Bytes kIend = Chunk("IEND", {});

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
    return b;
}

Bytes Png(const Bytes& ihdr, const Bytes& idat = Bytes(16, 0)) { return Cat({kSignature, ihdr, Chunk("IDAT", idat), kIend}); }

Bytes Corpus(const char* name) {
    std::ifstream in(std::string(GRAPHICS_CORPUS_DIR) + "/" + name, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Every row is checked, then loaded from a file: only a file that passes the
// checks (and, unless said otherwise, decodes) gives pixels; the rest leave
// the out values alone. The corpus rows are inputs that once broke the decoder.
TEST(ImageDataTest, DamagedFilesAreRefusedBeforeDecoding) {
    const Bytes ok = Cat({kSignature, Ihdr(4, 4, 8, 6), kIdat, kIend});
    const char* const corpus[] = {"empty_first_idat.png", "huge_size_tiny_data.png", "idat_2gib_length.png", "rgba16_trns.png"};
    const struct { const char* name; Bytes bytes; KpImageCheck expected; bool decodes = true; } cases[] = {
        {"well formed", ok, kImageOk},
        {"empty", {}, kImageNotPng},
        {"gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}, kImageNotPng},
        {"signature only", kSignature, kImageBadChunk},
        {"no end chunk", Bytes(ok.begin(), ok.end() - 12), kImageBadChunk},
        {"truncated end chunk", Bytes(ok.begin(), ok.end() - 3), kImageBadChunk},
        {"ends inside the pixel data", Bytes(ok.begin(), ok.begin() + 33 + 8 + 4), kImageBadChunk},
        {"header CRC wrong", Cat({kSignature, Ihdr(4, 4, 8, 6, 0, 1), kIdat, kIend}), kImageBadCrc},
        {"pixel data CRC wrong", Cat({kSignature, Ihdr(4, 4, 8, 6), Chunk("IDAT", kPixels, -1, 0x100), kIend}), kImageBadCrc},
        {"end chunk CRC wrong", Cat({kSignature, Ihdr(4, 4, 8, 6), kIdat, Chunk("IEND", {}, -1, 1u << 31)}), kImageBadCrc},
        {"pixel data stream cut short", Cat({kSignature, Ihdr(4, 4, 8, 6), Chunk("IDAT", Bytes(kPixels.begin(), kPixels.end() - 6)), kIend}),
         kImageOk, false},
        // A 2 GiB IDAT length in a tiny file: the decoder would reallocate first.
        {"idat length past the end", Cat({kSignature, Ihdr(4, 4, 8, 6), Chunk("IDAT", Bytes(16, 0), 0x7ffffff0), kIend}), kImageBadChunk},
        {"chunk length above 2^31", Cat({kSignature, Ihdr(4, 4, 8, 6), Chunk("IDAT", Bytes(16, 0), 0xfffffff0u)}), kImageBadChunk},
        {"header not first", Cat({kSignature, kIdat, Ihdr(4, 4, 8, 6), kIend}), kImageBadHeader},
        {"short header", Cat({kSignature, Chunk("IHDR", Bytes(12, 1)), kIend}), kImageBadHeader},
        {"second header", Cat({kSignature, Ihdr(4, 4, 8, 6), Ihdr(4, 4, 8, 6), kIdat, kIend}), kImageBadHeader},
        {"apple variant", Cat({kSignature, Ihdr(4, 4, 8, 6), Chunk("CgBI", Bytes(4, 0)), kIdat, kIend}), kImageBadHeader},
        {"zero width", Png(Ihdr(0, 4, 8, 6)), kImageBadHeader},
        {"colour type 5", Png(Ihdr(4, 4, 8, 5)), kImageBadHeader},
        {"palette of 16 bits", Png(Ihdr(4, 4, 16, 3)), kImageBadHeader},
        {"rgb of 4 bits", Png(Ihdr(4, 4, 4, 2)), kImageBadHeader},
        {"interlace method 2", Png(Ihdr(4, 4, 8, 6, 2)), kImageBadHeader},
        {"widest", Png(Ihdr(16384, 1, 8, 0), Deflated(1, 16384)), kImageOk},
        {"too wide", Png(Ihdr(16385, 1, 8, 0)), kImageTooLarge},
        {"too tall", Png(Ihdr(1, 16385, 8, 0)), kImageTooLarge},
        {"width above 2^31", Png(Ihdr(0x80000001u, 1, 8, 0)), kImageTooLarge},
        {"16-bit rgba", Png(Ihdr(4, 4, 16, 6)), kImageSixteenBit},
        {"no pixel data", Cat({kSignature, Ihdr(4, 4, 8, 6), kIend}), kImageNoPixelData},
        {"empty first pixel data chunk", Cat({kSignature, Ihdr(4, 4, 8, 6), Chunk("IDAT", {}), kIdat, kIend}), kImageNoPixelData},
        {"huge image in a few bytes", Png(Ihdr(16384, 16384, 8, 6), Bytes(64, 0)), kImageNoPixelData},
        {corpus[0], Corpus(corpus[0]), kImageNoPixelData},
        {corpus[1], Corpus(corpus[1]), kImageNoPixelData},
        {corpus[2], Corpus(corpus[2]), kImageBadChunk},
        {corpus[3], Corpus(corpus[3]), kImageSixteenBit}};
    for (const auto& c : cases) {
        EXPECT_EQ(kpCheckPngBytes(c.bytes.data(), c.bytes.size()), c.expected) << c.name;
        const bool decodes = c.expected == kImageOk && c.decodes;
        int w = -1, h = -1, d = -1;
        unsigned char* pixels = kpDecodeImage(c.bytes.data(), c.bytes.size(), &w, &h, &d);
        EXPECT_EQ(pixels != nullptr, decodes) << c.name;
        if (!decodes) {
            EXPECT_EQ((std::vector<int>{w, h, d}), (std::vector<int>{-1, -1, -1})) << c.name << ": out values touched";
        }
        std::free(pixels);
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(GRAPHICS_CORPUS_DIR)) files += entry.path().extension() == ".png";
    EXPECT_EQ(files, static_cast<int>(std::size(corpus))) << "every kept input has its row";
}

TEST(ImageDataTest, EncoderFilesLoadWithTheirChannelCount) {
    const struct { const char* name; const char* args; int width, height, depth; } cases[] = {
        {"greyalpha.png", "-size 3x2 xc:gray50 -alpha set -channel A -evaluate set 50% +channel -define png:color-type=4", 3, 2, 2},
        {"palette.png", "-size 4x4 xc:red -fill blue -draw 'point 0,0' -define png:color-type=3", 4, 4, 3},
        {"rgb16.png", "-size 4x4 gradient:red-blue -depth 16 -define png:bit-depth=16", 0, 0, 0}};  // refused
    for (const auto& c : cases) {
        int w = 0, h = 0, d = 0;
        const std::string file = ReadFile(MakeImage(c.args, c.name));
        unsigned char* pixels = kpDecodeImage(reinterpret_cast<const unsigned char*>(file.data()), file.size(), &w, &h, &d);
        EXPECT_EQ(pixels != nullptr, c.depth != 0) << c.name;
        if (pixels) {
            EXPECT_EQ((std::vector<int>{w, h, d}), (std::vector<int>{c.width, c.height, c.depth})) << c.name;
        }
        std::free(pixels);
    }
    int w = 0, h = 0, d = 0;
    const std::string file = ReadFile(MakeImage("xc:'rgb(200,100,50)' -define png:color-type=2", "px.png"));
    unsigned char* p = kpDecodeImage(reinterpret_cast<const unsigned char*>(file.data()), file.size(), &w, &h, &d);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{200, 100, 50})) << "pixels arrive as written";
    std::free(p);
}

}  // namespace
