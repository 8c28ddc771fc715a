// The renderer against real GL (Mesa under Xvfb): exact pixels for every
// primitive and blend mode, and the batching rules through the frame statistics.
#include "graphics/renderer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "graphics/surface.h"
#include "tests/graphics/test_host.h"

namespace {

std::string Hex(unsigned v) {
    char s[16];
    std::snprintf(s, sizeof s, "%06x", v);
    return s;
}

#define EXPECT_RGB(g, x, y, expected) \
    EXPECT_EQ(Hex(RgbAt(g, x, y)), Hex(expected)) << "pixel (" << (x) << ", " << (y) << ")"

// ---- without a display ----

struct PackCase {
    float r, g, b, a;
    uint32_t expected;  // A<<24 | B<<16 | G<<8 | R
};

TEST(RendererColourTest, PacksPremultipliedAndClamped) {
    const PackCase cases[] = {
        {255, 255, 255, 1, 0xffffffffu},
        {200, 100, 50, 1, 0xff3264c8u},
        {200, 100, 50, 0.5f, 0x7f193264u},   // trunc(100), trunc(50), trunc(25), trunc(127.5)
        {300, -5, 128, 2, 0xff8000ffu},      // components and alpha clamped
        {255, 255, 255, -1, 0x00000000u},
        {NAN, 10, 10, 1, 0xff0a0a00u},       // NaN counts as 0
        {10, 10, 10, NAN, 0x00000000u},
        {1e30f, 0, 0, 1, 0xff0000ffu},
    };
    TestHost::Get();
    gxtkGraphics* g = new gxtkGraphics();
    for (const PackCase& c : cases) {
        g->SetColor(c.r, c.g, c.b);
        g->SetAlpha(c.a);
        EXPECT_EQ(Hex(g->color), Hex(c.expected)) << "colour " << c.r << "," << c.g << "," << c.b << " alpha " << c.a;
    }
}

TEST(RendererOvalTest, SegmentCounts) {
    struct Case {
        float w, h;
        int expected;
    } const cases[] = {{4, 4, 12}, {100, 60, 80}, {3000, 3000, 1024}, {50, 51, 48},
                       {-100, -60, 80}, {NAN, 10, 12}, {INFINITY, 10, 1024}, {26, 26, 24}};
    TestHost::Get();
    gxtkGraphics* g = new gxtkGraphics();
    for (const Case& c : cases) {
        EXPECT_EQ(g->OvalSegments(c.w, c.h), c.expected) << c.w << " x " << c.h;
    }
    g->SetMatrix(2, 0, 0, 3, 5, 5);  // radii 50*2 and 30*3
    EXPECT_EQ(g->OvalSegments(100, 60), 188);
    g->SetMatrix(0, 1, -1, 0, 0, 0);  // a quarter turn keeps the radii
    EXPECT_EQ(g->OvalSegments(100, 60), 80);
}

TEST(RendererLimitsTest, PixelRangeChecks) {
    struct Case {
        int length, w, h, offset, pitch;
        bool fits;
    } const cases[] = {
        {16, 4, 4, 0, 4, true},   {15, 4, 4, 0, 4, false}, {20, 4, 4, 4, 4, true},  {19, 4, 4, 4, 4, false},
        {16, 4, 4, -1, 4, false}, {16, 4, 4, 12, -4, true}, {16, 4, 4, 11, -4, false}, {4, 4, 4, 0, 0, true},
        {16, 0, 4, 0, 4, false},  {1 << 30, 1 << 16, 1 << 16, 0, 1 << 16, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kpPixelRangeFits(c.length, c.w, c.h, c.offset, c.pitch), c.fits)
            << "length " << c.length << " w " << c.w << " h " << c.h << " offset " << c.offset << " pitch " << c.pitch;
    }
}

TEST(RendererHeadlessTest, NoContextMeansNoFrame) {
    TestHost::Get().CloseWindow();
    gxtkGraphics* g = new gxtkGraphics();
    EXPECT_EQ(g->BeginRender(), 0);
    g->DrawRect(0, 0, 10, 10);  // ignored outside a frame
    EXPECT_EQ(g->BatchedVertices(), 0);
    g->Cls(1, 2, 3);
    g->SetBlend(1);
    g->SetScissor(1, 1, 1, 1);
    Array<int> pixels(4);
    g->ReadPixels(pixels, 0, 0, 2, 2, 0, 2);
    EXPECT_EQ(g->EndRender(), 0);
    EXPECT_EQ(g->LastFrameStats().drawCalls, 0);
}

// ---- with a window ----

class GlRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureWindow(640, 480)) << "no display: run under xvfb-run";
        g = new gxtkGraphics();
        ASSERT_EQ(g->BeginRender(), 1);
        ASSERT_EQ(g->Width(), 640);
        ASSERT_EQ(g->Height(), 480);
        g->SetColor(255, 255, 255);
        g->SetAlpha(1);
        g->Cls(10, 20, 30);
    }
    void TearDown() override {
        if (g) g->EndRender();
    }
    // A surface from 0xAARRGGBB pixels.
    gxtkSurface* Surface(int w, int h, const std::vector<int>& argb) {
        gxtkSurface* s = g->CreateSurface(w, h);
        Array<int> px(argb.data(), static_cast<int>(argb.size()));
        g->WritePixels2(s, px, 0, 0, w, h, 0, w);
        return s;
    }
    gxtkGraphics* g = nullptr;
    static constexpr unsigned kClear = 0x0a141e;
};

