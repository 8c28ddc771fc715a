// Records over several runs of the same level, played live on the shared
// game: the best time and the fewest deaths are each the better of the runs
// whatever their order, the kept run and its file are the fastest, and each
// finish scores by the rules of docs/records.md with its own time. A run
// played without a picture (the ghost's) leaves the round on screen, the
// sound, the score and the files as they would be without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "game/world/level_hash.h"
#include "game/world/tiles.h"
#include "tests/testhost/test_game.h"

namespace {

constexpr int kSchemeSetting = 1, kHelpSetting = 3, kSoundSetting = 5;
constexpr int kSlowStart = 200;  // updates waited before the slow run's script

// The README's rule for a finish: 1,000, and 10 for each whole second under
// four times the par time (the committed script's length).
int FinishPoints(int updates) { return 1000 + std::max(0, 4 * LevelScript(1).Updates() - updates) / 60 * 10; }

// Every file beside the state file, by path.
std::map<std::string, std::string> FilesBeside(TestGame& game) {
    std::map<std::string, std::string> files;
    const std::filesystem::path folder = std::filesystem::path(game.stateFile()).parent_path();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) files[entry.path().string()] = ReadFile(entry.path().string());
    }
    return files;
}

class RecordsOverRuns : public testing::Test {
protected:
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();

    void SetUp() override {
        app.m_records = GameRecords();
        app.m_settings[kHelpSetting] = 1;
        app.m_settings[kSchemeSetting] = 1;
        app.m_settings[kSoundSetting] = 1;
    }

    struct Run {
        int updates = 0, deaths = 0, points = 0;
        std::vector<unsigned char> replay;
    };

    // Level 1 from a new game: first a death on spikes under the hero, or a
    // wait, then its script to the exit.
    Run Play(bool death) {
        Run run;
        app.p_LoadGame();
        if (death) {
            app.p_PutBlock(app.m_playerX, app.m_playerY, kTileSpikesFirst, 0, 0, 0);
            for (; run.updates < 1000 && (app.m_levelDeaths == 0 || app.m_playerState == kDying); ++run.updates) {
                game.host().StepWithoutRender();
            }
        } else {
            game.host().StepWithoutRender(kSlowStart);
            run.updates = kSlowStart;
        }
        const InputScript script = LevelScript(1);
        game.Play(script);
        run.updates += script.Updates();
        EXPECT_TRUE(app.m_levelDone) << (death ? "after a death" : "after a wait") << " the script reaches the exit";
        EXPECT_EQ(app.m_levelUpdates, run.updates) << "the level's time";
        run.deaths = app.m_levelDeaths;
        run.points = app.m_score;
        run.replay = app.m_recording.runs.empty() ? std::vector<unsigned char>() : kp_replay_Encode(app.m_recording);
        return run;
    }
};

