// What the keys, the gamepad, the pointer and touches do on the main menu, in
// the pause panel, in the credits and on the ending, through the whole game.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "game/shell/globals.h"
#include "input/input_device.h"
#include "tests/testhost/test_game.h"

namespace {

// Key codes by meaning: arrows, enter, space, escape, delete, backspace, shift, control, letters.

// The shared game on its main menu, the slide-in over, the first entry selected.
TestGame& OnTheMenu() {
    TestGame& game = TestGame::Shared();
    c_MyApp& app = game.app();
    app.m_screen = kScreenMenu;
    app.m_menuSel = app.m_creditsOpen = app.m_creditsSlide = app.m_pauseShown = 0;
    app.m_settings[kSettingSound] = 1;
    app.m_settings[kSettingHelpOff] = 0;
    game.Step(33);
    return game;
}

// The shared game in level 1, the drop-in over, the hero standing: facing
// right, with the jump scheme given.
TestGame& InAGame(int facing = 1, int scheme = 1) {
    TestGame& game = OnTheMenu();
    game.app().p_LoadGame();
    game.app().m_pauseY = -64;  // the panel above the screen, as at start
    game.app().m_dropIn = 0;
    game.app().m_facing = facing;
    game.app().m_settings[kSettingScheme] = scheme;
    game.Step();
    return game;
}

// One input: a key; a gamepad button (GLFW's numbering); or the gamepad's
// left stick pushed to (x, y) as GLFW reports it (up is negative y).
struct Input {
    int key = -1, pad = -1;
    float x = 0, y = 0;
};
Input Key(int key) { return {key}; }
Input Pad(int button) { return {-1, button}; }
Input Stick(float x, float y) { return {-1, -1, x, y}; }
std::string Describe(const Input& in) {
    if (in.key >= 0) return "key " + std::to_string(in.key);
    if (in.pad >= 0) return "gamepad button " + std::to_string(in.pad);
    return "stick at " + std::to_string(in.x) + "," + std::to_string(in.y);
}

// Holds the input down (the gamepad is read when the next update polls it).
void Hold(TestGame& game, const Input& in, bool down) {
    TestGamepad& pad = game.gamepad();
    pad.present = true;
    if (in.key >= 0) {
        if (down) game.host().KeyDown(in.key); else game.host().KeyUp(in.key);
    } else if (in.pad >= 0) {
        pad.buttons[in.pad] = down ? GLFW_PRESS : GLFW_RELEASE;
    } else {
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_X] = down ? in.x : 0;
        pad.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = down ? in.y : 0;
    }
}

struct Promise {
    const char* what;
    std::vector<Input> inputs;
    std::function<TestGame&()> before;
    std::function<bool(c_MyApp&)> done;
};