TEST_F(GlRendererTest, OpaqueRectangleCoversExactlyItsPixels) {
    g->SetColor(200, 100, 50);
    g->DrawRect(10, 10, 20, 10);
    EXPECT_RGB(g, 10, 10, 0xc86432u);
    EXPECT_RGB(g, 29, 19, 0xc86432u);
    EXPECT_RGB(g, 9, 10, kClear);
    EXPECT_RGB(g, 30, 10, kClear);
    EXPECT_RGB(g, 10, 9, kClear);
    EXPECT_RGB(g, 10, 20, kClear);
}

TEST_F(GlRendererTest, HalfTransparentRectangleBlendsPremultiplied) {
    g->Cls(0, 0, 200);
    g->SetColor(200, 0, 0);
    g->SetAlpha(0.5f);
    g->DrawRect(0, 0, 4, 4);
    const unsigned p = RgbAt(g, 1, 1);
    // Source (100, 0, 0, 127) over (0, 0, 200): red 100, blue 200 * 128/255.
    EXPECT_NEAR(int(p >> 16), 100, 1) << Hex(p);
    EXPECT_EQ(int((p >> 8) & 0xff), 0) << Hex(p);
    EXPECT_NEAR(int(p & 0xff), 100, 1) << Hex(p);
}

TEST_F(GlRendererTest, AdditiveAndOtherBlendModes) {
    g->Cls(50, 60, 70);
    g->SetBlend(1);
    g->SetColor(100, 100, 100);
    g->DrawRect(0, 0, 4, 4);
    EXPECT_RGB(g, 2, 2, 0x96a0aau);
    g->SetBlend(2);  // anything but 1 is alpha blending
    g->SetColor(1, 2, 3);
    g->DrawRect(0, 0, 4, 4);
    EXPECT_RGB(g, 2, 2, 0x010203u);
}

TEST_F(GlRendererTest, ScissorClipsAndWholeWindowTurnsItOff) {
    g->SetScissor(20, 30, 10, 5);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    g->SetColor(255, 0, 0);
    g->DrawRect(0, 0, 640, 480);
    EXPECT_RGB(g, 20, 30, 0xff0000u);
    EXPECT_RGB(g, 29, 34, 0xff0000u);
    EXPECT_RGB(g, 19, 30, kClear);
    EXPECT_RGB(g, 30, 30, kClear);
    EXPECT_RGB(g, 20, 29, kClear);
    EXPECT_RGB(g, 20, 35, kClear);
    g->SetScissor(0, 0, 640, 480);
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

TEST_F(GlRendererTest, LinesAndPoints) {
    g->SetColor(0, 255, 0);
    g->DrawLine(10.5f, 40.5f, 50.5f, 40.5f);
    for (int x = 11; x < 50; ++x) EXPECT_RGB(g, x, 40, 0x00ff00u);
    EXPECT_RGB(g, 30, 39, kClear);
    EXPECT_RGB(g, 30, 41, kClear);
    EXPECT_RGB(g, 52, 40, kClear);

    g->SetColor(255, 255, 0);
    g->DrawPoint(5.5f, 5.5f);
    g->DrawPoint(7.5f, 9.5f);
    EXPECT_RGB(g, 5, 5, 0xffff00u);
    EXPECT_RGB(g, 7, 9, 0xffff00u);
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (dx || dy) {
                EXPECT_RGB(g, 5 + dx, 5 + dy, kClear);
            }
        }
    }
}

