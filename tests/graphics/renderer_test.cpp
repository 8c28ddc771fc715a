// The renderer against real GL (Mesa under Xvfb): exact pixels for every
// primitive and blend mode, and the batching rules through the frame statistics.
#include "graphics/renderer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "graphics/surface.h"
#include "tests/graphics/test_host.h"

namespace {

using Rgb = std::vector<unsigned>;

TEST(RendererTest, PacksColourPremultipliedAndClamped) {
    const struct { float r, g, b, a; uint32_t abgr; } cases[] = {
        {200, 100, 50, 1, 0xff3264c8u}, {200, 100, 50, 0.5f, 0x7f193264u},  // trunc(100), trunc(50), trunc(25), trunc(127.5)
        {300, -5, 128, 2, 0xff8000ffu}, {255, 255, 255, -1, 0}, {NAN, 10, 10, 1, 0xff0a0a00u}, {10, 10, 10, NAN, 0},
        {1e30f, 0, 0, 1, 0xff0000ffu}};
    TestHost::Get();
    gxtkGraphics* g = new gxtkGraphics();
    for (const auto& c : cases) {
        g->SetColor(c.r, c.g, c.b);
        g->SetAlpha(c.a);
        EXPECT_EQ(g->color, c.abgr) << std::hex << "colour " << c.r << "," << c.g << "," << c.b << " alpha " << c.a;
    }
    const struct { float w, h; int segments; } ovals[] = {{4, 4, 12}, {100, 60, 80}, {3000, 3000, 1024}, {-100, -60, 80},
                                                          {NAN, 10, 12}, {INFINITY, 10, 1024}};
    for (const auto& c : ovals) EXPECT_EQ(g->OvalSegments(c.w, c.h), c.segments) << c.w << " x " << c.h;
    g->SetMatrix(2, 0, 0, 3, 5, 5);  // radii 50*2 and 30*3
    EXPECT_EQ(g->OvalSegments(100, 60), 188);
}

TEST(RendererTest, PixelTransfersMustFitTheirArray) {
    const struct { int length, w, h, offset, pitch; bool fits; } cases[] = {
        {16, 4, 4, 0, 4, true},   {15, 4, 4, 0, 4, false},  {20, 4, 4, 4, 4, true},  {19, 4, 4, 4, 4, false},
        {16, 4, 4, -1, 4, false}, {16, 4, 4, 12, -4, true}, {16, 4, 4, 11, -4, false}, {4, 4, 4, 0, 0, true},
        {16, 0, 4, 0, 4, false},  {1 << 30, 1 << 16, 1 << 16, 0, 1 << 16, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(kpPixelRangeFits(c.length, c.w, c.h, c.offset, c.pitch), c.fits)
            << c.length << " " << c.w << "x" << c.h << " offset " << c.offset << " pitch " << c.pitch;
    }
}

TEST(RendererTest, NoContextMeansNoFrameAndNoGlCall) {
    TestHost::Get().CloseWindow();
    gxtkGraphics* g = new gxtkGraphics();
    EXPECT_EQ(g->BeginRender(), 0);
    g->DrawRect(0, 0, 10, 10);
    EXPECT_EQ(g->BatchedVertices(), 0) << "draws outside a frame are ignored";
    g->Cls(1, 2, 3);
    g->SetScissor(1, 1, 1, 1);
    g->ReadPixels(Array<int>(4), 0, 0, 2, 2, 0, 2);
    EXPECT_EQ(g->EndRender(), 0);
    EXPECT_EQ(g->LastFrameStats().drawCalls, 0);
}

class GlRendererTest : public ::testing::Test {
protected:
    static constexpr unsigned kClear = 0x0a141e;
    void SetUp() override {
        ASSERT_TRUE(EnsureWindow(640, 480)) << "no display: run under an X server";
        g = new gxtkGraphics();
        ASSERT_EQ(g->BeginRender(), 1);
        g->SetColor(255, 255, 255);
        g->SetAlpha(1);
        g->Cls(10, 20, 30);
    }
    void TearDown() override {
        if (g) g->EndRender();
    }
    void NewFrame() {
        g->EndRender();
        g->BeginRender();
    }
    // A surface from 0xAARRGGBB pixels.
    gxtkSurface* Surface(int w, int h, std::vector<int> argb) {
        gxtkSurface* s = g->CreateSurface(w, h);
        g->WritePixels2(s, Array<int>(argb.data(), w * h), 0, 0, w, h, 0, w);
        return s;
    }
    gxtkGraphics* g = nullptr;
};

TEST_F(GlRendererTest, PrimitivesCoverExactlyTheirPixels) {
    const unsigned c = kClear;
    g->SetColor(200, 100, 50);
    g->DrawRect(10, 10, 3, 2);
    EXPECT_EQ(RgbRow(g, 9, 10, 5), (Rgb{c, 0xc86432, 0xc86432, 0xc86432, c})) << "rectangle, first row";
    EXPECT_EQ(RgbRow(g, 9, 12, 5), (Rgb{c, c, c, c, c})) << "below the rectangle";
    g->SetColor(0, 255, 0);
    g->DrawLine(20.5f, 40.5f, 26.5f, 40.5f);
    EXPECT_EQ(RgbRow(g, 21, 40, 4), Rgb(4, 0xff00)) << "line";
    EXPECT_EQ((Rgb{RgbAt(g, 23, 39), RgbAt(g, 23, 41), RgbAt(g, 28, 40)}), (Rgb{c, c, c}));
    g->DrawPoint(5.5f, 5.5f);
    EXPECT_EQ(RgbRow(g, 4, 5, 3), (Rgb{c, 0xff00, c})) << "point";
    EXPECT_EQ(RgbAt(g, 5, 6), c);
    g->SetColor(255, 255, 255);
    g->DrawOval(100, 100, 60, 40);
    Rgb middle(62, 0xffffff);
    middle.front() = middle.back() = c;
    EXPECT_EQ(RgbRow(g, 99, 120, 62), middle) << "the oval's middle row spans its bounding box exactly";
    EXPECT_EQ((Rgb{RgbAt(g, 130, 99), RgbAt(g, 130, 100), RgbAt(g, 130, 139), RgbAt(g, 130, 140), RgbAt(g, 101, 101)}),
              (Rgb{c, 0xffffff, 0xffffff, c, c})) << "top, bottom and a corner of the oval";
    const float tri[] = {200, 10, 220, 10, 200, 30};
    g->DrawPoly(Array<float>(tri, 6));
    EXPECT_EQ((Rgb{RgbAt(g, 202, 12), RgbAt(g, 218, 28)}), (Rgb{0xffffff, c})) << "polygon";
    gxtkSurface* s = Surface(2, 2, {int(0xffff0000u), int(0xff00ff00u), int(0xff0000ffu), int(0x80ffffffu)});
    g->Cls(0, 0, 0);
    g->DrawSurface(s, 50, 60);
    EXPECT_EQ(RgbRow(g, 50, 60, 3), (Rgb{0xff0000, 0x00ff00, 0}));
    EXPECT_EQ(RgbRow(g, 50, 61, 2), (Rgb{0x0000ff, 0x808080})) << "255 * 128 / 255 over black: premultiplied";
    g->DrawSurface2(s, 70, 70, 1, 0, 1, 2);  // right column only
    EXPECT_EQ((Rgb{RgbAt(g, 70, 70), RgbAt(g, 70, 71), RgbAt(g, 71, 70)}), (Rgb{0x00ff00, 0x808080, 0}));
    g->SetColor(255, 0, 0);  // the colour modulates the texture
    g->DrawSurface(s, 80, 80);
    EXPECT_EQ(RgbRow(g, 80, 80, 2), (Rgb{0xff0000, 0}));
    const float quad[] = {100, 100, 0, 0, 110, 100, 1, 0, 110, 110, 1, 1, 100, 110, 0, 1};
    g->SetColor(255, 255, 255);
    g->DrawPoly2(Array<float>(quad, 16), Surface(2, 1, {int(0xff00ff00u), int(0xffff0000u)}), 1, 0);
    EXPECT_EQ(RgbAt(g, 105, 105), 0xff0000u) << "textured polygon: the red pixel stretched";
}

TEST_F(GlRendererTest, BlendModesAndScissor) {
    g->Cls(0, 0, 200);
    g->SetColor(200, 0, 0);
    g->SetAlpha(0.5f);
    g->DrawRect(0, 0, 4, 4);
    const unsigned p = RgbAt(g, 1, 1);  // (100, 0, 0, 127) over (0, 0, 200): blue 200 * 128/255
    EXPECT_TRUE(std::abs(int(p >> 16) - 100) <= 1 && (p & 0xff00) == 0 && std::abs(int(p & 0xff) - 100) <= 1) << std::hex << p;
    g->Cls(50, 60, 70);
    g->SetAlpha(1);
    g->SetBlend(1);
    g->SetColor(100, 100, 100);
    g->DrawRect(0, 0, 4, 4);
    EXPECT_EQ(RgbAt(g, 2, 2), 0x96a0aau) << "additive";
    g->SetBlend(2);  // anything but 1 is alpha blending
    g->SetColor(1, 2, 3);
    g->DrawRect(0, 0, 4, 4);
    EXPECT_EQ(RgbAt(g, 2, 2), 0x010203u);
    g->SetScissor(20, 30, 10, 5);
    g->SetColor(255, 0, 0);
    g->DrawRect(0, 0, 640, 480);
    EXPECT_EQ(RgbRow(g, 19, 30, 12), (Rgb{0x323c46, 0xff0000, 0xff0000, 0xff0000, 0xff0000, 0xff0000, 0xff0000, 0xff0000,
                                         0xff0000, 0xff0000, 0xff0000, 0x323c46}));
    EXPECT_EQ((Rgb{RgbAt(g, 20, 29), RgbAt(g, 20, 34), RgbAt(g, 20, 35)}), (Rgb{0x323c46, 0xff0000, 0x323c46}));
    g->SetScissor(0, 0, 640, 480);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST)) << "the whole window turns scissoring off";
}

