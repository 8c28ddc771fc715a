// Renderer figures under a real window (Xvfb + llvmpipe in practice), printed
// as "name value unit" lines: a frame of 2,500 sprites from one sheet against
// an empty frame (clear and swap), and the CPU cost of filling the batch.
#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/renderer.h"
#include "graphics/surface.h"
#include "tests/graphics/test_host.h"

namespace {

constexpr int kSprites = 2500;
constexpr int kSheetSide = 256;
constexpr int kFrameSide = 32;
constexpr int kFramesPerRow = kSheetSide / kFrameSide;
constexpr int kTimedFrames = 120;
constexpr int kWarmupFrames = 10;
constexpr int kFillRounds = 2000;
constexpr int kFillAttempts = 7;

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A deterministic sprite sheet of kFrameSide-square frames.
gxtkSurface* MakeSheet(gxtkGraphics* g) {
    gxtkSurface* sheet = g->CreateSurface(kSheetSide, kSheetSide);
    Array<int> px(kSheetSide * kSheetSide);
    unsigned seed = 12345;
    for (int i = 0; i < px.Length(); ++i) {
        seed = seed * 1103515245u + 12345u;
        px[i] = int(0xff000000u | (seed >> 8));
    }
    g->WritePixels2(sheet, px, 0, 0, kSheetSide, kSheetSide, 0, kSheetSide);
    return sheet;
}

struct Sprite {
    float x, y;
    int frame;
};

// Median milliseconds per frame over kTimedFrames frames (the median keeps a
// stray scheduling hiccup of the X server out of the figure); `draw` fills each frame.
template <class Draw>
double TimeFrames(gxtkGraphics* g, Draw draw) {
    auto one = [&] {
        g->BeginRender();
        g->Cls(0, 0, 0);
        draw();
        g->EndRender();
        glFinish();
    };
    for (int i = 0; i < kWarmupFrames; ++i) one();
    std::vector<double> times;
    for (int i = 0; i < kTimedFrames; ++i) {
        const Clock::time_point start = Clock::now();
        one();
        times.push_back(Ms(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void FrameFigures(int width, int height) {
    if (!TestHost::Get().OpenWindow(width, height)) {
        std::fprintf(stderr, "no display for %dx%d\n", width, height);
        return;
    }
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    gxtkGraphics* g = new gxtkGraphics();
    g->BeginRender();
    gxtkSurface* sheet = MakeSheet(g);
    g->EndRender();

    Sprite sprites[kSprites];
    unsigned seed = 99;
    for (Sprite& s : sprites) {
        seed = seed * 1103515245u + 12345u;
        s.x = float((seed >> 8) % unsigned(width - kFrameSide));
        seed = seed * 1103515245u + 12345u;
        s.y = float((seed >> 8) % unsigned(height - kFrameSide));
        s.frame = int((seed >> 20) % (kFramesPerRow * kFramesPerRow));
    }

    const double empty = TimeFrames(g, [] {});
    const double full = TimeFrames(g, [&] {
        g->SetColor(255, 255, 255);
        g->SetAlpha(1);
        for (const Sprite& s : sprites) {
            g->DrawSurface2(sheet, s.x, s.y, (s.frame % kFramesPerRow) * kFrameSide,
                            (s.frame / kFramesPerRow) * kFrameSide, kFrameSide, kFrameSide);
        }
    });
    std::printf("empty_frame_%s %.3f ms\n", size.c_str(), empty);
    std::printf("sprites2500_frame_%s %.3f ms\n", size.c_str(), full);
    std::printf("sprites2500_vs_empty_%s %.2f x\n", size.c_str(), full / empty);
    std::printf("sprites2500_draw_calls_%s %d calls\n", size.c_str(), g->LastFrameStats().drawCalls);
    std::printf("sprites2500_texture_binds_%s %d binds\n", size.c_str(), g->LastFrameStats().textureBinds);
}

// CPU time of appending quads to the batch: 256 quads fit without a flush,
// and the batch is then emptied directly, so no GL call is timed. Best of
// several rounds, in nanoseconds per quad.
void FillFigures() {
    if (!TestHost::Get().OpenWindow(640, 480)) return;
    gxtkGraphics* g = new gxtkGraphics();
    g->BeginRender();
    gxtkSurface* sheet = MakeSheet(g);
    auto time = [&](const char* name, auto quad) {
        double best = 1e30;
        for (int attempt = 0; attempt < kFillAttempts; ++attempt) {
            const Clock::time_point start = Clock::now();
            for (int r = 0; r < kFillRounds; ++r) {
                for (int i = 0; i < gxtkGraphics::kMaxQuads; ++i) quad(i);
                g->vertexCount = 0;
            }
            const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
            best = std::min(best, ns / (double(kFillRounds) * gxtkGraphics::kMaxQuads));
        }
        std::printf("%s %.2f ns\n", name, best);
    };
    time("quad_fill_textured", [&](int i) { g->DrawSurface2(sheet, float(i), 10, 32, 0, 32, 32); });
    time("quad_fill_rect", [&](int i) { g->DrawRect(float(i), 10, 4, 4); });
    g->SetMatrix(0.8f, 0.6f, -0.6f, 0.8f, 100, 50);
    time("quad_fill_textured_transformed", [&](int i) { g->DrawSurface2(sheet, float(i), 10, 32, 0, 32, 32); });
    g->EndRender();
}

}  // namespace

int main() {
    FrameFigures(640, 480);
    FrameFigures(1280, 720);
    FillFigures();
    TestHost::Get().CloseWindow();
    return 0;
}