TEST_F(GlRendererTest, OvalFillsItsBoundingBoxAndNoMore) {
    g->SetColor(255, 255, 255);
    g->DrawOval(100, 100, 60, 40);
    int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
    Array<int> px(80 * 60);
    g->ReadPixels(px, 90, 90, 80, 60, 0, 80);
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 80; ++x) {
            if ((px.Get(y * 80 + x) & 0xffffff) == 0xffffff) {
                minX = std::min(minX, x + 90), maxX = std::max(maxX, x + 90);
                minY = std::min(minY, y + 90), maxY = std::max(maxY, y + 90);
            }
        }
    }
    EXPECT_EQ((std::vector<int>{minX, minY, maxX, maxY}), (std::vector<int>{100, 100, 159, 139}))
        << "filled pixels span the bounding box exactly";
    EXPECT_RGB(g, 130, 120, 0xffffffu);
    EXPECT_RGB(g, 101, 101, kClear);  // corners stay outside the ellipse
    EXPECT_RGB(g, 158, 138, kClear);
    EXPECT_EQ(g->BatchedVertices(), 0);
    g->DrawOval(100, 100, 60, 40);
    EXPECT_EQ(g->BatchedVertices(), 48);  // 30 + 20 segments, down to a multiple of 4
}

TEST_F(GlRendererTest, ReadPixelsReturnsTopRowFirstWithOffsetAndPitch) {
    g->SetColor(255, 0, 0);
    g->DrawRect(0, 0, 3, 1);
    Array<int> px(1 + 2 * 5);
    for (int i = 0; i < px.Length(); ++i) px[i] = 7;
    g->ReadPixels(px, 0, 0, 3, 2, 1, 5);
    EXPECT_EQ(px.Get(0), 7);
    EXPECT_EQ(Hex(px.Get(1) & 0xffffff), Hex(0xff0000u));
    EXPECT_EQ(Hex(px.Get(3) & 0xffffff), Hex(0xff0000u));
    EXPECT_EQ(px.Get(4), 7) << "pitch gap untouched";
    EXPECT_EQ(Hex(px.Get(6) & 0xffffff), Hex(kClear)) << "second row";
    EXPECT_EQ(px.Get(9), 7);

    // Independent check of the flip against GL itself.
    unsigned char bgra[4] = {};
    glReadPixels(0, 479, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
    EXPECT_EQ(bgra[2], 255);

    Array<int> small(5);
    for (int i = 0; i < 5; ++i) small[i] = 7;
    g->ReadPixels(small, 0, 0, 3, 2, 0, 3);  // needs 6: ignored
    for (int i = 0; i < 5; ++i) EXPECT_EQ(small.Get(i), 7) << i;
}

TEST_F(GlRendererTest, SurfacesDrawTheirPixelsPremultiplied) {
    gxtkSurface* s = Surface(2, 2, {int(0xffff0000u), int(0xff00ff00u), int(0xff0000ffu), int(0x80ffffffu)});
    ASSERT_NE(s, nullptr);
    g->Cls(0, 0, 0);
    g->DrawSurface(s, 50, 60);
    EXPECT_RGB(g, 50, 60, 0xff0000u);
    EXPECT_RGB(g, 51, 60, 0x00ff00u);
    EXPECT_RGB(g, 50, 61, 0x0000ffu);
    EXPECT_RGB(g, 51, 61, 0x808080u);  // 255 * 128 / 255 over black
    EXPECT_RGB(g, 52, 60, 0u);
    g->DrawSurface2(s, 70, 70, 1, 0, 1, 2);  // right column only
    EXPECT_RGB(g, 70, 70, 0x00ff00u);
    EXPECT_RGB(g, 70, 71, 0x808080u);
    EXPECT_RGB(g, 71, 70, 0u);
    g->SetColor(255, 0, 0);  // vertex colour modulates the texture
    g->DrawSurface(s, 80, 80);
    EXPECT_RGB(g, 81, 80, 0u);
    EXPECT_RGB(g, 80, 80, 0xff0000u);
}

TEST_F(GlRendererTest, PolygonsDrawAsFans) {
    g->SetColor(255, 255, 255);
    const float tri[] = {10, 10, 30, 10, 10, 30, 20, 20, 20, 20, 20, 20};
    g->DrawPoly(Array<float>(tri, 6));
    EXPECT_RGB(g, 12, 12, 0xffffffu);
    EXPECT_RGB(g, 28, 28, kClear);
    g->DrawPoly(Array<float>(tri, 1));  // no whole vertex: ignored
    EXPECT_EQ(g->BatchedVertices(), 0);
    gxtkSurface* s = Surface(2, 1, {int(0xff00ff00u), int(0xffff0000u)});
    const float quad[] = {100, 100, 0, 0, 110, 100, 1, 0, 110, 110, 1, 1, 100, 110, 0, 1};
    g->DrawPoly2(Array<float>(quad, 16), s, 1, 0);  // the red pixel stretched
    EXPECT_RGB(g, 105, 105, 0xff0000u);
}

// ---- batching ----

TEST_F(GlRendererTest, FullBatchOfRectanglesFlushesOnce) {
    for (int i = 0; i < 257; ++i) g->DrawRect(float(i), 0, 1, 1);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 1);
    EXPECT_EQ(g->BatchedVertices(), 4);
    g->EndRender();
    const gxtkFrameStats s = g->LastFrameStats();
    EXPECT_EQ(s.drawCalls, 2);
    EXPECT_EQ(s.vertices, 257 * 4);
    EXPECT_EQ(s.textureBinds, 0);
    g->BeginRender();
}

