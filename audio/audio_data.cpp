#include "audio/audio_data.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "audio/vorbis_decode.h"

namespace {

// ---------------------------------------------------------------------------
// Byte sources

// A forward-only byte source with a known amount left, so that a chunk size
// can be checked against the file before anything is allocated for it.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads exactly n bytes; false (and nothing promised about out) when fewer remain.
    virtual bool Read(void* out, size_t n) = 0;
    virtual bool Skip(size_t n) = 0;
    virtual size_t Remaining() const = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {}
    bool Read(void* out, size_t n) override {
        if (n > Remaining()) return false;
        if (n) std::memcpy(out, bytes_ + pos_, n);
        pos_ += n;
        return true;
    }
    bool Skip(size_t n) override {
        if (n > Remaining()) return false;
        pos_ += n;
        return true;
    }
    size_t Remaining() const override { return size_ - pos_; }

private:
    const unsigned char* bytes_;
    size_t size_;
    size_t pos_ = 0;
};

// ---------------------------------------------------------------------------
// RIFF WAVE

constexpr int kPcmCompression = 1;
constexpr int kPcmFmtSize = 16;

// Two bytes little-endian as 0-65535; -1 when the read fails.
int readShort(ByteSource& in) {
    unsigned char b[2] = {0, 0};
    if (!in.Read(b, 2)) return -1;
    return b[0] | (b[1] << 8);
}

// Four bytes little-endian; -1 when the read fails.
int readInt(ByteSource& in) {
    unsigned char b[4] = {0, 0, 0, 0};
    if (!in.Read(b, 4)) return -1;
    uint32_t v = uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
    return static_cast<int32_t>(v);
}

// True when the next four bytes are `tag`; a failed read is no match.
struct Tag {
    char text[5] = {0, 0, 0, 0, 0};
    bool Is(const char* tag) const { return std::memcmp(text, tag, 4) == 0; }
};

bool readTag(ByteSource& in, Tag* tag) { return in.Read(tag->text, 4); }

unsigned char* ParseWAV(ByteSource& in, int* length, int* channels, int* format, int* hertz) {
    Tag tag;
    if (!readTag(in, &tag) || !tag.Is("RIFF")) return nullptr;
    readInt(in);  // RIFF size: not trusted, the chunks are bounded by the file
    if (!readTag(in, &tag) || !tag.Is("WAVE")) return nullptr;
    if (!readTag(in, &tag) || !tag.Is("fmt ")) return nullptr;

    int fmtSize = readInt(in);
    int compression = readShort(in);
    if (compression != kPcmCompression) return nullptr;
    int numChannels = readShort(in);
    int rate = readInt(in);
    readInt(in);    // byte rate
    readShort(in);  // block align
    int bits = readShort(in);
    // A fmt chunk shorter than the PCM layout would have been read into the next chunk.
    if (fmtSize < kPcmFmtSize || bits < 0) return nullptr;
    if (fmtSize > kPcmFmtSize && !in.Skip(static_cast<size_t>(fmtSize - kPcmFmtSize))) return nullptr;

    // Only layouts the device can hand to OpenAL: mono or stereo, 8 or 16 bits.
    if (numChannels < 1 || numChannels > 2) return nullptr;
    if (bits != 8 && bits != 16) return nullptr;
    if (rate <= 0) return nullptr;

    for (;;) {
        if (!readTag(in, &tag)) return nullptr;
        int size = readInt(in);
        // A negative size or one past the end of the file means a damaged file:
        // refuse it before allocating anything.
        if (size < 0 || static_cast<size_t>(size) > in.Remaining()) return nullptr;
        if (tag.Is("data")) {
            unsigned char* data = static_cast<unsigned char*>(std::malloc(size > 0 ? size : 1));
            if (!data) return nullptr;
            if (!in.Read(data, static_cast<size_t>(size))) {
                std::free(data);
                return nullptr;
            }
            int bytesPerSample = bits / 8;
            *length = size / (numChannels * bytesPerSample);
            *channels = numChannels;
            *format = bytesPerSample;
            *hertz = rate;
            return data;
        }
        // Chunks are skipped by exactly their size (no pad byte).
        if (!in.Skip(static_cast<size_t>(size))) return nullptr;
    }
}

// ---------------------------------------------------------------------------
// Ogg Vorbis

constexpr size_t kOggHeaderSize = 27;
constexpr int kOggCrcOffset = 22;
constexpr uint32_t kOggCrcPolynomial = 0x04c11db7u;
constexpr int kOggBeginOfStream = 0x02;
constexpr int kOggContinued = 0x01;
constexpr size_t kIdHeaderSize = 30;
constexpr int kMinBlockExponent = 6;   // 64 samples
constexpr int kMaxBlockExponent = 13;  // 8192 samples
constexpr int kMaxVorbisHertz = 192000;
constexpr int kVorbisHeaderCount = 3;

