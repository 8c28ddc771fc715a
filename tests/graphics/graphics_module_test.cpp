// The graphics module: matrix arithmetic and its stack, frame layouts of
// loaded and grabbed images, limits that must be ignored safely, and images
// drawn rotated, scaled and mid-handled in a real window.
#include "graphics/graphics_module.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "graphics/renderer.h"
#include "graphics/surface.h"
#include "tests/graphics/test_host.h"

namespace {

std::vector<float> Matrix() {
    const c_GraphicsContext* g = kp_graphics_context;
    return {g->m_ix, g->m_iy, g->m_jx, g->m_jy, g->m_tx, g->m_ty};
}

std::vector<std::pair<int, int>> Frames(const c_Image* image) {
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < image->m_frames.Length(); ++i) {
        out.emplace_back(image->m_frames.Get(i)->m_x, image->m_frames.Get(i)->m_y);
    }
    return out;
}

// A render frame of the module over a device; without a window the renderer
// ignores the drawing itself, which is all the headless tests need.
class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestHost::Get();
        if (!kp_graphics_context) kp_graphics_context = (new c_GraphicsContext())->m_new();
        device = new gxtkGraphics();
        kp_graphics_SetGraphicsDevice(device);
        device->BeginRender();
        kp_graphics_BeginRender();
    }
    void TearDown() override {
        kp_graphics_EndRender();
        device->EndRender();
    }
    gxtkGraphics* device = nullptr;
};

TEST_F(ModuleTest, RotateUsesTheSinglePrecisionDegreeAndTurnsCounterClockwise) {
    kp_graphics_Rotate(90);
    const std::vector<float> m = Matrix();
    EXPECT_NEAR(m[0], 0, 1e-6);
    EXPECT_FLOAT_EQ(m[1], -1);
    EXPECT_FLOAT_EQ(m[2], 1);
    EXPECT_NEAR(m[3], 0, 1e-6);
    EXPECT_EQ(kp_graphics_context->m_tformed, 1);
    // 90 * 0.0174532924f in double precision is not exactly pi/2.
    const double theta = double(90 * 0.0174532924f);
    EXPECT_FLOAT_EQ(m[0], float(std::cos(theta)));
}

TEST_F(ModuleTest, TransformsComposeOnTheRight) {
    kp_graphics_Translate(0, 0);
    EXPECT_EQ(kp_graphics_context->m_tformed, 0) << "a null translation keeps the identity";
    kp_graphics_Translate(10, 20);
    kp_graphics_Scale(2, 3);
    kp_graphics_Translate(1, 1);  // in scaled units
    EXPECT_EQ(Matrix(), (std::vector<float>{2, 0, 0, 3, 12, 23}));
    const float m[] = {0, 1, -1, 0, 5, 6};
    kp_graphics_Transform2(Array<float>(m, 6));
    EXPECT_EQ(Matrix(), (std::vector<float>{0, 3, -2, 0, 22, 41}));
    kp_graphics_SetMatrix2(Array<float>(m, 5));  // too short: ignored
    EXPECT_EQ(Matrix(), (std::vector<float>{0, 3, -2, 0, 22, 41}));
    kp_graphics_SetMatrix2(Array<float>(m, 6));
    EXPECT_EQ(Matrix(), (std::vector<float>{0, 1, -1, 0, 5, 6}));
}

TEST_F(ModuleTest, MatrixReachesTheRendererOnlyBeforeADraw) {
    kp_graphics_DrawRect(0, 0, 1, 1);
    kp_graphics_Scale(2, 2);
    kp_graphics_Translate(3, 4);
    EXPECT_EQ(kp_graphics_context->m_matDirty, 1);
    EXPECT_FLOAT_EQ(device->ix, 1) << "not sent yet";
    kp_graphics_DrawLine(0, 0, 1, 1);
    EXPECT_EQ(kp_graphics_context->m_matDirty, 0);
    EXPECT_EQ((std::vector<float>{device->ix, device->jy, device->tx, device->ty}), (std::vector<float>{2, 2, 6, 8}));
    EXPECT_TRUE(device->tformed);
}

