// What the keys and the pointer do on the main menu, in the pause panel, in
// the credits and on the ending, through the whole game.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/shell/globals.h"
#include "input/input_device.h"
#include "tests/testhost/test_game.h"

namespace {

// Key codes by meaning: arrows, enter, space, escape, delete, backspace, shift, control, letters.
constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
constexpr int kEnter = 13, kSpace = 32, kEscape = 27, kDelete = 46, kBackspace = 8, kShift = 16, kCtrl = 17;
constexpr int Joy(int button) { return kKeyJoyBase + button; }  // joystick 0
constexpr int kSchemeSetting = 1, kHelpSetting = 3, kSoundSetting = 5;
constexpr int kConfirmSound = 98, kCreditsSound = 99;
constexpr float kFont = 90.0f;

// The shared game on its main menu, the slide-in over, the first entry selected.
TestGame& OnTheMenu() {
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    app.m_screen = kScreenMenu;
    app.m_menuSel = app.m_creditsOpen = app.m_creditsSlide = app.m_pauseShown = 0;
    app.m_settings[kSoundSetting] = 1;
    app.m_settings[kHelpSetting] = 0;
    game.Step(33);
    return game;
}

// The shared game in level 1, the drop-in over, the hero standing: facing
// right, with the jump scheme given.
TestGame& InAGame(int facing = 1, int scheme = 1) {
    TestGame& game = OnTheMenu();
    game.app().p_LoadGame();
    game.app().m_dropIn = 0;
    game.app().m_facing = facing;
    game.app().m_settings[kSchemeSetting] = scheme;
    game.Step();
    return game;
}

struct Promise {
    const char* what;
    std::vector<int> keys;
    std::function<TestGame&()> before;
    std::function<bool(c_MyApp&)> done;
};

TEST(Controls, EveryKeyDoesWhatTheControlsPromise) {
    const Promise promises[] = {
        {"moves the selection up", {kUp, 'W', kLeft, 'A', Joy(9), Joy(8)},
         [] () -> TestGame& { TestGame& g = OnTheMenu(); g.app().m_menuSel = 1; return g; },
         [](c_MyApp& a) { return a.m_menuSel == 0; }},
        {"moves the selection down", {kDown, 'S', kRight, 'D', Joy(11), Joy(10)}, OnTheMenu,
         [](c_MyApp& a) { return a.m_menuSel == 1; }},
        {"confirms on the main menu",
         {'Z', 'J', kSpace, kEnter, 'X', 'K', kCtrl, 'C', 'L', kShift, 'V', 'I', Joy(0), Joy(1), Joy(2), Joy(3)},
         OnTheMenu, [](c_MyApp& a) { return a.m_screen == kScreenNewGame; }},
        {"opens the credits", {'N', 'O', Joy(5)}, OnTheMenu, [](c_MyApp& a) { return a.m_creditsOpen == 1; }},
        {"turns the hero left", {kLeft, 'A', Joy(8)}, [] () -> TestGame& { return InAGame(); },
         [](c_MyApp& a) { return a.m_facing == -1; }},
        {"turns the hero right", {kRight, 'D', Joy(10)}, [] () -> TestGame& { return InAGame(-1); },
         [](c_MyApp& a) { return a.m_facing == 1 && a.m_playerState != 0; }},
        {"jumps to the left with two buttons", {'X', 'K', kCtrl, Joy(1)}, [] () -> TestGame& { return InAGame(1, 2); },
         [](c_MyApp& a) { return a.m_playerState == 6 && a.m_facing == -1; }},
        {"jumps to the right with two buttons", {'C', 'L', kShift, Joy(2)}, [] () -> TestGame& { return InAGame(-1, 2); },
         [](c_MyApp& a) { return a.m_playerState == 6 && a.m_facing == 1; }},
        {"pauses the game", {kEscape, kDelete, kBackspace, Joy(6), Joy(7), Joy(14)}, [] () -> TestGame& { return InAGame(); },
         [](c_MyApp& a) { return a.m_pauseShown == 1; }},
    };
    for (const Promise& p : promises) {
        for (int key : p.keys) {
            TestGame& game = p.before();
            game.host().KeyDown(key);
            game.Step();
            EXPECT_TRUE(p.done(game.app())) << "key " << key << " " << p.what;
            game.host().KeyUp(key);
        }
    }
}

TEST(MainMenu, SelectionStopsAtTheEndsAndSoundsOnlyWhenItMoves) {
    const struct {
        int key, selection;
        float rate;  // 0: no sound
    } steps[] = {{kUp, 0, 0}, {kDown, 1, 1.2f}, {kDown, 2, 1.2f}, {kDown, 2, 0}, {kUp, 1, 0.8f}, {kUp, 0, 0.8f}};
    TestGame& game = OnTheMenu();
    c_MyApp& app = game.app();
    for (const auto& s : steps) {
        const int channel = app.m_sfxChannel;
        game.PressKey(s.key);
        EXPECT_EQ(app.m_menuSel, s.selection) << "key " << s.key;
        if (s.rate == 0) {
            EXPECT_EQ(app.m_sfxChannel, channel) << "no sound at the end of the range";
        } else {
            ASSERT_NE(app.m_sfxChannel, channel) << "key " << s.key;
            EXPECT_EQ(game.SoundOn(app.m_sfxChannel), kConfirmSound);
            EXPECT_FLOAT_EQ(ChannelPitch(app.m_sfxChannel), s.rate);
            EXPECT_FLOAT_EQ(ChannelGain(app.m_sfxChannel), 0.5f);
        }
    }
    // Both keys of one control held: one move; the latch clears when both are up.
    game.host().KeyDown(kDown);
    game.host().KeyDown('S');
    game.Step();
    game.host().KeyUp(kDown);
    game.Step();
    EXPECT_EQ(app.m_menuSel, 1) << "S still held";
    game.host().KeyUp('S');
    game.Step();
    EXPECT_EQ(app.m_keyLatch, 0);
}

TEST(MainMenu, TheActionKeyActsOnTheSelection) {
    TestGame& game = OnTheMenu();
    c_MyApp& app = game.app();
    const struct {
        int selection, setting, before, after;
    } cases[] = {{1, kHelpSetting, 0, 1}, {1, kHelpSetting, 1, 0}, {2, kSchemeSetting, 1, 2}, {2, kSchemeSetting, 2, 1},
                 {1, kHelpSetting, 7, 1}, {2, kSchemeSetting, 0, 2}};  // out of range: mended first
    for (const auto& c : cases) {
        app.m_menuSel = c.selection;
        app.m_settings[c.setting] = c.before;
        game.PressKey(kEnter);
        EXPECT_EQ(app.m_settings[c.setting], c.after) << "setting " << c.setting << " from " << c.before;
    }
}

// Drawn in the state left in place: the jump scheme's caption (on the right)
// takes the key letters' green.
TEST(MainMenu, TheJumpSchemeCaptionTakesTheKeyLettersColour) {
    TestGame& game = OnTheMenu();
    int glyphs = 0;
    for (const DrawRecord& d : game.Records(kFont)) {
        if (d.y != 480 - 64 + 40 || d.x < 320) continue;
        ++glyphs;
        EXPECT_TRUE(d.red == 0 && d.green == 180 && d.blue == 0) << d.red << "," << d.green << "," << d.blue;
    }
    EXPECT_GT(glyphs, 10) << "no \" 1-Button-Jump\" caption";
}

TEST(MainMenu, TheCreditsBlockTheMenuAndTheirClosingPressActsOnNothing) {
    TestGame& game = OnTheMenu();
    c_MyApp& app = game.app();
    game.Click(640 - 70.0f, 480 - 40.0f);  // the studio logo
    ASSERT_EQ(app.m_creditsOpen, 1);
    EXPECT_EQ(game.SoundOn(app.m_sfxChannel), kCreditsSound);
    game.PressKey(kDown);
    EXPECT_EQ(app.m_menuSel, 0) << "the selection does not move";
    // Escape closes the box; enter held in the same update starts no game.
    game.host().KeyDown(kEscape);
    game.host().KeyDown(kEnter);
    game.Step();
    EXPECT_EQ(app.m_creditsOpen, 0);
    game.host().KeyUp(kEscape);
    game.host().KeyUp(kEnter);
    game.Step();
    EXPECT_EQ(app.m_screen, kScreenMenu);
    game.Click(320.0f, 480 * 0.6f);
    EXPECT_EQ(app.m_screen, kScreenPlaying) << "play starts a game once the box is closed";
}

// The hero reads the same keys as the panel: left would turn him, so up reaches quit.
TEST(PausePanel, KeysAndClicksActOnItsButtons) {
    TestGame& game = InAGame();
    c_MyApp& app = game.app();
    game.PressKey(kEscape);
    game.Step(15);
    EXPECT_EQ(app.m_pauseY, 248) << "risen by 24 an update to mid-screen";
    for (const DrawRecord& d : game.Records(97)) {
        if (d.y > 64) {
            EXPECT_FLOAT_EQ(d.alpha, 0.6f) << "the panel's buttons at the bottom strip's alpha";
        }
    }
    for (const auto& [key, selection] : {std::pair{kRight, 1}, {kDown, 0}, {kUp, -1}, {kDown, 0}, {kRight, 1}}) {
        game.PressKey(key);
        EXPECT_EQ(app.m_pauseSel, selection) << "key " << key;
    }
    game.PressKey(kEnter);
    EXPECT_EQ(app.m_settings[kSoundSetting], 0) << "the sound button";
    game.PressKey(kEscape);
    game.Step(20);
    EXPECT_EQ(app.m_pauseShown, 0) << "back resumes: the panel slides out";
    game.PressKey(kEscape);
    game.Step(15);
    game.Click(320.0f, static_cast<float>(app.m_pauseY));
    EXPECT_EQ(app.m_pauseDir, -1) << "a click on resume";
    game.Step(20);
    game.PressKey(kEscape);
    game.Step(15);
    game.Click(320.0f - 140.0f, app.m_pauseY - 64.0f);
    EXPECT_EQ(app.m_quitGame, 1) << "a click on quit";
    int updates = 0;
    for (; app.m_screen != kScreenMenu && updates < 200; ++updates) game.Step();
    EXPECT_LE(updates, 100) << "the game-over step returns to the menu";
    game.Step();
    EXPECT_EQ(app.m_menuSlide, -31) << "the title slides in anew";
}

TEST(Presentation, WithHelpOffTheTutorialStaysQuiet) {
    TestGame& game = OnTheMenu();
    c_MyApp& app = game.app();
    app.m_settings[kHelpSetting] = 1;
    app.p_LoadGame();
    game.Step(300);
    EXPECT_EQ(app.m_tutStep, 0);
    EXPECT_EQ(app.m_tutShown, 0);
}

TEST(Presentation, TheEndingWaitsForAFreshPress) {
    TestGame& game = InAGame();
    c_MyApp& app = game.app();
    app.m_level = 15;
    app.m_playerState = 10;  // leaving level 15
    app.m_stateTimer = 0;
    game.host().KeyDown(kEnter);  // held from the last level
    game.Step();
    ASSERT_EQ(app.m_screen, kScreenEnding);
    game.Step(30);
    EXPECT_EQ(app.m_screen, kScreenEnding) << "a key still held does nothing";
    EXPECT_GT(game.Records(kFont).size(), 60u) << "the ending's texts";
    game.host().KeyUp(kEnter);
    game.Step();
    game.PressKey(kEnter);
    EXPECT_EQ(app.m_screen, kScreenMenu) << "a fresh press returns to the menu";
}

}  // namespace
