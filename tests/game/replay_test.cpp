// The whole game played from the menu with the solver's scripts (committed
// in tests/game/solutions/, named by GLIMMER_SOLUTIONS): a new game started
// with the keyboard, levels 1 to 15 in order through their exit sequences,
// the Christmas ending and back to the menu, where the game saves; the
// tutorial of levels 2 and 3 passes every step. GLIMMER_REPLAY_LEVELS=N quits
// through the pause panel after level N (the collector stress slice).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/testhost/test_game.h"

namespace {

constexpr int kLastLevel = 15;
constexpr int kLeaving = 10;
constexpr int kExitSequenceLimit = 200;
constexpr int kKeyZ = 90, kKeyEscape = 27, kKeyUp = 38;
constexpr int kPanelRise = 15;  // updates
constexpr int kSoundSetting = 5;

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
    const char* folder = std::getenv("GLIMMER_SOLUTIONS");
    ASSERT_NE(folder, nullptr) << "GLIMMER_SOLUTIONS names the folder of the level scripts";
    const char* levels = std::getenv("GLIMMER_REPLAY_LEVELS");
    const int lastLevel = levels ? std::atoi(levels) : kLastLevel;
    ASSERT_TRUE(lastLevel >= 1 && lastLevel <= kLastLevel) << "GLIMMER_REPLAY_LEVELS=" << levels;
    TestGame game;
    c_MyApp& app = game.app();
    game.FinishLoading();
    app.m_settings[kSoundSetting] = 0;  // as the solver plays
    game.PressKey(kKeyZ);
    ASSERT_EQ(app.m_screen, kScreenPlaying) << "the action key on the menu starts a game";
    std::vector<std::vector<int>> tutorial(kLastLevel + 1);
    for (int level = 1; level <= lastLevel; ++level) {
        ASSERT_EQ(app.m_level, level);
        char name[32];
        std::snprintf(name, sizeof name, "/level%02d.keys", level);
        InputScript script;
        std::string error;
        ASSERT_TRUE(script.Load(folder + std::string(name), &error)) << error;
        game.Play(script, [&] {
            if (tutorial[level].empty() || tutorial[level].back() != app.m_tutStep) tutorial[level].push_back(app.m_tutStep);
        });
        ASSERT_EQ(app.m_playerState, kLeaving) << "level " << level << ": the script ends off the exit";
        for (int i = 0; i < kExitSequenceLimit && app.m_level == level; ++i) game.host().StepWithoutRender();
    }
    if (lastLevel < kLastLevel) {
        EXPECT_EQ(app.m_level, lastLevel + 1);
        game.PressKey(kKeyEscape);  // the pause panel's quit button
        game.Step(kPanelRise);
        game.PressKey(kKeyUp);
        game.PressKey(kKeyZ);
    } else {
        EXPECT_EQ(app.m_screen, kScreenEnding) << "the screen after level 15";
        EXPECT_TRUE(StepsInOrder(tutorial[1], 2)) << "level 1's tutorial steps";
        EXPECT_TRUE(StepsInOrder(tutorial[2], 6)) << "level 2's tutorial steps";
        EXPECT_TRUE(StepsInOrder(tutorial[3], 7)) << "level 3's tutorial steps";
        game.Step();  // the ending waits for a fresh press
        game.PressKey(kKeyZ);
    }
    // Back on the menu the game saves: the run in the tables (this game scores
    // nothing), no badge.
    for (int i = 0; i < kExitSequenceLimit && app.m_screen != kScreenMenu; ++i) game.Step();
    ASSERT_EQ(app.m_screen, kScreenMenu);
    std::vector<std::string> fields;
    std::istringstream saved(ReadFile(game.stateFile()));
    for (std::string field; std::getline(saved, field, '|');) fields.push_back(field);
    ASSERT_EQ(fields.size(), 98u);
    EXPECT_EQ(std::vector<std::string>(fields.begin() + 26, fields.begin() + 56), std::vector<std::string>(30, "0"))
        << "badge words, the first table and the checksums";
}

}  // namespace