TEST_F(ModuleTest, MatrixStackKeepsPairsAndIgnoresOverflowAndUnderflow) {
    kp_graphics_PopMatrix();  // nothing pushed: ignored
    EXPECT_EQ(Matrix(), (std::vector<float>{1, 0, 0, 1, 0, 0}));
    for (int i = 1; i <= kMatrixStackDepth + 3; ++i) {
        kp_graphics_PushMatrix();
        kp_graphics_Translate(1, 0);
    }
    EXPECT_EQ(kp_graphics_context->m_matrixSp, kMatrixStackDepth * 6);
    // A full stack must not lose DrawImage2's own save.
    gxtkSurface* s = device->CreateSurface(4, 4);
    c_Image* image = (new c_Image())->m_new()->p_Init(s, 1, 0);
    const std::vector<float> before = Matrix();
    kp_graphics_DrawImage2(image, 5, 5, 30, 2, 2, 0);
    EXPECT_EQ(Matrix(), before);
    for (int i = kMatrixStackDepth + 3; i >= 1; --i) {
        kp_graphics_PopMatrix();
        const float expected = i <= kMatrixStackDepth ? float(i - 1) : float(kMatrixStackDepth + 3);
        EXPECT_FLOAT_EQ(kp_graphics_context->m_tx, expected) << "after the pop matching push " << i;
    }
    kp_graphics_PopMatrix();
    EXPECT_EQ(Matrix(), (std::vector<float>{1, 0, 0, 1, 0, 0}));
}

TEST_F(ModuleTest, StateCallsOutsideAFrameDoNothing) {
    kp_graphics_SetColor(1, 2, 3);
    kp_graphics_EndRender();
    kp_graphics_SetColor(9, 9, 9);
    kp_graphics_Translate(5, 5);
    kp_graphics_PushMatrix();
    kp_graphics_DrawRect(0, 0, 1, 1);
    kp_graphics_DrawImage(nullptr, 0, 0, 0);
    EXPECT_FLOAT_EQ(kp_graphics_context->m_color_r, 1);
    EXPECT_EQ(kp_graphics_context->m_tformed, 0);
    EXPECT_EQ(kp_graphics_context->m_matrixSp, 0);
    kp_graphics_BeginRender();
    EXPECT_FLOAT_EQ(kp_graphics_context->m_color_r, 255) << "each frame starts white";
    EXPECT_FLOAT_EQ(kp_graphics_context->m_alpha, 1);
}

