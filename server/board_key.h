// Boards are keyed by the hash of their level's own text: a release that
// leaves a level's text unchanged keeps its board, one that changes it opens
// a new board. Board keys travel as 8 lower-case hex digits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/world/replay_file.h"

// The hash of a level's stored text (FNV-1a over its length and its characters,
// as the level set's hash takes each level).
uint32_t kp_scores_LevelTextHash(const std::vector<uint16_t>& text);
// The board a run recorded on this build's levels belongs to: the hash of
// the replay's level, looked up in `levelHashes` (level n at n - 1).
uint32_t kp_scores_BoardOfReplay(const Replay& replay, const std::vector<uint32_t>& levelHashes);
std::string kp_scores_BoardText(uint32_t board);
bool kp_scores_ParseBoard(const std::string& text, uint32_t* board);
