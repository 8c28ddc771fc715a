// The draw list, its state helpers and text layout, checked on the records an
// application recorded.
#include <gtest/gtest.h>

#include <string>

#include "tests/game/shell_harness.h"

namespace {

constexpr float kFont = 90.0f;

class ShellDrawing : public testing::Test {
protected:
    void SetUp() override { app().p_CLS2D(NO_VALUE, 0, 0, 0); }
    c_MyApp& app() { return h_.app(); }
    ShellHarness h_;
};

TEST_F(ShellDrawing, ClickToStartIsCentredWithTheLeadingSpaceTakingOneAdvance) {
    app().p_SetSize(2.0f);
    app().p_Text(320.0f, 100.0f, String(" Click to Start"), 1.0f, 1.0f);
    const std::vector<DrawRecord> glyphs = h_.RecordsOfKind(kFont);
    const std::string text = " Click to Start";
    ASSERT_EQ(glyphs.size(), 12u) << "15 units less three spaces";
    // 15 units: the run spans 14 advances of 7 * 2 and is centred on x.
    const float x0 = 320.0f - 14 * 14 / 2.0f;
    size_t g = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ') continue;
        EXPECT_FLOAT_EQ(glyphs[g].x, x0 + 14.0f * i) << "glyph '" << text[i] << "'";
        EXPECT_NEAR(glyphs[g].y, 100.0f, 1e-4) << "glyph '" << text[i] << "'";
        EXPECT_EQ(glyphs[g].frame, text[i] - 32) << "glyph '" << text[i] << "'";
        EXPECT_EQ(glyphs[g].sx, 2.0f);
        ++g;
    }
}

struct AlignCase {
    float alignX, alignY;
    float firstX, firstY;  // for "abc" at (100, 50), size 1: advance 7, line 10
};

TEST_F(ShellDrawing, AlignmentsPlaceTheRun) {
    const AlignCase cases[] = {
        {0, 1, 100, 50}, {1, 1, 93, 50}, {2, 1, 86, 50}, {0, 0, 100, 55}, {0, 2, 100, 45}, {2, 0, 86, 55},
    };
    for (const AlignCase& c : cases) {
        app().p_CLS2D(NO_VALUE, 0, 0, 0);
        app().p_Text(100.0f, 50.0f, String("abc"), c.alignX, c.alignY);
        const std::vector<DrawRecord> glyphs = h_.RecordsOfKind(kFont);
        const std::string where = "align " + std::to_string(c.alignX) + "," + std::to_string(c.alignY);
        ASSERT_EQ(glyphs.size(), 3u) << where;
        EXPECT_NEAR(glyphs[0].x, c.firstX, 1e-4) << where;
        EXPECT_NEAR(glyphs[0].y, c.firstY, 1e-4) << where;
        EXPECT_NEAR(glyphs[2].x, c.firstX + 14.0f, 1e-4) << where;
    }
}

TEST_F(ShellDrawing, BackslashEscapesAndOddUnits) {
    app().p_Text(0.0f, 0.0f, String("a\\"), 0.0f, 1.0f);
    std::vector<DrawRecord> glyphs = h_.RecordsOfKind(kFont);
    ASSERT_EQ(glyphs.size(), 2u) << "a trailing backslash is drawn";
    EXPECT_EQ(glyphs[1].frame, 60.0f);
    EXPECT_FLOAT_EQ(glyphs[1].x, 7.0f);

    app().p_CLS2D(NO_VALUE, 0, 0, 0);
    app().p_Text(0.0f, 0.0f, String("ab\\ncd"), 0.0f, 1.0f);
    glyphs = h_.RecordsOfKind(kFont);
    ASSERT_EQ(glyphs.size(), 4u) << "the two-character escape draws nothing";
    EXPECT_NEAR(glyphs[2].x, 0.0f, 1e-4) << "a new line starts at the start point";
    EXPECT_NEAR(glyphs[2].y, 10.0f, 1e-4) << "one line height lower";
    EXPECT_NEAR(glyphs[3].x, 7.0f, 1e-4);

    app().p_CLS2D(NO_VALUE, 0, 0, 0);
    const Char units[] = {'a', 0, 'b', 200, 'c', '\\', 'x'};
    app().p_Text(0.0f, 0.0f, String(units, 7), 0.0f, 1.0f);
    glyphs = h_.RecordsOfKind(kFont);
    ASSERT_EQ(glyphs.size(), 5u) << "unit 0 and unit 200 draw nothing";
    EXPECT_NEAR(glyphs[1].x, 7.0f, 1e-4) << "unit 0 takes no advance";
    EXPECT_NEAR(glyphs[2].x, 21.0f, 1e-4) << "unit 200 takes an advance";
    EXPECT_EQ(glyphs[3].frame, 60.0f);

    app().p_CLS2D(NO_VALUE, 0, 0, 0);
    app().p_Text(0.0f, 0.0f, String(""), 1.0f, 1.0f);
    EXPECT_EQ(app().m_drawCount, 0);
}

