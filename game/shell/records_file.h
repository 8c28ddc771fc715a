// The records file: the player's best runs, kept beside the state file
// (whose text it never touches) and written atomically through the same path.
//
// A file of format 2 (the one written), all numbers little-endian:
//
//   offset  size  contents
//        0     4  magic "GLRC"
//        4     1  format version, 2
//        5     1  switches: bit 0 the on-screen timer shown, bit 1 the ghost hidden
//        6     4  best whole-game time in updates, 0 for none
//       10     4  hash of the level set that time was made on (level_hash.h)
//       14     1  number of rows R, one for each level with a record
//       15     4  CRC-32 of bytes 0..14
//   then R rows of 25 bytes:
//                1  level, 1..15
//                4  hash of the level's stored text the record was made on
//                4  best time in updates, 0 for none
//                4  fewest deaths in a completed run, kNoDeathsRecord for none
//                4  offset of the best run's replay file in this file
//                4  its length, 0 when the run was longer than a replay holds
//                4  CRC-32 of the row's other 21 bytes
//   then the replay files at their offsets (replay_file.h), each with its own CRC-32.
//
// Each row stands on its own: a damaged row or run, a run that is not of its
// level or time, or a record of a level that has changed since is dropped
// alone, with a line naming it; the others are kept. A file whose first 19
// bytes are not whole is no records file.
//
// Format 1, still read, named one hash for the whole level set after the
// switches and held all fifteen levels in order (best time, fewest deaths,
// run length and run), with one CRC-32 at the end; its records of levels
// that are the same in this game are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/game_ids.h"

constexpr int kRecordsFormat = 2;
constexpr int kRecordLevels = kLevelCount;
constexpr int kNoDeathsRecord = -1;

struct LevelRecord {
    uint32_t levelHash = 0;              // of the level the record was made on
    int bestUpdates = 0;
    int fewestDeaths = kNoDeathsRecord;
    std::vector<unsigned char> replay;   // the best run's replay file; empty when it was too long to keep
};

struct GameRecords {
    bool timerShown = false;
    bool ghostShown = true;
    int bestGameUpdates = 0;
    uint32_t gameLevelSet = 0;           // the level set the whole-game time was made on
    LevelRecord levels[kRecordLevels];
};

// What reading a records file found.
struct RecordsRead {
    bool valid = false;                  // false: damaged or not a records file, nothing read
    std::vector<std::string> dropped;    // a line on each record left out: "level 5: ..."
};

std::vector<unsigned char> kp_records_Encode(const GameRecords& records);
// Reads a file over fresh records, keeping what is whole and of these levels.
RecordsRead kp_records_Decode(const unsigned char* bytes, size_t size, GameRecords* out);
