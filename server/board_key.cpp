#include "server/board_key.h"

#include <cstdio>

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