TEST_F(ModuleTest, LoadImageCutsFramesWithPaddingAndHandles) {
    MakeImage("-size 320x32 xc:red", "strip.png");
    c_Image* plain = kp_graphics_LoadImage(String("strip.png"), 10, 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ((std::vector<int>{plain->m_width, plain->m_height, plain->m_flags}), (std::vector<int>{32, 32, 0}));
    EXPECT_EQ(Frames(plain).back(), std::make_pair(288, 0));

    c_Image* padded = kp_graphics_LoadImage(String("strip.png"), 10, kImageXPadding | kImageMidHandle);
    ASSERT_NE(padded, nullptr);
    EXPECT_EQ(padded->m_width, 30);
    EXPECT_EQ(Frames(padded)[1], std::make_pair(33, 0));
    EXPECT_EQ((std::vector<float>{padded->m_tx, padded->m_ty}), (std::vector<float>{15, 16}))
        << "mid handle uses the padded size";
    EXPECT_EQ(padded->m_flags, kImageXPadding) << "the mid-handle bit is cleared once applied";

    c_Image* whole = kp_graphics_LoadImage(String("strip.png"), 1, 0);
    EXPECT_EQ(whole->m_flags, kImageFullFrame);
    c_Image* whole2 = kp_graphics_LoadImage(String("strip.png"), 1, kImageYPadding);
    EXPECT_EQ(whole2->m_flags, kImageYPadding) << "padding means not the full surface";
    EXPECT_EQ((std::vector<int>{whole2->m_height, Frames(whole2)[0].second}), (std::vector<int>{30, 1}));

    EXPECT_EQ(kp_graphics_LoadImage(String("strip.png"), 0, 0), nullptr) << "frame count below 1";
    EXPECT_EQ(kp_graphics_LoadImage(String("no_such_file.png"), 1, 0), nullptr);
    EXPECT_EQ(kp_graphics_LoadImage2(String("no_such_file.png"), 8, 8, 2, 0), nullptr);
}

TEST_F(ModuleTest, GrabTakesFramesRowByRowFromTheSourceFrame) {
    MakeImage("-size 64x64 xc:blue", "sheet64.png");
    c_Image* sheet = kp_graphics_LoadImage(String("sheet64.png"), 1, 0);
    ASSERT_NE(sheet, nullptr);
    c_Image* grabbed = sheet->p_GrabImage(32, 0, 16, 16, 5, 0);
    ASSERT_NE(grabbed, nullptr);
    EXPECT_EQ(Frames(grabbed), (std::vector<std::pair<int, int>>{{32, 0}, {48, 0}, {0, 16}, {16, 16}, {32, 16}}));
    EXPECT_EQ(grabbed->m_source, sheet);
    EXPECT_EQ(grabbed->m_surface, sheet->m_surface);
    EXPECT_EQ(grabbed->p_GrabImage(0, 0, 1, 1, 1, 0), nullptr) << "only single-frame images can be grabbed from";

    c_Image* inner = sheet->p_GrabImage(16, 16, 32, 32, 1, 0);
    c_Image* innerFrames = inner->p_GrabImage(0, 16, 16, 16, 2, kImageYPadding);
    EXPECT_EQ(Frames(innerFrames), (std::vector<std::pair<int, int>>{{16, 33}, {32, 33}}))
        << "sheet coordinates, offset by the source frame, plus padding";

    c_Image* atlas = kp_graphics_LoadImage2(String("sheet64.png"), 32, 32, 4, kImageMidHandle);
    ASSERT_NE(atlas, nullptr);
    EXPECT_EQ(Frames(atlas), (std::vector<std::pair<int, int>>{{0, 0}, {32, 0}, {0, 32}, {32, 32}}));
    EXPECT_EQ((std::vector<float>{atlas->m_tx, atlas->m_ty}), (std::vector<float>{16, 16}));
}

// The runtime error's report goes to standard output and its debugger waits
// on standard input; both are redirected so the child ends at once.
void GrabOutside(int x, int y, int w, int h, int count) {
    dup2(2, 1);
    std::freopen("/dev/null", "r", stdin);
    c_Image* sheet = kp_graphics_LoadImage(String("sheet64.png"), 1, 0);
    sheet->p_GrabImage(x, y, w, h, count, 0);
}

TEST_F(ModuleTest, GrabOutsideTheSourceIsARuntimeError) {
    MakeImage("-size 64x64 xc:blue", "sheet64.png");
    EXPECT_EXIT(GrabOutside(0, 0, 65, 8, 1), ::testing::ExitedWithCode(255), "Image frame outside surface");
    EXPECT_EXIT(GrabOutside(0, 48, 32, 32, 1), ::testing::ExitedWithCode(255), "Image frame outside surface");
    EXPECT_EXIT(GrabOutside(0, 32, 32, 32, 3), ::testing::ExitedWithCode(255), "Image frame outside surface");
}

TEST_F(ModuleTest, FrameIndexOutsideTheImageIsIgnored) {
    MakeImage("-size 8x4 xc:red", "two.png");
    c_Image* image = kp_graphics_LoadImage(String("two.png"), 2, 0);
    ASSERT_NE(image, nullptr);
    kp_graphics_DrawImage(image, 0, 0, 2);
    kp_graphics_DrawImage(image, 0, 0, -1);
    kp_graphics_DrawImage2(image, 0, 0, 0, 1, 1, 99);
    EXPECT_EQ(device->BatchedVertices(), 0);
}

TEST_F(ModuleTest, ScissorValuesBeyondIntAreHeldAtTheLimits) {
    kp_graphics_SetScissor(NAN, 1e20f, -1e20f, 5.9f);
    EXPECT_FLOAT_EQ(kp_graphics_context->m_scissor_height, 5.9f);
    kp_graphics_SetScissor(0, 0, 1e10f, 1e10f);  // must not overflow on the way to GL
}

TEST_F(ModuleTest, DefaultFontIsOptional) {
    std::remove("data/vela_font.png");
    kp_graphics_context->m_defaultFont = nullptr;
    kp_graphics_SetFont(nullptr, 0);
    EXPECT_EQ(kp_graphics_context->m_font, nullptr);
    EXPECT_EQ(kp_graphics_context->m_firstChar, 32);

    MakeImage("-size 768x10 xc:white", "vela_font.png");
    kp_graphics_SetFont(nullptr, 0);
    c_Image* font = kp_graphics_context->m_font;
    ASSERT_NE(font, nullptr);
    EXPECT_EQ((std::vector<int>{font->m_frames.Length(), font->m_width, Frames(font)[1].first}),
              (std::vector<int>{96, 6, 9}));
    c_Image* other = kp_graphics_LoadImage(String("vela_font.png"), 1, 0);
    kp_graphics_SetFont(other, 65);
    EXPECT_EQ(kp_graphics_context->m_font, other);
    EXPECT_EQ(kp_graphics_context->m_firstChar, 65);
    kp_graphics_SetFont(nullptr, 65);
    EXPECT_EQ(kp_graphics_context->m_font, font) << "the default font is loaded once";
}

// ---- in a window ----

class GlModuleTest : public ModuleTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureWindow(640, 480)) << "no display: run under xvfb-run";
        ModuleTest::SetUp();
        kp_graphics_Cls(0, 0, 0);
    }
    unsigned At(int x, int y) {
        Array<int> one(1);
        kp_graphics_ReadPixels(one, x, y, 1, 1, 0, 0);  // pitch 0 means the width
        return unsigned(one.Get(0)) & 0xffffff;
    }
};

