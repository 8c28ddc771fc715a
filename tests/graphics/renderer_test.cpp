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

class GlRendererTest : public ::testing::Test {
protected:
    static constexpr unsigned c = 0x0a141e;  // the window's colour after the fixture's clear
    void SetUp() override {
        ASSERT_TRUE(OpenWindow(640, 480)) << "no display: run under an X server";
        g = new gxtkGraphics();
        ASSERT_EQ(g->BeginRender(), 1);
        NewFrame();
    }
    void TearDown() override {
        if (g) g->EndRender();
    }
    // Ends the frame and starts one in the default state, cleared to `c`.
    void NewFrame() {
        g->EndRender();
        g->BeginRender();
        g->SetMatrix(1, 0, 0, 1, 0, 0);
        g->SetColor(255, 255, 255);
        g->SetAlpha(1);
        g->SetBlend(0);
        g->SetScissor(0, 0, 640, 480);
        g->Cls(10, 20, 30);
    }
    // A surface from 0xAARRGGBB pixels.
    gxtkSurface* Surface(int w, int h, std::vector<int> argb) {
        gxtkSurface* s = g->CreateSurface(w, h);
        g->WritePixels2(s, Array<int>(argb.data(), w * h), 0, 0, w, h, 0, w);
        return s;
    }
    int Flushes() const { return g->CurrentFrameStats().flushes; }
    gxtkGraphics* g = nullptr;
};

TEST_F(GlRendererTest, PrimitivesCoverExactlyTheirPixels) {
    g->SetColor(200, 100, 50);
    g->DrawRect(10, 10, 3, 2);
    ExpectPixels(g, {{9, 10, c}, {10, 10, 0xc86432}, {12, 11, 0xc86432}, {13, 10, c}, {10, 12, c}, {10, 9, c}}, "rectangle");
    g->SetColor(0, 255, 0);
    g->DrawLine(20.5f, 40.5f, 26.5f, 40.5f);
    ExpectPixels(g, {{21, 40, 0xff00}, {24, 40, 0xff00}, {23, 39, c}, {23, 41, c}, {28, 40, c}}, "line");
    g->DrawPoint(5.5f, 5.5f);
    ExpectPixels(g, {{5, 5, 0xff00}, {4, 5, c}, {6, 5, c}, {5, 4, c}, {5, 6, c}}, "point");
    g->SetColor(255, 255, 255);
    g->DrawOval(100, 100, 60, 40);
    ExpectPixels(g, {{99, 120, c}, {100, 120, 0xffffff}, {159, 120, 0xffffff}, {160, 120, c}, {130, 99, c},
                     {130, 100, 0xffffff}, {130, 139, 0xffffff}, {130, 140, c}, {101, 101, c}}, "oval in its bounding box");
    const float tri[] = {200, 10, 220, 10, 200, 30};
    g->DrawPoly(Array<float>(tri, 6));
    ExpectPixels(g, {{202, 12, 0xffffff}, {218, 28, c}}, "polygon");
    const float quad[] = {300, 100, 0, 0, 310, 100, 1, 0, 310, 110, 1, 1, 300, 110, 0, 1};
    g->DrawPoly2(Array<float>(quad, 16), Surface(2, 1, {int(0xff00ff00u), int(0xffff0000u)}), 1, 0);
    ExpectPixels(g, {{305, 105, 0xff0000}}, "textured polygon: the red pixel stretched");
    gxtkSurface* s = Surface(2, 2, {int(0xffff0000u), int(0xff00ff00u), int(0xff0000ffu), int(0x80ffffffu)});
    g->Cls(0, 0, 0);
    g->DrawSurface(s, 50, 60);
    g->DrawSurface2(s, 70, 70, 1, 0, 1, 2);  // right column only
    g->SetColor(255, 0, 0);                  // the colour modulates the texture
    g->DrawSurface(s, 80, 80);
    ExpectPixels(g, {{50, 60, 0xff0000}, {51, 60, 0x00ff00}, {50, 61, 0x0000ff}, {51, 61, 0x808080}, {52, 60, 0}}, "surface, premultiplied");
    ExpectPixels(g, {{70, 70, 0x00ff00}, {70, 71, 0x808080}, {71, 70, 0}, {80, 80, 0xff0000}, {81, 80, 0}}, "part of a surface; tinted");
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
    g->SetBlend(2);  // anything but 1 is alpha blending
    g->SetColor(1, 2, 3);
    g->DrawRect(2, 0, 2, 4);
    ExpectPixels(g, {{1, 1, 0x96a0aa}, {3, 1, 0x010203}}, "additive, then alpha blending");
    g->SetScissor(20, 30, 10, 5);
    g->SetColor(255, 0, 0);
    g->DrawRect(0, 0, 640, 480);
    ExpectPixels(g, {{20, 30, 0xff0000}, {29, 34, 0xff0000}, {19, 30, 0x323c46}, {30, 30, 0x323c46}, {20, 29, 0x323c46},
                     {20, 35, 0x323c46}}, "scissor");
    g->SetScissor(0, 0, 640, 480);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST)) << "the whole window turns scissoring off";
}

