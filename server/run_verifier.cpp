#include "server/run_verifier.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>

#include "framework/program.h"
#include "game/shell/my_app.h"
#include "game/world/level_hash.h"
#include "host/headless/game.h"
#include "runtime/gc.h"
#include "server/board_key.h"

#ifndef GLIMMER_SCORES_BUILD
#define GLIMMER_SCORES_BUILD "unknown"
#endif

namespace {

double ThreadCpuMillis() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// The one game of the process, on a windowless host whose state file lies in
// a private folder: nothing of a player's is read, nothing is loaded.
struct OneGame {
    KpHeadlessGame* host = nullptr;
    c_MyApp* app = nullptr;
};

OneGame& Game() {
    static OneGame game = [] {
        setenv("ALSOFT_DRIVERS", "null", 0);
        OneGame made;
        made.host = new KpHeadlessGame();
        made.host->UsePrivateFolder("scores");
        kp_std_main(0, nullptr);
        made.app = static_cast<c_MyApp*>(kp_app__app);
        made.host->Start();
        made.app->m_loadStep = 0;
        return made;
    }();
    return game;
}

}  // namespace

const char* kp_scores_BuildId() { return "glimmer-scores " GLIMMER_SCORES_BUILD; }

RunVerifier::RunVerifier() {
    Game();
    for (int n = 1; n <= kLevelCount; ++n) levelHashes_.push_back(kp_Glimmer_LevelHash(n));
}

c_MyApp& RunVerifier::App() { return *Game().app; }

KpHeadlessGame& RunVerifier::Host() { return *Game().host; }

RunVerdict RunVerifier::Check(const std::vector<unsigned char>& bytes, std::optional<uint32_t> storedBoard) {
    const double start = ThreadCpuMillis();
    RunVerdict verdict;
    Replay header;
    std::string why;
    if (!kp_replay_DecodeHeader(bytes.data(), bytes.size(), &header, &why)) {
        verdict.reason = why;
        return verdict;
    }
    verdict.updates = header.updates;
    verdict.scheme = header.scheme;
    verdict.gameVersion = std::to_string(header.gameVersion[0]) + "." + std::to_string(header.gameVersion[1]) + "." +
                          std::to_string(header.gameVersion[2]);
    if (header.updates > kBoardMaxUpdates) {
        verdict.reason = "longer than the hour a board takes (" + std::to_string(header.updates) + " updates)";
        return verdict;
    }
    // An assisted run (its header's speed byte below 100) is a record of its
    // own kind, never mixed with the others: these boards take normal speed alone.
    if (header.speed != kReplayNormalSpeed) {
        verdict.reason = "an assisted run, played at " + std::to_string(header.speed) +
                         " % of the normal speed: these boards keep runs of normal speed alone";
        return verdict;
    }
    Replay replay;
    bool valid = false;
    const std::string line = Game().app->p_CheckReplay(bytes, &replay, &valid).ToUtf8();
    gc_collect();
    verdict.cpuMillis = ThreadCpuMillis() - start;
    verdict.reason = line.compare(0, 9, "refused: ") == 0 ? line.substr(9) : line;
    if (!valid) return verdict;
    // A run that verifies plays this build's level of its number, whose hash its header names.
    verdict.level = replay.level;
    verdict.board = levelHashes_.at(static_cast<size_t>(replay.level - 1));
    if (storedBoard && *storedBoard != verdict.board) {
        verdict.reason = "it plays level " + std::to_string(replay.level) + " (" + kp_scores_BoardText(verdict.board) +
                         "), not the level of its board (" + kp_scores_BoardText(*storedBoard) + ")";
        return verdict;
    }
    verdict.valid = true;
    return verdict;
}
