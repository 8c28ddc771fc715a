// The hero's movement rules, driven by real key presses on small maps.
#include "world_fixture.h"

namespace {

class Movement : public WorldTest {};

TEST_F(Movement, TapOfLeftWhileFacingRightOnlyTurns) {
    BuildMap({"00000", "00S00", "22222"});
    Press(kKeyLeftArrow);
    Run();
    EXPECT_EQ(app->m_playerState, 5) << "a press of left while facing right starts the turn";
    EXPECT_EQ(app->m_facing, -1);
    Release(kKeyLeftArrow);
    Run();
    EXPECT_EQ(app->m_playerState, 0) << "releasing every key ends the turn at once";
    EXPECT_EQ(app->m_playerX, 12);
    EXPECT_EQ(app->m_playerSubX, 0);
}

TEST_F(Movement, HoldingLeftTurnsFor15UpdatesThenWalksATileEvery8) {
    BuildMap({"000000000", "00000000S", "222222222"});
    Press(kKeyLeftArrow);
    int firstMove = 0;
    for (int i = 1; i <= 40 && !firstMove; ++i) {
        Run();
        if (app->m_playerSubX != 0 || app->m_playerX != 18) firstMove = i;
    }
    EXPECT_EQ(firstMove, 16) << "15 updates of turning come before the first step";
    Run(7);
    EXPECT_EQ(app->m_playerX, 17) << "one tile every 8 updates";
    EXPECT_EQ(app->m_playerSubX, 0);
    Run(8);
    EXPECT_EQ(app->m_playerX, 16) << "no pause between tiles";
}

TEST_F(Movement, WalkingOffALedgeFallsFourPixelsPerUpdate) {
    BuildMap({"S0000", "20000", "00000", "22222"});
    Press(kKeyRightArrow);
    Run(8);
    Release(kKeyRightArrow);
    EXPECT_EQ(app->m_playerX, 11);
    Run();
    EXPECT_EQ(app->m_playerState, 2) << "no floor below after the step: a fall";
    EXPECT_EQ(app->m_playerSubY, 4);
    Run(3);
    EXPECT_EQ(app->m_playerY, 21);
    EXPECT_EQ(RunUntilStanding(), 4) << "the next tile down also takes 4 updates";
    Run(3);
    EXPECT_EQ(app->m_playerY, 22) << "lands on the floor";
    EXPECT_EQ(app->m_playerState, 0);
}

TEST_F(Movement, StandingOnALadderNeverFalls) {
    BuildMap({"000", "030", "000", "000", "222"});
    PlaceHero(11, 21);
    Run(30);
    EXPECT_EQ(app->m_playerY, 21);
    EXPECT_EQ(app->m_playerState, 0);
}

TEST_F(Movement, ClimbingUpALadderTakesEightUpdatesPerTile) {
    BuildMap({"030", "030", "0S0", "222"});
    app->p_PutBlock(11, 22, 3, 0, 0, 0);
    Press(kKeyUpArrow);
    auto sounds = Run(8);
    EXPECT_EQ(app->m_playerY, 21);
    EXPECT_TRUE(Contains(sounds, 5)) << "the climbing sound";
}

TEST_F(Movement, HangingFromAGripBarShufflesAndDropsWhenGripIsReleased) {
    BuildMap({"0000000", "1111111", "0000000", "0000000", "2222222"});
    PlaceHero(12, 21);
    Press(kKeyHold);
    Run(10);
    EXPECT_EQ(app->m_playerY, 21) << "grip held: no fall";
    EXPECT_EQ(app->m_animCounter / 4, 20) << "the hanging pose";
    Press(kKeyRightArrow);
    auto sounds = Run(8);
    Release(kKeyRightArrow);
    EXPECT_EQ(app->m_playerX, 13);
    EXPECT_TRUE(Contains(sounds, 7)) << "shuffle sound";
    EXPECT_FALSE(Contains(sounds, 2)) << "no footsteps while hanging";
    Release(kKeyHold);
    Run();
    EXPECT_EQ(app->m_playerState, 2) << "letting go drops the hero";
}

TEST_F(Movement, OnAGripHandleTheHeroCanNeitherWalkNorTurnButCanJump) {
    BuildMap({"0000000", "0000000", "0000000", "0000000", "2222222"});
    app->p_PutBlock(12, 22, 23, 0, 0, 0);  // a handle facing left
    PlaceHero(12, 22);
    Press(kKeyHold);
    Run(3);
    EXPECT_EQ(app->m_facing, -1) << "the hero faces the handle's way";
    EXPECT_EQ(app->m_playerY, 22) << "held: no fall";
    Press(kKeyRightArrow);
    Run(20);
    EXPECT_EQ(app->m_playerX, 12) << "no walking";
    EXPECT_EQ(app->m_facing, -1) << "no turning";
    Press(kKeyJumpR);
    Run();
    EXPECT_EQ(app->m_playerState, 6) << "a jump still starts";
}

TEST_F(Movement, AJumpCrossesThreeColumnsAndOneRowIn24Updates) {
    BuildMap({"00000000", "00000000", "S0000000", "22222222"});
    Press(kKeyJumpR);
    auto sounds = Run(23);
    EXPECT_NE(app->m_playerState, 0) << "still in the air after 23 updates";
    EXPECT_TRUE(Contains(sounds, 3)) << "the jump sound";
    Run();
    EXPECT_EQ(app->m_playerState, 0);
    EXPECT_EQ(app->m_playerX, 13);
    EXPECT_EQ(app->m_playerY, 21);
    Run();
    EXPECT_EQ(app->m_playerState, 2) << "landing above empty space turns into a fall";
}

TEST_F(Movement, JumpNeedsClearTilesAboveAndStopsAgainstWallsAndOnFloor) {
    // A wall above the hero: no jump.
    BuildMap({"00000000", "20000000", "S0000000", "22222222"});
    Press(kKeyJumpR);
    Run(3);
    EXPECT_EQ(app->m_playerState, 0);
    EXPECT_EQ(app->m_playerX, 10);
    Release(kKeyJumpR);

    // A wall ahead on the jump's row: the jump ends after two tiles.
    BuildMap({"00000000", "00020000", "S0000000", "22222222"});
    Press(kKeyJumpR);
    Run(16);
    EXPECT_EQ(app->m_playerState, 0);
    EXPECT_EQ(app->m_playerX, 12);
    EXPECT_EQ(app->m_playerY, 21);
    Release(kKeyJumpR);

    // Floor below the first tile: the jump ends there.
    BuildMap({"00000000", "00000000", "S2000000", "22222222"});
    Press(kKeyJumpR);
    Run(8);
    EXPECT_EQ(app->m_playerState, 0);
    EXPECT_EQ(app->m_playerX, 11);
    EXPECT_EQ(app->m_playerY, 21);
}

TEST_F(Movement, HoldingTheJumpButtonDoesNotRepeatTheJump) {
    BuildMap({"000000000000", "000000000000", "S00000000000", "222222222222"});
    Press(kKeyJumpR);
    auto sounds = Run(80);
    int jumps = 0;
    for (int id : sounds) jumps += id == 3;
    EXPECT_EQ(jumps, 1);
    Release(kKeyJumpR);
    Run();
    Press(kKeyJumpR);
    Run();
    EXPECT_EQ(app->m_playerState, 6) << "after a release the button jumps again";
}

struct SchemeCase {
    int scheme;          // 1 one button, 2 two buttons
    int facing;
    std::vector<int> keys;
    int expectFacing;    // direction of the jump
};

TEST_F(Movement, JumpSchemesPickTheDirection) {
    const SchemeCase cases[] = {
        {2, 1, {kKeyJumpL}, -1},
        {2, 1, {kKeyJumpR}, 1},
        {2, -1, {kKeyJumpR}, 1},
        {2, 1, {kKeyJumpL, kKeyJumpR}, -1},
        {2, 1, {kKeyJumpL, kKeyJumpR, kKeyRightArrow}, 1},
        {1, 1, {kKeyJumpL}, 1},
        {1, -1, {kKeyJumpL}, -1},
        {1, -1, {kKeyJumpR, kKeyRightArrow}, 1},
        {1, 1, {kKeyJumpL, kKeyLeftArrow}, -1},
    };
    for (const SchemeCase& c : cases) {
        BuildMap({"0000000", "0000000", "000S000", "2222222"});
        app->m_settings[1] = c.scheme;
        app->m_facing = c.facing;
        for (int key : c.keys) Press(key);
        Run();
        EXPECT_EQ(app->m_playerState, 6) << "scheme " << c.scheme << " facing " << c.facing;
        EXPECT_EQ(app->m_facing, c.expectFacing) << "scheme " << c.scheme << " facing " << c.facing;
        ReleaseAll();
        Run();
    }
}

TEST_F(Movement, SpikesKillOnlyAHeroAtRest) {
    // Jumping across spikes is safe.
    BuildMap({"00000000", "05500000", "S0000000", "22222222"});
    Press(kKeyJumpR);
    for (int i = 0; i < 40; ++i) {
        Run();
        ASSERT_NE(app->m_playerState, 9) << "died in the air at update " << i;
    }
    Release(kKeyJumpR);

    // Walking onto them is not.
    BuildMap({"00000", "S5000", "22222"});
    Press(kKeyRightArrow);
    Run(8);
    Release(kKeyRightArrow);
    auto sounds = Run();
    EXPECT_EQ(app->m_playerState, 9);
    EXPECT_TRUE(Contains(sounds, 6)) << "the death sound";
    Run(119);
    EXPECT_EQ(app->m_playerState, 9) << "dying takes 121 updates";
    Run();
    EXPECT_EQ(app->m_playerState, 0);
    EXPECT_EQ(app->m_playerX, 34) << "the level is rebuilt: the hero is back on level 1's start";
    EXPECT_EQ(app->m_playerY, 41);
}

TEST_F(Movement, NoControlWorksDuringTheDropIn) {
    BuildMap({"00000", "S0000", "22222"});
    app->m_dropIn = -800;
    Press(kKeyRightArrow);
    std::vector<int> sounds;
    for (int i = 1; i <= 50; ++i) {
        auto s = Run();
        sounds.insert(sounds.end(), s.begin(), s.end());
        ASSERT_EQ(app->m_playerState, 0) << "update " << i;
        ASSERT_EQ(app->m_playerSubX, 0) << "update " << i;
    }
    EXPECT_EQ(app->m_dropIn, 0.0f);
    EXPECT_TRUE(Contains(sounds, 23)) << "the drop-in sound";
    Run();
    EXPECT_EQ(app->m_playerState, 1) << "the first update after the drop-in walks";
}

TEST_F(Movement, TheExitOpensFromTheSecondUpdateAfterTheLastTreeIsLit) {
    BuildMap({"000000", "x0000X", "222222"});
    PlaceHero(15, 21);
    Run(5);
    EXPECT_EQ(app->m_playerState, 0) << "locked while a tree is unlit";
    app->p_PutBlock(10, 21, 20, 0, 0, 0);
    std::vector<int> sounds;
    for (int i = 0; i < 2; ++i) {
        auto s = Run();
        sounds.insert(sounds.end(), s.begin(), s.end());
        EXPECT_EQ(app->m_playerState, 0) << "update " << i + 1 << " after lighting";
    }
    auto s = Run();
    sounds.insert(sounds.end(), s.begin(), s.end());
    EXPECT_EQ(app->m_playerState, 10) << "the third update takes the exit";
    int lastTree = 0;
    for (int id : sounds) lastTree += id == 17;
    EXPECT_EQ(lastTree, 1) << "the last-tree sound plays exactly once";
    EXPECT_TRUE(Contains(sounds, 20)) << "stepping onto the open exit";

    // The exit sequence leads to the next level after 121 updates.
    const int level = app->m_level;
    sounds = Run(119);
    EXPECT_TRUE(Contains(sounds, 24)) << "the burst";
    EXPECT_EQ(app->m_level, level);
    Run();
    EXPECT_EQ(app->m_level, level + 1);
    EXPECT_EQ(app->m_playerState, 0);
}

}  // namespace