TEST_F(ShellDrawing, RotatedTextRunsAlongTheRotation) {
    app().p_SetRot(-90.0f);  // stored as 90
    app().p_Text(100.0f, 100.0f, String("ab"), 0.0f, 1.0f);
    const std::vector<DrawRecord> glyphs = h_.RecordsOfKind(kFont);
    ASSERT_EQ(glyphs.size(), 2u);
    EXPECT_EQ(glyphs[0].rot, 90.0f);
    EXPECT_NEAR(glyphs[1].x, 100.0f, 1e-3);
    EXPECT_NEAR(glyphs[1].y, 93.0f, 1e-3) << "with rotation 90 the pen moves up the screen";
}

TEST_F(ShellDrawing, ListHoldsAtMost2499Records) {
    for (int i = 0; i < 2600; ++i) app().p_Rect(static_cast<float>(i), 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(app().m_drawCount, 2499 * 15);
    const std::vector<DrawRecord> rects = h_.RecordsOfKind(kDrawRect);
    ASSERT_EQ(rects.size(), 2499u);
    EXPECT_EQ(rects.back().x, 2498.0f) << "later requests are dropped, earlier ones kept";
    h_.host().Render();  // replaying a full list is fine
}

TEST_F(ShellDrawing, StateHelpersAndRecordFields) {
    app().p_SetSize(2.0f, NO_VALUE);
    EXPECT_EQ(app().m_sizeY, 2.0f);
    app().p_SetCol(10, 20, 30, 0.5f);
    app().p_SetCol(40, 50, 60, NO_VALUE);
    EXPECT_EQ(app().m_alpha, 0.5f) << "NO_VALUE keeps the alpha";
    app().p_SetRot(30.0f);
    app().m_blend = 3;
    app().p_DrawImg(7, 1.0f, 2.0f, 5);
    app().p_Oval(3.0f, 4.0f, 5.0f, 6.0f);
    const std::vector<DrawRecord> records = h_.Records();
    ASSERT_EQ(records.size(), 2u);
    const DrawRecord& img = records[0];
    EXPECT_EQ(img.kind, 7.0f);
    EXPECT_EQ(img.rot, -30.0f) << "rotations are stored negated";
    EXPECT_EQ(img.sx, 2.0f);
    EXPECT_EQ(img.frame, 5.0f);
    EXPECT_EQ(img.alpha, 0.5f);
    EXPECT_EQ(img.red, 40.0f);
    EXPECT_EQ(img.blue, 60.0f);
    EXPECT_EQ(img.blend, 3.0f);
    EXPECT_EQ(records[1].kind, kDrawOval);
    EXPECT_EQ(records[1].sy, 6.0f);
    EXPECT_EQ(records[1].frame, 0.0f);

    const float clearBefore = app().m_clsRed;
    app().p_CLS2D(NO_VALUE, 1, 2, 3);
    EXPECT_EQ(app().m_clsRed, clearBefore) << "NO_VALUE keeps the clear colour";
    EXPECT_EQ(app().m_drawCount, 0) << "but empties the list";
    EXPECT_EQ(app().m_sizeX, 1.0f);
    EXPECT_EQ(app().m_blend, 1);
}

TEST_F(ShellDrawing, RightAlignedNumbersAndRandomRange) {
    EXPECT_EQ(app().p_rstr2(42, String("0")).ToUtf8(), "00000000042");
    EXPECT_EQ(app().p_rstr(3, 12345, String("0")).ToUtf8(), "345");
    EXPECT_EQ(app().p_rstr(5, 7, String(" ")).ToUtf8(), "    7");
    int seen[5] = {};
    for (int i = 0; i < 2000; ++i) {
        const int r = app().p_Rand(0.0f, 3.0f);
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 3);
        ++seen[r];
    }
    for (int v = 0; v <= 3; ++v) EXPECT_GT(seen[v], 0) << "value " << v;
}

}  // namespace
