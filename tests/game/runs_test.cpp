// Runs through a level on the shared game: replays refused for what they are, the records file read back whole or reset, and a run
// paused twice ending as the same run unpaused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/testhost/test_game.h"

namespace {

constexpr int kEscape = 27;
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

// (The ghost: RecordsOverRuns.TheGhostsHiddenRunLeavesTheRoundAndTheFilesAlone.)

// Level 2 played by its script with a pause (key) and a focus loss on the way:
// its record is the script itself, which ends in the same state unpaused.
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
    const auto resume = [&] {
        game.Click(320.0f, static_cast<float>(app.m_pauseY));
        for (int i = 0; i < 30 && app.m_pauseShown == 1; ++i) game.Step();
    };
    for (int update = 0; update < script.Updates(); ++update) {
        if (update == 200) {
            hold(0);
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
