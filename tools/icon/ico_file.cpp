#include "tools/icon/ico_file.h"

#include <stb/stb_image_write.h>

#include <cstdint>

namespace {

constexpr int kLargestBitmap = 48;
constexpr int kLargestIcon = 256;
constexpr uint32_t kHeaderBytes = 6;
constexpr uint32_t kEntryBytes = 16;
constexpr uint32_t kBitmapInfoBytes = 40;
constexpr int kChannels = 4;

void Put16(std::vector<unsigned char>* out, uint32_t v) {
    out->push_back(static_cast<unsigned char>(v));
    out->push_back(static_cast<unsigned char>(v >> 8));
}

void Put32(std::vector<unsigned char>* out, uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

// A bitmap entry: the header (with twice the height, as icons count the
// mask), BGRA rows bottom to top, then the 1-bit mask (all opaque: the
// alpha channel decides).
std::vector<unsigned char> BitmapEntry(const IconImage& image) {
    const int size = image.size;
    const uint32_t maskRow = static_cast<uint32_t>((size + 31) / 32 * 4);
    std::vector<unsigned char> out;
    Put32(&out, kBitmapInfoBytes);
    Put32(&out, static_cast<uint32_t>(size));
    Put32(&out, static_cast<uint32_t>(size * 2));
    Put16(&out, 1);   // planes
    Put16(&out, 32);  // bits per pixel
    for (int i = 0; i < 6; ++i) Put32(&out, 0);  // no compression; sizes and palette unused
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const unsigned char* p = image.Pixel(x, y);
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    out.insert(out.end(), maskRow * static_cast<uint32_t>(size), 0);
    return out;
}

std::vector<unsigned char> PngEntry(const IconImage& image) {
    std::vector<unsigned char> out;
    auto append = [](void* context, void* data, int size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        static_cast<std::vector<unsigned char>*>(context)->insert(
            static_cast<std::vector<unsigned char>*>(context)->end(), bytes, bytes + size);
    };
    if (!stbi_write_png_to_func(append, &out, image.size, image.size, kChannels, image.rgba.data(),
                                image.size * kChannels)) {
        return {};
    }
    return out;
}

}  // namespace

std::vector<unsigned char> EncodeIco(const std::vector<IconImage>& images) {
    std::vector<std::vector<unsigned char>> entries;
    for (const IconImage& image : images) {
        if (image.size < 1 || image.size > kLargestIcon) return {};
        entries.push_back(image.size <= kLargestBitmap ? BitmapEntry(image) : PngEntry(image));
        if (entries.back().empty()) return {};
    }
    std::vector<unsigned char> out;
    Put16(&out, 0);
    Put16(&out, 1);  // an icon, not a cursor
    Put16(&out, static_cast<uint32_t>(images.size()));
    uint32_t offset = kHeaderBytes + kEntryBytes * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const unsigned char side = static_cast<unsigned char>(images[i].size % kLargestIcon);  // 0 means 256
        out.insert(out.end(), {side, side, 0, 0});  // width, height, no palette, reserved
        Put16(&out, 1);   // planes
        Put16(&out, 32);  // bits per pixel
        Put32(&out, static_cast<uint32_t>(entries[i].size()));
        Put32(&out, offset);
        offset += static_cast<uint32_t>(entries[i].size());
    }
    for (const std::vector<unsigned char>& entry : entries) out.insert(out.end(), entry.begin(), entry.end());
    return out;
}
