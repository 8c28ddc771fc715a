// Runs through a level on the shared game: replays refused for what they are, the records file read back whole or reset, and a run
// paused twice ending as the same run unpaused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "game/world/level_hash.h"
#include "game/world/level_store.h"
#include "game/world/tiles.h"
#include "host/key_codes.h"
#include "tests/testhost/test_game.h"

namespace {
using Bytes = std::vector<unsigned char>;

class Runs : public testing::Test {
protected:
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();

    void SetUp() override {
        app.m_records = GameRecords();
        app.m_settings[3] = 1;  // no tutorial
        app.m_settings[1] = 1;  // the scheme of the solver's scripts
    }

    // Level n's committed script as the game records it, at a game speed.
    Replay Recorded(int level, int speed = kReplayNormalSpeed) {
        Replay replay;
        replay.level = level;
        replay.speed = speed;
        AppendScript(&replay, LevelScript(level));
        EXPECT_TRUE(app.p_RecordReplay(&replay)) << "level " << level << "'s script reaches the exit";
        return replay;
    }

    // Level n built from its start as a new game does, the drop-in over.
    void InLevel(int n) {
        app.p_LoadGame();
        app.p_BeginLevel(n);
        app.m_dropIn = 0;
    }
};

// (The score's rules: WholeGame and RecordsOverRuns check every part of it.)

TEST_F(Runs, VerifyingRefusesWhatIsNotAWholeRunOfTheseLevels) {
    const Replay good = Recorded(1);
    const Bytes bytes = kp_replay_Encode(good);
    const auto with = [&](const std::function<void(Replay&)>& change) {
        Replay r = good;
        change(r);
        return kp_replay_Encode(r);
    };
    // The same run in the first format, as builds before the level hashes wrote it.
    const auto firstFormat = [&](uint32_t levelSet) {
        Replay r = good;
        r.format = 1;
        r.levelSet = levelSet;
        r.finalState = app.p_PlayReplay(r, nullptr).roundState;
        return kp_replay_Encode(r);
    };
    Bytes random(64);
    for (size_t i = 0; i < random.size(); ++i) random[i] = static_cast<unsigned char>(i * 97 + 13);
    const struct {
        const char* what;
        Bytes file;
        bool valid;
        const char* says;
    } rows[] = {
        {"a whole run", bytes, true, "completes the level in state"},
        {"truncated", Bytes(bytes.begin(), bytes.end() - 1), false, "truncated"},
        {"one byte edited", [&] { Bytes b = bytes; b[30] ^= 4; return b; }(), false, "checksum does not match"},
        {"random bytes", random, false, "not a replay file"},
        {"empty", Bytes(), false, "not a replay file"},
        {"another version of the level", with([](Replay& r) { r.levelHash ^= 1; }), false, "another version of level 1"},
        {"a level known by its hash alone", with([](Replay& r) { r.level = 0; }), false, "known by its hash alone"},
        {"another final state", with([](Replay& r) { r.finalState ^= 1; }), false, "not the recorded"},
        {"the jump scheme edited", with([](Replay& r) { r.scheme = 2; }), false, "not the recorded"},
        {"the speed edited", with([](Replay& r) { r.speed = 50; }), false, "not the recorded"},
        {"a speed this game does not play", with([](Replay& r) { r.speed = 75; }), false, "75 % of the normal speed"},
        {"keys stopping short of the exit", with([](Replay& r) { r.runs.back().updates -= 9; r.updates -= 9; }),
         false, "do not reach the exit"},
        {"keys going on past the exit", with([](Replay& r) { r.Append(0, 30); }), false, "reaches the exit after"},
        {"format 1 of these levels", firstFormat(kp_Glimmer_LevelSetHash()), true, "its jump scheme is not checked"},
        {"format 1 of the levels before their redesign", firstFormat(0x8dd79f77u), true, "completes the level"},
        {"format 1 of unknown levels", firstFormat(0x12345678u), false, "level set this game does not know"},
    };
    for (const auto& row : rows) {
        Replay read;
        bool valid = false;
        const std::string line = app.p_CheckReplay(row.file, &read, &valid).ToUtf8();
        EXPECT_EQ(valid, row.valid) << row.what << ": " << line;
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

// Runs as long as the game can record, idle or busy, read back update for
// update (a stretch of the same keys past a coded run's length among them);
// a replay the format cannot hold is not written at all.
TEST(ReplayFile, HoldsAnyRunTheGameCanRecord) {
    const struct {
        const char* what;
        std::vector<ReplayRun> runs;
    } rows[] = {
        {"one update", {{kReplayRight, 1}}},
        {"idle for the longest coded run", {{0, kReplayMaxRun}}},
        {"idle one update longer", {{0, kReplayMaxRun + 1}, {kReplayLeft, 1}}},
        {"an hour and a bit, first idle", {{0, 216000}, {kReplayRight, 111}}},
        {"idle a whole day", {{0, kReplayMaxUpdates}}},
        {"keys held for three coded runs", {{kReplayRight | kReplayGrip, 3 * kReplayMaxRun + 7}}},
    };
    for (const auto& row : rows) {
        Replay replay;
        replay.level = 1;
        for (const ReplayRun& run : row.runs) replay.Append(run.keys, run.updates);
        const Bytes file = kp_replay_Encode(replay);
        Replay read;
        std::string why;
        ASSERT_TRUE(kp_replay_Decode(file.data(), file.size(), &read, &why)) << row.what << ": " << why;
        EXPECT_EQ(read.updates, replay.updates) << row.what;
        EXPECT_EQ(ScriptOf(read).ToText(), ScriptOf(replay).ToText()) << row.what;
    }
    Replay tooLong;
    tooLong.level = 1;
    tooLong.Append(0, kReplayMaxUpdates + 1);
    EXPECT_TRUE(kp_replay_Encode(tooLong).empty()) << "more than a day is no replay";
}

// A records file with a little of everything (levels 1 and 3 with their
// runs, level 5 with a time whose run was too long to keep, level 7 with
// deaths only, the whole game's time, level 1's assisted run and an
// assisted game's time apart), then each change alone.
TEST_F(Runs, TheRecordsFileKeepsEachWholeRecordAndDropsTheRestOneByOne) {
    GameRecords records;
    records.timerShown = true;
    records.bestGameUpdates = 12345;
    records.gameLevelSet = kp_Glimmer_LevelSetHash();
    for (int level : {1, 3}) {
        const Replay run = Recorded(level);
        records.levels[level - 1] = {kp_Glimmer_LevelHash(level), run.updates, level, kp_replay_Encode(run)};
    }
    records.levels[4] = {kp_Glimmer_LevelHash(5), kReplayMaxUpdates + 9, 2, {}};
    records.levels[6] = {kp_Glimmer_LevelHash(7), 0, 4, {}};
    const Replay assisted = Recorded(1, 70);
    records.assisted[0] = {kp_Glimmer_LevelHash(1), assisted.updates, 2, kp_replay_Encode(assisted), 70};
    records.bestAssistedGameUpdates = 23456;
    records.assistedGameLevelSet = kp_Glimmer_LevelSetHash();
    records.assistedGameSpeed = 60;
    const Bytes bytes = kp_records_Encode(records);
    GameRecords read;
    RecordsRead result = kp_records_Decode(bytes.data(), bytes.size(), &read);
    ASSERT_TRUE(result.valid && result.dropped.empty());
    EXPECT_EQ(kp_records_Encode(read), bytes) << "read back, it writes the same file";

    // Each change alone: what is dropped, and that nothing else is.
    const auto changed = [&](const std::function<void(GameRecords&)>& change) {
        GameRecords r = records;
        change(r);
        return kp_records_Encode(r);
    };
    const Replay level2 = Recorded(2);
    const struct {
        const char* what;
        Bytes file;
        int lost;                  // the level dropped, 0 for the whole game's time
        const char* says;
        bool assisted = false;     // the record dropped is the assisted one
    } rows[] = {

        {"level 3 made on another version of it", changed([](GameRecords& r) { r.levels[2].levelHash ^= 1; }), 3,
         "level 3: made on another version of the level"},
        {"level 3's run is level 2's", changed([&](GameRecords& r) { r.levels[2].replay = kp_replay_Encode(level2); }), 3,
         "level 3: its run is of another level"},
        {"level 1's time is not its run's", changed([](GameRecords& r) { r.levels[0].bestUpdates += 1; }), 1,
         "level 1: its run does not take its best time"},
        {"a byte of level 3's run damaged", [&] { Bytes b = bytes; b[b.size() - 40] ^= 1; return b; }(), 3,
         "level 3: its run is refused (damaged or edited"},
        {"level 1's row damaged", [&] { Bytes b = bytes; b[28 + 3] ^= 1; return b; }(), 1, "record 1 of 5: damaged"},
        {"level 1's assisted record of another speed than its run", changed([](GameRecords& r) { r.assisted[0].speed = 80; }),
         1, "level 1 (assisted): its run was played at another game speed", true},
        {"a normal-speed record holding an assisted run",
         changed([](GameRecords& r) { r.levels[0] = r.assisted[0], r.levels[0].speed = 100; }), 1,
         "level 1: its run was played at another game speed"},
        {"the whole game's time made on other levels", changed([](GameRecords& r) { r.gameLevelSet ^= 1; }), 0,
         "the whole game's time: made on other levels"},
    };
    for (const auto& row : rows) {
        result = kp_records_Decode(row.file.data(), row.file.size(), &read);
        ASSERT_TRUE(result.valid) << row.what;
        ASSERT_EQ(result.dropped.size(), 1u) << row.what;
        EXPECT_NE(result.dropped[0].find(row.says), std::string::npos) << row.what << ": " << result.dropped[0];
        for (int level = 1; level <= kRecordLevels; ++level) {
            for (const bool kind : {false, true}) {
                const LevelRecord& kept = (kind ? read.assisted : read.levels)[level - 1];
                const LevelRecord& was =
                    level == row.lost && kind == row.assisted ? LevelRecord() : (kind ? records.assisted : records.levels)[level - 1];
                EXPECT_TRUE(kept.bestUpdates == was.bestUpdates && kept.fewestDeaths == was.fewestDeaths &&
                            kept.replay == was.replay && kept.speed == was.speed)
                    << row.what << ": level " << level << (kind ? " assisted" : "");
            }
        }
        EXPECT_EQ(read.bestGameUpdates, row.lost == 0 ? 0 : records.bestGameUpdates) << row.what;
        EXPECT_EQ(read.bestAssistedGameUpdates, 23456) << row.what << ": the assisted game's time is apart";
        EXPECT_TRUE(read.timerShown) << row.what << ": the switches are kept";
    }
    constexpr size_t kHeader = 28;   // the header and its CRC-32
    for (size_t at = 0; at < kHeader; ++at) {
        Bytes edited = bytes;
        edited[at] ^= 0x01;
        EXPECT_FALSE(kp_records_Decode(edited.data(), edited.size(), &read).valid) << "header byte " << at;
    }
    for (size_t at = 0; at < bytes.size(); ++at) {
        const RecordsRead cut = kp_records_Decode(bytes.data(), at, &read);
        EXPECT_TRUE(at < kHeader ? !cut.valid : cut.dropped.size() >= 1) << "cut at " << at;
    }

    // The game at start: what it says; a file with a record dropped is written
    // again without it, and a damaged one is replaced by whole, empty records.
    const std::string path = game.host().BesideStatePath(".zephyrrecords");
    const Bytes otherLevel3 = rows[0].file;
    for (const auto& [file, says] : {std::pair{bytes, "Records Loaded\n"},
                                     {otherLevel3, "Records Dropped: level 3: made on another version of the level\n"
                                                   "Records Loaded\n"},
                                     {Bytes(bytes.begin(), bytes.begin() + 10),
                                      "Records Invalid: damaged or not a records file, reset\n"}}) {
        WriteFile(path, std::string(file.begin(), file.end()));
        testing::internal::CaptureStdout();
        app.p_LoadRecords();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), says);
        const std::string kept = ReadFile(path);
        result = kp_records_Decode(reinterpret_cast<const unsigned char*>(kept.data()), kept.size(), &read);
        EXPECT_TRUE(result.valid && result.dropped.empty()) << says;
    }
}

// The first format's files: one hash for the whole level set and one
// checksum. A record of a level this game still has is kept; one that cannot
// be kept goes alone.
TEST_F(Runs, RecordsOfTheFirstFormatKeepEveryRecordStillValid) {
    const auto firstFormat = [](uint32_t levelSet, int gameUpdates, const std::vector<LevelRecord>& levels) {
        Bytes out = {'G', 'L', 'R', 'C', 1, 0};
        const auto put = [&](uint32_t v) {
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
        };
        put(levelSet);
        put(static_cast<uint32_t>(gameUpdates));
        out.push_back(kRecordLevels);
        for (int i = 0; i < kRecordLevels; ++i) {
            const LevelRecord level = i < static_cast<int>(levels.size()) ? levels[i] : LevelRecord();
            put(static_cast<uint32_t>(level.bestUpdates));
            put(static_cast<uint32_t>(level.fewestDeaths));
            put(static_cast<uint32_t>(level.replay.size()));
            out.insert(out.end(), level.replay.begin(), level.replay.end());
        }
        put(kp_replay_Crc32(out.data(), out.size()));
        return out;
    };
    const auto run = [&](int level, uint32_t levelSet) {
        Replay r = Recorded(level);
        r.format = 1;
        r.levelSet = levelSet;
        r.finalState = app.p_PlayReplay(r, nullptr).roundState;
        return LevelRecord{0, r.updates, 0, kp_replay_Encode(r)};
    };
    const uint32_t ours = kp_Glimmer_LevelSetHash(), redesigned = 0x8dd79f77u;
    const LevelRecord wrongLevel = run(1, ours);   // kept as level 2's
    const struct {
        const char* what;
        Bytes file;
        std::vector<int> kept;
        const char* says;
    } rows[] = {
        {"these levels", firstFormat(ours, 999, {run(1, ours), run(2, ours)}), {1, 2}, ""},
        {"the levels before the redesign of 4-15: 1-3 are the same",
         firstFormat(redesigned, 999, {run(1, redesigned), run(2, redesigned), {}, run(4, ours)}), {1, 2},
         "the whole game's time: made on other levels|level 4: made on another version of the level"},
        {"one record of another level among whole ones", firstFormat(ours, 0, {run(1, ours), wrongLevel, run(3, ours)}),
         {1, 3}, "level 2: its run is of another level"},
        {"levels this game does not know", firstFormat(0x12345678u, 0, {run(1, ours)}), {},
         "level 1: made on levels this game does not know"},
    };
    for (const auto& row : rows) {
        GameRecords read;
        const RecordsRead result = kp_records_Decode(row.file.data(), row.file.size(), &read);
        ASSERT_TRUE(result.valid) << row.what;
        std::string says;
        for (const std::string& line : result.dropped) says += (says.empty() ? "" : "|") + line;
        EXPECT_EQ(says, row.says) << row.what;
        for (int level = 1; level <= kRecordLevels; ++level) {
            const bool kept = std::find(row.kept.begin(), row.kept.end(), level) != row.kept.end();
            EXPECT_EQ(read.levels[level - 1].bestUpdates > 0, kept) << row.what << ": level " << level;
            if (kept) {
                EXPECT_EQ(read.levels[level - 1].levelHash, kp_Glimmer_LevelHash(level)) << row.what;
            }
        }
    }
    Bytes damaged = rows[0].file;
    damaged[20] ^= 1;
    GameRecords read;
    EXPECT_FALSE(kp_records_Decode(damaged.data(), damaged.size(), &read).valid) << "its checksum still guards it";
}

// A level first finished after more than a day keeps its time without its
// run and says so; the records file still reads back whole.
TEST_F(Runs, ARunLongerThanAReplayHoldsKeepsItsTime) {
    const InputScript script = LevelScript(1);
    InLevel(1);
    app.m_dropIn = kRoundDropInStart;
    app.m_recording.Append(0, kReplayMaxUpdates);
    app.m_levelUpdates = kReplayMaxUpdates;
    testing::internal::CaptureStdout();
    game.Play(script);
    const std::string said = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(app.m_levelDone);
    const LevelRecord& record = app.m_records.levels[0];
    EXPECT_EQ(record.bestUpdates, kReplayMaxUpdates + script.Updates());
    EXPECT_TRUE(record.replay.empty());
    EXPECT_NE(said.find("Record Kept Without Its Run: level 1, 1440:"), std::string::npos) << said;
    testing::internal::CaptureStdout();
    app.p_LoadRecords();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Records Loaded\n");
    EXPECT_EQ(app.m_records.levels[0].bestUpdates, kReplayMaxUpdates + script.Updates()) << "kept over a restart";
}

// (The ghost: RecordsOverRuns.TheGhostsHiddenRunLeavesTheRoundAndTheFilesAlone.)

// A replay is checked before it is watched a slice of updates at a time,
// behind a caption, however long it claims to be: one that never reaches the
// exit is refused once played, one that does is watched, and any key gives up.
TEST_F(Runs, AReplayIsCheckedASliceAtATimeBeforeItIsWatched) {
    Replay idle;
    idle.level = 1;
    idle.levelHash = kp_Glimmer_LevelHash(1);
    idle.Append(0, 3 * kHiddenRunSlice + 5);
    const Bytes good = kp_replay_Encode(Recorded(1));
    const struct {
        const char* what;
        Bytes file;
        bool keyPressed;
        int updates;           // of the game while it prepares
        int screenAfter;
        const char* says;
    } rows[] = {
        {"a run that stands still", kp_replay_Encode(idle), false, 4, kScreenRecords,
         "Replay: refused: level 1, 1-Button-Jump: its 1205 updates do not reach the exit\n"},
        {"a whole run", good, false, 1, kScreenPlaying, "Replay: level 1, 1-Button-Jump, 0:01.85 (111 updates)"},
        {"a key pressed while it prepares", kp_replay_Encode(idle), true, 2, kScreenRecords, ""},
    };
    for (const auto& row : rows) {
        app.m_screen = kScreenRecords;
        ASSERT_TRUE(app.p_WatchReplay(row.file, kScreenRecords)) << row.what;
        EXPECT_EQ(app.m_screen, kScreenPreparing) << row.what;
        testing::internal::CaptureStdout();
        int updates = 0;
        for (int played = 0; app.m_screen == kScreenPreparing && updates < 100; ++updates) {
            if (row.keyPressed && updates == 1) game.host().KeyDown(kKeyEscape);
            game.Step();
            EXPECT_LE(app.m_hidden.played - played, kHiddenRunSlice) << row.what << ": update " << updates;
            played = app.m_hidden.played;
        }
        game.host().KeyUp(kKeyEscape);
        const std::string said = testing::internal::GetCapturedStdout();
        EXPECT_EQ(updates, row.updates) << row.what;
        EXPECT_EQ(app.m_screen, row.screenAfter) << row.what;
        EXPECT_EQ(said.rfind(row.says, 0), 0u) << row.what << ": " << said;
        app.p_EndWatch();
    }
}

// Writes that a crash interrupted leave temporary files beside the save, the
// records and the replays: the game removes those of processes that no longer
// run when it starts, and nothing else.
TEST_F(Runs, TheTemporariesOfInterruptedSavesGoAtStart) {
    const std::string dead = ".tmp.99999999", running = ".tmp." + std::to_string(getppid());
    const struct {
        std::string file;
        bool kept;
    } rows[] = {
        {".zephyrstate" + dead, false},
        {".zephyrrecords" + dead, false},
        {"replays/level04.glimmer-replay" + dead, false},
        {"replays/level05.glimmer-replay" + running, true},
        {"replays/notes.txt", true},
    };
    std::filesystem::create_directories(game.host().BesideStatePath("replays"));
    for (const auto& row : rows) ASSERT_TRUE(WriteFile(game.host().BesideStatePath(row.file), "left behind")) << row.file;
    testing::internal::CaptureStdout();
    app.p_Load();
    app.p_LoadRecords();
    testing::internal::GetCapturedStdout();
    for (const auto& row : rows) {
        EXPECT_EQ(std::filesystem::exists(game.host().BesideStatePath(row.file)), row.kept) << row.file;
    }
}

// A replays folder that cannot be made is told as a failed save is.
TEST_F(Runs, AReplaysFolderThatCannotBeMadeIsTold) {
    const std::string folder = game.host().BesideStatePath("replays");
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(WriteFile(folder, "a file where the folder goes"));
    InLevel(1);
    testing::internal::CaptureStdout();
    game.Play(LevelScript(1));
    const std::string said = testing::internal::GetCapturedStdout();
    std::filesystem::remove(folder);
    EXPECT_NE(said.find("replays Save Failed: the folder cannot be made, replays/level01.glimmer-replay is not kept"),
              std::string::npos) << said;
    EXPECT_FALSE(app.m_records.levels[0].replay.empty()) << "the record keeps its run";
}

// Level 2 played by its script with a pause (key, the script's keys held
// through it) and a focus loss on the way: its record is the script itself,
// which ends in the same state unpaused.
TEST_F(Runs, ARunPausedOnTheWayIsTheSameRunUnpaused) {
    const InputScript script = LevelScript(2);
    app.p_LoadGame();
    app.p_BeginLevel(2);
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
            game.HoldKeys(script.KeysAt(update));
            game.PressKey(kKeyEscape);
            game.Step(30);
            resume();
        } else if (update == 400) {
            game.host().Suspend();
            game.host().Resume();
            game.HoldKeys(0);
            resume();
        }
        game.HoldKeys(script.KeysAt(update));
        game.Step();
    }
    game.HoldKeys(0);
    ASSERT_TRUE(app.m_levelDone) << "the exit reached";
    EXPECT_EQ(app.m_levelUpdates, script.Updates()) << "the level's time leaves the pauses out";
    Replay kept;
    const Bytes& file = app.m_records.levels[1].replay;
    ASSERT_TRUE(kp_replay_Decode(file.data(), file.size(), &kept, nullptr));
    EXPECT_EQ(ScriptOf(kept).ToText(), script.ToText()) << "the run kept is the script";
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
        if (timer > 0) { EXPECT_EQ(frame, 11 + (timer - 2) / 120) << "timer " << timer << ": the tile's frame"; }
    }
}