TEST_F(GlRendererTest, ReadPixelsReturnsTopRowFirstWithOffsetAndPitch) {
    g->SetColor(255, 0, 0);
    g->DrawRect(0, 0, 3, 1);
    Array<int> px(1 + 2 * 5);
    for (int i = 0; i < px.Length(); ++i) px[i] = 7;
    g->ReadPixels(px, 0, 0, 3, 2, 1, 5);
    Rgb got;
    for (int i = 0; i < px.Length(); ++i) got.push_back(px.Get(i) == 7 ? 7 : px.Get(i) & 0xffffff);
    EXPECT_EQ(got, (Rgb{7, 0xff0000, 0xff0000, 0xff0000, 7, 7, kClear, kClear, kClear, 7, 7}));
    unsigned char bgra[4] = {};
    glReadPixels(0, 479, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, bgra);  // GL's rows run bottom up
    EXPECT_EQ(bgra[2], 255);
    Array<int> small(5);
    g->ReadPixels(small, 0, 0, 3, 2, 0, 3);  // needs 6: ignored
    for (int i = 0; i < 5; ++i) EXPECT_EQ(small.Get(i), 0) << i;
}

TEST_F(GlRendererTest, BatchingRules) {
    for (int i = 0; i < 257; ++i) g->DrawRect(float(i), 0, 1, 1);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 1) << "a full batch of 256 quads flushes once";
    NewFrame();
    EXPECT_EQ((std::vector<int>{g->LastFrameStats().drawCalls, g->LastFrameStats().vertices}), (std::vector<int>{2, 1028}));
    for (int i = 0; i < 1024; ++i) g->DrawPoint(float(i % 640), float(i / 640));
    EXPECT_EQ(g->CurrentFrameStats().flushes, 0) << "1024 points fill the batch exactly";
    g->DrawPoint(0, 10);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 1);
    NewFrame();
    g->DrawRect(0, 0, 1, 1);
    g->SetColor(1, 2, 3);
    g->SetAlpha(0.5f);
    g->SetMatrix(2, 0, 0, 2, 1, 1);
    g->DrawRect(0, 0, 1, 1);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 0) << "colour, alpha and matrix never flush";
    g->DrawLine(0, 0, 5, 5);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 1) << "another kind of primitive flushes";
    g->SetBlend(1);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 2) << "blend flushes";
    g->DrawRect(0, 0, 1, 1);
    g->SetScissor(0, 0, 640, 480);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 3) << "scissor flushes";
    NewFrame();
    // Frames of one sheet share a batch; a new surface binds its own texture
    // when it is made, and a texture bound already is not bound again.
    g->SetMatrix(1, 0, 0, 1, 0, 0);
    g->SetColor(255, 255, 255);
    g->SetAlpha(1);
    g->SetBlend(0);
    g->Cls(0, 0, 0);
    gxtkSurface* sheet = Surface(2, 1, {int(0xffff0000u), int(0xff00ff00u)});
    gxtkSurface* other = Surface(1, 1, {int(0xff0000ffu)});
    g->DrawSurface2(sheet, 0, 0, 0, 0, 1, 1);
    g->DrawSurface2(sheet, 0, 10, 1, 0, 1, 1);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 0);
    g->DrawRect(0, 20, 1, 1);
    g->DrawSurface2(sheet, 0, 30, 1, 0, 1, 1);
    g->DrawSurface(other, 0, 50);
    EXPECT_EQ((Rgb{RgbAt(g, 0, 0), RgbAt(g, 0, 10), RgbAt(g, 0, 30), RgbAt(g, 0, 50)}), (Rgb{0xff0000, 0x00ff00, 0x00ff00, 0x0000ff}));
    EXPECT_EQ(g->CurrentFrameStats().textureSwitches, 2) << "the sheet once after the other was made, then the other";
    NewFrame();
    g->DrawRect(0, 0, 10, 10);
    g->Cls(0, 0, 0);  // drops what is batched
    for (float x : {10.0f, 50.0f, 90.0f}) g->DrawOval(x, 10, 20, 20);
    EXPECT_EQ((Rgb{RgbAt(g, 20, 20), RgbAt(g, 60, 20), RgbAt(g, 100, 20), RgbAt(g, 5, 5)}), (Rgb{0xffffff, 0xffffff, 0xffffff, 0}));
    NewFrame();
    EXPECT_EQ(g->LastFrameStats().drawCalls, 1) << "the polygons of a batch draw in one call; the rectangle was dropped";
}

