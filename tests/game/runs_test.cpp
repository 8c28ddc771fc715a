// Runs through a level on the shared game: the score's rules, replays refused
// for what they are, the records file read back whole or reset, the ghost
// beside the player, and a run paused twice ending as the same run unpaused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "game/world/level_store.h"
#include "game/world/tiles.h"
#include "tests/testhost/test_game.h"

namespace {

constexpr int kEscape = 27;
constexpr int kHeroImage = 1;
constexpr float kGhostAlpha = 0.4f;
using Bytes = std::vector<unsigned char>;

InputScript Script(int level) {
    const char* folder = std::getenv("GLIMMER_SOLUTIONS");
    char name[32];
    std::snprintf(name, sizeof name, "/level%02d.keys", level);
    InputScript script;
    std::string error;
    EXPECT_TRUE(folder && script.Load(folder + std::string(name), &error)) << "GLIMMER_SOLUTIONS: " << error;
    return script;
}

class Runs : public testing::Test {
protected:
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();

    void SetUp() override {
        app.m_records = GameRecords();
        app.m_records.levelSet = kp_Glimmer_LevelSetHash();
        app.m_settings[3] = 1;  // no tutorial
        app.m_settings[1] = 1;  // the scheme of the solver's scripts
    }

    // Level n's committed script as the game records it.
    Replay Recorded(int level) {
        const InputScript script = Script(level);
        Replay replay;
        replay.level = level;
        for (const ScriptRun& run : script.Runs()) replay.Append(run.keys, run.updates);
        EXPECT_TRUE(app.p_RecordReplay(&replay)) << "level " << level << "'s script reaches the exit";
        return replay;
    }

