#include "graphics/image_data.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The decoder is built here only, for PNG only: every other format reader of
// this stb_image version is left out of the program.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 16384
#include <stb/stb_image.h>

namespace {

constexpr unsigned char kPngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr size_t kChunkOverhead = 12;  // length, type, CRC
constexpr uint32_t kMaxChunkLength = 0x7fffffffu;
constexpr uint32_t kIhdrLength = 13;
// Deflate cannot expand data by more than about 1032:1, so fewer compressed
// bytes than this cannot hold the stated image; refusing them stops a tiny file
// from making the decoder allocate the full image first.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kDeflateSlack = 1024;

constexpr uint32_t ChunkType(char a, char b, char c, char d) {
    return (uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) | (uint32_t(uint8_t(c)) << 8) |
           uint32_t(uint8_t(d));
}

uint32_t ReadBe32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// The CRC-32 every PNG chunk carries over its type and data (the reflected
// polynomial 0xedb88320, as in zlib).
struct CrcTable {
    uint32_t entries[256] = {};
    constexpr CrcTable() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
    }
};
constexpr CrcTable kCrcTable;

uint32_t ChunkCrc(const unsigned char* typeAndData, size_t length) {
    uint32_t c = 0xffffffffu;
    for (size_t i = 0; i < length; ++i) c = kCrcTable.entries[(c ^ typeAndData[i]) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

// Samples per pixel for a PNG colour type, 0 for an invalid type.
int SamplesPerPixel(int colourType) {
    switch (colourType) {
        case 0: return 1;  // grey
        case 2: return 3;  // RGB
        case 3: return 1;  // palette index
        case 4: return 2;  // grey + alpha
        case 6: return 4;  // RGBA
        default: return 0;
    }
}

bool ValidBitDepth(int colourType, int bitDepth) {
    switch (colourType) {
        case 0: return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
        case 3: return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
        case 2:
        case 4:
        case 6: return bitDepth == 8 || bitDepth == 16;
        default: return false;
    }
}

}  // namespace

KpImageCheck kpCheckPngBytes(const unsigned char* bytes, size_t length) {
    if (!bytes || length < sizeof(kPngSignature) || std::memcmp(bytes, kPngSignature, sizeof(kPngSignature)) != 0) {
        return kImageNotPng;
    }
    size_t pos = sizeof(kPngSignature);
    bool first = true;
    uint64_t rawBytes = 0;
    uint64_t idatBytes = 0;
    for (;;) {
        if (length - pos < kChunkOverhead) return kImageBadChunk;
        const uint32_t chunkLength = ReadBe32(bytes + pos);
        const uint32_t type = ReadBe32(bytes + pos + 4);
        if (chunkLength > kMaxChunkLength || chunkLength > length - pos - kChunkOverhead) return kImageBadChunk;
        const unsigned char* data = bytes + pos + 8;
        if (ChunkCrc(bytes + pos + 4, 4 + size_t(chunkLength)) != ReadBe32(data + chunkLength)) return kImageBadCrc;
        if (first) {
            if (type != ChunkType('I', 'H', 'D', 'R') || chunkLength != kIhdrLength) return kImageBadHeader;
            const uint32_t width = ReadBe32(data);
            const uint32_t height = ReadBe32(data + 4);
            const int bitDepth = data[8];
            const int colourType = data[9];
            if (width == 0 || height == 0 || !ValidBitDepth(colourType, bitDepth) || data[10] != 0 ||
                data[11] != 0 || data[12] > 1) {
                return kImageBadHeader;
            }
            if (width > uint32_t(kMaxImageSide) || height > uint32_t(kMaxImageSide) ||
                uint64_t(width) * height > uint64_t(kMaxImagePixels)) {
                return kImageTooLarge;
            }
            if (bitDepth == 16) return kImageSixteenBit;
            const uint64_t rowBytes = (uint64_t(width) * SamplesPerPixel(colourType) * bitDepth + 7) / 8;
            rawBytes = (rowBytes + 1) * height;  // one filter byte per row
            first = false;
        } else if (type == ChunkType('I', 'H', 'D', 'R') || type == ChunkType('C', 'g', 'B', 'I')) {
            // A second header, or the non-standard Apple variant the decoder would also accept.
            return kImageBadHeader;
        } else if (type == ChunkType('I', 'D', 'A', 'T')) {
            // The decoder copies an empty first IDAT from a null buffer; encoders never write one.
            if (chunkLength == 0) return kImageNoPixelData;
            idatBytes += chunkLength;
        }
        pos += kChunkOverhead + chunkLength;
        if (type == ChunkType('I', 'E', 'N', 'D')) break;
    }
    if (idatBytes == 0 || idatBytes * kMaxDeflateRatio + kDeflateSlack < rawBytes) return kImageNoPixelData;
    return kImageOk;
}

unsigned char* kpDecodeImage(const unsigned char* bytes, size_t length, int* width, int* height, int* depth) {
    if (kpCheckPngBytes(bytes, length) != kImageOk) return nullptr;
    int w = 0;
    int h = 0;
    int n = 0;
    unsigned char* pixels = stbi_load_from_memory(bytes, static_cast<int>(length), &w, &h, &n, 0);
    if (!pixels) return nullptr;
    if (w < 1 || h < 1 || n < 1 || n > 4) {
        stbi_image_free(pixels);
        return nullptr;
    }
    *width = w;
    *height = h;
    *depth = n;
    return pixels;
}
