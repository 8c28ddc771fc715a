// The main menu and the pause panel driven by scripted keys and clicks.
#include <gtest/gtest.h>

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "game/shell/globals.h"
#include "tests/game/shell_harness.h"

namespace {

constexpr int kKeyDownArrow = 40;
constexpr int kKeyUpArrow = 38;
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kKeyN = 78;

class ShellMenu : public testing::Test {
protected:
    void SetUp() override {
        h_.FinishLoading();
        h_.Step(32);  // the slide-in is over
    }
    c_MyApp& app() { return h_.app(); }
    ShellHarness h_;
};

struct SelectionStep {
    int key;
    int selection;
    float rate;  // 0: no sound
};

TEST_F(ShellMenu, KeyboardSelectionStopsAt0And2AndSoundsOnlyWhenItMoves) {
    const SelectionStep steps[] = {
        {kKeyUpArrow, 0, 0.0f},   {kKeyDownArrow, 1, 1.2f}, {kKeyDownArrow, 2, 1.2f},
        {kKeyDownArrow, 2, 0.0f}, {kKeyUpArrow, 1, 0.8f},   {kKeyUpArrow, 0, 0.8f},
        {kKeyUpArrow, 0, 0.0f},
    };
    for (const SelectionStep& s : steps) {
        const int channelBefore = app().m_sfxChannel;
        h_.PressKey(s.key);
        EXPECT_EQ(app().m_menuSel, s.selection) << "key " << s.key;
        if (s.rate == 0.0f) {
            EXPECT_EQ(app().m_sfxChannel, channelBefore) << "no sound at the end of the range";
        } else {
            ASSERT_EQ(app().m_sfxChannel, channelBefore + 1) << "key " << s.key;
            EXPECT_TRUE(ChannelHoldsSound(app(), app().m_sfxChannel, 98));
            EXPECT_FLOAT_EQ(ChannelPitch(app().m_sfxChannel), s.rate);
            EXPECT_FLOAT_EQ(ChannelGain(app().m_sfxChannel), 0.5f);
        }
    }
    // The highlight sits on the selected entry (the play button at selection 0).
    const std::vector<DrawRecord> buttons = h_.RecordsOfKind(95);
    int highlights = 0;
    for (const DrawRecord& d : buttons) {
        if (d.frame == 15.0f) {
            ++highlights;
            EXPECT_FLOAT_EQ(d.x, 320.0f);
            EXPECT_FLOAT_EQ(d.y, 480 * 0.6f);
        }
    }
    EXPECT_EQ(highlights, 1);
}

TEST_F(ShellMenu, ActionKeysActOnTheSelection) {
    h_.PressKey(kKeyDownArrow);
    h_.PressKey(kKeyEnter);
    EXPECT_EQ(app().m_settings[3], 1) << "help switched off";
    h_.PressKey(kKeyEnter);
    EXPECT_EQ(app().m_settings[3], 0) << "wraps back on when drawn";
    h_.PressKey(kKeyDownArrow);
    h_.PressKey(kKeyEnter);
    EXPECT_EQ(app().m_settings[1], 2);
    h_.PressKey(kKeyEnter);
    EXPECT_EQ(app().m_settings[1], 1);
    h_.PressKey(kKeyUpArrow);
    h_.PressKey(kKeyUpArrow);
    h_.host().KeyDown(kKeyEnter);
    h_.Step();
    EXPECT_EQ(app().m_screen, kScreenNewGame) << "enter on play starts a game";
}

TEST_F(ShellMenu, CreditsBoxBlocksTheMenuAndItsClosingPressDoesNotActOnIt) {
    h_.PressKey(kKeyN);
    ASSERT_EQ(app().m_creditsOpen, 1);
    EXPECT_TRUE(ChannelHoldsSound(app(), app().m_sfxChannel, 99));

    h_.Click(320.0f, 480 * 0.6f);  // the play button
    EXPECT_EQ(app().m_screen, kScreenMenu) << "play does nothing while the credits are open";
    h_.Step(2);
    EXPECT_EQ(app().m_screen, kScreenMenu);

    if (app().m_creditsOpen == 0) h_.PressKey(kKeyN);  // the credits box closes on any click
    ASSERT_EQ(app().m_creditsOpen, 1);
    h_.PressKey(kKeyDownArrow);
    EXPECT_EQ(app().m_menuSel, 0) << "nor does the selection move";

    // Escape closes the box; enter held in the same update must not start a game.
    h_.host().KeyDown(kKeyEscape);
    h_.host().KeyDown(kKeyEnter);
    h_.Step();
    EXPECT_EQ(app().m_creditsOpen, 0);
    EXPECT_EQ(app().m_screen, kScreenMenu);
    EXPECT_EQ(app().m_keyLatch, 1);
    EXPECT_EQ(app().m_clickLatch, 1);
    h_.host().KeyUp(kKeyEscape);
    h_.host().KeyUp(kKeyEnter);
    h_.Step();
    EXPECT_EQ(app().m_screen, kScreenMenu);

    h_.Click(320.0f, 480 * 0.6f);
    EXPECT_EQ(app().m_screen, kScreenPlaying) << "play starts a game once the box is closed";
}

TEST_F(ShellMenu, StudioLogoOpensTheCredits) {
    h_.Click(640 - 70.0f, 480 - 40.0f);
    EXPECT_EQ(app().m_creditsOpen, 1);
    EXPECT_GT(app().m_creditsSlide, 0);
}

TEST_F(ShellMenu, SoundButtonTogglesTheSwitchAndIsHeardOnlyWhenTurnedOn) {
    ASSERT_EQ(app().m_settings[5], 1);
    const int channel = app().m_sfxChannel;
    h_.Click(32.0f, 240.0f);
    EXPECT_EQ(app().m_settings[5], 0);
    EXPECT_EQ(app().m_sfxChannel, channel) << "turning sound off is silent";
    const std::vector<DrawRecord> icons = h_.RecordsOfKind(97);
    ASSERT_FALSE(icons.empty());
    EXPECT_EQ(icons[0].frame, 5.0f) << "the off icon";
    h_.Click(32.0f, 240.0f);
    EXPECT_EQ(app().m_settings[5], 1);
    EXPECT_EQ(app().m_sfxChannel, channel + 1) << "turning it on plays the confirmation";
}

TEST_F(ShellMenu, OutOfRangeSettingsAreMendedWhenTheirButtonsAreDrawn) {
    app().m_settings[3] = 7;
    app().m_settings[1] = 0;
    h_.Step();
    EXPECT_EQ(app().m_settings[3], 0);
    EXPECT_EQ(app().m_settings[1], 1);
}

TEST_F(ShellMenu, JumpSchemeCaptionTakesTheKeyLettersColour) {
    const float captionY = 480 - 64 + 40;
    int glyphs = 0;
    for (const DrawRecord& d : h_.RecordsOfKind(static_cast<float>(app().m_font))) {
        if (d.y != captionY || d.x < 320) continue;  // the help caption stands on the left
        ++glyphs;
        EXPECT_EQ(d.red, 0.0f);
        EXPECT_EQ(d.green, 180.0f);
        EXPECT_EQ(d.blue, 0.0f);
    }
    EXPECT_GT(glyphs, 10) << "no \" 1-Button-Jump\" caption";
}

class ShellPausePanel : public ShellMenu {
protected:
    // The panel opening over a screen number with no update of its own, so
    // that only the panel reacts to the keys.
    void OpenPanel() {
        app().m_screen = 12;
        app().m_pauseShown = 1;
        app().m_pauseDir = 1;
        app().m_pauseY = -64;
        app().m_pauseSel = 0;
    }
    // One update of the panel, as the round runs it each update.
    void PanelUpdate() {
        app().p_CLS2D(NO_VALUE, 0, 0, 0);
        app().p_PauseMenu();
    }
    // A key pressed during one panel update and released in the next update.
    void PanelPress(int key) {
        h_.host().KeyDown(key);
        h_.host().Update();
        PanelUpdate();
        h_.host().KeyUp(key);
        h_.host().Update();
    }
};

TEST_F(ShellPausePanel, SlidesInToMidScreenAndOutAgain) {
    OpenPanel();
    int updates = 0;
    while (app().m_pauseY < 240 && updates < 50) {
        PanelUpdate();
        ++updates;
    }
    EXPECT_EQ(app().m_pauseY, 248) << "rises by 24 until at least mid-screen";
    EXPECT_EQ(updates, 13);
    h_.host().KeyDown(kKeyEscape);
    h_.host().Update();
    PanelUpdate();
    EXPECT_EQ(app().m_pauseDir, -1) << "back resumes";
    EXPECT_EQ(app().m_pauseShown, 1);
    for (int i = 0; i < 20 && app().m_pauseShown == 1; ++i) PanelUpdate();
    EXPECT_EQ(app().m_pauseShown, 0);
    EXPECT_LT(app().m_pauseY, -32);
}

TEST_F(ShellPausePanel, LandscapeAndPortraitLayouts) {
    OpenPanel();
    app().m_pauseY = 240;
    app().m_pauseDir = 0;
    PanelUpdate();
    std::vector<DrawRecord> rects = h_.RecordsOfKind(kDrawRect);
    ASSERT_EQ(rects.size(), 4u) << "dimming and three panel strips";
    EXPECT_FLOAT_EQ(rects[0].alpha, 240 / (480 * 0.8f)) << "dimming grows with the panel";
    EXPECT_FLOAT_EQ(rects[2].x, 320 - 140.0f);
    EXPECT_FLOAT_EQ(rects[2].sx, 280.0f);
    EXPECT_FLOAT_EQ(rects[2].sy, 104.0f);
    std::vector<DrawRecord> icons = h_.RecordsOfKind(97);
    ASSERT_GE(icons.size(), 3u);
    EXPECT_FLOAT_EQ(icons.back().y, 240 - 64.0f) << "sound button";
    for (const DrawRecord& d : icons) EXPECT_FLOAT_EQ(d.alpha, 0.6f) << "at the bottom strip's alpha";

    h_.host().SetWindowSize(480, 640);
    h_.host().Render();
    ASSERT_EQ(app().m_landscape, 0);
    PanelUpdate();
    rects = h_.RecordsOfKind(kDrawRect);
    ASSERT_EQ(rects.size(), 4u);
    EXPECT_FLOAT_EQ(rects[2].x, kp_Glimmer_jscrw / 2 - 128.0f);
    EXPECT_FLOAT_EQ(rects[2].sy, 160.0f);
    icons = h_.RecordsOfKind(97);
    EXPECT_FLOAT_EQ(icons.back().y, 240 - 96.0f) << "side buttons move up in portrait";
    EXPECT_FLOAT_EQ(icons.back().x, kp_Glimmer_jscrw / 2 + 96.0f);
}

TEST_F(ShellPausePanel, KeyboardSoundToggleAndQuit) {
    OpenPanel();
    app().m_pauseY = 240;
    PanelPress(39);  // right: the sound button
    EXPECT_EQ(app().m_pauseSel, 1);
    PanelPress(kKeyEnter);
    EXPECT_EQ(app().m_settings[5], 0) << "enter toggles sound off";
    PanelPress(37);  // left: back to resume
    EXPECT_EQ(app().m_pauseSel, 0);
    PanelPress(37);  // left again: quit
    EXPECT_EQ(app().m_pauseSel, -1);
    PanelPress(kKeyEnter);
    EXPECT_EQ(app().m_quitGame, 1);
    EXPECT_EQ(app().m_pauseShown, 0);
    EXPECT_EQ(app().m_pauseY, -64);
}

TEST_F(ShellPausePanel, ClickOnResumeSlidesThePanelOut) {
    OpenPanel();
    app().m_pauseY = 240;
    h_.host().MouseDown(0, 320.0f, 240.0f);
    h_.host().Update();
    PanelUpdate();
    EXPECT_EQ(app().m_pauseDir, -1);
    EXPECT_EQ(app().m_clickLatch, 1);
}

}  // namespace
