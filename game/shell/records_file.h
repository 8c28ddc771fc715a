// The records file: the player's best runs, kept beside the state file
// (whose text it never touches) and written atomically through the same path.
// Runs played at a slower game speed (the assist) are records of their own
// kind, kept apart from the others and never compared with them.
//
// A file of format 3 (the one written), all numbers little-endian:
//
//   offset  size  contents
//        0     4  magic "GLRC"
//        4     1  format version, 3
//        5     1  switches: bit 0 the on-screen timer shown, bit 1 the ghost hidden
//        6     4  best whole-game time in updates, 0 for none
//       10     4  hash of the level set that time was made on (level_hash.h)
//       14     4  best whole-game time of an assisted game, 0 for none
//       18     4  hash of the level set that time was made on
//       22     1  the slowest game speed of that game, in percent
//       23     1  number of rows R, one for each level and kind with a record
//       24     4  CRC-32 of bytes 0..23
//   then R rows of 26 bytes:
//                1  level, 1..15
//                1  game speed in percent: 100 a record of normal speed, 50..90
//                   an assisted one (of its best run's speed)
//                4  hash of the level's stored text the record was made on
//                4  best time in updates, 0 for none
//                4  fewest deaths in a completed run, kNoDeathsRecord for none
//                4  offset of the best run's replay file in this file
//                4  its length, 0 when the run was longer than a replay holds
//                4  CRC-32 of the row's other 22 bytes
//   then the replay files at their offsets (replay_file.h), each with its own CRC-32.
//
// Each row stands on its own: a damaged row or run, a run that is not of its
// level, time or kind, or a record of a level that has changed since is
// dropped alone, with a line naming it; the others are kept. A file whose
// header is not whole is no records file.
//
// Format 2, still read, had no assisted records: a 15-byte header (no
// assisted game) and rows of 21 bytes without the speed. Format 1, still
// read, named one hash for the whole level set after the switches and held
// all fifteen levels in order (best time, fewest deaths, run length and run),
// with one CRC-32 at the end; its records of levels that are the same in this
// game are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/game_ids.h"

constexpr int kRecordsFormat = 3;
constexpr int kRecordLevels = kLevelCount;
constexpr int kNoDeathsRecord = -1;

struct LevelRecord {
    uint32_t levelHash = 0;              // of the level the record was made on
    int bestUpdates = 0;
    int fewestDeaths = kNoDeathsRecord;
    std::vector<unsigned char> replay;   // the best run's replay file; empty when it was too long to keep
    int speed = 100;                     // of the best run: 100, or 50..90 for an assisted record
};

struct GameRecords {
    bool timerShown = false;
    bool ghostShown = true;
    int bestGameUpdates = 0;
    uint32_t gameLevelSet = 0;           // the level set the whole-game time was made on
    LevelRecord levels[kRecordLevels];
    // Assisted games and runs, apart.
    int bestAssistedGameUpdates = 0;
    uint32_t assistedGameLevelSet = 0;
    int assistedGameSpeed = 100;
    LevelRecord assisted[kRecordLevels];
};

// What reading a records file found.
struct RecordsRead {
    bool valid = false;                  // false: damaged or not a records file, nothing read
    std::vector<std::string> dropped;    // a line on each record left out: "level 5: ..."
};

std::vector<unsigned char> kp_records_Encode(const GameRecords& records);
// Reads a file over fresh records, keeping what is whole and of these levels.
RecordsRead kp_records_Decode(const unsigned char* bytes, size_t size, GameRecords* out);
