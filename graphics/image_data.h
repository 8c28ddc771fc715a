// Image decoding for surfaces: checks on untrusted image bytes, then stb_image.
//
// Only PNG files are accepted. Before anything is decoded the bytes must pass
// CheckPngBytes, which verifies every chunk's CRC up to IEND and bounds every
// length and size the decoder would trust. Bytes only: the host reads files
// (KpGame::LoadFileBytes), the renderer's surfaces decode them here.
#pragma once

#include <cstddef>

// Largest accepted width or height, and largest accepted pixel count.
constexpr int kMaxImageSide = 16384;
constexpr long long kMaxImagePixels = 256LL * 1024 * 1024;
// Largest image file read into memory.
constexpr long long kMaxImageFileBytes = 256LL * 1024 * 1024;

// Why a byte block was refused; kImageOk when it may be decoded.
enum KpImageCheck {
    kImageOk = 0,
    kImageNotPng,          // no PNG signature (GIF, JPEG, text, empty, ...)
    kImageBadChunk,        // a chunk runs past the end, or the file ends before IEND
    kImageBadHeader,       // IHDR missing, not first, or with invalid fields
    kImageTooLarge,        // width, height or pixel count above the limits
    kImageSixteenBit,      // 16 bits per sample: refused
    kImageNoPixelData,     // no IDAT, an empty IDAT, or too few compressed bytes for the stated size
    kImageBadCrc,          // a chunk's CRC does not match its type and data
};

// Checks a complete PNG file held in memory. Never reads outside [bytes, bytes + length).
KpImageCheck kpCheckPngBytes(const unsigned char* bytes, size_t length);

// Checks and decodes an image held in memory, keeping the file's channel count.
// Returns a malloc'd block of width * height * depth bytes (rows top to bottom)
// or null; the out values are written only on success.
unsigned char* kpDecodeImage(const unsigned char* bytes, size_t length, int* width, int* height, int* depth);