TEST_F(GlRendererTest, BatchingRules) {
    for (int i = 0; i < 257; ++i) g->DrawRect(float(i), 0, 1, 1);
    EXPECT_EQ(Flushes(), 1) << "a full batch of 256 quads flushes once";
    g->SetColor(1, 2, 3);
    g->SetAlpha(0.5f);
    g->SetMatrix(2, 0, 0, 2, 1, 1);
    g->DrawRect(0, 0, 1, 1);
    EXPECT_EQ(Flushes(), 1) << "colour, alpha and matrix never flush";
    g->DrawLine(0, 0, 5, 5);
    EXPECT_EQ(Flushes(), 2) << "another kind of primitive flushes";
    g->SetBlend(1);
    g->DrawRect(0, 0, 1, 1);
    g->SetScissor(0, 0, 640, 480);
    EXPECT_EQ(Flushes(), 4) << "blend and scissor flush";
    NewFrame();
    EXPECT_EQ((std::vector<int>{g->LastFrameStats().drawCalls, g->LastFrameStats().vertices}), (std::vector<int>{4, 1038})) << "four batches: 256 quads, 2 quads, a line, a quad";

    // Frames of one sheet share a batch; a new surface binds its own texture
    // when it is made, and a texture bound already is not bound again.
    gxtkSurface* sheet = Surface(2, 1, {int(0xffff0000u), int(0xff00ff00u)});
    gxtkSurface* other = Surface(1, 1, {int(0xff0000ffu)});
    g->DrawSurface2(sheet, 0, 0, 0, 0, 1, 1);
    g->DrawSurface2(sheet, 0, 10, 1, 0, 1, 1);
    EXPECT_EQ(Flushes(), 0);
    g->DrawRect(0, 20, 1, 1);
    g->DrawSurface2(sheet, 0, 30, 1, 0, 1, 1);
    g->DrawSurface(other, 0, 50);
    ExpectPixels(g, {{0, 0, 0xff0000}, {0, 10, 0x00ff00}, {0, 30, 0x00ff00}, {0, 50, 0x0000ff}}, "textures");
    EXPECT_EQ(g->CurrentFrameStats().textureSwitches, 2) << "the sheet once after the other was made, then the other";
    NewFrame();
    g->DrawRect(0, 0, 10, 10);
    g->Cls(0, 0, 0);  // drops what is batched
    for (float x : {10.0f, 50.0f, 90.0f}) g->DrawOval(x, 10, 20, 20);
    ExpectPixels(g, {{20, 20, 0xffffff}, {60, 20, 0xffffff}, {100, 20, 0xffffff}, {5, 5, 0}}, "ovals, no rectangle");
    NewFrame();
    EXPECT_EQ(g->LastFrameStats().drawCalls, 1) << "the polygons of a batch draw in one call";
}