TEST_F(GlRendererTest, PointsFillTheBatchExactly) {
    for (int i = 0; i < 1024; ++i) g->DrawPoint(float(i % 640), float(i / 640));
    EXPECT_EQ(g->CurrentFrameStats().flushes, 0);
    EXPECT_EQ(g->BatchedVertices(), 1024);
    g->DrawPoint(0, 10);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 1);
    EXPECT_EQ(g->BatchedVertices(), 1);
}

TEST_F(GlRendererTest, KindChangesFlushButStateChangesDoNot) {
    g->DrawRect(0, 0, 1, 1);
    g->SetColor(1, 2, 3);
    g->SetAlpha(0.5f);
    g->SetMatrix(2, 0, 0, 2, 1, 1);
    g->DrawRect(0, 0, 1, 1);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 0) << "colour, alpha and matrix never flush";
    g->DrawLine(0, 0, 5, 5);
    g->DrawRect(0, 0, 1, 1);
    g->EndRender();
    EXPECT_EQ(g->LastFrameStats().drawCalls, 3);
    g->BeginRender();
    g->DrawRect(0, 0, 1, 1);
    g->SetBlend(0);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 1) << "blend flushes";
    g->DrawRect(0, 0, 1, 1);
    g->SetScissor(0, 0, 640, 480);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 2) << "scissor flushes";
}

TEST_F(GlRendererTest, TextureSwitchesFlush) {
    gxtkSurface* sheet = Surface(2, 1, {int(0xffff0000u), int(0xff00ff00u)});
    g->DrawSurface2(sheet, 0, 0, 0, 0, 1, 1);
    g->DrawSurface2(sheet, 5, 0, 1, 0, 1, 1);
    EXPECT_EQ(g->CurrentFrameStats().flushes, 0) << "frames of one sheet share a batch";
    g->DrawRect(0, 10, 1, 1);
    g->DrawSurface2(sheet, 0, 20, 1, 0, 1, 1);
    g->DrawRect(0, 30, 1, 1);
    g->DrawSurface2(sheet, 0, 40, 0, 0, 1, 1);
    g->EndRender();
    const gxtkFrameStats s = g->LastFrameStats();
    EXPECT_EQ(s.flushes, 5);
    EXPECT_EQ(s.textureBinds, 3);
    g->BeginRender();
}

