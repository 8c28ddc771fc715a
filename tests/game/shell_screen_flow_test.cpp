// Whole-application runs of the shell's screen flow on the headless host:
// loading, the menu's slide-in, the debug text, the virtual screen, and
// suspending and resuming on the menu and during a game.
#include <gtest/gtest.h>

#include "game/shell/globals.h"
#include "input/input_device.h"
#include "tests/game/shell_harness.h"

namespace {

TEST(ShellScreenFlow, LoadingTakes34UpdatesThenTheMenuRuns) {
    ShellHarness h;
    c_MyApp& app = h.app();
    EXPECT_EQ(app.m_screen, kScreenMenu);
    EXPECT_EQ(app.m_loadStep, 1) << "loading starts with the first update";

    for (int update = 1; update <= 33; ++update) {
        h.Step();
        ASSERT_EQ(app.m_loadStep, update + 1) << "after update " << update;
        EXPECT_EQ(app.m_clsBlue, 80.0f);
        EXPECT_EQ(app.m_clsRed, 40.0f) << "the loading screen is recorded on update " << update;
    }
    h.Step();
    EXPECT_EQ(app.m_loadStep, 0) << "update 34 ends loading";
    EXPECT_EQ(app.m_menuSlide, -32) << "the menu has not run yet";
    EXPECT_EQ(app.m_clsRed, 40.0f) << "update 34 still shows the loading screen";

    h.Step();
    EXPECT_EQ(app.m_menuSlide, -31) << "update 35 runs the menu";
    EXPECT_EQ(app.m_clsRed, 0.0f);
    EXPECT_EQ(app.m_clsBlue, 80.0f);
}

TEST(ShellScreenFlow, LoadingScreenHasRingsDiscBandAndLogo) {
    ShellHarness h;
    h.Step();
    const std::vector<DrawRecord> ovals = h.RecordsOfKind(kDrawOval);
    ASSERT_EQ(ovals.size(), 23u) << "two rings of 11 dots and the disc";
    const DrawRecord& disc = ovals[11];
    EXPECT_FLOAT_EQ(disc.x, 320.0f);
    EXPECT_FLOAT_EQ(disc.y, 240.0f);
    EXPECT_FLOAT_EQ(disc.sx, 480 * 0.3f) << "disc radius from the smaller side";
    EXPECT_EQ(disc.red, 255.0f);
    EXPECT_EQ(disc.blue, 0.0f);
    const std::vector<DrawRecord> band = h.RecordsOfKind(kDrawRect);
    ASSERT_EQ(band.size(), 1u);
    EXPECT_FLOAT_EQ(band[0].y, 480 * 0.4f);
    EXPECT_FLOAT_EQ(band[0].sy, 480 * 0.2f);
    EXPECT_EQ(h.RecordsOfKind(93).size(), 1u) << "the studio logo";
}

TEST(ShellScreenFlow, TitleDropsInOver32Updates) {
    ShellHarness h;
    h.FinishLoading();
    std::vector<float> ys;
    for (int update = 1; update <= 33; ++update) {
        if (update > 1) h.Step();
        const std::vector<DrawRecord> title = h.RecordsOfKind(98);
        ASSERT_EQ(title.size(), 1u) << "menu update " << update;
        ys.push_back(title[0].y);
    }
    EXPECT_FLOAT_EQ(ys[0], -282.0f) << "first menu update";
    EXPECT_FLOAT_EQ(ys[1], -270.0f);
    EXPECT_FLOAT_EQ(ys[31], 90.0f) << "32nd menu update";
    EXPECT_FLOAT_EQ(ys[32], 90.0f) << "the title stays";
}

TEST(ShellScreenFlow, F10TogglesTheDebugTextOnEveryScreen) {
    ShellHarness h;
    h.PressKey(KEY_F10);
    EXPECT_EQ(kp_Glimmer_DebugMode, 1);
    // The loading screen is still up: its last records are the debug glyphs.
    std::vector<DrawRecord> glyphs = h.RecordsOfKind(90);
    ASSERT_FALSE(glyphs.empty()) << "debug text while loading";
    EXPECT_FLOAT_EQ(glyphs[0].x, 16.0f);
    EXPECT_FLOAT_EQ(glyphs[0].y, 480.0f - 16.0f + 5.0f) << "alignY 0 puts the line half a line lower";
    EXPECT_EQ(glyphs[0].frame, '1' - 32) << "starts with the scale, 1";

    h.FinishLoading();
    EXPECT_FALSE(h.RecordsOfKind(90).empty()) << "debug text on the menu";
    h.PressKey(KEY_F10);
    EXPECT_EQ(kp_Glimmer_DebugMode, 0);
    for (const DrawRecord& d : h.RecordsOfKind(90)) {
        EXPECT_NE(d.y, 480.0f - 16.0f + 5.0f) << "no debug glyph left on the bottom line";
    }
}

struct ScreenCase {
    int windowW, windowH;
    float scale, virtualW, virtualH;
    int fitAxis, landscape;
};

TEST(ShellScreenFlow, VirtualScreenFillsTheWindow) {
    const ScreenCase cases[] = {
        {640, 480, 1.0f, 640.0f, 480.0f, 1, 1},     {1280, 720, 2.0f, 640.0f, 360.0f, 1, 1},
        {640, 640, 4.0f / 3.0f, 480.0f, 480.0f, 2, 1}, {1920, 1080, 3.0f, 640.0f, 360.0f, 1, 1},
        {480, 640, 4.0f / 3.0f, 360.0f, 480.0f, 2, 0},
    };
    ShellHarness h;
    for (const ScreenCase& c : cases) {
        h.host().SetWindowSize(c.windowW, c.windowH);
        h.host().Render();
        c_MyApp& app = h.app();
        const std::string where = std::to_string(c.windowW) + "x" + std::to_string(c.windowH);
        EXPECT_NEAR(app.m_scaleX, c.scale, 1e-5) << where;
        EXPECT_NEAR(app.m_scaleY, c.scale, 1e-5) << where;
        EXPECT_NEAR(kp_Glimmer_jscrw, c.virtualW, 1e-3) << where;
        EXPECT_NEAR(kp_Glimmer_jscrh, c.virtualH, 1e-3) << where;
        EXPECT_EQ(app.m_fitAxis, c.fitAxis) << where;
        EXPECT_EQ(app.m_landscape, c.landscape) << where;
    }
}

TEST(ShellScreenFlow, ResizingRestartsLoadingAndReturnsToTheMenu) {
    ShellHarness h;
    h.FinishLoading();
    h.host().SetWindowSize(800, 600);
    h.Step();
    EXPECT_GT(h.app().m_loadStep, 0) << "a new window size reloads the assets";
    EXPECT_EQ(h.app().m_screen, kScreenMenu);
    h.FinishLoading();
    EXPECT_EQ(h.app().m_hdLevel, 2);
    EXPECT_FALSE(h.RecordsOfKind(98).empty()) << "the menu is back";
}

TEST(ShellScreenFlow, MinimisedWindowKeepsTheVirtualScreenAndAssets) {
    ShellHarness h;
    h.FinishLoading();
    h.host().SetWindowSize(0, 0);
    h.Step();
    EXPECT_EQ(h.app().m_loadStep, 0) << "a window without area is not a new resolution";
    EXPECT_FLOAT_EQ(kp_Glimmer_jscrw, 640.0f);
    EXPECT_FLOAT_EQ(kp_Glimmer_jscrh, 480.0f);
}

TEST(ShellScreenFlow, SuspendOnTheMenuKeepsThePauseOverlayHidden) {
    ShellHarness h;
    h.FinishLoading();
    h.host().Suspend();
    c_MyApp& app = h.app();
    EXPECT_EQ(kp_app__updateRate, 5);
    EXPECT_EQ(h.host().UpdateRate(), 5);
    EXPECT_EQ(app.m_pauseShown, 0);
    EXPECT_EQ(app.m_pauseY, 0);
    h.host().Resume();
    EXPECT_EQ(kp_app__updateRate, 60);
    EXPECT_EQ(h.host().UpdateRate(), 60);
    EXPECT_EQ(app.m_pauseShown, 0);
    h.Step();
    EXPECT_EQ(app.m_screen, kScreenMenu);
}

// Starts a game from the menu with a click on the play button.
void StartGame(ShellHarness& h) {
    h.FinishLoading();
    h.Step(32);
    h.Click(320.0f, 480 * 0.6f);
    ASSERT_EQ(h.app().m_screen, kScreenPlaying);
}

TEST(ShellScreenFlow, SuspendDuringAGameComesBackPaused) {
    ShellHarness h;
    StartGame(h);
    c_MyApp& app = h.app();
    app.m_keys[3] = 2;  // a held virtual key is dropped on suspend
    h.host().Suspend();
    EXPECT_EQ(app.m_pauseShown, 1);
    EXPECT_EQ(app.m_pauseDir, 1);
    EXPECT_EQ(app.m_pauseY, 240);
    EXPECT_EQ(app.m_keys[3], 0);
    EXPECT_EQ(kp_app__updateRate, 5);
    h.host().Resume();
    EXPECT_EQ(app.m_pauseShown, 1);
    EXPECT_EQ(app.m_pauseY, 240);
    EXPECT_EQ(kp_app__updateRate, 60);
}

TEST(ShellScreenFlow, QuittingFromThePausePanelReturnsToTheMenu) {
    ShellHarness h;
    StartGame(h);
    c_MyApp& app = h.app();
    h.Step(10);
    h.PressKey(27);
    EXPECT_EQ(app.m_pauseShown, 1) << "escape opens the pause panel";
    h.Step(15);
    EXPECT_GE(app.m_pauseY, 240) << "the panel has slid in";
    // The hero reads the same keys as the panel, so quit with the pointer.
    h.Click(320.0f - 140.0f, app.m_pauseY - 64.0f);
    EXPECT_EQ(app.m_quitGame, 1);
    EXPECT_EQ(app.m_pauseShown, 0);
    int updates = 0;
    while (app.m_screen != kScreenMenu && updates < 200) {
        h.Step();
        ++updates;
    }
    EXPECT_EQ(app.m_screen, kScreenMenu) << "the game-over step returns to the menu";
    EXPECT_LE(updates, 100);
    h.Step();  // the update that left screen 2 recorded the score; the menu runs from the next
    EXPECT_EQ(h.RecordsOfKind(98).size(), 1u) << "the title is drawn again";
    EXPECT_EQ(app.m_menuSlide, -31) << "and slides in anew";
}

TEST(ShellScreenFlow, UpdateMeterKeepsItsValueWhenTheClockStands) {
    ShellHarness h;
    h.host().SetClockMillis(5000);
    h.host().Update();
    h.host().SetClockMillis(5020);
    h.host().Update();
    EXPECT_EQ(h.app().m_updateFps, 50) << "1000 / 20 ms";
    h.host().Update();  // the clock has not moved
    EXPECT_EQ(h.app().m_updateFps, 50);
}

TEST(ShellScreenFlowDeathTest, CloseKeyEndsTheProgramWithStatus0) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ShellHarness h;
            h.host().CloseWindow();
            h.Step();
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
