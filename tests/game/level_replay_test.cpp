// Whole-game play from the menu with the solver's input scripts: a new game
// started with the keyboard, levels 1 to 15 played in order through their
// exit sequences, ending on the Christmas screen; the tutorial of levels 2
// and 3 passes through every step in order.
//
// The scripts come from glimmer-solve (the game_levels_proof test writes
// them into the folder named by GLIMMER_SOLUTIONS).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/solver/game_session.h"
#include "tools/solver/input_script.h"

namespace {

constexpr int kLastLevel = 15;
constexpr int kLeaving = 10;
constexpr int kExitSequenceLimit = 200;   // updates from entering the exit to the next level

std::string SolutionsDir() {
    const char* dir = std::getenv("GLIMMER_SOLUTIONS");
    return dir ? dir : "solutions";
}

bool LoadScript(int level, InputScript* script, std::string* error) {
    char name[32];
    std::snprintf(name, sizeof name, "/level%02d.keys", level);
    return script->Load(SolutionsDir() + name, error);
}

// What one play of the whole game went through.
struct PlayRecord {
    std::vector<int> levelsCompleted;
    std::vector<std::vector<int>> tutorialSteps = std::vector<std::vector<int>>(kLastLevel + 1);
    int finalScreen = 0;
    bool tutorialRan = false;   // the tutorial took its first step on level 1
    std::string failure;
};

void NoteStep(std::vector<int>& steps, int step) {
    if (steps.empty() || steps.back() != step) steps.push_back(step);
}

// Plays the whole game once per test process; every test reads the record.
const PlayRecord& PlayWholeGame() {
    static PlayRecord* record = nullptr;
    if (record) return *record;
    record = new PlayRecord();
    GameSession& session = GameSession::Instance();
    c_MyApp& app = session.app();
    if (!session.StartGameFromMenu()) {
        record->failure = "the action key on the menu did not start a game on level 1";
        return *record;
    }
    for (int level = 1; level <= kLastLevel; ++level) {
        InputScript script;
        std::string error;
        if (!LoadScript(level, &script, &error)) {
            record->failure = "level " + std::to_string(level) + ": " + error;
            return *record;
        }
        std::vector<int>& steps = record->tutorialSteps[level];
        for (const ScriptRun& run : script.Runs()) {
            for (int i = 0; i < run.updates; ++i) {
                session.StepWithKeys(run.keys);
                NoteStep(steps, app.m_tutStep);
                if (level == 1 && app.m_tutStep == 1) record->tutorialRan = true;
            }
        }
        session.SetKeys(0);
        if (app.m_playerState != kLeaving || app.m_level != level) {
            record->failure = "level " + std::to_string(level) + ": the script ends with the hero in state " +
                              std::to_string(app.m_playerState) + " on level " + std::to_string(app.m_level);
            return *record;
        }
        for (int i = 0; i < kExitSequenceLimit && app.m_level == level; ++i) session.Step();
        if (app.m_level != level + 1) {
            record->failure = "level " + std::to_string(level) + ": the exit sequence did not end";
            return *record;
        }
        record->levelsCompleted.push_back(level);
    }
    record->finalScreen = app.m_screen;
    return *record;
}

// The steps other than 0 (the exit clears the step) are exactly 1, 2, ..., last.
bool PassesStepsInOrder(const std::vector<int>& steps, int last, std::string* seen) {
    std::vector<int> nonZero;
    for (int s : steps) {
        *seen += std::to_string(s) + " ";
        if (s != 0 && (nonZero.empty() || nonZero.back() != s)) nonZero.push_back(s);
    }
    std::vector<int> expected;
    for (int s = 1; s <= last; ++s) expected.push_back(s);
    return nonZero == expected;
}

}  // namespace

TEST(WholeGameReplay, CompletesFifteenLevelsAndReachesTheEnding) {
    const PlayRecord& record = PlayWholeGame();
    ASSERT_TRUE(record.failure.empty()) << record.failure;
    ASSERT_EQ(static_cast<size_t>(kLastLevel), record.levelsCompleted.size());
    EXPECT_EQ(kScreenEnding, record.finalScreen) << "screen after level 15";
    EXPECT_EQ(kLastLevel + 1, GameSession::Instance().app().m_level);
}

TEST(WholeGameReplay, TutorialStepsOfLevelsTwoAndThreeComeInOrder) {
    const PlayRecord& record = PlayWholeGame();
    ASSERT_TRUE(record.failure.empty()) << record.failure;
    ASSERT_TRUE(record.tutorialRan) << "the tutorial showed no step on level 1";
    std::string seen2, seen3;
    EXPECT_TRUE(PassesStepsInOrder(record.tutorialSteps[2], 6, &seen2)) << "level 2 steps seen: " << seen2;
    EXPECT_TRUE(PassesStepsInOrder(record.tutorialSteps[3], 7, &seen3)) << "level 3 steps seen: " << seen3;
}