// A rectangle that covers the whole window opaquely under alpha blending is
// drawn as a clear; every other rectangle is drawn. Either way the pixels are
// those of blending the packed colour.
TEST_F(GlRendererTest, WindowCoveringOpaqueRectangleClearsWithThePackedColour) {
    struct Case {
        const char* name;
        float x, y, w, h, alpha;
        int blend;
        bool scissor, transformed, clears;
        unsigned centre;  // expected pixel at (320, 240) over a clear of kClear
    } const cases[] = {
        {"whole window", 0, 0, 640, 480, 1, 0, false, false, true, 0x0ac863u},
        {"larger than the window", -1, -1, 642, 482, 1, 0, false, false, true, 0x0ac863u},
        {"blend 2 is alpha blending", 0, 0, 640, 480, 1, 2, false, false, true, 0x0ac863u},
        {"one pixel short", 0, 0, 639, 480, 1, 0, false, false, false, 0x0ac863u},
        {"half transparent", 0, 0, 640, 480, 0.5f, 0, false, false, false, 0x0a6e40u},
        {"additive", 0, 0, 640, 480, 1, 1, false, false, false, 0x14dc81u},
        {"scissored", 0, 0, 640, 480, 1, 0, true, false, false, 0x0ac863u},
        {"under a matrix", 0, 0, 640, 480, 1, 0, false, true, false, 0x0ac863u},
        {"not a number", NAN, 0, 640, 480, 1, 0, false, false, false, kClear},
    };
    for (const Case& c : cases) {
        g->EndRender();
        g->BeginRender();
        g->SetMatrix(1, 0, 0, 1, 0, 0);
        g->SetBlend(0);
        g->SetScissor(0, 0, 640, 480);
        g->Cls(10, 20, 30);
        g->SetColor(255, 255, 255);
        g->DrawRect(300, 200, 5, 5);  // batched before the rectangle: covered by it
        g->SetColor(10.9f, 200.5f, 99.99f);  // packs as 10, 200, 99
        g->SetAlpha(c.alpha);
        g->SetBlend(c.blend);
        if (c.scissor) g->SetScissor(0, 0, 640, 479);
        if (c.transformed) g->SetMatrix(1, 0, 0, 1, 0.25f, 0);
        g->DrawRect(c.x, c.y, c.w, c.h);
        EXPECT_EQ(g->CurrentFrameStats().clears, c.clears ? 1 : 0) << c.name;
        EXPECT_RGB(g, 320, 240, c.centre) << c.name;
        if (c.clears) {
            EXPECT_RGB(g, 301, 201, c.centre) << c.name << ": the rectangle batched before is covered";
            EXPECT_RGB(g, 639, 479, c.centre) << c.name;
        }
    }
    g->SetScissor(0, 0, 640, 480);
}

TEST_F(GlRendererTest, TextureBoundAlreadyIsNotBoundAgain) {
    gxtkSurface* sheet = Surface(2, 1, {int(0xffff0000u), int(0xff00ff00u)});
    g->EndRender();
    g->BeginRender();
    g->SetColor(255, 255, 255);
    g->DrawSurface2(sheet, 0, 0, 0, 0, 1, 1);
    g->DrawRect(0, 10, 1, 1);
    g->DrawSurface2(sheet, 0, 20, 1, 0, 1, 1);
    g->DrawRect(0, 30, 1, 1);
    // A new surface binds its own texture when it is made: the sheet must be bound again.
    gxtkSurface* other = Surface(1, 1, {int(0xff0000ffu)});
    g->DrawSurface2(sheet, 0, 40, 0, 0, 1, 1);
    g->DrawSurface(other, 0, 50);
    g->DrawSurface2(sheet, 0, 60, 1, 0, 1, 1);
    EXPECT_RGB(g, 0, 0, 0xff0000u);
    EXPECT_RGB(g, 0, 20, 0x00ff00u);
    EXPECT_RGB(g, 0, 40, 0xff0000u);
    EXPECT_RGB(g, 0, 50, 0x0000ffu);
    EXPECT_RGB(g, 0, 60, 0x00ff00u);
    const gxtkFrameStats s = g->CurrentFrameStats();
    EXPECT_EQ(s.textureBinds, 5) << "textured batches";
    // Making the sheet left it bound; binds: the sheet after the new surface, the other, the sheet again.
    EXPECT_EQ(s.textureSwitches, 3);
}

