// Boards are keyed by the hash of their level's own text (the game's
// kp_Glimmer_LevelHash): a release that leaves a level's text unchanged keeps
// its board, one that changes it opens a new board. Board keys travel as 8
// lower-case hex digits.
#pragma once

#include <cstdint>
#include <string>

std::string kp_scores_BoardText(uint32_t board);
bool kp_scores_ParseBoard(const std::string& text, uint32_t* board);
