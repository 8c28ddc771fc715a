// Replay files: one run through one level, as the game keys held at each
// update from the level's first update to the one in which Pipkin steps onto
// the open exit. The game's update is a pure function of those keys, so the
// run can be watched, raced as a ghost and verified by playing it again.
//
// A file, all numbers little-endian:
//
//   offset  size  contents
//        0     4  magic "GLRP"
//        4     1  format version (kReplayFormat)
//        5     3  game version: major, minor, patch
//        8     4  hash of the level set (the stored texts of levels 1..15), or
//                 for level 0 the hash of the player's level it was played on
//       12     1  level, 1..15, or 0 for a player's level
//       13     1  jump scheme: 1 one button, 2 two buttons
//       14     4  number of updates, 1..kReplayMaxUpdates
//       18     4  hash of the round's state after the last update
//       22     4  length n of the key runs
//       26     n  the key runs (below)
//   26 + n     4  CRC-32 (as in PNG and zip) of every byte before it
//
// Key runs: the keys of each update as one byte (ReplayKey bits), coded as
// runs of updates with the same keys. Each run's key byte and length go
// through an adaptive binary range coder: a key bit is predicted from the
// same bit in the two runs before, a length from the lengths seen so far,
// which brings a minute of play to a few hundred bytes. The runs add up to
// the number of updates exactly.
//
// Links carry the same bytes in the URL-safe base64 alphabet (A-Z a-z 0-9 - _),
// without padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kReplayFormat = 1;
constexpr int kReplayHeaderBytes = 26;
constexpr int kReplayLevels = 15;
constexpr int kReplayMaxUpdates = 60 * 60 * 60;       // an hour
constexpr size_t kReplayMaxBytes = 1 << 20;

// The game keys of one update, as bits; the first seven are those of the
// solver's scripts (tools/solver/input_script.h).
enum ReplayKey : unsigned {
    kReplayLeft = 1u << 0,
    kReplayRight = 1u << 1,
    kReplayUp = 1u << 2,
    kReplayDown = 1u << 3,
    kReplayGrip = 1u << 4,
    kReplayJump1 = 1u << 5,
    kReplayJump2 = 1u << 6,
    kReplayOther = 1u << 7,   // any other game key: it keeps the hero's turn latch
};

struct ReplayRun {
    unsigned keys = 0;
    int updates = 0;
};

struct Replay {
    int gameVersion[3] = {0, 0, 0};
    uint32_t levelSet = 0;
    int level = 0;
    int scheme = 1;
    int updates = 0;                  // the sum of the runs' updates
    uint32_t finalState = 0;
    std::vector<ReplayRun> runs;

    void Append(unsigned keys, int updates = 1);   // merges with the last run when the keys match
};

// Adds updates with these keys to runs, merging with the last run when its keys match.
void kp_replay_AppendRun(std::vector<ReplayRun>* runs, unsigned keys, int updates);
std::vector<unsigned char> kp_replay_Encode(const Replay& replay);
// Reads a replay file; false with a one-line reason for anything that is not
// a whole, unedited file of this format.
bool kp_replay_Decode(const unsigned char* bytes, size_t size, Replay* out, std::string* why);

std::string kp_replay_LinkText(const std::vector<unsigned char>& bytes);    // URL-safe base64
bool kp_replay_FromLinkText(const std::string& text, std::vector<unsigned char>* bytes);

uint32_t kp_replay_Crc32(const unsigned char* bytes, size_t size);
// Time in updates as "m:ss.cc" (hundredths of a second at 60 updates a second).
std::string kp_replay_TimeText(int updates);