    // A game in level n, the drop-in over.
    void InLevel(int n) {
        app.p_LoadGame();
        app.p_BeginLevel(n);
        app.m_dropIn = 0;
    }
};

TEST_F(Runs, TheScoreCountsTreesBonusesAndFinishesWithATimeBonus) {
    const int par = kp_Levels_ParUpdates(1);
    EXPECT_EQ(par, Script(1).Updates()) << "level 1's par time is its committed script's";
    const struct {
        const char* what;
        int tile;
        bool watching;
        int points;
    } rows[] = {
        {"a tree lit", kTileTreeUnlit, false, 100},
        {"a pick-up counted like a tree ($)", kTileCountedPickup, false, 50},
        {"a bonus (4)", kTileBonus, false, 250},
        {"the exit, in the first update: 1000 and the time bonus", kTileExit, false, 1000 + (4 * par - 1) / 60 * 10},
        {"nothing while a replay is watched", kTileTreeUnlit, true, 0},
    };
    for (const auto& row : rows) {
        InLevel(1);
        app.m_lightsLeft = app.m_lightsCounting = 0;
        app.p_PutBlock(app.m_playerX, app.m_playerY, row.tile, 0, 0, 0);
        app.m_watching = row.watching;
        const int before = app.m_score;
        game.Step();
        app.m_watching = false;
        EXPECT_EQ(app.m_score - before, row.points) << row.what;
    }
    for (const auto& [updates, bonus] : {std::pair{4 * par, 0}, {4 * par - 59, 0}, {4 * par - 60, 10}, {par, 3 * par / 60 * 10}}) {
        EXPECT_EQ(kp_Glimmer_TimeBonus(1, updates), bonus) << updates << " updates";
    }
}

TEST_F(Runs, VerifyingRefusesWhatIsNotAWholeRunOfTheseLevels) {
    const Replay good = Recorded(1);
    const Bytes bytes = kp_replay_Encode(good);
    const auto with = [&](const std::function<void(Replay&)>& change) {
        Replay r = good;
        change(r);
        return kp_replay_Encode(r);
    };
    Bytes random(64);
    for (size_t i = 0; i < random.size(); ++i) random[i] = static_cast<unsigned char>(i * 97 + 13);
    const struct {
        const char* what;
        Bytes file;
        const char* says;
    } rows[] = {
        {"a whole run", bytes, "completes the level in state"},
        {"truncated", Bytes(bytes.begin(), bytes.end() - 1), "truncated"},
        {"one byte edited", [&] { Bytes b = bytes; b[30] ^= 4; return b; }(), "checksum does not match"},
        {"random bytes", random, "not a replay file"},
        {"empty", Bytes(), "not a replay file"},
        {"another level set", with([](Replay& r) { r.levelSet ^= 1; }), "another level set"},
        {"another final state", with([](Replay& r) { r.finalState ^= 1; }), "not the recorded"},
        {"keys stopping short of the exit", with([](Replay& r) { r.runs.back().updates -= 9; r.updates -= 9; }),
         "do not reach the exit"},
        {"keys going on past the exit", with([](Replay& r) { r.Append(0, 30); }), "reaches the exit after"},
    };
    for (const auto& row : rows) {
        Replay read;
        bool valid = false;
        const std::string line = app.p_CheckReplay(row.file, &read, &valid).ToUtf8();
        EXPECT_EQ(valid, row.file == bytes) << row.what << ": " << line;
        EXPECT_NE(line.find(row.says), std::string::npos) << row.what << ": " << line;
    }
    for (size_t at = 0; at < bytes.size(); ++at) {
        Bytes edited = bytes;
        edited[at] ^= 0x10;
        Replay read;
        EXPECT_FALSE(kp_replay_Decode(edited.data(), edited.size(), &read, nullptr)) << "byte " << at << " edited";
    }
    Bytes linked;
    EXPECT_TRUE(kp_replay_FromLinkText(kp_replay_LinkText(bytes), &linked) && linked == bytes) << "a link holds the file";
    EXPECT_FALSE(kp_replay_FromLinkText("AB+C", &linked)) << "a link uses the URL-safe alphabet only";
}

TEST_F(Runs, TheRecordsFileReadsBackWholeOrIsReset) {
    GameRecords records;
    records.levelSet = kp_Glimmer_LevelSetHash();
    records.timerShown = true;
    records.bestGameUpdates = 12345;
    for (int level : {1, 3}) {
        const Replay run = Recorded(level);
        records.levels[level - 1] = {run.updates, level, kp_replay_Encode(run)};
    }
    const Bytes bytes = kp_records_Encode(records);
    GameRecords read;
    ASSERT_EQ(kp_records_Decode(bytes.data(), bytes.size(), records.levelSet, &read), kRecordsLoaded);
    EXPECT_EQ(kp_records_Encode(read), bytes) << "read back, it writes the same file";
    for (size_t at = 0; at < bytes.size(); ++at) {
        Bytes edited = bytes;
        edited[at] ^= 0x01;
        EXPECT_EQ(kp_records_Decode(edited.data(), edited.size(), records.levelSet, &read), kRecordsInvalid) << at;
        EXPECT_EQ(kp_records_Decode(bytes.data(), at, records.levelSet, &read), kRecordsInvalid) << "cut at " << at;
    }
    EXPECT_EQ(kp_records_Decode(bytes.data(), bytes.size(), records.levelSet + 1, &read), kRecordsOtherLevels);
    EXPECT_TRUE(read.timerShown && read.bestGameUpdates == 0 && read.levels[0].replay.empty())
        << "records of other levels are dropped, the switches kept";

    // The game at start: what it says, and a damaged file replaced by whole, empty records.
    const std::string path = game.host().BesideStatePath(".zephyrrecords");
    for (const auto& [file, says] : {std::pair{bytes, "Records Loaded\n"},
                                     {Bytes(bytes.begin(), bytes.end() - 3), "Records Invalid: damaged or not a records file, reset\n"}}) {
        WriteFile(path, std::string(file.begin(), file.end()));
        testing::internal::CaptureStdout();
        app.p_LoadRecords();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), says);
        const std::string kept = ReadFile(path);
        EXPECT_EQ(kp_records_Decode(reinterpret_cast<const unsigned char*>(kept.data()), kept.size(), records.levelSet,
                                    &read), kRecordsLoaded) << says;
    }
}

// The ghost runs the best run beside the player: drawn see-through where that
// run stood, while the world is only the player's (he stands still here, so
// the tree the ghost passes stays unlit and the level unfinished).
TEST_F(Runs, TheGhostRunsTheBestRunAndTouchesNothing) {
    const Replay best = Recorded(1);
    app.m_records.levels[0] = {best.updates, 0, kp_replay_Encode(best)};
    for (bool shown : {true, false}) {
        app.m_records.ghostShown = shown;
        app.p_LoadGame();
        EXPECT_EQ(app.m_ghostTrack.size(), shown ? static_cast<size_t>(best.updates) : 0u) << "the ghost's track";
        int ghostsDrawn = 0;
        for (int i = 0; i < best.updates; ++i) {
            game.Step();
            for (const DrawRecord& d : game.Records(kHeroImage)) ghostsDrawn += d.alpha == kGhostAlpha;
        }
        EXPECT_EQ(ghostsDrawn > 0, shown) << "a see-through Pipkin drawn";
        EXPECT_GT(app.m_lightsLeft, 0) << "the tree is still unlit";
        EXPECT_FALSE(app.m_levelDone);
    }
}

