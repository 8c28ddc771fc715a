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

// In windows of other sizes and shapes, and with a framebuffer twice the
// window's size, the virtual screen fills the window at one scale, and each of
// the main menu's four buttons, clicked or touched at its centre, acts alone.
TEST(Controls, PointerAndTouchHitTheRightButtonAtEveryWindowSize) {
    const struct { int windowW, windowH, pixelsW, pixelsH; float virtualW, virtualH; } windows[] = {
        {1280, 720, 1280, 720, 640, 360},  // wider
        {480, 800, 480, 800, 288, 480},    // taller: portrait
        {1000, 1000, 1000, 1000, 480, 480},
        {640, 480, 1280, 960, 640, 480},        // HiDPI
        {640, 480, 640, 480, 640, 480}};
    TestGame& game = OnTheMenu();
    c_MyApp& app = game.app();
    for (const auto& win : windows) {
        game.host().SetWindowSize(win.pixelsW, win.pixelsH);
        game.host().Render();
        game.FinishLoading();
        const float w = win.virtualW, h = win.virtualH, scale = win.pixelsW / w;
        const bool portrait = h > w;
        const std::string where = std::to_string(win.windowW) + "x" + std::to_string(win.windowH) + " window of " +
                                  std::to_string(win.pixelsW) + "x" + std::to_string(win.pixelsH) + " pixels";
        EXPECT_NEAR(kp_Glimmer_jscrw, w, 1e-3) << where << ": the virtual screen fills it at one scale";
        EXPECT_NEAR(kp_Glimmer_jscrh, h, 1e-3) << where;
        EXPECT_NEAR(app.m_scaleX, scale, 1e-5) << where;
        EXPECT_NEAR(app.m_scaleY, scale, 1e-5) << where;
        // Centres of the buttons in virtual pixels, and what each changes.
        const struct { const char* name; float x, y; int* changed; } buttons[] = {
            {"sound", portrait ? w / 2 : 32, portrait ? 32 : h / 2, &app.m_settings[kSettingSound]},
            {"help", std::trunc(w * 0.35f), h - 64, &app.m_settings[kSettingHelpOff]},
            {"jump scheme", std::trunc(w * 0.65f), h - 64, &app.m_settings[kSettingScheme]},
            {"play", w / 2, h * 0.6f, &app.m_screen}};
        for (const auto& b : buttons) {
            for (const bool touch : {false, true}) {
                OnTheMenu();
                std::vector<int> before;
                for (const auto& each : buttons) before.push_back(*each.changed);
                double x = b.x * scale * win.windowW / win.pixelsW, y = b.y * scale * win.windowH / win.pixelsH;
                kpScreenToFramebuffer(&x, &y, win.windowW, win.windowH, win.pixelsW, win.pixelsH);
                if (touch) {  // a tap shorter than an update: it counts, once
                    game.host().TouchEvent(kEventTouchDown, 3, static_cast<float>(x), static_cast<float>(y));
                    game.host().TouchEvent(kEventTouchUp, 3, static_cast<float>(x), static_cast<float>(y));
                    game.Step(2);
                } else {
                    game.Click(static_cast<float>(x), static_cast<float>(y));
                }
                std::string acted;
                for (size_t i = 0; i < std::size(buttons); ++i) {
                    if (*buttons[i].changed != before[i]) acted += std::string(acted.empty() ? "" : ", ") + buttons[i].name;
                }
                EXPECT_EQ(acted, b.name) << (touch ? "touch" : "click") << " in a " << where;
            }
        }
    }
}

// The on-screen controls on a 640 x 480 window (scale 1; on a 96-dpi screen a
// button is the design's 48 pixels): places of the pad's arms and the
// buttons of both jump schemes, in the window's pixels.
struct Place { float x, y; };
constexpr Place kLeftArm{38, 394}, kRightArm{134, 394}, kUpArm{86, 346}, kJump{602, 403}, kJumpLeft{542, 389},
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
        {"the pad's left arm turns the hero left", 1, {kLeftArm}, [](c_MyApp& a) { return a.m_facing == -1; }},
        {"up on the pad is up alone", 1, {kUpArm},
         [](c_MyApp& a) { return a.m_keys[0] == 2 && a.m_keys[3] + a.m_keys[5] + a.m_keys[8] == 0; }},
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
    } steps[] = {{kKeyArrowUp, 0, 0}, {kKeyArrowDown, 1, 1.2f}, {kKeyArrowDown, 2, 1.2f}, {kKeyArrowDown, 2, 0}, {kKeyArrowUp, 1, 0.8f}, {kKeyArrowUp, 0, 0.8f}};
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

// Drawn in the state left in place: the jump scheme's caption (on the right)
// takes the key letters' green.
TEST(MainMenu, TheJumpSchemeCaptionTakesTheKeyLettersColour) {
    TestGame& game = OnTheMenu();
    int glyphs = 0;
    for (const DrawRecord& d : game.Records(kImageFont)) {
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

// The hero reads the same keys as the panel: left would turn him, so up reaches quit.
TEST(PausePanel, KeysAndClicksActOnItsButtons) {
    TestGame& game = InAGame();
    c_MyApp& app = game.app();
    game.PressKey(kKeyEscape);
    game.Step(15);
    EXPECT_EQ(app.m_pauseY, 248) << "risen by 24 an update to mid-screen";
    int buttons = 0;
    for (const DrawRecord& d : game.Records(97)) {
        if (d.y <= 64) continue;
        ++buttons;
        EXPECT_FLOAT_EQ(d.alpha, 0.6f) << "the panel's buttons at the bottom strip's alpha";
    }
    EXPECT_EQ(buttons, 4) << "resume, quit, sound and the highlight of the selected one";
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
    game.Click(320.0f, static_cast<float>(app.m_pauseY));
    EXPECT_EQ(app.m_pauseDir, -1) << "a click on resume";
    game.Step(20);
    game.PressKey(kKeyEscape);
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
    EXPECT_GT(game.Records(kImageFont).size(), 60u) << "the ending's texts";
    game.host().KeyUp(kKeyEnter);
    game.Step();
    game.PressKey(kKeyEnter);
    EXPECT_EQ(app.m_screen, kScreenMenu) << "a fresh press returns to the menu";
    app.m_screen = kScreenEnding;
    game.Step();
    game.Click(320, 240);
    EXPECT_EQ(app.m_screen, kScreenMenu) << "so does a tap or a click";
}

}  // namespace