// A rectangle that covers the whole window opaquely under alpha blending is
// drawn as a clear; every other rectangle is drawn. Either way the pixels are
// those of blending the packed colour over what was batched before.
TEST_F(GlRendererTest, WindowCoveringOpaqueRectangleClears) {
    const struct { const char* name; float x, y, w, h, alpha; int blend; bool scissor, turned, clears; unsigned centre; } cases[] = {
        {"whole window", 0, 0, 640, 480, 1, 0, false, false, true, 0x0ac863},
        {"larger than the window", -1, -1, 642, 482, 1, 0, false, false, true, 0x0ac863},
        {"one pixel short", 0, 0, 639, 480, 1, 0, false, false, false, 0x0ac863},
        {"half transparent", 0, 0, 640, 480, 0.5f, 0, false, false, false, 0x0a6e40},
        {"additive", 0, 0, 640, 480, 1, 1, false, false, false, 0x14dc81},
        {"scissored", 0, 0, 640, 480, 1, 0, true, false, false, 0x0ac863},
        {"under a matrix", 0, 0, 640, 480, 1, 0, false, true, false, 0x0ac863},
        {"not a number", NAN, 0, 640, 480, 1, 0, false, false, false, kClear}};
    for (const auto& c : cases) {
        NewFrame();
        g->Cls(10, 20, 30);
        g->SetColor(255, 255, 255);
        g->DrawRect(300, 200, 5, 5);  // batched before the rectangle: covered by it
        g->SetColor(10.9f, 200.5f, 99.99f);  // packs as 10, 200, 99
        g->SetAlpha(c.alpha);
        g->SetBlend(c.blend);
        if (c.scissor) g->SetScissor(0, 0, 640, 479);
        if (c.turned) g->SetMatrix(1, 0, 0, 1, 0.25f, 0);
        g->DrawRect(c.x, c.y, c.w, c.h);
        EXPECT_EQ(g->CurrentFrameStats().clears, c.clears ? 1 : 0) << c.name;
        EXPECT_EQ(RgbAt(g, 320, 240), c.centre) << c.name;
        if (c.clears) {
            EXPECT_EQ(RgbAt(g, 301, 201), c.centre) << c.name << ": the rectangle batched before is covered";
        }
        g->SetMatrix(1, 0, 0, 1, 0, 0);
        g->SetBlend(0);
        g->SetAlpha(1);
        g->SetScissor(0, 0, 640, 480);
    }
}