// A rectangle that covers the whole window opaquely under alpha blending is
// drawn as a clear; every other rectangle is drawn. Either way the pixels are
// those of blending the packed colour over what was batched before.
TEST_F(GlRendererTest, WindowCoveringOpaqueRectangleClears) {
    const struct { const char* name; float x, w, alpha; int blend; bool scissor, turned, clears; unsigned centre; } cases[] = {
        {"whole window", 0, 640, 1, 0, false, false, true, 0x0ac863},  {"larger", -1, 642, 1, 0, false, false, true, 0x0ac863},
        {"one pixel short", 0, 639, 1, 0, false, false, false, 0x0ac863}, {"half transparent", 0, 640, 0.5f, 0, false, false, false, 0x0a6e40},
        {"additive", 0, 640, 1, 1, false, false, false, 0x14dc81},     {"scissored", 0, 640, 1, 0, true, false, false, 0x0ac863},
        {"under a matrix", 0, 640, 1, 0, false, true, false, 0x0ac863}, {"not a number: nothing drawn", NAN, 640, 1, 0, false, false, false, c}};
    for (const auto& k : cases) {
        NewFrame();
        g->DrawRect(300, 200, 5, 5);  // batched before the rectangle: covered by it
        g->SetColor(10.9f, 200.5f, 99.99f);  // packs as 10, 200, 99
        g->SetAlpha(k.alpha);
        g->SetBlend(k.blend);
        if (k.scissor) g->SetScissor(0, 0, 640, 479);
        if (k.turned) g->SetMatrix(1, 0, 0, 1, 0.25f, 0);
        g->DrawRect(k.x, k.x, k.w, 480 - 2 * k.x);
        EXPECT_EQ(g->CurrentFrameStats().clears, k.clears ? 1 : 0) << k.name;
        ExpectPixels(g, {{320, 240, k.centre}}, k.name);
        if (k.clears) ExpectPixels(g, {{301, 201, k.centre}}, "the rectangle batched before is covered");
    }
}

// Quads wholly outside the window are not drawn; one that reaches a single
// pixel row or column is.
TEST_F(GlRendererTest, QuadsWhollyOutsideTheWindowAreCulled) {
    gxtkSurface* sheet = Surface(10, 10, std::vector<int>(100, int(0xffff0000u)));
    const struct { float x, y; bool culled; } cases[] = {{-10, 100, true},  {-9.4f, 100, false}, {640, 100, true},
                                                         {639.4f, 100, false}, {100, -10, true}, {100, 480, true},
                                                         {100, 479.4f, false}, {NAN, 100, false}};
    for (const auto& k : cases) {
        const int before = g->CurrentFrameStats().culled;
        g->DrawRect(k.x, k.y, 10, 10);
        g->DrawSurface2(sheet, k.x, k.y, 0, 0, 10, 10);
        g->DrawSurface(sheet, k.x, k.y);
        EXPECT_EQ(g->CurrentFrameStats().culled - before, k.culled ? 3 : 0) << "at " << k.x << ", " << k.y;
    }
    ExpectPixels(g, {{0, 100, 0xff0000}, {639, 100, 0xff0000}, {100, 479, 0xff0000}}, "one pixel into the window");
    // A quarter turn about (0, 0) puts a quad at x 5..15 at x -15..-5; moved right by 100 it is inside.
    for (const float shift : {0.0f, 100.0f}) {
        g->SetMatrix(0, 1, -1, 0, shift, 0);
        const int before = g->CurrentFrameStats().culled;
        g->DrawRect(5, 5, 10, 10);
        EXPECT_EQ(g->CurrentFrameStats().culled - before, shift == 0 ? 1 : 0) << "turned, moved by " << shift;
    }
    ExpectPixels(g, {{90, 5, 0xffffff}}, "the turned rectangle: x 85..95, y 5..15");
}

}  // namespace
