// The stored levels: each decodes to a 64 x 64 map that keeps the rules
// every level is built for, and the shared room for levels 16 to 100.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "game/world/level_store.h"

namespace {

constexpr int kSide = 64;
constexpr int kSpikeRow = 62;

// The run-length coding, decoded independently of the game's decoder:
// count letter then tile character; anything else between pairs is skipped.
std::string Decode(const String& coded) {
    std::string out;
    const int n = coded.Length();
    for (int i = 0; i < n; ++i) {
        const int c = coded[i];
        if (c < 'A' || c > 'z') continue;
        const int count = c <= 'Z' ? c - 64 : c - 70;
        if (++i >= n) break;
        out.append(static_cast<size_t>(count), static_cast<char>(coded[i]));
    }
    return out;
}

char At(const std::string& map, int x, int y) { return map[static_cast<size_t>(y * kSide + x)]; }

std::map<char, int> Census(const std::string& map) {
    std::map<char, int> counts;
    for (char c : map) ++counts[c];
    return counts;
}

bool IsSpike(char c) { return c >= '5' && c <= '8'; }

// Walls on all four edges and spikes along row 62 between them.
void ExpectFrame(const std::string& map, const std::string& name) {
    for (int i = 0; i < kSide; ++i) {
        EXPECT_EQ('2', At(map, i, 0)) << name << ": top edge at column " << i;
        EXPECT_EQ('2', At(map, i, kSide - 1)) << name << ": bottom edge at column " << i;
        EXPECT_EQ('2', At(map, 0, i)) << name << ": left edge at row " << i;
        EXPECT_EQ('2', At(map, kSide - 1, i)) << name << ": right edge at row " << i;
    }
    for (int x = 1; x < kSide - 1; ++x) {
        EXPECT_TRUE(IsSpike(At(map, x, kSpikeRow))) << name << ": row 62 column " << x << " holds '"
                                                    << At(map, x, kSpikeRow) << "', expected spikes";
    }
}

const char kTileCharacters[] = "0123456789DdP$SXx)(}{Bb";

}  // namespace

class StoredLevel : public ::testing::TestWithParam<int> {};

TEST_P(StoredLevel, KeepsTheRulesOfEveryLevel) {
    const int level = GetParam();
    const std::string name = "level " + std::to_string(level);
    const std::string map = Decode(kp_Levels_FetchLevel(level));
    ASSERT_EQ(static_cast<size_t>(kSide * kSide), map.size()) << name << " decodes to the wrong number of tiles";
    ExpectFrame(map, name);
    for (char c : map) {
        EXPECT_NE(nullptr, std::strchr(kTileCharacters, c)) << name << ": unknown tile character '" << c << "'";
    }
    std::map<char, int> counts = Census(map);
    EXPECT_EQ(1, counts['S']) << name << ": starts";
    EXPECT_EQ(1, counts['X']) << name << ": exits";
    const int trees = counts['x'] + counts['$'];
    EXPECT_GE(trees, 1) << name << ": trees";
    EXPECT_LE(trees, 8) << name << ": trees";
    EXPECT_LE(counts['P'], 1) << name << ": plungers";
    const bool launchersAllowed = level == 7 || level == 8 || level == 9 || level == 11 || level == 12 || level == 14;
    const int launchers = counts['}'] + counts['{'];
    if (!launchersAllowed) {
        EXPECT_EQ(0, launchers) << name << ": launchers";
    }
}

INSTANTIATE_TEST_SUITE_P(AllFifteen, StoredLevel, ::testing::Range(1, 16));

TEST(StoredLevels, AreFifteenDifferentMaps) {
    std::map<std::string, int> seen;
    for (int level = 1; level <= 15; ++level) {
        const std::string map = Decode(kp_Levels_FetchLevel(level));
        auto [it, fresh] = seen.emplace(map, level);
        EXPECT_TRUE(fresh) << "level " << level << " is the same map as level " << it->second;
    }
}

TEST(StoredLevels, LevelOneIsTheRoomOfTheFirstLesson) {
    const std::string map = Decode(kp_Levels_FetchLevel(1));
    ASSERT_EQ(static_cast<size_t>(kSide * kSide), map.size());
    EXPECT_EQ('x', At(map, 31, 41));
    EXPECT_EQ('S', At(map, 34, 41));
    EXPECT_EQ('X', At(map, 35, 41));
}

TEST(StoredLevels, LaunchersAppearFromLevelSeven) {
    int firstWithLaunchers = 0;
    for (int level = 15; level >= 1; --level) {
        std::map<char, int> counts = Census(Decode(kp_Levels_FetchLevel(level)));
        if (counts['}'] + counts['{'] > 0) firstWithLaunchers = level;
    }
    EXPECT_EQ(7, firstWithLaunchers);
}

// The tutorial's places in levels 2 and 3.
TEST(StoredLevels, LevelTwoHasThreeTreesAndTheTutorialBlocks) {
    const std::string map = Decode(kp_Levels_FetchLevel(2));
    std::map<char, int> counts = Census(map);
    EXPECT_EQ(3, counts['x'] + counts['$']);
    // The block to jump onto, left of (24, 53), and the pit tree left of (18, 52).
    EXPECT_EQ('2', At(map, 23, 53));
    EXPECT_EQ('0', At(map, 23, 52));
    EXPECT_EQ('x', At(map, 15, 53));
    // Spikes just right of (23, 49) with room to jump over them.
    EXPECT_TRUE(IsSpike(At(map, 25, 49)) && IsSpike(At(map, 26, 49)));
    EXPECT_EQ('0', At(map, 26, 48));
}

TEST(StoredLevels, LevelThreeHasTheBarThePlungerAndTheFlipBlocks) {
    const std::string map = Decode(kp_Levels_FetchLevel(3));
    std::map<char, int> counts = Census(map);
    EXPECT_GE(counts['x'] + counts['$'], 3);
    EXPECT_EQ('2', At(map, 40, 26)) << "the block to hop onto";
    for (int x = 39; x <= 47; ++x) EXPECT_EQ('1', At(map, x, 24)) << "grip bar at column " << x;
    EXPECT_EQ('x', At(map, 40, 23)) << "the tree on the platform above the bar";
    for (int x = 41; x <= 46; ++x) EXPECT_TRUE(IsSpike(At(map, x, 26))) << "spikes under the bar at " << x;
    EXPECT_EQ('P', At(map, 52, 30));
    EXPECT_GE(counts['d'] + counts['D'], 3);
}

TEST(StoredLevels, SharedRoomServesLevelsSixteenToAHundred) {
    const String room = kp_Levels_FetchLevel(16);
    EXPECT_TRUE(room == kp_Levels_FetchLevel(100));
    EXPECT_EQ(0, kp_Levels_FetchLevel(0).Length());
    EXPECT_EQ(0, kp_Levels_FetchLevel(101).Length());
    const std::string map = Decode(room);
    ASSERT_EQ(static_cast<size_t>(kSide * kSide), map.size());
    ExpectFrame(map, "room");
    std::map<char, int> counts = Census(map);
    EXPECT_EQ(1, counts['S']);
    EXPECT_EQ(0, counts['X']);
    EXPECT_EQ(0, counts['x'] + counts['$']);
    EXPECT_EQ(2, counts['4']);
    EXPECT_GE(counts['3'], 1);
    EXPECT_GE(counts['1'], 1);
}
