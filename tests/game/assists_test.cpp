// The assists and comfort settings on the shared game, played live: a slower
// game advances the round on its pattern and records a run that verifies,
// says it is assisted and is kept apart from the records of normal speed; a
// tap while the round stands still still counts; the grip toggles; calm
// effects leave the round as it is; the effects volume reaches the channels;
// the open exit is told by its ring.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/world/tiles.h"
#include "tests/testhost/test_game.h"

namespace {

constexpr int kSchemeSetting = 1, kHelpSetting = 3, kSoundSetting = 5;
constexpr int kJumping = 6;

class Assists : public testing::Test {
protected:
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();

    void SetUp() override {
        app.m_records = GameRecords();
        app.m_playerSettings = kp_settings_Defaults(false);
        app.m_settings[kHelpSetting] = 1;
        app.m_settings[kSchemeSetting] = 1;
        app.m_settings[kSoundSetting] = 1;
    }
    void TearDown() override { app.m_playerSettings = kp_settings_Defaults(false); }

    // Level n entered from a new game, at a speed, the drop-in played through.
    void Enter(int level, int speed) {
        app.m_playerSettings.speed = speed;
        app.p_LoadGame();
        if (level != 1) app.p_BeginLevel(level);
    }

    // A script played live, the way a player at a slower speed plays it: in
    // each of the host's updates the keys of the round update to come are held.
    int PlayLive(const InputScript& script) {
        int hostUpdates = 0;
        while (!app.m_levelDone && app.m_levelUpdates < script.Updates() && hostUpdates < 4 * script.Updates()) {
            game.HoldKeys(script.KeysAt(app.m_levelUpdates));
            game.host().StepWithoutRender();
            ++hostUpdates;
        }
        game.HoldKeys(0);
        return hostUpdates;
    }
};

// At s percent the round takes s of every 100 updates, spread out: never two
// updates in a row standing still while it takes at least half.
TEST_F(Assists, ASlowerGameAdvancesTheRoundOnItsPattern) {
    for (int speed = kSpeedSlowest; speed <= kSpeedNormal; speed += kSpeedStep) {
        Enter(1, speed);
        int advanced = 0, stillInARow = 0, longestStill = 0;
        for (int i = 0; i < 100; ++i) {
            const int before = app.m_levelUpdates;
            game.host().StepWithoutRender();
            const bool moved = app.m_levelUpdates != before;
            advanced += moved;
            stillInARow = moved ? 0 : stillInARow + 1;
            longestStill = std::max(longestStill, stillInARow);
        }
        EXPECT_EQ(advanced, speed) << "round updates in 100 at " << speed << " %";
        EXPECT_LE(longestStill, 1) << "at " << speed << " %";
    }
}

// Level 1 played live at 70 %: its run takes 10 host updates for every 7 of
// its own, verifies, says it is assisted, and is kept apart, in its own file.
TEST_F(Assists, ARunAtSeventyPercentVerifiesAndIsKeptApart) {
    const InputScript script = LevelScript(1);
    Enter(1, 70);
    const int hostUpdates = PlayLive(script);
    ASSERT_TRUE(app.m_levelDone) << "the script reaches the exit at 70 %";
    EXPECT_NEAR(hostUpdates, script.Updates() * 100 / 70, 2) << "host updates of " << script.Updates() << " round updates";
    EXPECT_EQ(app.m_records.levels[0].bestUpdates, 0) << "no record of normal speed";
    const LevelRecord& kept = app.m_records.assisted[0];
    EXPECT_EQ(kept.bestUpdates, script.Updates());
    EXPECT_EQ(kept.speed, 70);
    Replay replay;
    bool valid = false;
    const std::string line = app.p_CheckReplay(kept.replay, &replay, &valid).ToUtf8();
    EXPECT_TRUE(valid) << line;
    EXPECT_NE(line.find("assisted: played at 70 % speed"), std::string::npos) << line;
    const std::string file = game.host().BesideStatePath("replays/level01-assisted.glimmer-replay");
    EXPECT_EQ(ReadFile(file), std::string(kept.replay.begin(), kept.replay.end())) << file;

    // Then at normal speed: a record of its own, the assisted one untouched.
    Enter(1, kSpeedNormal);
    game.Play(script);
    EXPECT_EQ(app.m_records.levels[0].bestUpdates, script.Updates());
    EXPECT_EQ(app.m_records.assisted[0].replay, kept.replay);
}

// A jump tapped for a single update in which a slow round stands still is
// taken by the round's next update. At 50 % the round stands still in every
// second update of the level (its 2nd, 4th, ...).
TEST_F(Assists, ATapWhileTheRoundStandsStillStillCounts) {
    Enter(1, 50);
    while (app.m_dropIn < 0 || app.m_paceUpdates % 2 == 0) game.host().StepWithoutRender();
    const int before = app.m_levelUpdates;
    game.host().KeyDown('X');
    game.host().StepWithoutRender();
    game.host().KeyUp('X');
    ASSERT_EQ(app.m_levelUpdates, before) << "the tap's update is one the round stands still in";
    game.host().StepWithoutRender();
    EXPECT_EQ(app.m_playerState, kJumping) << "the next round update takes the tap";
}

// With the grip toggled, a press grips until the next press; a new level starts without it.
TEST_F(Assists, TheGripTogglesAndANewLevelStartsWithoutIt) {
    app.m_playerSettings.gripToggled = true;
    Enter(1, kSpeedNormal);
    const struct {
        bool keyDown;
        bool grip;   // as the round sees it
    } steps[] = {{true, true}, {false, true}, {false, true}, {true, false}, {false, false}, {true, true}, {false, true}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        game.HoldKeys(steps[i].keyDown ? static_cast<unsigned>(kReplayGrip) : 0u);
        game.host().StepWithoutRender();
        EXPECT_EQ((app.m_roundKeys & kReplayGrip) != 0, steps[i].grip) << "step " << i;
    }
    game.HoldKeys(0);
    app.p_BeginLevel(2);
    game.host().StepWithoutRender();
    EXPECT_EQ(app.m_roundKeys & kReplayGrip, 0u) << "level 2 starts with the grip off";
}

// Calm effects change the picture alone: the run ends in the state it recorded.
TEST_F(Assists, CalmEffectsLeaveTheRoundAsItIs) {
    const InputScript script = LevelScript(3);
    app.m_playerSettings.calm = true;
    Enter(3, kSpeedNormal);
    game.Play(script);
    ASSERT_TRUE(app.m_levelDone);
    bool valid = false;
    Replay replay;
    const std::string line = app.p_CheckReplay(app.m_records.levels[2].replay, &replay, &valid).ToUtf8();
    EXPECT_TRUE(valid) << line;
}

// The effects volume scales every effect's gain; the menu's sound plays at half volume.
TEST_F(Assists, TheEffectsVolumeScalesEveryEffect) {
    for (const int volume : {100, 50, 0}) {
        app.m_playerSettings.effectsVolume = volume;
        app.m_screen = kScreenMenu;
        app.m_menuSel = 0;
        game.Step();
        game.PressKey(40);   // down: a sound at volume 0.5
        EXPECT_FLOAT_EQ(ChannelGain(app.m_sfxChannel), 0.5f * volume / 100) << volume << " %";
        game.PressKey(38);
    }
}

// An open exit is ringed (a shape, not its brightness alone); a locked one is not.
TEST_F(Assists, TheOpenExitIsRingedAndTheLockedOneIsNot) {
    constexpr float kStarImage = 9;
    constexpr float kRingFrame = 1;
    const auto rings = [&] {
        int count = 0;
        for (const DrawRecord& d : game.Records(kStarImage)) count += d.frame == kRingFrame;
        return count;
    };
    Enter(1, kSpeedNormal);
    game.Step(60);
    EXPECT_EQ(rings(), 0) << "level 1 at its start: the exit is locked";
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (app.p_Tile(x, y) == kTileTreeUnlit) app.p_PutBlock(x, y, kTileTreeLit, 0, 0, 0);
        }
    }
    game.Step(2);
    EXPECT_EQ(rings(), 1) << "every tree lit: the exit is open";
}

}  // namespace
