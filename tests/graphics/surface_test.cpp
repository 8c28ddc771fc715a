// Surfaces keep premultiplied CPU pixels and make their texture lazily, once
// per window, so reopening the window (the fullscreen toggle) loses nothing.
#include "graphics/surface.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/renderer.h"
#include "host/glfw_game.h"
#include "tests/graphics/test_host.h"

namespace {

unsigned char* Copy(const std::vector<unsigned char>& bytes) {
    unsigned char* p = static_cast<unsigned char*>(std::malloc(bytes.size()));
    std::memcpy(p, bytes.data(), bytes.size());
    return p;
}

std::vector<int> Bytes(const gxtkSurface* s) {
    return std::vector<int>(s->data, s->data + s->width * s->height * s->depth);
}

TEST(SurfaceTest, SetDataPremultipliesOnlyPixelsWithAlpha) {
    struct Case {
        int depth;
        std::vector<unsigned char> in;
        std::vector<int> out;
    } const cases[] = {
        {1, {200}, {200}},
        {2, {200, 128}, {100, 128}},
        {3, {200, 100, 50}, {200, 100, 50}},
        {4, {200, 100, 50, 128}, {100, 50, 25, 128}},
        {4, {255, 255, 255, 0}, {0, 0, 0, 0}},
        {4, {255, 255, 255, 255}, {255, 255, 255, 255}},
    };
    for (const Case& c : cases) {
        gxtkSurface* s = new gxtkSurface();
        s->SetData(Copy(c.in), 1, 1, c.depth);
        EXPECT_EQ(Bytes(s), c.out) << "depth " << c.depth;
        EXPECT_NE(s->format, 0);
        s->Discard();
        EXPECT_EQ(s->data, nullptr);
    }
    gxtkSurface* bad = new gxtkSurface();
    bad->SetData(nullptr, 1, 1, 5);
    EXPECT_EQ(bad->format, 0) << "depth outside 1-4 has no format";
}

TEST(SurfaceTest, SetSubDataWritesRgbaOnlyAndInsideTheSurface) {
    const unsigned src[] = {0x80c86432u, 0xff010203u, 0x00ffffffu, 0xffffffffu};
    gxtkSurface* rgb = new gxtkSurface();
    rgb->SetData(Copy({1, 2, 3, 4, 5, 6}), 2, 1, 3);
    rgb->SetSubData(0, 0, 2, 1, src, 2);
    EXPECT_EQ(Bytes(rgb), (std::vector<int>{1, 2, 3, 4, 5, 6})) << "3-byte surfaces are left alone";

    gxtkSurface* s = new gxtkSurface();
    s->SetData(nullptr, 3, 2, 4);
    s->SetSubData(1, 1, 2, 1, src, 2);
    ASSERT_NE(s->data, nullptr) << "pixels allocated on first write";
    const int at = (1 * 3 + 1) * 4;
    EXPECT_EQ((std::vector<int>(s->data + at, s->data + at + 8)), (std::vector<int>{100, 50, 25, 128, 1, 2, 3, 255}));
    EXPECT_EQ(s->data[0], 0) << "untouched pixels start cleared";

    const std::vector<int> before = Bytes(s);
    s->SetSubData(2, 1, 2, 1, src, 2);   // one column past the right edge
    s->SetSubData(-1, 0, 1, 1, src, 1);
    s->SetSubData(0, 1, 1, 2, src, 1);   // one row past the bottom
    EXPECT_EQ(Bytes(s), before) << "rectangles outside the surface are ignored";
}

TEST(SurfaceTest, NoTextureWithoutAWindow) {
    TestHost::Get().CloseWindow();
    gxtkSurface* s = new gxtkSurface();
    s->SetData(Copy({1, 2, 3, 4}), 1, 1, 4);
    s->Bind();
    EXPECT_EQ(s->seq, -1);
    EXPECT_FALSE(s->HasTexture());
    gxtkGraphics* g = new gxtkGraphics();
    EXPECT_EQ(g->CreateSurface(0, 4), nullptr);
    EXPECT_EQ(g->CreateSurface(4, 16385), nullptr);
    gxtkSurface* made = g->CreateSurface(4, 4);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->format, 0x1908);  // GL_RGBA
}

class GlSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureWindow(640, 480)) << "no display: run under xvfb-run"; }
};

TEST_F(GlSurfaceTest, TextureMatchesTheImageSizeWhenTheDriverAllowsIt) {
    gxtkGraphics* g = new gxtkGraphics();
    const std::string path = MakeImage("-size 20x12 gradient:red-blue -depth 8 -define png:color-type=2", "npot.png");
    gxtkSurface* s = g->LoadSurface(String(path.c_str()));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->seq, glfwGraphicsSeq);
    EXPECT_EQ(s->depth, 3);
    EXPECT_FLOAT_EQ(s->uscale, 1.0f / 20);
    EXPECT_FLOAT_EQ(s->vscale, 1.0f / 12);
    EXPECT_EQ(g->LoadSurface(String("/nonexistent/file.png")), nullptr);
}

TEST_F(GlSurfaceTest, ReopenedWindowRecreatesTexturesWithTheSamePixels) {
    const std::string path = MakeImage(
        "-size 3x2 xc:'rgba(200,100,50,0.50196)' -fill 'rgb(0,255,0)' -draw \"point 1,0\" "
        "-fill 'rgb(0,0,255)' -draw \"point 2,1\" -define png:color-type=6",
        "reopen.png");
    gxtkGraphics* g = new gxtkGraphics();
    gxtkSurface* s = g->LoadSurface(String(path.c_str()));
    ASSERT_NE(s, nullptr);
    auto draw = [&] {
        EXPECT_EQ(g->BeginRender(), 1);
        g->SetColor(255, 255, 255);
        g->SetAlpha(1);
        g->Cls(0, 0, 0);
        g->DrawSurface(s, 10, 10);
        Array<int> px(6);
        g->ReadPixels(px, 10, 10, 3, 2, 0, 3);
        g->EndRender();
        std::vector<int> rgb;
        for (int i = 0; i < 6; ++i) rgb.push_back(px.Get(i) & 0xffffff);
        return rgb;
    };
    const std::vector<int> first = draw();
    EXPECT_EQ(first, (std::vector<int>{0x643219, 0x00ff00, 0x643219, 0x643219, 0x643219, 0x0000ff}));
    const int oldSeq = s->seq;

    ASSERT_TRUE(TestHost::Get().OpenWindow(640, 480));  // what the fullscreen toggle does
    EXPECT_FALSE(s->HasTexture());
    EXPECT_EQ(draw(), first);
    EXPECT_EQ(s->seq, oldSeq + 1);

    // Pixels written while the texture is stale reach the next texture.
    ASSERT_TRUE(TestHost::Get().OpenWindow(640, 480));
    Array<int> red(1);
    red[0] = int(0xffff0000u);
    g->WritePixels2(s, red, 0, 0, 1, 1, 0, 1);
    EXPECT_EQ(draw()[0], 0xff0000);
}

TEST_F(GlSurfaceTest, SubDataUpdatesALiveTexture) {
    gxtkGraphics* g = new gxtkGraphics();
    gxtkSurface* s = g->CreateSurface(4, 3);
    ASSERT_TRUE(s->HasTexture());
    Array<int> px(12);
    for (int i = 0; i < 12; ++i) px[i] = int(0xff000000u | unsigned(i * 20));
    g->WritePixels2(s, px, 0, 0, 4, 3, 0, 4);   // whole rows in one upload
    Array<int> two(2);
    two[0] = int(0xffff0000u), two[1] = int(0xff00ff00u);
    g->WritePixels2(s, two, 1, 1, 1, 2, 0, 1);  // a column, row by row
    ASSERT_EQ(g->BeginRender(), 1);
    g->SetColor(255, 255, 255);
    g->SetAlpha(1);
    g->DrawSurface(s, 0, 0);
    Array<int> out(12);
    g->ReadPixels(out, 0, 0, 4, 3, 0, 4);
    g->EndRender();
    std::vector<int> rgb;
    for (int i = 0; i < 12; ++i) rgb.push_back(out.Get(i) & 0xffffff);
    EXPECT_EQ(rgb, (std::vector<int>{0, 20, 40, 60, 80, 0xff0000, 120, 140, 160, 0x00ff00, 200, 220}));
}

}  // namespace
