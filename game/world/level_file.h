// Level files (".glimmer-level"): one level made by a player or exported from
// the game, with its name, its maker and, once proved, the run that clears
// it. Whoever opens a file plays the proof again before trusting it.
//
// A file, all numbers little-endian:
//
//   offset  size  contents
//        0     4  magic "GLLV"
//        4     1  format version (kLevelFormat)
//        5     4  the level's hash (kp_level_Hash of its map)
//        9     1  length a of the name, 1..kLevelNameBytes
//       10     a  the name: printable ASCII
//               1  length b of the maker's name, 0..kLevelNameBytes
//               b  the maker's name: printable ASCII
//               2  length c of the packed map
//               c  the map, packed (kp_level_Pack, level_map.h)
//               2  length d of the proof, 0 when unproved
//               d  the proof: a replay file (replay_file.h) of level 0, a level
//                  known by its hash, whose level hash is this level's
//               4  CRC-32 of every byte before it
//
// Links carry the same bytes in the URL-safe base64 of replay links.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kLevelFormat = 1;
constexpr int kLevelNameBytes = 32;
constexpr size_t kLevelFileMaxBytes = 64 * 1024;    // far beyond any real level: a bigger file is refused unread
constexpr const char* kLevelFileExtension = ".glimmer-level";
constexpr const char* kLevelLinkKey = "level=";
constexpr int kLevelProofMaxUpdates = 10 * 60 * 60;   // ten minutes: playing it again takes a moment, never longer

struct LevelFile {
    std::string name;
    std::string maker;
    std::string map;                        // 4,096 tile characters
    std::vector<unsigned char> proof;       // a replay file, or empty
};

std::vector<unsigned char> kp_levelfile_Encode(const LevelFile& level);
// Reads a level file; false with a one-line reason for anything that is not a
// whole, unedited file of this format whose map keeps the rules (level_map.h)
// and whose proof, if any, is a replay of this level of at most ten minutes.
// Playing the proof needs the game. A draft (the editor's unfinished work)
// may break the map's rules.
bool kp_levelfile_Decode(const unsigned char* bytes, size_t size, LevelFile* out, std::string* why, bool draft = false);

// A name as the game keeps it: printable ASCII, at most kLevelNameBytes.
std::string kp_levelfile_CleanName(const std::string& text);
// A file name for a level: its name in lower case letters, digits and dashes.
std::string kp_levelfile_FileName(const std::string& name);
