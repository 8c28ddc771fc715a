// The whole game played from the menu with the solver's scripts (committed
// in tests/game/solutions/, named by GLIMMER_SOLUTIONS): a new game started
// with the keyboard, levels 1 to 15 in order through their exit sequences,
// the Christmas ending and back to the menu, where the game saves its score;
// each level scores its trees, pick-ups, bonuses, finish and time bonus;
// the tutorial of levels 2 and 3 passes every step; every level's run is
// kept as a replay of its script, with its time, and verifies.
// GLIMMER_REPLAY_LEVELS=N quits through the pause panel after level N (the
// collector stress slice).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "game/world/tiles.h"
#include "host/key_codes.h"
#include "tests/testhost/test_game.h"

namespace {
constexpr int kExitSequenceLimit = 200;
constexpr int kPanelRise = 15;  // updates

// The steps other than 0 (the exit clears the step) run 1, 2, ..., last.
bool StepsInOrder(const std::vector<int>& steps, int last) {
    std::vector<int> seen, expected;
    for (int s : steps) {
        if (s != 0 && (seen.empty() || seen.back() != s)) seen.push_back(s);
    }
    for (int s = 1; s <= last; ++s) expected.push_back(s);
    return seen == expected;
}

TEST(WholeGame, ScriptsCompleteFifteenLevelsFromTheMenuToTheEnding) {
    const char* levels = std::getenv("GLIMMER_REPLAY_LEVELS");
    const int lastLevel = levels ? std::atoi(levels) : kLevelCount;
    ASSERT_TRUE(lastLevel >= 1 && lastLevel <= kLevelCount) << "GLIMMER_REPLAY_LEVELS=" << levels;
    TestGame game;
    c_MyApp& app = game.app();
    game.FinishLoading();
    app.m_settings[kSettingSound] = 0;  // as the solver plays
    game.PressKey(kKeyZ);
    ASSERT_EQ(app.m_screen, kScreenPlaying) << "the action key on the menu starts a game";
    std::vector<std::vector<int>> tutorial(kLevelCount + 1);
    std::vector<InputScript> scripts(kLevelCount + 1);
    for (int level = 1; level <= lastLevel; ++level) {
        ASSERT_EQ(app.m_level, level);
        const InputScript& script = scripts[level] = LevelScript(level);
        const auto census = [&app](int tile) {
            int n = 0;
            for (int cell = 0; cell < kLevelSide * kLevelSide; ++cell) n += app.m_map.Get(app.p_CellIndex(cell % kLevelSide, cell / kLevelSide)) == tile;
            return n;
        };
        const int trees = census(kTileTreeUnlit), pickups = census(kTileCountedPickup), bonuses = census(kTileBonus);
        const int score = app.m_score;
        game.Play(script, [&] {
            if (tutorial[level].empty() || tutorial[level].back() != app.m_tutStep) tutorial[level].push_back(app.m_tutStep);
        });
        ASSERT_EQ(app.m_playerState, kLeaving) << "level " << level << ": the script ends off the exit";
        // The score's parts (docs/records.md); the par time is the script's length, the time too.
        EXPECT_EQ(app.m_score - score, 100 * (trees - census(kTileTreeUnlit)) + 50 * (pickups - census(kTileCountedPickup)) +
                                           250 * (bonuses - census(kTileBonus)) + 1000 + 3 * script.Updates() / 60 * 10)
            << "level " << level << "'s points";
        for (int i = 0; i < kExitSequenceLimit && app.m_level == level; ++i) game.host().StepWithoutRender();
    }
    if (lastLevel < kLevelCount) {
        EXPECT_EQ(app.m_level, lastLevel + 1);
        game.PressKey(kKeyEscape);  // the pause panel's quit button
        game.Step(kPanelRise);
        game.PressKey(kKeyArrowUp);
        game.PressKey(kKeyZ);
    } else {
        EXPECT_EQ(app.m_screen, kScreenEnding) << "the screen after level 15";
        EXPECT_TRUE(StepsInOrder(tutorial[1], 2)) << "level 1's tutorial steps";
        EXPECT_TRUE(StepsInOrder(tutorial[2], 6)) << "level 2's tutorial steps";
        EXPECT_TRUE(StepsInOrder(tutorial[3], 7)) << "level 3's tutorial steps";
        game.Step();  // the ending waits for a fresh press
        game.PressKey(kKeyZ);
    }
    // Back on the menu the game saves: its score first in the first table, no badge.
    const int score = app.m_score;
    for (int i = 0; i < kExitSequenceLimit && app.m_screen != kScreenMenu; ++i) game.Step();
    ASSERT_EQ(app.m_screen, kScreenMenu);
    std::vector<std::string> fields;
    std::istringstream saved(ReadFile(game.stateFile()));
    for (std::string field; std::getline(saved, field, '|');) fields.push_back(field);
    ASSERT_EQ(fields.size(), 98u);
    EXPECT_GT(score, 0);
    EXPECT_EQ(std::vector<std::string>(fields.begin() + 26, fields.begin() + 37),
              std::vector<std::string>({"0", "0", "0", "0", "0", "0", "0", "0", "0", std::to_string(score), std::to_string(score)}))
        << "badge words, then the first table's best and last";

    // Each level's best run is its script up to the exit, with its time; it
    // is kept in the records and in the replays folder, and verifies.
    for (int level = 1; level <= lastLevel; ++level) {
        const LevelRecord& record = app.m_records.levels[level - 1];
        EXPECT_EQ(record.bestUpdates, scripts[level].Updates()) << "level " << level << "'s time";
        EXPECT_EQ(record.fewestDeaths, 0) << "level " << level;
        Replay replay;
        ASSERT_TRUE(kp_replay_Decode(record.replay.data(), record.replay.size(), &replay, nullptr)) << level;
        EXPECT_EQ(ScriptOf(replay).ToText(), scripts[level].ToText()) << "level " << level << "'s replay holds its script";
        char name[48];
        std::snprintf(name, sizeof name, "replays/level%02d.glimmer-replay", level);
        const std::string file = ReadFile(game.host().BesideStatePath(name));
        EXPECT_EQ(file, std::string(record.replay.begin(), record.replay.end())) << name;
        bool valid = false;
        const String line = app.p_CheckReplay(record.replay, &replay, &valid);
        EXPECT_TRUE(valid) << "level " << level << ": " << line.ToUtf8();
    }
    EXPECT_EQ(app.m_records.bestGameUpdates, lastLevel == kLevelCount ? app.m_gameUpdates : 0) << "the whole game's time";
    const std::string kept = ReadFile(game.host().BesideStatePath(".zephyrrecords"));
    GameRecords read;
    const RecordsRead result = kp_records_Decode(reinterpret_cast<const unsigned char*>(kept.data()), kept.size(), &read);
    EXPECT_TRUE(result.valid && result.dropped.empty()) << "the records file as the game wrote it reads back whole";
    EXPECT_EQ(kp_records_Encode(read), kp_records_Encode(app.m_records));
}

}  // namespace
