// The graphics module: matrix arithmetic and its stack, frame layouts of
// loaded images, the state rules of a frame, limits that must be ignored
// safely, and images drawn rotated, scaled and mid-handled in a window.
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

using Frames = std::vector<std::pair<int, int>>;

std::vector<float> Matrix() {
    const c_GraphicsContext* g = kp_graphics_context;
    return {g->m_ix, g->m_iy, g->m_jx, g->m_jy, g->m_tx, g->m_ty};
}

Frames FramesOf(const c_Image* image) {
    Frames out;
    for (int i = 0; i < image->m_frames.Length(); ++i) out.emplace_back(image->m_frames.Get(i)->m_x, image->m_frames.Get(i)->m_y);
    return out;
}

// A render frame of the module over a device; without a window the renderer
// ignores the drawing itself, which is all the headless tests need.
class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        Host();
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

TEST_F(ModuleTest, MatrixArithmeticAndStack) {
    kp_graphics_Rotate(90);  // 90 * 0.0174532924f in double is not exactly pi/2
    const float cosine = float(std::cos(double(90 * 0.0174532924f)));
    EXPECT_EQ(Matrix(), (std::vector<float>{cosine, -1, 1, cosine, 0, 0})) << "counter-clockwise on screen";
    kp_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    kp_graphics_DrawRect(0, 0, 1, 1);
    kp_graphics_Translate(10, 20);
    kp_graphics_Scale(2, 3);
    kp_graphics_Translate(1, 1);  // in scaled units
    EXPECT_EQ(Matrix(), (std::vector<float>{2, 0, 0, 3, 12, 23}));
    EXPECT_FLOAT_EQ(device->tx, 0) << "the matrix reaches the renderer only before a draw";
    kp_graphics_DrawLine(0, 0, 1, 1);
    EXPECT_EQ((std::vector<float>{device->ix, device->jy, device->tx, device->ty}), (std::vector<float>{2, 3, 12, 23}));
    const float m[] = {0, 1, -1, 0, 5};
    kp_graphics_SetMatrix2(Array<float>(m, 5));  // too short: ignored
    EXPECT_EQ(Matrix(), (std::vector<float>{2, 0, 0, 3, 12, 23}));
    kp_graphics_SetMatrix(1, 0, 0, 1, 0, 0);
    kp_graphics_PopMatrix();  // nothing pushed: ignored
    for (int i = 1; i <= kMatrixStackDepth + 3; ++i) {
        kp_graphics_PushMatrix();
        kp_graphics_Translate(1, 0);
    }
    // A full stack must not lose DrawImage2's own save.
    const std::vector<float> before = Matrix();
    kp_graphics_DrawImage2((new c_Image())->m_new()->p_Init(device->CreateSurface(4, 4), 1, 0), 5, 5, 30, 2, 2, 0);
    EXPECT_EQ(Matrix(), before);
    for (int i = kMatrixStackDepth + 3; i >= 1; --i) {
        kp_graphics_PopMatrix();
        EXPECT_FLOAT_EQ(kp_graphics_context->m_tx, i <= kMatrixStackDepth ? float(i - 1) : float(kMatrixStackDepth + 3))
            << "after the pop matching push " << i << " (pushes beyond the stack are refused, and so their pops)";
    }
}

TEST_F(ModuleTest, StateCallsOutsideAFrameDoNothing) {
    kp_graphics_SetColor(1, 2, 3);
    kp_graphics_EndRender();
    kp_graphics_SetColor(9, 9, 9);
    kp_graphics_Translate(5, 5);
    kp_graphics_PushMatrix();
    kp_graphics_DrawImage(nullptr, 0, 0, 0);
    EXPECT_EQ((std::vector<float>{kp_graphics_context->m_color_r, float(kp_graphics_context->m_tformed),
                                  float(kp_graphics_context->m_matrixSp)}), (std::vector<float>{1, 0, 0}));
    kp_graphics_BeginRender();
    EXPECT_EQ((std::vector<float>{kp_graphics_context->m_color_r, kp_graphics_context->m_alpha}), (std::vector<float>{255, 1}))
        << "each frame starts white and opaque";
    kp_graphics_SetScissor(NAN, 1e20f, -1e20f, 5.9f);  // held inside int range on the way to GL
    EXPECT_FLOAT_EQ(kp_graphics_context->m_scissor_height, 5.9f);
    kp_graphics_SetScissor(0, 0, 1e10f, 1e10f);
}

