// The most forgiving route of every level, as committed, measured as
// glimmer-solve --fairness measures it: its smallest timing window, the cues
// of its timed inputs, the start and the replay a late death costs keep the
// goals (tools/solver/fairness.h). One level a test: ctest runs them side by side.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>
#include <unistd.h>

#include "tools/solver/fairness.h"
#include "tools/solver/human_plan.h"

namespace {

class Fairness : public testing::TestWithParam<int> {};

TEST_P(Fairness, TheMostForgivingRouteKeepsTheGoals) {
    const int level = GetParam();
    const char* folder = std::getenv("GLIMMER_SOLUTIONS");
    ASSERT_NE(folder, nullptr) << "GLIMMER_SOLUTIONS names the folder of the level scripts";
    char name[32];
    std::snprintf(name, sizeof name, "/level%02d.fair.keys", level);
    std::string path = folder + std::string(name);
    if (access(path.c_str(), R_OK) != 0) {
        std::snprintf(name, sizeof name, "/level%02d.keys", level);   // the fastest route is the most forgiving
        path = folder + std::string(name);
    }
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.Load(path, &error)) << error;
    GameSession& session = GameSession::Instance();
    ASSERT_TRUE(session.app().m_screen == kScreenPlaying || session.StartGameFromMenu());
    const FairnessReport report = MeasureFairness(session, level, script);
    ASSERT_TRUE(report.completed) << path << ": " << report.error;
    EXPECT_FALSE(report.inputs.empty());
    for (const std::string& fault : FairnessFaults(report)) ADD_FAILURE() << fault;
}

INSTANTIATE_TEST_SUITE_P(Levels, Fairness, testing::Range(1, 16));

// The keys of a plan (glimmer-solve --plan), update by update.
std::vector<unsigned> PlanKeys(const std::string& plan) {
    std::vector<unsigned> keys;
    std::istringstream lines(plan);
    std::string word;
    unsigned held = 0;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        int update = 0;
        if (!(words >> word >> update) || (word != "input" && word != "end")) continue;
        keys.resize(update, held);
        if (word == "input") words >> held;
    }
    return keys;
}

bool Completes(GameSession& session, int level, const std::vector<unsigned>& keys) {
    session.SetKeys(0);
    session.EnterLevel(level);
    for (size_t u = 0; u < keys.size() + 120; ++u) {
        session.StepWithKeys(u < keys.size() ? keys[u] : 0);
        if (session.app().m_playerState == kLeaving) return true;
        if (session.app().m_playerState == kDying) return false;
    }
    return false;
}

// A person lets go of a key a frame or two off: the plan puts every release
// that ends a walk or a climb where two updates either way change nothing.
TEST(HumanPlan, EveryLongReleaseLeavesTwoUpdatesEitherWay) {
    const char* folder = std::getenv("GLIMMER_SOLUTIONS");
    ASSERT_NE(folder, nullptr) << "GLIMMER_SOLUTIONS names the folder of the level scripts";
    GameSession& session = GameSession::Instance();
    ASSERT_TRUE(session.app().m_screen == kScreenPlaying || session.StartGameFromMenu());
    for (int level : {2, 3}) {
        InputScript script;
        std::string error;
        char name[32];
        std::snprintf(name, sizeof name, "/level%02d.keys", level);
        ASSERT_TRUE(script.Load(folder + std::string(name), &error)) << error;
        const std::vector<unsigned> keys = PlanKeys(HumanPlan(session, level, script));
        ASSERT_TRUE(Completes(session, level, keys)) << "level " << level;
        std::vector<int> changes;
        for (size_t u = 1; u < keys.size(); ++u) {
            if (keys[u] != keys[u - 1]) changes.push_back(static_cast<int>(u));
        }
        int checked = 0;
        for (size_t i = 1; i + 1 < changes.size(); ++i) {
            const int c = changes[i];
            if ((keys[c] & ~keys[c - 1]) != 0 || c - changes[i - 1] < 8 || changes[i + 1] - c < 4) continue;
            for (int shift : {-2, 2}) {
                std::vector<unsigned> moved = keys;
                for (int u = std::min(c, c + shift); u < std::max(c, c + shift); ++u) {
                    moved[u] = shift < 0 ? keys[c] : keys[c - 1];
                }
                EXPECT_TRUE(Completes(session, level, moved))
                    << "level " << level << ": the release at update " << c << " moved by " << shift;
            }
            ++checked;
        }
        EXPECT_GE(checked, 5) << "level " << level;
    }
}

// Which launcher's beat a timed input's cue is. Each launcher fires in a phase
// of its own: a launcher that fires in the same updates as the deciding one
// shows its beat, one that fires an update apart does not count.
struct CueCase {
    const char* what;
    int level;
    const char* route;       // under tests/game: a committed route, or a route kept for this test
    int from, to;            // the updates where the input lies
    int clockX, clockY;      // the launcher that decides its window
    bool inView;
};
const CueCase kCueCases[] = {
    // The last step out of level 13's tunnel (its most forgiving route before
    // the long wait by the plunger) waits on the far launcher at
    // (61, 40), off the view; the launcher under the floor at (46, 43),
    // on the view, starts at the same phase.
    {"a launcher of the same beat on the view", 13, "fairness/level13-tunnel-step.keys", 730, 760, 61, 40, true},
    // Level 12's shaft climbed without a rest (its most forgiving route
    // before the rests on the handles): a hop at (28, 53) waits on the
    // launcher at (27, 44), off the view above; the alcove's launcher at
    // (35, 49), on the view, fires an update before it, on its own beat.
    {"a launcher an update apart on the view", 12, "fairness/level12-blind-hops.keys", 485, 500, 27, 44, false},
};

class Cues : public testing::TestWithParam<CueCase> {};

TEST_P(Cues, ALaunchersBeatIsShownByLaunchersOfThatBeatAlone) {
    const CueCase& c = GetParam();
    const char* folder = std::getenv("GLIMMER_TESTS_GAME");
    ASSERT_NE(folder, nullptr) << "GLIMMER_TESTS_GAME names tests/game";
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.Load(std::string(folder) + "/" + c.route, &error)) << error;
    GameSession& session = GameSession::Instance();
    ASSERT_TRUE(session.app().m_screen == kScreenPlaying || session.StartGameFromMenu());
    const FairnessReport report = MeasureFairness(session, c.level, script, c.from, c.to);
    ASSERT_TRUE(report.completed) << c.route << ": " << report.error;
    int found = 0;
    for (const InputWindow& w : report.inputs) {
        if (!w.timed || w.clockX != c.clockX || w.clockY != c.clockY) continue;
        ++found;
        EXPECT_EQ(w.cueInView, c.inView) << c.what << ", input at update " << w.update;
    }
    EXPECT_EQ(found, 1) << c.what << ": one input there waits on the launcher at (" << c.clockX << ", " << c.clockY
                        << ")";
}

INSTANTIATE_TEST_SUITE_P(Launchers, Cues, testing::ValuesIn(kCueCases));

}  // namespace
