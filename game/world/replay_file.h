// Replay files: one run through one level, as the game keys held at each
// update from the level's first update to the one in which Pipkin steps onto
// the open exit. The game's update is a pure function of those keys, so the
// run can be watched, raced as a ghost and verified by playing it again.
//
// A file of format 2 (the one written), all numbers little-endian:
//
//   offset  size  contents
//        0     4  magic "GLRP"
//        4     1  format version, 2
//        5     3  game version: major, minor, patch
//        8     4  hash of the level's stored text (game/world/level_hash.h)
//       12     1  level, 1..15; 0 for a level known by its hash alone
//       13     1  jump scheme: 1 one button, 2 two buttons
//       14     1  game speed in percent: 100 the normal speed; 50, 60, 70, 80
//                 or 90 a run played with the game-speed assist. The round is
//                 the same at every speed (its keys are those of its own
//                 updates); a slower game runs it in fewer of the host's
//                 updates (game/world/assists.cpp), so the speed changes how
//                 much time a player has, not what the keys do. An assisted
//                 run is a record of its own kind, never mixed with the others.
//       15     4  number of updates, 1..kReplayMaxUpdates
//       19     4  final state: the round's state hash after the last update,
//                 sealed with the scheme and the speed (kp_replay_SealState)
//       23     4  length n of the key runs
//       27     n  the key runs (below)
//   27 + n     4  CRC-32 (as in PNG and zip) of every byte before it
//
// Format 1, still read, named the whole level set and had no speed: at 8 the
// hash of levels 1..15 together, 12 level, 13 scheme, 14 updates, 18 the
// round's final state hash (scheme unsealed), 22 n, 26 the runs, then the CRC.
//
// Key runs: the keys of each update as one byte (ReplayKey bits), coded as
// runs of updates with the same keys. Each run's key byte and length go
// through an adaptive binary range coder: a key bit is predicted from the
// same bit in the two runs before, a length from the lengths seen so far,
// which brings a minute of play to a few hundred bytes. A run is at most
// kReplayMaxRun updates long; a longer stretch of the same keys is written as
// several runs. The runs add up to the number of updates exactly.
//
// Links carry the same bytes in the URL-safe base64 alphabet (A-Z a-z 0-9 - _),
// without padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr int kReplayFormat = 2;                        // written; format 1 is read too
constexpr int kReplayLevels = 15;
constexpr int kReplayNormalSpeed = 100;
constexpr int kReplaySlowestSpeed = 50;                 // speeds go in steps of 10
constexpr int kReplayMaxUpdates = 24 * 60 * 60 * 60;    // a day of play
constexpr int kReplayMaxRun = (1 << 18) - 1;            // updates in one coded run
constexpr size_t kReplayMaxBodyBytes = 4u << 20;        // key runs; a day of play takes well under 1 MiB
constexpr size_t kReplayMaxFileBytes = 27 + kReplayMaxBodyBytes + 4;

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
    int format = kReplayFormat;
    int gameVersion[3] = {0, 0, 0};
    uint32_t levelHash = 0;           // format 2: the level's own hash
    uint32_t levelSet = 0;            // format 1: the hash of levels 1..15 together
    int level = 0;
    int scheme = 1;
    int speed = kReplayNormalSpeed;
    int updates = 0;                  // the sum of the runs' updates
    uint32_t finalState = 0;          // as sealed by kp_replay_SealState
    std::vector<ReplayRun> runs;

    void Append(unsigned keys, int updates = 1);   // merges with the last run when the keys match
};

// Adds updates with these keys to runs, merging with the last run when its keys match.
void kp_replay_AppendRun(std::vector<ReplayRun>* runs, unsigned keys, int updates);
// The file of a replay in its format (1 or 2); empty for a replay no file can
// hold (more than kReplayMaxUpdates updates, or key runs over kReplayMaxBodyBytes).
std::vector<unsigned char> kp_replay_Encode(const Replay& replay);
// Reads a replay file; false with a one-line reason for anything that is not
// a whole, unedited file of a format this game reads.
bool kp_replay_Decode(const unsigned char* bytes, size_t size, Replay* out, std::string* why);
// The same without the key runs, which a ReplayReader then decodes a few at a time.
bool kp_replay_DecodeHeader(const unsigned char* bytes, size_t size, Replay* out, std::string* why);

// The key runs of a file whose header was read, one run at a time, so that a
// long run never has to be decoded at once.
class ReplayReader {
public:
    // Over a whole file whose header kp_replay_DecodeHeader read into `header`;
    // the bytes are the caller's and must outlive the reader.
    ReplayReader(const unsigned char* bytes, const Replay& header);
    ~ReplayReader();
    // The next run; false at the end or when the runs do not add up (Damaged()).
    bool Next(ReplayRun* run);
    bool Damaged() const { return damaged_; }
    int Updates() const { return total_; }   // of the runs read so far

private:
    struct State;
    std::unique_ptr<State> state_;
    int updates_ = 0;
    int total_ = 0;
    bool damaged_ = false;
};

// The final state a replay records for the round's state hash: format 2
// seals the jump scheme and the speed into it, so that an edit of either
// fails verification; format 1 kept the round's hash as it was.
uint32_t kp_replay_SealState(uint32_t roundState, const Replay& replay);
// A speed this game plays: 50 to 100 in steps of 10.
bool kp_replay_KnownSpeed(int speed);

std::string kp_replay_LinkText(const std::vector<unsigned char>& bytes);    // URL-safe base64
bool kp_replay_FromLinkText(const std::string& text, std::vector<unsigned char>* bytes);

uint32_t kp_replay_Crc32(const unsigned char* bytes, size_t size);
// Time in updates as "m:ss.cc" (hundredths of a second at 60 updates a second).
std::string kp_replay_TimeText(int updates);