uint32_t Le32(const unsigned char* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

bool IsVorbisHeader(const std::vector<unsigned char>& packet, int type) {
    return packet.size() >= 7 && packet[0] == type && std::memcmp(&packet[1], "vorbis", 6) == 0;
}

bool CheckIdentification(const std::vector<unsigned char>& p, OggVorbisInfo* info) {
    if (p.size() != kIdHeaderSize || !IsVorbisHeader(p, 1)) return false;
    if (Le32(&p[7]) != 0) return false;  // version
    int numChannels = p[11];
    uint32_t rate = Le32(&p[12]);
    int bs0 = p[28] & 0x0f;
    int bs1 = p[28] >> 4;
    if (numChannels < 1 || numChannels > 2) return false;
    if (rate < 1 || rate > kMaxVorbisHertz) return false;
    if (bs0 < kMinBlockExponent || bs0 > kMaxBlockExponent) return false;
    if (bs1 < kMinBlockExponent || bs1 > kMaxBlockExponent || bs0 > bs1) return false;
    if ((p[29] & 1) == 0) return false;  // framing bit
    info->channels = numChannels;
    info->hertz = static_cast<int>(rate);
    return true;
}

bool CheckComment(const std::vector<unsigned char>& p) {
    if (!IsVorbisHeader(p, 3)) return false;
    size_t pos = 7;
    auto take = [&](size_t n) {
        if (n > p.size() - pos) return false;
        pos += n;
        return true;
    };
    if (p.size() - pos < 4) return false;
    uint32_t vendorLength = Le32(&p[pos]);
    pos += 4;
    if (!take(vendorLength) || p.size() - pos < 4) return false;
    uint32_t count = Le32(&p[pos]);
    pos += 4;
    // Each comment needs at least its 4-byte length.
    if (count > (p.size() - pos) / 4) return false;
    for (uint32_t i = 0; i < count; ++i) {
        if (p.size() - pos < 4) return false;
        uint32_t n = Le32(&p[pos]);
        pos += 4;
        if (!take(n)) return false;
    }
    return pos < p.size() && (p[pos] & 1) != 0;  // framing bit
}

unsigned char* DecodeOGG(const unsigned char* bytes, size_t size, int* length, int* channels, int* format,
                         int* hertz) {
    OggVorbisInfo info;
    if (!CheckOggVorbis(bytes, size, &info)) return nullptr;
    if (info.lastGranule > static_cast<long long>(kMaxAudioSeconds) * info.hertz) return nullptr;
    if (info.lastGranule > static_cast<long long>(kMaxAudioBytes / (2 * info.channels))) return nullptr;
    int frames = 0;
    short* samples = DecodeVorbis(bytes, size, info, &frames);
    if (!samples) return nullptr;
    *length = frames;
    *channels = info.channels;
    *format = 2;
    *hertz = info.hertz;
    return reinterpret_cast<unsigned char*>(samples);
}

}  // namespace

unsigned int OggPageChecksum(const unsigned char* page, size_t size) {
    struct Table {
        uint32_t entry[256];
        Table() {
            for (uint32_t i = 0; i < 256; ++i) {
                uint32_t r = i << 24;
                for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ kOggCrcPolynomial : (r << 1);
                entry[i] = r;
            }
        }
    };
    static const Table table;
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i) {
        unsigned char b = (i >= kOggCrcOffset && i < kOggCrcOffset + 4) ? 0 : page[i];
        crc = (crc << 8) ^ table.entry[((crc >> 24) & 0xff) ^ b];
    }
    return crc;
}

bool CheckOggVorbis(const unsigned char* bytes, size_t size, OggVorbisInfo* info) {
    std::vector<unsigned char> packets[kVorbisHeaderCount];
    int packetIndex = 0;
    bool idDone = false;
    uint32_t serial = 0;
    size_t pos = 0;
    int pageCount = 0;
    long long lastGranule = -1;
    bool open = false;  // a packet continues onto the next page

    while (pos < size) {
        if (size - pos < kOggHeaderSize) return false;
        const unsigned char* page = bytes + pos;
        if (std::memcmp(page, "OggS", 4) != 0 || page[4] != 0) return false;
        int flags = page[5];
        uint32_t pageSerial = Le32(page + 14);
        int segments = page[26];
        if (size - pos - kOggHeaderSize < static_cast<size_t>(segments)) return false;
        const unsigned char* lacing = page + kOggHeaderSize;
        size_t body = 0;
        for (int i = 0; i < segments; ++i) body += lacing[i];
        size_t pageSize = kOggHeaderSize + segments + body;
        if (pageSize > size - pos) return false;
        if (OggPageChecksum(page, pageSize) != Le32(page + kOggCrcOffset)) return false;

        // One logical stream, beginning on the first page only.
        if (pageCount == 0) {
            if (!(flags & kOggBeginOfStream)) return false;
            serial = pageSerial;
        } else if (pageSerial != serial || (flags & kOggBeginOfStream)) {
            return false;
        }
        if (((flags & kOggContinued) != 0) != open) return false;

        // Gather the header packets from the segments.
        const unsigned char* data = lacing + segments;
        for (int i = 0; i < segments; ++i) {
            if (packetIndex < kVorbisHeaderCount) {
                packets[packetIndex].insert(packets[packetIndex].end(), data, data + lacing[i]);
            }
            data += lacing[i];
            open = lacing[i] == 255;
            if (!open) ++packetIndex;
        }
        // The identification header fills the first page by itself.
        if (pageCount == 0 && (packetIndex != 1 || open)) return false;
        if (!idDone && packetIndex >= 1) {
            if (!CheckIdentification(packets[0], info)) return false;
            idDone = true;
        }
        int64_t granule = static_cast<int64_t>(uint64_t{Le32(page + 6)} | (uint64_t{Le32(page + 10)} << 32));
        if (granule != -1) lastGranule = granule;
        pos += pageSize;
        ++pageCount;
    }
    if (packetIndex < kVorbisHeaderCount) return false;
    if (!CheckComment(packets[1]) || !IsVorbisHeader(packets[2], 5)) return false;
    info->lastGranule = lastGranule;
    return true;
}

unsigned char* LoadWAVMemory(const unsigned char* bytes, size_t size, int* length, int* channels, int* format,
                             int* hertz) {
    MemorySource in(bytes, size);
    return ParseWAV(in, length, channels, format, hertz);
}

unsigned char* LoadOGGMemory(const unsigned char* bytes, size_t size, int* length, int* channels, int* format,
                             int* hertz) {
    return DecodeOGG(bytes, size, length, channels, format, hertz);
}