// Quads wholly outside the window are not drawn; one that reaches a single
// pixel row or column is.
TEST_F(GlRendererTest, QuadsWhollyOutsideTheWindowAreCulled) {
    gxtkSurface* sheet = Surface(10, 10, std::vector<int>(100, int(0xffff0000u)));
    const struct { float x, y; bool culled; } cases[] = {{-10, 100, true},  {-9.4f, 100, false}, {640, 100, true},
                                                         {639.4f, 100, false}, {100, -10, true}, {100, 480, true},
                                                         {100, 479.4f, false}, {NAN, 100, false}};
    for (const auto& c : cases) {
        const int before = g->CurrentFrameStats().culled;
        g->DrawRect(c.x, c.y, 10, 10);
        g->DrawSurface2(sheet, c.x, c.y, 0, 0, 10, 10);
        g->DrawSurface(sheet, c.x, c.y);
        EXPECT_EQ(g->CurrentFrameStats().culled - before, c.culled ? 3 : 0) << "at " << c.x << ", " << c.y;
    }
    EXPECT_EQ((Rgb{RgbAt(g, 0, 100), RgbAt(g, 639, 100), RgbAt(g, 100, 479)}), (Rgb{0xff0000, 0xff0000, 0xff0000}));
    // A quarter turn about (0, 0) puts a quad at x 5..15 at x -15..-5; moved right by 100 it is inside.
    for (const float shift : {0.0f, 100.0f}) {
        g->SetMatrix(0, 1, -1, 0, shift, 0);
        const int before = g->CurrentFrameStats().culled;
        g->DrawRect(5, 5, 10, 10);
        EXPECT_EQ(g->CurrentFrameStats().culled - before, shift == 0 ? 1 : 0) << "turned, moved by " << shift;
    }
    EXPECT_EQ(RgbAt(g, 90, 5), 0xffffffu) << "the turned rectangle: x 85..95, y 5..15";
}

}  // namespace