// Keyboard and gamepad alike, the gamepad through the host's mapping and the
// device's polling: each button, each stick direction (beyond 0.4 only).
TEST(Controls, EveryKeyAndGamepadInputDoesWhatTheControlsPromise) {
    const auto selected = [](int selection) {
        return [=]() -> TestGame& { TestGame& g = OnTheMenu(); g.app().m_menuSel = selection; return g; };
    };
    const Promise promises[] = {
        {"moves the selection up",
         {Key(kKeyArrowUp), Key('W'), Key(kKeyArrowLeft), Key('A'), Pad(GLFW_GAMEPAD_BUTTON_DPAD_UP), Pad(GLFW_GAMEPAD_BUTTON_DPAD_LEFT),
          Stick(0, -1), Stick(-1, 0), Stick(0, -0.41f), Stick(-0.41f, 0)},
         selected(1), [](c_MyApp& a) { return a.m_menuSel == 0; }},
        {"moves the selection down",
         {Key(kKeyArrowDown), Key('S'), Key(kKeyArrowRight), Key('D'), Pad(GLFW_GAMEPAD_BUTTON_DPAD_DOWN),
          Pad(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT), Stick(0, 1), Stick(1, 0), Stick(0, 0.41f), Stick(0.41f, 0)},
         OnTheMenu, [](c_MyApp& a) { return a.m_menuSel == 1; }},
        {"leaves the selection at the stick's threshold",
         {Stick(0, 0.4f), Stick(0.4f, 0), Stick(0, -0.4f), Stick(-0.4f, 0), Stick(0.3f, 0.3f)}, selected(1),
         [](c_MyApp& a) { return a.m_menuSel == 1; }},
        {"confirms on the main menu",
         {Key('Z'), Key('J'), Key(kKeySpace), Key(kKeyEnter), Key('X'), Key('K'), Key(kKeyControl), Key('C'), Key('L'), Key(kKeyShift),
          Key('V'), Key('I'), Pad(GLFW_GAMEPAD_BUTTON_A), Pad(GLFW_GAMEPAD_BUTTON_B), Pad(GLFW_GAMEPAD_BUTTON_X),
          Pad(GLFW_GAMEPAD_BUTTON_Y)},
         OnTheMenu, [](c_MyApp& a) { return a.m_screen == kScreenNewGame; }},
        {"opens the credits", {Key('N'), Key('O'), Pad(GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER)}, OnTheMenu,
         [](c_MyApp& a) { return a.m_creditsOpen == 1; }},
        {"turns the hero left", {Key(kKeyArrowLeft), Key('A'), Pad(GLFW_GAMEPAD_BUTTON_DPAD_LEFT), Stick(-1, 0)},
         [] () -> TestGame& { return InAGame(); }, [](c_MyApp& a) { return a.m_facing == -1; }},
        {"turns the hero right", {Key(kKeyArrowRight), Key('D'), Pad(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT), Stick(1, 0)},
         [] () -> TestGame& { return InAGame(-1); }, [](c_MyApp& a) { return a.m_facing == 1 && a.m_playerState != 0; }},
        {"jumps to the left with two buttons", {Key('X'), Key('K'), Key(kKeyControl), Pad(GLFW_GAMEPAD_BUTTON_B)},
         [] () -> TestGame& { return InAGame(1, 2); }, [](c_MyApp& a) { return a.m_playerState == 6 && a.m_facing == -1; }},
        {"jumps to the right with two buttons", {Key('C'), Key('L'), Key(kKeyShift), Pad(GLFW_GAMEPAD_BUTTON_X)},
         [] () -> TestGame& { return InAGame(-1, 2); }, [](c_MyApp& a) { return a.m_playerState == 6 && a.m_facing == 1; }},
        {"pauses the game",
         {Key(kKeyEscape), Key(kKeyDelete), Key(kKeyBackspace), Pad(GLFW_GAMEPAD_BUTTON_BACK), Pad(GLFW_GAMEPAD_BUTTON_START),
          Pad(GLFW_GAMEPAD_BUTTON_GUIDE)},
         [] () -> TestGame& { return InAGame(); }, [](c_MyApp& a) { return a.m_pauseShown == 1; }},
    };
    for (const Promise& p : promises) {
        for (const Input& in : p.inputs) {
            TestGame& game = p.before();
            Hold(game, in, true);
            game.Step();
            EXPECT_TRUE(p.done(game.app())) << Describe(in) << " " << p.what;
            Hold(game, in, false);
            game.Step();
        }
    }
    TestGame::Shared().gamepad().present = false;
}

// (Every button of every screen at three window sizes: tests/game/pointer_test.cpp.)

// The on-screen controls on a 640 x 480 window (scale 1; on a 96-dpi screen a
// button is the design's 48 pixels): places of the pad's arms and the
// buttons of both jump schemes, in the window's pixels.
struct Place { float x, y; };
constexpr Place kLeftArm{38, 394}, kRightArm{134, 394}, kJump{602, 403}, kJumpLeft{542, 389},
    kPauseButton{16, 16};
void Touch(TestGame& game, int event, int finger, Place at) { game.host().TouchEvent(event, finger, at.x, at.y); }