// The faster run has a death, the slower none: each record comes from a different run.
TEST_F(RecordsOverRuns, EachRecordIsTheBetterOfTwoFinishesInEitherOrder) {
    for (const bool deathFirst : {true, false}) {
        SetUp();
        std::vector<Run> runs;
        for (const bool death : {deathFirst, !deathFirst}) {
            const std::string which = std::string(death ? "the run with a death" : "the slow run") +
                                      (runs.empty() ? " first" : " second");
            runs.push_back(Play(death));
            const Run& run = runs.back();
            EXPECT_EQ(run.deaths, death ? 1 : 0) << which;
            EXPECT_EQ(run.points, 100 + FinishPoints(run.updates)) << which << ": a tree and the finish in "
                                                                   << run.updates << " updates";
            const Run* fastest = &runs[0];
            int fewest = runs[0].deaths;
            for (const Run& r : runs) {
                if (r.updates < fastest->updates) fastest = &r;
                fewest = std::min(fewest, r.deaths);
            }
            const LevelRecord& record = app.m_records.levels[0];
            EXPECT_EQ(record.bestUpdates, fastest->updates) << "after " << which;
            EXPECT_EQ(record.fewestDeaths, fewest) << "after " << which;
            EXPECT_TRUE(record.replay == fastest->replay) << "after " << which << ": the fastest run is kept";
            const std::string file = ReadFile(game.host().BesideStatePath("replays/level01.glimmer-replay"));
            EXPECT_TRUE(file == std::string(fastest->replay.begin(), fastest->replay.end())) << "after " << which;
            const std::string kept = ReadFile(game.host().BesideStatePath(".zephyrrecords"));
            GameRecords read;
            const RecordsRead result =
                kp_records_Decode(reinterpret_cast<const unsigned char*>(kept.data()), kept.size(), &read);
            ASSERT_TRUE(result.valid && result.dropped.empty()) << "after " << which << ": read back whole";
            EXPECT_TRUE(kp_records_Encode(read) == kp_records_Encode(app.m_records)) << "after " << which << ": saved";
        }
        ASSERT_LT(runs[deathFirst ? 0 : 1].updates, runs[deathFirst ? 1 : 0].updates) << "the death's run is the faster";
        EXPECT_GT(FinishPoints(kSlowStart + LevelScript(1).Updates()), 1000) << "the slow run still earns a time bonus";
    }
}

// Level 1 entered with and without its ghost, whose track comes from playing
// the best run without a picture first: the same round follows, update by
// update (state, random draws, score, sounds), and no record or file changes.
TEST_F(RecordsOverRuns, TheGhostsHiddenRunLeavesTheRoundAndTheFilesAlone) {
    Replay best;
    best.level = 1;
    AppendScript(&best, LevelScript(1));
    ASSERT_TRUE(app.p_RecordReplay(&best));
    app.m_records.levels[0] = {kp_Glimmer_LevelHash(1), best.updates, 0, kp_replay_Encode(best)};
    app.p_SaveRecords();
    using Trace = std::vector<std::tuple<uint32_t, int, int, int, int>>;
    Trace traces[2];
    for (const bool ghost : {false, true}) {
        app.m_records.ghostShown = ghost;
        const auto files = FilesBeside(game);
        const auto records = kp_records_Encode(app.m_records);
        const int channel = app.m_sfxChannel;
        app.p_LoadGame();
        EXPECT_EQ(app.m_sfxChannel, channel) << "ghost " << ghost << ": no sound while the run is played unseen";
        EXPECT_EQ(app.m_score, 0) << "ghost " << ghost;
        EXPECT_TRUE(kp_records_Encode(app.m_records) == records) << "ghost " << ghost << ": the records";
        EXPECT_TRUE(FilesBeside(game) == files) << "ghost " << ghost << ": the files beside the save";
        int ghostsDrawn = 0;
        for (int i = 0; i < best.updates + 30; ++i) {
            game.Step();
            for (const DrawRecord& d : game.Records(1.0f)) ghostsDrawn += d.alpha == 0.4f;
            const int played = app.m_sfxChannel - channel;  // sounds since the level began
            traces[ghost].emplace_back(app.p_RoundStateHash(), app.m_score, played,
                                       played ? game.SoundOn(app.m_sfxChannel) : -1, app.m_lightsLeft);
        }
        EXPECT_EQ(app.m_ghostTrack.size(), ghost ? static_cast<size_t>(best.updates) : 0u) << "the ghost's track";
        EXPECT_EQ(ghostsDrawn > 0, ghost) << "a see-through Pipkin drawn";
    }
    const auto differs = std::mismatch(traces[0].begin(), traces[0].end(), traces[1].begin());
    EXPECT_TRUE(differs.first == traces[0].end()) << "from update " << differs.first - traces[0].begin() + 1
                                                  << " the round with the ghost differs from the round without it";
    EXPECT_GT(std::get<4>(traces[1].back()), 0) << "the tree the ghost passes is still unlit";
}

}  // namespace
