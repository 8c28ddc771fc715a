// The records file: the player's best runs, kept beside the state file
// (whose text it never touches) and written atomically through the same path.
//
// A file, all numbers little-endian:
//
//   offset  size  contents
//        0     4  magic "GLRC"
//        4     1  format version (kRecordsFormat)
//        5     1  switches: bit 0 the on-screen timer shown, bit 1 the ghost hidden
//        6     4  hash of the level set the records were made on (replay_file.h)
//       10     4  best whole-game time in updates, 0 for none
//       14     1  number of levels L that follow (kRecordLevels)
//   then for each level 1..L:
//                4  best time in updates, 0 for none
//                4  fewest deaths in a completed run, kNoDeathsRecord for none
//                4  length n of the best run's replay file, 0 for none
//                n  that replay file (replay_file.h), of this level and level set
//   and last     4  CRC-32 of every byte before it
//
// A file that is not whole, not of this format or fails its checksum is
// reset; records of another level set are dropped and the switches kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kRecordsFormat = 1;
constexpr int kRecordLevels = 15;
constexpr int kNoDeathsRecord = -1;

struct LevelRecord {
    int bestUpdates = 0;
    int fewestDeaths = kNoDeathsRecord;
    std::vector<unsigned char> replay;   // the best run's replay file
};

struct GameRecords {
    bool timerShown = false;
    bool ghostShown = true;
    uint32_t levelSet = 0;
    int bestGameUpdates = 0;
    LevelRecord levels[kRecordLevels];
};

// What reading a records file found.
enum RecordsRead {
    kRecordsLoaded,        // all of it
    kRecordsOtherLevels,   // made on another level set: the switches only
    kRecordsInvalid,       // damaged or not a records file: nothing
};

std::vector<unsigned char> kp_records_Encode(const GameRecords& records);
// Reads a file over fresh records for `levelSet`.
RecordsRead kp_records_Decode(const unsigned char* bytes, size_t size, uint32_t levelSet, GameRecords* out);