TEST_F(ModuleTest, ImagesCutIntoFrames) {
    MakeImage("-size 320x32 xc:red", "strip.png");
    c_Image* plain = kp_graphics_LoadImage(String("strip.png"), 10, 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ((std::vector<int>{plain->m_width, plain->m_height, plain->m_flags, FramesOf(plain).back().first}),
              (std::vector<int>{32, 32, 0, 288}));
    c_Image* padded = kp_graphics_LoadImage(String("strip.png"), 10, kImageXPadding | kImageMidHandle);
    EXPECT_EQ((std::vector<int>{padded->m_width, FramesOf(padded)[1].first, padded->m_flags}), (std::vector<int>{30, 33, kImageXPadding}));
    EXPECT_EQ((std::vector<float>{padded->m_tx, padded->m_ty}), (std::vector<float>{15, 16})) << "mid handle of the padded size";
    EXPECT_EQ(kp_graphics_LoadImage(String("strip.png"), 1, 0)->m_flags, kImageFullFrame);
    EXPECT_EQ(kp_graphics_LoadImage(String("strip.png"), 1, kImageYPadding)->m_flags, kImageYPadding) << "padding: not the full surface";
    EXPECT_EQ(kp_graphics_LoadImage(String("strip.png"), 0, 0), nullptr) << "frame count below 1";
    EXPECT_EQ(kp_graphics_LoadImage(String("no_such_file.png"), 1, 0), nullptr);
    kp_graphics_DrawImage(plain, 0, 0, 10);
    kp_graphics_DrawImage(plain, 0, 0, -1);
    EXPECT_EQ(device->BatchedVertices(), 0) << "frame indices outside the image are ignored";

    MakeImage("-size 64x64 xc:blue", "sheet64.png");
    c_Image* atlas = kp_graphics_LoadImage2(String("sheet64.png"), 32, 32, 4, kImageMidHandle);
    EXPECT_EQ(FramesOf(atlas), (Frames{{0, 0}, {32, 0}, {0, 32}, {32, 32}}));
    EXPECT_EQ(kp_graphics_LoadImage2(String("no_such_file.png"), 8, 8, 2, 0), nullptr);
}

class GlModuleTest : public ModuleTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenWindow(640, 480)) << "no display: run under an X server";
        ModuleTest::SetUp();
        kp_graphics_Cls(0, 0, 0);
    }
};

TEST_F(GlModuleTest, RotatedScaledAndMidHandledImages) {
    // Frame 1 of an 8x4 sheet: two green columns, then two blue.
    MakeImage("-size 8x4 xc:red -fill lime -draw 'rectangle 4,0 5,3' -fill blue -draw 'rectangle 6,0 7,3'", "frames.png");
    kp_graphics_DrawImage2(kp_graphics_LoadImage(String("frames.png"), 2, 0), 100, 100, 90, 2, 3, 1);
    // Scaled to 8 x 12, then turned a quarter counter-clockwise about (100, 100): local (u, v) lands at (100 + v, 100 - u).
    ExpectPixels(device, {{105, 98, 0x00ff00}, {111, 96, 0x00ff00}, {105, 93, 0x0000ff}, {100, 92, 0x0000ff}, {99, 98, 0},
                          {112, 98, 0}, {105, 91, 0}, {105, 100, 0}}, "rotated and scaled");
    MakeImage("-size 4x4 xc:white -fill red -draw 'point 0,0'", "mid.png");
    kp_graphics_DrawImage(kp_graphics_LoadImage(String("mid.png"), 1, kImageMidHandle), 20, 20, 0);
    kp_graphics_DrawImage(kp_graphics_LoadImage(String("mid.png"), 2, kImageMidHandle), 40, 40, 1);  // 2x4 frames
    ExpectPixels(device, {{18, 18, 0xff0000}, {21, 21, 0xffffff}, {17, 18, 0}, {22, 21, 0}, {38, 40, 0}, {39, 38, 0xffffff},
                          {40, 41, 0xffffff}, {41, 40, 0}}, "mid-handled");
    kp_graphics_SetScissor(0, 0, 100, 100);
    kp_graphics_SetColor(255, 255, 0);
    kp_graphics_DrawEllipse(100, 50, 20, 10);  // right half clipped away
    ExpectPixels(device, {{82, 50, 0xffff00}, {99, 50, 0xffff00}, {100, 50, 0}, {79, 50, 0}}, "ellipse, scissored");
}

}  // namespace
