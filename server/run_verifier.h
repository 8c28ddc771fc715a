// A run judged by the game itself: the replay checked by the game's own
// p_CheckReplay, which reads it, refuses a level or a speed it cannot play
// and plays its keys through the game's round without picture or sound. The
// game is one application per process and single-threaded: a RunVerifier is
// made once, and made and used on one thread only (the verification queue's).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/world/replay_file.h"

class c_MyApp;
class KpHeadlessGame;

struct RunVerdict {
    bool valid = false;
    std::string reason;        // why a run was refused, or what a valid one does
    uint32_t board = 0;        // the board the run belongs to: its level's hash (0 when unknown)
    int level = 0;             // this build's number of that level (0 when none)
    int updates = 0;
    int scheme = 1;
    std::string gameVersion;   // of the build that recorded it, "major.minor.patch"
    double cpuMillis = 0;      // the verifier thread's CPU time spent on it
};

class RunVerifier {
public:
    RunVerifier();   // boots the game (once per process)
    RunVerifier(const RunVerifier&) = delete;
    RunVerifier& operator=(const RunVerifier&) = delete;

    // This build's level hashes, level n at n - 1.
    const std::vector<uint32_t>& LevelHashes() const { return levelHashes_; }
    // Judges a replay; its board is its level's hash. With `storedBoard` (a
    // run accepted before) a run of another board is refused too.
    RunVerdict Check(const std::vector<unsigned char>& bytes, std::optional<uint32_t> storedBoard = std::nullopt);

    // The game and its host, for the benchmark's measure of plain updates.
    c_MyApp& App();
    KpHeadlessGame& Host();

private:
    std::vector<uint32_t> levelHashes_;
};

// Boards take runs of at most an hour: longer ones (a replay may hold a day)
// are refused from their header, before they cost any verification.
constexpr int kBoardMaxUpdates = 60 * 60 * 60;

// The verifying build's identity, kept with every run it accepts or refuses.
const char* kp_scores_BuildId();
