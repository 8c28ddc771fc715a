// The tutorial bubble, the Christmas ending and the credits box, through the
// headless game.
#include <gtest/gtest.h>

#include <string>

#include "game/shell/globals.h"
#include "tests/game/shell_harness.h"

namespace {

constexpr int kKeyEnter = 13;
constexpr int kKeyN = 78;

class Presentation : public testing::Test {
protected:
    void SetUp() override {
        h_.FinishLoading();
        app().m_settings[3] = 0;  // help on
    }
    c_MyApp& app() { return h_.app(); }
    // Starts a game on `level` and lets the hero drop in.
    void StartLevel(int level) {
        app().p_LoadGame();
        app().m_level = level;
        app().p_GetLevel(level);
    }
    ShellHarness h_;
};

TEST_F(Presentation, TheFirstBubbleOfLevelOneOpens119UpdatesAfterTheStart) {
    StartLevel(1);
    int opened = 0;
    for (int i = 1; i <= 200 && !opened; ++i) {
        h_.Step();
        if (app().m_tutShown == 1) opened = i;
    }
    EXPECT_EQ(opened, 120) << "the rule fires on the first update, the bubble opens 119 later";
    EXPECT_TRUE(app().m_tutLines[0] == String("Merry Xmas, Pipkin"));
    h_.Step(10);
    EXPECT_NEAR(app().m_tutScale, 2.5f, 1e-5f) << "grown to full size";
    bool bubble = false;
    for (const DrawRecord& r : h_.Records()) bubble |= r.kind == 8;
    EXPECT_TRUE(bubble) << "the bubble image is drawn";
}

TEST_F(Presentation, WithHelpOffNoTutorialFieldChanges) {
    app().m_settings[3] = 1;
    StartLevel(1);
    h_.Step(300);
    EXPECT_EQ(app().m_tutStep, 0);
    EXPECT_EQ(app().m_tutDelay, 0);
    EXPECT_EQ(app().m_tutShown, 0);
    EXPECT_EQ(app().m_tutScale, 0.0f);
}

TEST_F(Presentation, LevelTwoStepsFollowTheTreeCount) {
    StartLevel(2);
    h_.Step(2);
    ASSERT_EQ(app().m_tutStep, 1);
    // Light one tree wherever it stands, as if reached before the ladder.
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            if (app().p_Tile(x, y) == 19 && app().m_tutStep == 1) {
                app().p_PutBlock(x, y, 20, 0, 0, 0);
                h_.Step(3);
            }
        }
    }
    EXPECT_GE(app().m_tutStep, 2) << "fewer than three unlit trees moves step 1 on";
}

TEST_F(Presentation, FinishingTheLastLevelShowsTheEndingAndAHeldKeyWaits) {
    StartLevel(15);
    app().m_level = 15;
    app().m_dropIn = 0;
    app().m_playerState = 10;
    app().m_stateTimer = 0;
    h_.host().KeyDown(kKeyEnter);  // held from the last level
    h_.Step();
    ASSERT_EQ(app().m_screen, kScreenEnding);
    h_.Step(30);
    EXPECT_EQ(app().m_screen, kScreenEnding) << "a key still held does nothing";
    bool merry = false;
    int glyphs = 0;
    for (const DrawRecord& r : h_.Records()) {
        merry |= r.kind == 1;
        glyphs += r.kind == 90;
    }
    EXPECT_TRUE(merry) << "Pipkin poses";
    EXPECT_GT(glyphs, 60) << "the ending's texts";
    h_.host().KeyUp(kKeyEnter);
    h_.Step();
    h_.PressKey(kKeyEnter);
    EXPECT_EQ(app().m_screen, kScreenMenu) << "a fresh press returns to the menu";
}

TEST_F(Presentation, TheCreditsTickerShowsEveryLineButTheLast) {
    ASSERT_EQ(kp_Glimmer_CreditText.Length(), 39);
    EXPECT_TRUE(kp_Glimmer_CreditText.Get(38) == String("End"));
    h_.Step(32);
    h_.PressKey(kKeyN);
    ASSERT_EQ(app().m_creditsOpen, 1);
    // Run the ticker round the whole list; glyph records of "End" would be E, n, d in a row.
    int shownEnd = 0;
    for (int i = 0; i < 38 * 16 * 4; ++i) {
        h_.Step();
        std::vector<DrawRecord> r = h_.RecordsOfKind(90);
        for (size_t k = 0; k + 2 < r.size(); ++k) {
            bool sameLine = r[k].y == r[k + 1].y && r[k + 1].y == r[k + 2].y;
            bool lineStart = k == 0 || r[k - 1].y != r[k].y;
            if (sameLine && lineStart && r[k].frame == 'E' - 32 && r[k + 1].frame == 'n' - 32 && r[k + 2].frame == 'd' - 32 &&
                (k + 3 >= r.size() || r[k + 3].y != r[k].y)) {
                ++shownEnd;
            }
        }
    }
    EXPECT_EQ(shownEnd, 0);
    EXPECT_EQ(app().m_creditsOpen, 1) << "still open";
}

}  // namespace
