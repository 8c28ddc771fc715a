#include "server/run_verifier.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>

#include "game/shell/my_app.h"
#include "game/world/level_store.h"
#include "host/program.h"
#include "runtime/gc.h"
#include "server/board_key.h"
#include "tools/testhost/headless_game.h"

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
        made.host->Start();
        made.app = static_cast<c_MyApp*>(kp_app__app);
        made.app->m_loadStep = 0;
        return made;
    }();
    return game;
}

std::string Text(const char* format, int a, const char* scheme, int b = 0, int c = 0) {
    char line[200];
    std::snprintf(line, sizeof line, format, a, scheme, b, c);
    return line;
}

}  // namespace

const char* kp_scores_BuildId() { return "glimmer-scores " GLIMMER_SCORES_BUILD; }

RunVerifier::RunVerifier() {
    Game();
    for (int n = 1; n <= kReplayLevels; ++n) {
        const String text = kp_Levels_FetchLevel(n);
        std::vector<uint16_t> units(static_cast<size_t>(text.Length()));
        for (int i = 0; i < text.Length(); ++i) units[static_cast<size_t>(i)] = static_cast<uint16_t>(text[i]);
        levelHashes_.push_back(kp_scores_LevelTextHash(units));
    }
    levelSet_ = kp_Glimmer_LevelSetHash();
}

c_MyApp& RunVerifier::App() { return *Game().app; }

KpHeadlessGame& RunVerifier::Host() { return *Game().host; }

RunVerdict RunVerifier::Check(const std::vector<unsigned char>& bytes, std::optional<uint32_t> storedBoard) {
    const double start = ThreadCpuMillis();
    RunVerdict verdict;
    Replay replay;
    std::string why;
    if (!kp_replay_Decode(bytes.data(), bytes.size(), &replay, &why)) {
        verdict.reason = why;
        return verdict;
    }
    verdict.updates = replay.updates;
    verdict.scheme = replay.scheme;
    verdict.gameVersion = std::to_string(replay.gameVersion[0]) + "." + std::to_string(replay.gameVersion[1]) + "." +
                          std::to_string(replay.gameVersion[2]);
    if (storedBoard) {
        verdict.board = *storedBoard;
    } else if (replay.levelSet == levelSet_) {
        verdict.board = kp_scores_BoardOfReplay(replay, levelHashes_);
    } else {
        char line[120];
        std::snprintf(line, sizeof line, "made on other levels (level set %08x; this server's is %08x)", replay.levelSet,
                      levelSet_);
        verdict.reason = line;
        return verdict;
    }
    for (size_t n = 0; n < levelHashes_.size(); ++n) {
        if (levelHashes_[n] == verdict.board) verdict.level = static_cast<int>(n + 1);
    }
    if (verdict.level == 0) {
        verdict.reason = "its level (" + kp_scores_BoardText(verdict.board) + ") is not one of this server's levels";
        return verdict;
    }
    replay.level = verdict.level;
    const ReplayOutcome outcome = Game().app->p_PlayReplay(replay, nullptr);
    gc_collect();
    const char* scheme = replay.scheme == 2 ? "2-Button-Jump" : "1-Button-Jump";
    if (!outcome.finished) {
        verdict.reason = Text("level %d, %s: its %d updates do not reach the exit", replay.level, scheme, replay.updates);
    } else if (outcome.updates != replay.updates) {
        verdict.reason = Text("level %d, %s: it reaches the exit after %d of its %d updates", replay.level, scheme,
                              outcome.updates, replay.updates);
    } else if (outcome.finalState != replay.finalState) {
        char line[200];
        std::snprintf(line, sizeof line, "level %d, %s: it ends in state %08x, not the recorded %08x", replay.level, scheme,
                      outcome.finalState, replay.finalState);
        verdict.reason = line;
    } else {
        verdict.valid = true;
        verdict.reason = Text("level %d, %s, %d updates: completes the level", replay.level, scheme, replay.updates);
    }
    verdict.cpuMillis = ThreadCpuMillis() - start;
    return verdict;
}
