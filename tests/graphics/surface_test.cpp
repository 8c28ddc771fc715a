// Surfaces keep premultiplied CPU pixels and make their texture lazily, once
// per window, so reopening the window (the fullscreen toggle) loses nothing.
#include "graphics/surface.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/renderer.h"
#include "host/glfw/game.h"
#include "tests/graphics/test_host.h"

namespace {

unsigned char* Copy(const std::vector<unsigned char>& bytes) {
    unsigned char* p = static_cast<unsigned char*>(std::malloc(bytes.size()));
    std::memcpy(p, bytes.data(), bytes.size());
    return p;
}

std::vector<int> Bytes(const gxtkSurface* s) { return std::vector<int>(s->data, s->data + s->width * s->height * s->depth); }

TEST(SurfaceTest, PixelsArePremultipliedOnlyWhereTheyHaveAlpha) {
    const struct { int depth; std::vector<unsigned char> in; std::vector<int> out; } cases[] = {
        {1, {200}, {200}}, {2, {200, 128}, {100, 128}}, {3, {200, 100, 50}, {200, 100, 50}},
        {4, {200, 100, 50, 128}, {100, 50, 25, 128}}, {4, {255, 255, 255, 0}, {0, 0, 0, 0}}};
    for (const auto& c : cases) {
        gxtkSurface* s = new gxtkSurface();
        s->SetData(Copy(c.in), 1, 1, c.depth);
        EXPECT_EQ(Bytes(s), c.out) << "depth " << c.depth;
        s->Discard();
    }
    // Written rectangles: RGBA surfaces only, premultiplied, and never outside the surface.
    const unsigned src[] = {0x80c86432u, 0xff010203u};
    gxtkSurface* rgb = new gxtkSurface();
    rgb->SetData(Copy({1, 2, 3, 4, 5, 6}), 2, 1, 3);
    rgb->SetSubData(0, 0, 2, 1, src, 2);
    EXPECT_EQ(Bytes(rgb), (std::vector<int>{1, 2, 3, 4, 5, 6})) << "3-byte surfaces are left alone";
    gxtkSurface* s = new gxtkSurface();
    s->SetData(nullptr, 3, 2, 4);
    s->SetSubData(1, 1, 2, 1, src, 2);
    ASSERT_NE(s->data, nullptr) << "pixels allocated on first write";
    std::vector<int> expected(24, 0);
    std::copy_n(std::vector<int>{100, 50, 25, 128, 1, 2, 3, 255}.begin(), 8, expected.begin() + 16);
    EXPECT_EQ(Bytes(s), expected);
    s->SetSubData(2, 1, 2, 1, src, 2);  // one column past the right edge
    s->SetSubData(-1, 0, 1, 1, src, 1);
    s->SetSubData(0, 1, 1, 2, src, 1);  // one row past the bottom
    EXPECT_EQ(Bytes(s), expected) << "rectangles outside the surface are ignored";
}

// Draws the surface at (10, 10) in a fresh frame and reads back its w x h pixels.
std::vector<unsigned> Drawn(gxtkGraphics* g, gxtkSurface* s, int w, int h) {
    EXPECT_EQ(g->BeginRender(), 1);
    g->SetColor(255, 255, 255);
    g->SetAlpha(1);
    g->Cls(0, 0, 0);
    g->DrawSurface(s, 10, 10);
    std::vector<unsigned> rgb;
    for (int y = 0; y < h; ++y) {
        const std::vector<unsigned> row = RgbRow(g, 10, 10 + y, w);
        rgb.insert(rgb.end(), row.begin(), row.end());
    }
    g->EndRender();
    return rgb;
}

TEST(GlSurfaceTest, ReopenedWindowRecreatesTexturesWithTheSamePixels) {
    ASSERT_TRUE(OpenWindow(640, 480)) << "no display: run under an X server";
    const std::string path = MakeImage("-size 3x2 xc:'rgba(200,100,50,0.50196)' -fill 'rgb(0,255,0)' -draw 'point 1,0' "
                                       "-fill 'rgb(0,0,255)' -draw 'point 2,1' -define png:color-type=6", "reopen.png");
    gxtkGraphics* g = new gxtkGraphics();
    gxtkSurface* s = g->LoadSurface(String(path.c_str()));
    ASSERT_NE(s, nullptr);
    EXPECT_FLOAT_EQ(s->uscale, 1.0f / 3) << "the texture has the image's own size";
    EXPECT_EQ(g->CreateSurface(4, 16385), nullptr) << "beyond the largest side";
    const std::vector<unsigned> first = Drawn(g, s, 3, 2);
    EXPECT_EQ(first, (std::vector<unsigned>{0x643219, 0x00ff00, 0x643219, 0x643219, 0x643219, 0x0000ff}));
    ASSERT_TRUE(OpenWindow(640, 480, false));  // what the fullscreen toggle does
    EXPECT_FALSE(s->HasTexture());
    EXPECT_EQ(Drawn(g, s, 3, 2), first);
    ASSERT_TRUE(OpenWindow(640, 480, false));
    const int red[] = {int(0xffff0000u)};
    g->WritePixels2(s, Array<int>(red, 1), 0, 0, 1, 1, 0, 1);
    EXPECT_EQ(Drawn(g, s, 1, 1)[0], 0xff0000u) << "pixels written while the texture is stale reach the next texture";
    // Pixels written into a live texture: whole rows in one upload, then a column row by row.
    gxtkSurface* live = g->CreateSurface(4, 3);
    ASSERT_TRUE(live->HasTexture());
    Array<int> px(12);
    for (int i = 0; i < 12; ++i) px[i] = int(0xff000000u | unsigned(i * 20));
    g->WritePixels2(live, px, 0, 0, 4, 3, 0, 4);
    const int column[] = {int(0xffff0000u), int(0xff00ff00u)};
    g->WritePixels2(live, Array<int>(column, 2), 1, 1, 1, 2, 0, 1);
    EXPECT_EQ(Drawn(g, live, 4, 3), (std::vector<unsigned>{0, 20, 40, 60, 80, 0xff0000, 120, 140, 160, 0x00ff00, 200, 220}));
}

}  // namespace