TEST_F(GlModuleTest, RotatedAndScaledFrame) {
    // Frame 1 of an 8x4 sheet: two green columns, then two blue.
    MakeImage("-size 8x4 xc:red -fill lime -draw \"rectangle 4,0 5,3\" -fill blue -draw \"rectangle 6,0 7,3\"",
              "frames.png");
    c_Image* image = kp_graphics_LoadImage(String("frames.png"), 2, 0);
    ASSERT_NE(image, nullptr);
    kp_graphics_DrawImage2(image, 100, 100, 90, 2, 3, 1);
    // Scaled to 8 x 12, then turned a quarter counter-clockwise about (100, 100):
    // local (u, v) lands at (100 + v, 100 - u).
    EXPECT_EQ(At(105, 98), 0x00ff00u);
    EXPECT_EQ(At(111, 96), 0x00ff00u);
    EXPECT_EQ(At(105, 93), 0x0000ffu);
    EXPECT_EQ(At(100, 92), 0x0000ffu);
    EXPECT_EQ(At(99, 98), 0u);
    EXPECT_EQ(At(112, 98), 0u);
    EXPECT_EQ(At(105, 91), 0u);
    EXPECT_EQ(At(105, 100), 0u);
}

TEST_F(GlModuleTest, MidHandledImagesCentreOnThePosition) {
    MakeImage("-size 4x4 xc:white -fill red -draw \"point 0,0\"", "mid.png");
    c_Image* whole = kp_graphics_LoadImage(String("mid.png"), 1, kImageMidHandle);
    ASSERT_NE(whole, nullptr);
    ASSERT_TRUE(whole->m_flags & kImageFullFrame);
    kp_graphics_DrawImage(whole, 20, 20, 0);
    EXPECT_EQ(At(18, 18), 0xff0000u);
    EXPECT_EQ(At(21, 21), 0xffffffu);
    EXPECT_EQ(At(17, 18), 0u);
    EXPECT_EQ(At(22, 22), 0u);

    c_Image* halves = kp_graphics_LoadImage(String("mid.png"), 2, kImageMidHandle);  // 2x4 frames
    kp_graphics_DrawImage(halves, 40, 40, 1);
    EXPECT_EQ(At(39, 38), 0xffffffu);
    EXPECT_EQ(At(40, 41), 0xffffffu);
    EXPECT_EQ(At(38, 40), 0u);
    EXPECT_EQ(At(41, 40), 0u);
    kp_graphics_DrawImage(halves, 60, 40, 0);
    EXPECT_EQ(At(59, 38), 0xff0000u);
}

TEST_F(GlModuleTest, EllipseAndScissorThroughTheModule) {
    kp_graphics_SetScissor(0, 0, 100, 100);
    kp_graphics_SetColor(255, 255, 0);
    kp_graphics_DrawEllipse(100, 50, 20, 10);  // right half clipped away
    EXPECT_EQ(At(90, 50), 0xffff00u);
    EXPECT_EQ(At(101, 50), 0u);
    EXPECT_EQ(At(50, 50), 0u);
}

}  // namespace
