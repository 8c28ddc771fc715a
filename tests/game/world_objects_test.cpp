// Level objects: launchers and their movers, plungers and flip blocks.
#include "world_fixture.h"

namespace {

class Objects : public WorldTest {
protected:
    // Records in use, as (type, column).
    std::vector<std::pair<int, int>> Movers() {
        std::vector<std::pair<int, int>> out;
        for (int r = 0; r < kMoverRecords; ++r) {
            int type = app->m_movers.Get(r * 10);
            if (type != 0) out.push_back({type, app->m_movers.Get(r * 10 + 1)});
        }
        return out;
    }
};

TEST_F(Objects, ALauncherFiresWhenItsPhaseComesRoundIntoTheHighestFreeRecord) {
    BuildMap({"S000000000", "2222222222", "0000000000", "0}00000000", "2222222222"});
    const int x = 11, y = 23;
    const int phase = (23 * x + 35 * y) % 120;
    ASSERT_EQ(app->m_map.Get(app->p_CellIndex(x, y) + 9), phase);
    Run(120 - phase - 1);
    EXPECT_TRUE(Movers().empty()) << "nothing fired before the phase came round";
    auto sounds = Run();
    ASSERT_EQ(Movers().size(), 1u);
    EXPECT_EQ(app->m_movers.Get(250 * 10), 27) << "record 250 takes the first shot, sliding right";
    EXPECT_TRUE(Contains(sounds, 14)) << "the launch sound (the hero is near)";
    Run(120);
    EXPECT_EQ(Movers().size(), 2u) << "one shot every 120 updates";
}

TEST_F(Objects, LaunchersWaitForTheDropIn) {
    BuildMap({"S000000000", "2222222222", "0000000000", "0}00000002", "2222222222"});
    app->m_dropIn = -800;
    Run(49);
    EXPECT_TRUE(Movers().empty());
}

TEST_F(Objects, MoversPassLaunchersAndBreakOnWallsAndClosedFlipBlocks) {
    BuildMap({"S0000000000000", "22222222222222", "00000000000000", "0}00{000D00002", "22222222222222"});
    auto sounds = Run(250);
    // The mover from (11,23) passes the launcher at (14,23) and breaks on the "D" block at (18,23).
    bool broke = Contains(sounds, 15);
    EXPECT_TRUE(broke) << "a hazard broke";
    for (auto [type, col] : Movers()) {
        EXPECT_LE(col, 18) << "no mover passed the closed flip block";
    }
    // With one plunger running the "D" block is open and movers reach the wall instead.
    BuildMap({"S0000000000000", "22222222222222", "00000000000000", "0}000000D00002", "22222222222222"});
    app->p_PutBlock(20, 20, 11, 0, 0, 480);  // a plunger already pressed
    bool pastBlock = false;
    for (int i = 0; i < 200; ++i) {
        Run();
        for (auto [type, col] : Movers()) pastBlock |= col > 18 && type == 27;
    }
    EXPECT_TRUE(pastBlock) << "an open flip block lets movers through";
}

TEST_F(Objects, AMoverKillsTheHeroAndStopsWhereItIs) {
    BuildMap({"0}000S0002", "2222222222"});
    std::vector<int> sounds;
    for (int i = 0; i < 240 && app->m_playerState != 9; ++i) {
        auto s = Run();
        sounds.insert(sounds.end(), s.begin(), s.end());
    }
    ASSERT_EQ(app->m_playerState, 9) << "the hazard killed the hero";
    EXPECT_TRUE(Contains(sounds, 6));
    auto movers = Movers();
    ASSERT_EQ(movers.size(), 1u);
    EXPECT_EQ(movers[0].first, 25) << "the mover stopped (type 27 - 2)";
    Run(10);
    EXPECT_EQ(Movers().size(), 1u) << "it stays until the level is rebuilt";
}

TEST_F(Objects, APlungerFlipsTheBlocksForFourSecondsAfterTheHeroStepsOff) {
    BuildMap({"000000", "SP00Dd", "222222"});
    EXPECT_TRUE(app->p_isSolid(9));
    EXPECT_FALSE(app->p_isSolid(10));
    Press(kKeyRightArrow);
    Run(8);
    Release(kKeyRightArrow);
    EXPECT_EQ(app->m_playerX, 11) << "on the plunger";
    Run(30);
    EXPECT_EQ(app->m_map.Get(app->p_CellIndex(11, 21) + 9), 478) << "kept at 480 while standing on it";
    EXPECT_FALSE(app->p_isSolid(9)) << "\"D\" blocks open while it runs";
    EXPECT_TRUE(app->p_isSolid(10)) << "\"d\" blocks close";
    // Step back off to the left and count the updates until the blocks change back.
    Press(kKeyLeftArrow);
    int updates = 0;
    std::vector<int> sounds;
    while (app->m_playerX == 11 && updates < 100) {
        auto s = Run();
        sounds.insert(sounds.end(), s.begin(), s.end());
        ++updates;
    }
    Release(kKeyLeftArrow);
    int countdown = 0;
    while (!app->p_isSolid(9) && countdown < 400) {
        auto s = Run();
        sounds.insert(sounds.end(), s.begin(), s.end());
        ++countdown;
    }
    EXPECT_EQ(countdown, 240) << "four seconds after stepping off";
    int ticks = 0;
    for (int id : sounds) ticks += id == 9;
    EXPECT_EQ(ticks, 4) << "ticks at 3, 2, 1 and 0.5 seconds left";
    EXPECT_TRUE(Contains(sounds, 10)) << "the flip sound";
}

TEST_F(Objects, TwoRunningPlungersCancelOut) {
    BuildMap({"000000", "S000Dd", "222222"});
    app->p_PutBlock(20, 25, 11, 0, 0, 400);
    app->p_PutBlock(22, 25, 11, 0, 0, 400);
    Run(2);
    EXPECT_EQ(app->m_flipCount, 2);
    EXPECT_TRUE(app->p_isSolid(9)) << "an even count: as if none ran";
    EXPECT_FALSE(app->p_isSolid(10));
}

}  // namespace