// Quads wholly outside the window are not drawn (they would cover no pixel);
// one that reaches a single pixel row or column is.
TEST_F(GlRendererTest, QuadsWhollyOutsideTheWindowAreCulled) {
    const int kSide = 10;
    gxtkSurface* sheet = Surface(kSide, kSide, std::vector<int>(kSide * kSide, int(0xffff0000u)));
    g->SetColor(255, 255, 255);
    // Plain cases under the identity matrix.
    struct Plain {
        float x, y;
        bool culled;
    } const plain[] = {{-10, 100, true},  {-9.4f, 100, false}, {640, 100, true}, {639.4f, 100, false},
                       {100, -10, true},  {100, 480, true},    {100, 479.4f, false}, {NAN, 100, false}};
    for (const Plain& p : plain) {
        const int before = g->CurrentFrameStats().culled;
        g->DrawRect(p.x, p.y, kSide, kSide);
        g->DrawSurface2(sheet, p.x, p.y, 0, 0, kSide, kSide);
        g->DrawSurface(sheet, p.x, p.y);
        EXPECT_EQ(g->CurrentFrameStats().culled - before, p.culled ? 3 : 0) << "at " << p.x << ", " << p.y;
    }
    // Under a quarter turn about (0, 0) a quad at x 5..15 lands at x -15..-5: outside.
    g->SetMatrix(0, 1, -1, 0, 0, 0);
    int before = g->CurrentFrameStats().culled;
    g->DrawRect(5, 5, kSide, kSide);
    EXPECT_EQ(g->CurrentFrameStats().culled - before, 1) << "turned out of the window";
    g->SetMatrix(0, 1, -1, 0, 100, 0);  // the same, moved right by 100: inside
    before = g->CurrentFrameStats().culled;
    g->DrawRect(5, 5, kSide, kSide);
    EXPECT_EQ(g->CurrentFrameStats().culled - before, 0) << "turned into the window";
    g->SetMatrix(1, 0, 0, 1, 0, 0);
    EXPECT_RGB(g, 0, 100, 0xff0000u);    // the quads one column in (the surface drawn last)
    EXPECT_RGB(g, 639, 100, 0xff0000u);
    EXPECT_RGB(g, 100, 479, 0xff0000u);
    EXPECT_RGB(g, 90, 5, 0xffffffu);     // the turned rectangle: x 85..95, y 5..15
}

TEST_F(GlRendererTest, PolygonsOfOneBatchDrawInOneCall) {
    g->EndRender();
    g->BeginRender();
    g->Cls(0, 0, 0);
    g->SetColor(255, 255, 255);
    g->DrawOval(10, 10, 20, 20);
    g->DrawOval(50, 10, 20, 20);
    g->DrawOval(90, 10, 20, 20);
    g->EndRender();
    EXPECT_EQ(g->LastFrameStats().drawCalls, 1);
    g->BeginRender();
    // The swap keeps the picture in the back buffer here (Mesa under Xvfb copies it).
    EXPECT_RGB(g, 20, 20, 0xffffffu);
    EXPECT_RGB(g, 60, 20, 0xffffffu);
    EXPECT_RGB(g, 100, 20, 0xffffffu);
    EXPECT_RGB(g, 40, 20, 0u);
}

TEST_F(GlRendererTest, ClsDiscardsTheBatch) {
    g->SetColor(255, 0, 0);
    g->DrawRect(0, 0, 10, 10);
    g->Cls(10, 20, 30);
    EXPECT_EQ(g->BatchedVertices(), 0);
    EXPECT_RGB(g, 5, 5, kClear);
    g->EndRender();
    EXPECT_EQ(g->LastFrameStats().drawCalls, 0);
    g->BeginRender();
}

}  // namespace