// Fingers on them feed the game keys as the keyboard does, several at once;
// a finger sliding from one arm to another takes the press along; a tap
// shorter than an update still presses; a key hides them.
TEST(Controls, OnScreenControlsPlayLikeTheKeys) {
    TestGame& shared = OnTheMenu();
    shared.host().SetWindowSize(640, 480);
    shared.host().Render();
    shared.FinishLoading();
    const struct { const char* what; int scheme; std::vector<Place> fingers; std::function<bool(c_MyApp&)> done; } cases[] = {
        {"right held with the jump button jumps right", 1, {kRightArm, kJump},
         [](c_MyApp& a) { return a.m_playerState == 6 && a.m_facing == 1; }},
        {"the jump-left button of two jumps left", 2, {kJumpLeft},
         [](c_MyApp& a) { return a.m_playerState == 6 && a.m_facing == -1; }},
        {"the pause button pauses beside a held pad", 1, {kLeftArm, kPauseButton},
         [](c_MyApp& a) { return a.m_pauseShown == 1; }},
    };
    for (const auto& c : cases) {
        TestGame& game = InAGame(1, c.scheme);
        for (size_t f = 0; f < c.fingers.size(); ++f) Touch(game, kEventTouchDown, static_cast<int>(f), c.fingers[f]);
        game.Step();
        EXPECT_TRUE(c.done(game.app())) << c.what;
        EXPECT_EQ(kp_Glimmer_OnScreenControls, 1) << c.what << ": a touch shows the controls";
        for (size_t f = 0; f < c.fingers.size(); ++f) Touch(game, kEventTouchUp, static_cast<int>(f), c.fingers[f]);
        game.Step();
    }
    TestGame& game = InAGame();
    c_MyApp& app = game.app();
    Touch(game, kEventTouchDown, 0, kLeftArm);
    game.Step();
    Touch(game, kEventTouchMove, 0, kRightArm);
    game.Step();
    EXPECT_TRUE(app.m_keys[5] == 2 && app.m_keys[3] == 0) << "a finger slid from left to right presses right alone";
    Touch(game, kEventTouchUp, 0, kRightArm);
    game.Step();
    EXPECT_EQ(app.m_keys[5], 0) << "a lifted finger presses nothing";
    game.Step(30);
    Touch(game, kEventTouchDown, 1, kJump);
    Touch(game, kEventTouchUp, 1, kJump);
    game.Step();
    EXPECT_EQ(app.m_playerState, 6) << "a tap shorter than an update jumps";
    game.PressKey('Z');
    EXPECT_EQ(kp_Glimmer_OnScreenControls, 0) << "a key hides the controls";
}

TEST(MainMenu, SelectionStopsAtTheEndsAndSoundsOnlyWhenItMoves) {
    const struct {
        int key, selection;
        float rate;  // 0: no sound
    } steps[] = {{kKeyArrowUp, 0, 0},     {kKeyArrowDown, 1, 1.2f}, {kKeyArrowDown, 2, 1.2f}, {kKeyArrowDown, 3, 1.2f}, {kKeyArrowDown, 4, 1.2f},
                 {kKeyArrowDown, 5, 1.2f}, {kKeyArrowDown, 6, 1.2f}, {kKeyArrowDown, 6, 0},    {kKeyArrowUp, 5, 0.8f},   {kKeyArrowUp, 4, 0.8f},
                 {kKeyArrowUp, 3, 0.8f},   {kKeyArrowUp, 2, 0.8f},   {kKeyArrowUp, 1, 0.8f},   {kKeyArrowUp, 0, 0.8f}};
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
            EXPECT_EQ(game.SoundOn(app.m_sfxChannel), kSfxConfirm);
            EXPECT_FLOAT_EQ(ChannelPitch(app.m_sfxChannel), s.rate);
            EXPECT_FLOAT_EQ(ChannelGain(app.m_sfxChannel), 0.5f);
        }
    }
    // Both keys of one control held: one move; the latch clears when both are up.
    game.host().KeyDown(kKeyArrowDown);
    game.host().KeyDown('S');
    game.Step();
    game.host().KeyUp(kKeyArrowDown);
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
    } cases[] = {{1, kSettingHelpOff, 0, 1}, {1, kSettingHelpOff, 1, 0}, {2, kSettingScheme, 1, 2}, {2, kSettingScheme, 2, 1},
                 {1, kSettingHelpOff, 7, 1}, {2, kSettingScheme, 0, 2}};  // out of range: mended first
    for (const auto& c : cases) {
        app.m_menuSel = c.selection;
        app.m_settings[c.setting] = c.before;
        game.PressKey(kKeyEnter);
        EXPECT_EQ(app.m_settings[c.setting], c.after) << "setting " << c.setting << " from " << c.before;
    }
}

// (What the menu draws: Pictures.MainMenuAndCredits.)

TEST(MainMenu, TheCreditsBlockTheMenuAndTheirClosingPressActsOnNothing) {
    TestGame& game = OnTheMenu();
    c_MyApp& app = game.app();
    game.Click(640 - 70.0f, 480 - 40.0f);  // the studio logo
    ASSERT_EQ(app.m_creditsOpen, 1);
    EXPECT_EQ(game.SoundOn(app.m_sfxChannel), kSfxCredits);
    game.PressKey(kKeyArrowDown);
    EXPECT_EQ(app.m_menuSel, 0) << "the selection does not move";
    // Escape closes the box; enter held in the same update starts no game.
    game.host().KeyDown(kKeyEscape);
    game.host().KeyDown(kKeyEnter);
    game.Step();
    EXPECT_EQ(app.m_creditsOpen, 0);
    game.host().KeyUp(kKeyEscape);
    game.host().KeyUp(kKeyEnter);
    game.Step();
    EXPECT_EQ(app.m_screen, kScreenMenu);
    game.Click(320.0f, 480 * 0.6f);
    EXPECT_EQ(app.m_screen, kScreenPlaying) << "play starts a game once the box is closed";
}

