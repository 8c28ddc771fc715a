#include "server/board_key.h"

#include <cstdio>

uint32_t kp_scores_LevelTextHash(const std::vector<uint16_t>& text) {
    uint32_t hash = 2166136261u;
    auto add = [&hash](uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            hash ^= (value >> (8 * i)) & 0xffu;
            hash *= 16777619u;
        }
    };
    add(static_cast<uint32_t>(text.size()));
    for (uint16_t unit : text) add(unit);
    return hash;
}

uint32_t kp_scores_BoardOfReplay(const Replay& replay, const std::vector<uint32_t>& levelHashes) {
    if (replay.level < 1 || replay.level > static_cast<int>(levelHashes.size())) return 0;
    return levelHashes[static_cast<size_t>(replay.level - 1)];
}

std::string kp_scores_BoardText(uint32_t board) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", board);
    return text;
}

bool kp_scores_ParseBoard(const std::string& text, uint32_t* board) {
    if (text.size() != 8) return false;
    uint32_t value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (digit < 0) return false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    *board = value;
    return true;
}