// Level 2 played by its script with a pause (key, the script's keys held
// through it) and a focus loss on the way: its record is the script itself,
// which ends in the same state unpaused.
TEST_F(Runs, ARunPausedOnTheWayIsTheSameRunUnpaused) {
    const InputScript script = Script(2);
    app.p_LoadGame();
    app.p_BeginLevel(2);
    unsigned held = 0;
    const auto hold = [&](unsigned keys) {
        for (int bit = 0; bit < kScriptKeyCount; ++bit) {
            const unsigned mask = 1u << bit;
            if ((keys & mask) && !(held & mask)) game.host().KeyDown(ScriptKeyHostCode(bit));
            if (!(keys & mask) && (held & mask)) game.host().KeyUp(ScriptKeyHostCode(bit));
        }
        held = keys;
    };
    // A click on resume: the round runs again from the next update, the
    // panel's slide-out, with the keys held then.
    const auto resume = [&] {
        const float x = 320.0f, y = static_cast<float>(app.m_pauseY);
        game.host().MouseMove(x, y);
        game.host().MouseDown(0, x, y);
        game.Step();
        game.host().MouseUp(0, x, y);
        ASSERT_EQ(app.m_pauseDir, -1) << "resumed";
    };
    int pauseAt = 200;   // an update in which a key is held
    while (script.KeysAt(pauseAt) == 0) ++pauseAt;
    for (int update = 0; update < script.Updates(); ++update) {
        if (update == pauseAt) {
            // Paused with the keys of the update held through the panel.
            hold(script.KeysAt(update));
            game.PressKey(kEscape);
            game.Step(30);
            resume();
        } else if (update == 400) {
            game.host().Suspend();
            game.host().Resume();
            hold(0);
            resume();
        }
        hold(script.KeysAt(update));
        game.Step();
    }
    hold(0);
    ASSERT_TRUE(app.m_levelDone) << "the exit reached";
    EXPECT_EQ(app.m_levelUpdates, script.Updates()) << "the level's time leaves the pauses out";
    Replay kept;
    const Bytes& file = app.m_records.levels[1].replay;
    ASSERT_TRUE(kp_replay_Decode(file.data(), file.size(), &kept, nullptr));
    InputScript keys;
    for (const ReplayRun& run : kept.runs) keys.Append(run.keys, run.updates);
    EXPECT_EQ(keys.ToText(), script.ToText()) << "the run kept is the script";
    EXPECT_EQ(kept.finalState, Recorded(2).finalState) << "and ends as it does unpaused";
}

}  // namespace

// The level caption and the score at the top right keep clear of the window's
// right edge: every glyph's inked columns (the font's reach 3 pixels right of
// a cell's centre, scaled) end at least 3 pixels inside it.
TEST_F(Runs, TheCaptionAndTheScoreKeepAMarginFromTheRightEdge) {
    constexpr float kFontSlot = 90.0f, kInkRight = 3.0f, kMargin = 3.0f;
    for (const int level : {1, 15}) {
        InLevel(level);
        app.m_score = level == 1 ? 0 : 1234567;
        game.Step();
        for (const float row : {20.0f, 44.0f}) {
            float right = -1.0f;
            for (const DrawRecord& d : game.Records(kFontSlot)) {
                if (std::fabs(d.y - row) < 0.5f) right = std::max(right, d.x + kInkRight * d.sx);
            }
            ASSERT_GT(right, 0.0f) << "level " << level << ": text at y " << row;
            EXPECT_LE(right, 640.0f - kMargin) << "level " << level << ": text at y " << row;
        }
    }
}

// A running plunger is drawn again beside the pause button, in the frame its
// tile shows for the time left, wherever the plunger stands; no copy while
// none runs.
TEST_F(Runs, TheRunningPlungerIsShownBesideThePauseButton) {
    constexpr float kTileImage = 3.0f, kHudX = 52.0f, kHudY = 16.0f;
    for (const int timer : {0, 100, 300, 480}) {
        InLevel(1);
        app.p_PutBlock(2, 2, kTilePlunger, 0, 0, timer);   // far off the view
        game.Step();
        int copies = 0, frame = -1;
        for (const DrawRecord& d : game.Records(kTileImage)) {
            if (d.x == kHudX && d.y == kHudY) ++copies, frame = static_cast<int>(d.frame);
        }
        EXPECT_EQ(copies, timer > 0 ? 1 : 0) << "timer " << timer;
        if (timer > 0) EXPECT_EQ(frame, 11 + (timer - 2) / 120) << "timer " << timer << ": the tile's frame";
    }
}