// The hero reads the same keys as the panel: left would turn him, so up reaches
// quit. (Clicks on its buttons: Pointer.EveryTargetActsInsideItsEdgesAndNotOneVirtualPixelOutside.)
TEST(PausePanel, KeysAndClicksActOnItsButtons) {
    TestGame& game = InAGame();
    c_MyApp& app = game.app();
    game.PressKey(kKeyEscape);
    game.Step(15);
    EXPECT_EQ(app.m_pauseY, 248) << "risen by 24 an update to mid-screen";
    for (const auto& [key, selection] : {std::pair{kKeyArrowRight, 1}, {kKeyArrowDown, 0}, {kKeyArrowUp, -1}, {kKeyArrowDown, 0}, {kKeyArrowRight, 1}}) {
        game.PressKey(key);
        EXPECT_EQ(app.m_pauseSel, selection) << "key " << key;
    }
    game.PressKey(kKeyEnter);
    EXPECT_EQ(app.m_settings[kSettingSound], 0) << "the sound button";
    game.PressKey(kKeyEscape);
    game.Step(20);
    EXPECT_EQ(app.m_pauseShown, 0) << "back resumes: the panel slides out";
    game.PressKey(kKeyEscape);
    game.Step(15);
    game.PressKey(kKeyArrowUp);
    game.PressKey(kKeyEnter);
    EXPECT_EQ(app.m_quitGame, 1) << "enter on quit";
    int updates = 0;
    for (; app.m_screen != kScreenMenu && updates < 200; ++updates) game.Step();
    EXPECT_LE(updates, 100) << "the game-over step returns to the menu";
    game.Step();
    EXPECT_EQ(app.m_menuSlide, -31) << "the title slides in anew";
}

TEST(Presentation, WithHelpOffTheTutorialStaysQuiet) {
    TestGame& game = OnTheMenu();
    c_MyApp& app = game.app();
    app.m_settings[kSettingHelpOff] = 1;
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
    game.host().KeyDown(kKeyEnter);  // held from the last level
    game.Step();
    ASSERT_EQ(app.m_screen, kScreenEnding);
    game.Step(30);
    EXPECT_EQ(app.m_screen, kScreenEnding) << "a key still held does nothing";
    game.host().KeyUp(kKeyEnter);
    game.Step();
    game.PressKey(kKeyEnter);
    EXPECT_EQ(app.m_screen, kScreenMenu) << "a fresh press returns to the menu";
}

}  // namespace

namespace {

// What a screen reader is handed (the page's live region): the selected item
// with its state, the level caption, the pause panel's choice, the Options row.
TEST(Announcer, SaysTheChoiceTheCaptionAndTheRowAsTheyChange) {
    const struct {
        const char* what;
        std::function<void(TestGame&)> act;
        const char* says;
    } rows[] = {
        {"the menu", [](TestGame&) {}, "Main menu: Play. Sound on."},
        {"down", [](TestGame& g) { g.PressKey(kKeyArrowDown); }, "Main menu: Help: on. Sound on."},
        {"down again", [](TestGame& g) { g.PressKey(kKeyArrowDown); }, "Main menu: Jump controls: 1-Button-Jump. Sound on."},
        {"a game", [](TestGame& g) { InAGame(); g.Step(); }, "Level 1 of 15"},
        {"paused", [](TestGame& g) { g.PressKey(kKeyEscape); g.Step(10); }, "Paused, Level 1 of 15: Resume"},
        {"the panel's options", [](TestGame& g) { g.PressKey(kKeyArrowDown); g.PressKey(kKeyArrowRight); },
         "Paused, Level 1 of 15: Options"},
        {"the Options screen", [](TestGame& g) { g.PressKey(kKeyEnter); g.PressKey(kKeyArrowDown); },
         "Options: Grip: Held. Toggled: one press grips, the next lets go"},
        {"back to the panel, which the back key, held a moment, leaves up",
         [](TestGame& g) { g.host().KeyDown(kKeyEscape); g.Step(6); g.host().KeyUp(kKeyEscape); g.Step(10); },
         "Paused, Level 1 of 15: Options"},
    };
    TestGame& game = OnTheMenu();
    for (const auto& row : rows) {
        row.act(game);
        EXPECT_EQ(game.app().m_spoken, row.says) << row.what;
    }
    OnTheMenu();
}

}  // namespace
