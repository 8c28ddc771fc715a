// A level as a map of 64 x 64 tile characters (row after row, the character
// of tile (x, y) at y * 64 + x), the same characters as the stored levels'
// texts: its coding, its hash and the rules every level must keep so that the
// game's code can build and play it. The editor, the level file reader and
// the glimmer-level tool all check a map with kp_level_Check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/game_ids.h"

constexpr int kLevelTiles = kLevelSide * kLevelSide;
constexpr int kLevelSpikeRow = kLevelSide - 2;      // the row of spikes above the bottom wall

// Limits the game's code assumes of a level (found in the level build, the
// map pass, the movers and the solver):
// - shots: a launcher fires every 120 updates and a shot crosses at most the
//   62 open columns at a tile per 4 updates (248 updates), so each launcher
//   has at most 3 shots in flight; the 251 mover records, one kept for the
//   shot that stops at a dying hero, hold the shots of 83 launchers;
// - trees and "$" pick-ups: the solver tells the lit ones apart in one
//   64-bit mask.
constexpr int kLevelMaxLaunchers = (251 - 1) / 3;
constexpr int kLevelMaxTrees = 64;

// One kind of tile of the level format: its character and its name.
struct LevelTileKind {
    char code;
    const char* name;
};
// Every tile kind a map may hold, in the palette's order.
const std::vector<LevelTileKind>& kp_level_TileKinds();
bool kp_level_IsTile(char code);

// The run-length coding of the level store (a count letter "A".."Z" = 1..26,
// "a".."z" = 27..52, then the tile character), without the spaces.
std::string kp_level_Encode(const std::string& map);
// Decodes a coded text into a map; false when it holds anything but pairs of
// a count letter and a tile character, or does not make exactly 4,096 tiles.
// Spaces between pairs, as the store has them, are skipped.
bool kp_level_Decode(const std::string& coded, std::string* map);

// The map packed for level files and links: each tile is coded as "the same
// as the tile to its left", else "the same as the one above", else its kind,
// through the adaptive range coder, which brings a level to a few hundred
// bytes. Unpack is false unless the bytes make exactly a map of tile kinds.
std::vector<unsigned char> kp_level_Pack(const std::string& map);
bool kp_level_Unpack(const unsigned char* bytes, size_t size, std::string* map);

// The level's own hash, the hash of its 4,096 tile characters as a level text
// (kp_Glimmer_LevelTextHash), which replays of it name.
uint32_t kp_level_Hash(const std::string& map);

// What is missing or wrong in a map, one line each; the tile that shows it
// (x, y), or -1, -1 when no one tile does.
struct LevelProblem {
    std::string text;
    int x = -1;
    int y = -1;
};
std::vector<LevelProblem> kp_level_Check(const std::string& map);

// A new level that keeps every rule: the walls, the spike row, a floor with
// the start, a tree and the exit.
std::string kp_level_NewMap();
