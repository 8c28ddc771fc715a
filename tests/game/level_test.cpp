// The stored levels: fifteen different maps that keep the rules every level is
// built for, routes through them that keep the course varied, and one small
// room for every other level number.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "game/world/level_store.h"
#include "tests/testhost/test_game.h"
#include "tools/solver/route_meter.h"

namespace {
constexpr int kSpikeRow = 62;
constexpr int kMaxTrees = 8;
constexpr int kMaxPlungers = 2;   // two only where two running plungers cancel out
constexpr int kFirstVariedLevel = 4;
constexpr int kOneButtonScheme = 1;
constexpr char kTileCharacters[] = "0123456789DdP$SXx)(}{Bb";

std::string Decoded(int level) { return TestGame::Shared().app().p_Uncrunch(kp_Levels_FetchLevel(level)).ToUtf8(); }

// Walls on all four edges, spikes along row 62 between them, known tiles only.
void ExpectFrame(const std::string& map, const std::string& name) {
    ASSERT_EQ(map.size(), static_cast<size_t>(kLevelSide * kLevelSide)) << name;
    for (int i = 0; i < kLevelSide; ++i) {
        for (int at : {i, (kLevelSide - 1) * kLevelSide + i, i * kLevelSide, i * kLevelSide + kLevelSide - 1}) {
            EXPECT_EQ(map[at], '2') << name << ": edge tile " << at;
        }
        if (i > 0 && i < kLevelSide - 1) {
            const char spike = map[kSpikeRow * kLevelSide + i];
            EXPECT_TRUE(spike >= '5' && spike <= '8') << name << ": no spikes at column " << i << " of row 62";
        }
    }
    for (char c : map) ASSERT_NE(std::string(kTileCharacters).find(c), std::string::npos) << name << ": tile " << c;
}

std::map<char, int> Census(const std::string& map) {
    std::map<char, int> counts;
    for (char c : map) ++counts[c];
    return counts;
}

TEST(Levels, EachOfTheFifteenKeepsTheRulesOfEveryLevel) {
    std::map<std::string, int> seen;
    for (int level = 1; level <= kLevelCount; ++level) {
        const std::string name = "level " + std::to_string(level), map = Decoded(level);
        ExpectFrame(map, name);
        std::map<char, int> n = Census(map);
        EXPECT_EQ(n['S'], 1) << name << ": starts";
        EXPECT_EQ(n['X'], 1) << name << ": exits";
        EXPECT_TRUE(n['x'] + n['$'] >= 1 && n['x'] + n['$'] <= kMaxTrees) << name << ": trees";
        EXPECT_LE(n['P'], kMaxPlungers) << name << ": plungers";
        const auto [first, fresh] = seen.emplace(map, level);
        EXPECT_TRUE(fresh) << name << " is the same map as level " << first->second;
    }
}

// The committed routes (the solver's fastest) measured as the variety report
// measures them: no level from 4 on may become a corridor again.
TEST(Levels, VarietyRulesHoldOnTheCommittedRoutes) {
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    app.m_settings[kSettingScheme] = kOneButtonScheme;   // as a new player's settings
    app.p_LoadGame();
    std::vector<RouteMeasures> measures;
    for (int level = 1; level <= kLevelCount; ++level) {
        measures.push_back(MeasureScript(app, level, LevelScript(level), [&](unsigned keys) {
            game.HoldKeys(keys);
            game.host().StepWithoutRender();
        }));
    }
    game.HoldKeys(0);
    CompareWithEarlier(&measures);
    for (const std::string& fault : VarietyFaults(measures, kFirstVariedLevel)) ADD_FAILURE() << fault;
}

TEST(Levels, OneRoomServesLevelsSixteenToAHundred) {
    EXPECT_TRUE(kp_Levels_FetchLevel(16) == kp_Levels_FetchLevel(100));
    for (int outside : {-3, 0, 101}) EXPECT_EQ(kp_Levels_FetchLevel(outside).Length(), 0) << outside;
    const std::string room = Decoded(16);
    ExpectFrame(room, "room");
    std::map<char, int> n = Census(room);
    EXPECT_EQ(n['S'], 1);
    EXPECT_EQ(n['X'] + n['x'] + n['$'], 0) << "no exit and no trees";
    EXPECT_EQ(n['4'], 2);
    EXPECT_GE(n['3'], 1);
    EXPECT_GE(n['1'], 1);
}

}  // namespace
