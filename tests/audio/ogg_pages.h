// Rewrites the checksum of every Ogg page, so that damage inside a page is
// judged by the header checks and the decoder, as a crafted file would be,
// and not merely refused for its checksum.
#pragma once

#include <cstring>
#include <vector>

#include "audio/audio_data.h"

inline void ResealOggPages(std::vector<unsigned char>& b) {
    size_t pos = 0;
    while (pos + 27 <= b.size() && std::memcmp(&b[pos], "OggS", 4) == 0) {
        const size_t segments = b[pos + 26];
        size_t size = 27 + segments;
        for (size_t i = 0; i < segments && pos + 27 + i < b.size(); ++i) size += b[pos + 27 + i];
        if (pos + size > b.size()) return;
        const unsigned crc = OggPageChecksum(&b[pos], size);
        for (int i = 0; i < 4; ++i) b[pos + 22 + i] = static_cast<unsigned char>(crc >> (8 * i));
        pos += size;
    }
}
