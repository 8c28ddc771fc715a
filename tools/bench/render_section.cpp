#include "tools/bench/render_section.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "graphics/graphics_module.h"
#include "graphics/renderer.h"
#include "graphics/surface.h"
#include "tools/bench/draw_recording.h"
#include "tools/bench/figures.h"
#include "tools/bench/sdl_peer.h"

namespace {

constexpr int kWarmupUpdates = 120;   // play before recording: launchers fire, snow settles
constexpr int kWarmupFrames = 10;     // replayed untimed first: textures are made here
constexpr double kMsPerSecond = 1000.0;

struct OurFrameStats {
    std::vector<double> ms;
    std::vector<double> drawCalls;
    std::vector<double> binds;
    std::vector<double> switches;
    std::vector<double> clears;
};

void ReplayOurs(GameDriver& driver, const Recording& rec, int count, OurFrameStats* out) {
    BenchHost& host = driver.host();
    host.MakeCurrent();
    for (int i = 0; i < count; ++i) {
        const RecordedFrame& frame = rec.frames[static_cast<size_t>(i) % rec.frames.size()];
        PutFrame(frame, driver.app());
        const double start = WallSeconds();
        host.Render();
        glFinish();
        if (!out) continue;
        out->ms.push_back((WallSeconds() - start) * kMsPerSecond);
        const gxtkFrameStats& stats = kp_graphics_device->LastFrameStats();
        out->drawCalls.push_back(stats.drawCalls);
        out->binds.push_back(stats.textureBinds);
        out->switches.push_back(stats.textureSwitches);
        out->clears.push_back(stats.clears);
    }
}

// Draws a recorded frame as the framework's render does it and reads the
// window back through the renderer (which draws its batch first) before the swap.
void DrawAndRead(GameDriver& driver, const RecordedFrame& frame, Array<int> pixels, int width, int height) {
    gxtkGraphics* g = kp_graphics_device;
    PutFrame(frame, driver.app());
    g->BeginRender();
    kp_graphics_BeginRender();
    driver.app().p_OnRender();
    g->ReadPixels(pixels, 0, 0, width, height, 0, width);
    kp_graphics_EndRender();
    g->EndRender();
}

// A hash of the window's pixels after replaying each of the first `count`
// frames, so two builds can show that they draw exactly the same pictures.
double PixelHash(GameDriver& driver, const Recording& rec, int count, int width, int height,
                 const std::string& shotPrefix) {
    driver.host().MakeCurrent();
    Array<int> pixels(width * height);
    uint32_t hash = 2166136261u;  // FNV-1a
    for (int i = 0; i < count && i < static_cast<int>(rec.frames.size()); ++i) {
        DrawAndRead(driver, rec.frames[static_cast<size_t>(i)], pixels, width, height);
        const int* p = pixels.Data();
        for (int k = 0; k < width * height; ++k) {
            const uint32_t rgb = static_cast<uint32_t>(p[k]) & 0xffffffu;
            for (int b = 0; b < 3; ++b) hash = (hash ^ ((rgb >> (8 * b)) & 0xffu)) * 16777619u;
        }
        if (i == 0 && !shotPrefix.empty()) {
            // Rows come top first; the writer takes them bottom first.
            std::vector<unsigned char> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const uint32_t c = static_cast<uint32_t>(p[y * width + x]);
                    unsigned char* out = rgb.data() + (static_cast<size_t>(height - 1 - y) * width + x) * 3;
                    out[0] = static_cast<unsigned char>(c >> 16);
                    out[1] = static_cast<unsigned char>(c >> 8);
                    out[2] = static_cast<unsigned char>(c);
                }
            }
            WritePpm(shotPrefix + "ours.ppm", width, height, rgb);
        }
    }
    return static_cast<double>(hash);
}

// Writes the recorded frames and this renderer's pictures of the first of
// them, for another build of the game to replay and compare (the web bench).
void SaveForOtherBuilds(GameDriver& driver, const Recording& rec, const std::string& prefix, int pictures) {
    driver.host().MakeCurrent();
    Array<int> pixels(rec.width * rec.height);
    std::vector<std::vector<int>> shown;
    for (int i = 0; i < pictures && i < static_cast<int>(rec.frames.size()); ++i) {
        DrawAndRead(driver, rec.frames[static_cast<size_t>(i)], pixels, rec.width, rec.height);
        shown.emplace_back(pixels.Data(), pixels.Data() + pixels.Length());
    }
    if (!SaveFrames(prefix + "frames.bin", rec.width, rec.height, rec.frames) ||
        !SavePictures(prefix + "pictures.bin", rec.width, rec.height, shown)) {
        BenchNote("could not write " + prefix + "frames.bin or pictures.bin");
    }
}

double OurEmptyFrames(BenchHost& host, int count) {
    host.MakeCurrent();
    gxtkGraphics* g = kp_graphics_device;
    std::vector<double> ms;
    for (int i = 0; i < count + kWarmupFrames; ++i) {
        const double start = WallSeconds();
        g->BeginRender();
        g->Cls(0, 0, 0);
        g->EndRender();
        host.ShowFrame();
        glFinish();
        if (i >= kWarmupFrames) ms.push_back((WallSeconds() - start) * kMsPerSecond);
    }
    return Median(ms);
}

}  // namespace

bool RenderScene(GameDriver& driver, bool inGame, int width, int height, const RenderOptions& options) {
    const std::string prefix =
        std::string(inGame ? "game_" : "menu_") + std::to_string(width) + "x" + std::to_string(height) + "_";
    BenchHost& host = driver.host();
    driver.Resize(width, height);

    // Record.
    Recording rec;
    rec.width = width;
    rec.height = height;
    const int frames = inGame ? options.gameFrames : options.menuFrames;
    if (inGame) {
        for (int i = 0; i < kWarmupUpdates; ++i) driver.PlayStep();
    }
    for (int i = 0; i < frames; ++i) {
        if (inGame) {
            driver.PlayStep();
        } else {
            driver.MenuStep();
        }
        rec.frames.push_back(TakeFrame(driver.app()));
    }
    TakeImageTables(driver, &rec);
    std::vector<double> records, switches, rects, ovals, additive, offscreen;
    for (const RecordedFrame& f : rec.frames) {
        records.push_back(static_cast<double>(f.records.size() / kDrawRecordFloats));
        switches.push_back(TextureSwitches(rec, f));
        offscreen.push_back(OffscreenImageRecords(rec, f));
        int r = 0, o = 0, a = 0;
        for (size_t i = 0; i + kDrawRecordFloats <= f.records.size(); i += kDrawRecordFloats) {
            r += f.records[i] == kDrawRect;
            o += f.records[i] == kDrawOval;
            a += f.records[i + 13] == 3.0f;
        }
        rects.push_back(r);
        ovals.push_back(o);
        additive.push_back(a);
    }

    // Replay.
    if (!host.OpenWindow(width, height)) {
        BenchNote("no display: " + prefix + " replay skipped");
        return false;
    }
    SdlPeer peer;
    bool peerOpen = SdlPeerAvailable() && peer.Open(width, height) && peer.LoadTextures(rec);
    if (SdlPeerAvailable() && !peerOpen) BenchNote("the SDL2 peer could not open or load its textures");
    OurFrameStats ours;
    std::vector<double> sdlMs;
    ReplayOurs(driver, rec, kWarmupFrames, nullptr);
    for (int i = 0; peerOpen && i < kWarmupFrames; ++i) peer.DrawFrame(rec, rec.frames[static_cast<size_t>(i) % rec.frames.size()]);
    for (int round = 0; round < options.rounds; ++round) {
        ReplayOurs(driver, rec, frames, &ours);
        for (int i = 0; peerOpen && i < frames; ++i) {
            const double start = WallSeconds();
            peer.DrawFrame(rec, rec.frames[static_cast<size_t>(i)]);
            sdlMs.push_back((WallSeconds() - start) * kMsPerSecond);
        }
    }
    const double emptyOurs = OurEmptyFrames(host, options.emptyFrames);
    const std::string shots = options.shotDir.empty() ? "" : options.shotDir + "/" + prefix;
    const double hash = options.hashFrames > 0 ? PixelHash(driver, rec, options.hashFrames, width, height, shots) : 0;
    if (!options.saveDir.empty()) SaveForOtherBuilds(driver, rec, options.saveDir + "/" + prefix, options.savePictures);
    if (peerOpen && !shots.empty()) {
        peer.Screenshot(rec, rec.frames.front(), shots + "sdl.ppm");
    }
    std::vector<double> emptySdl;
    for (int i = 0; peerOpen && i < options.emptyFrames + kWarmupFrames; ++i) {
        const double start = WallSeconds();
        peer.EmptyFrame();
        if (i >= kWarmupFrames) emptySdl.push_back((WallSeconds() - start) * kMsPerSecond);
    }
    peer.Close();
    host.CloseWindow();

    const double oursMedian = Median(ours.ms);
    const double oursP95 = Percentile(ours.ms, 95);
    BenchFigure(prefix + "records", Median(records), "records/frame");
    BenchFigure(prefix + "records_rects", Median(rects), "records/frame");
    BenchFigure(prefix + "records_ovals", Median(ovals), "records/frame");
    BenchFigure(prefix + "records_additive", Median(additive), "records/frame");
    BenchFigure(prefix + "records_offscreen", Median(offscreen), "records/frame");
    BenchFigure(prefix + "ours_frame_median", oursMedian, "ms");
    BenchFigure(prefix + "ours_frame_p95", oursP95, "ms");
    if (peerOpen) {
        const double sdlMedian = Median(sdlMs);
        const double sdlP95 = Percentile(sdlMs, 95);
        BenchFigure(prefix + "sdl_frame_median", sdlMedian, "ms");
        BenchFigure(prefix + "sdl_frame_p95", sdlP95, "ms");
        BenchFigure(prefix + "ratio_median", oursMedian / sdlMedian, "ours/sdl");
        BenchFigure(prefix + "ratio_p95", oursP95 / sdlP95, "ours/sdl");
    }
    BenchFigure(prefix + "ours_draw_calls", Median(ours.drawCalls), "calls/frame");
    BenchFigure(prefix + "ours_textured_batches", Median(ours.binds), "batches/frame");
    BenchFigure(prefix + "ours_texture_switches", Median(ours.switches), "binds/frame");
    BenchFigure(prefix + "ours_clears", Median(ours.clears), "clears/frame");
    BenchFigure(prefix + "texture_switches", Median(switches), "switches/frame");
    BenchFigure(prefix + "texture_switches_max", Percentile(switches, 100), "switches/frame");
    BenchFigure(prefix + "empty_frame_ours", emptyOurs, "ms");
    if (options.hashFrames > 0) BenchFigure(prefix + "ours_pixels_hash", hash, "fnv1a");
    if (peerOpen) BenchFigure(prefix + "empty_frame_sdl", Median(emptySdl), "ms");
    return true;
}

void BatchFillFigures(BenchHost& host) {
    constexpr int kRounds = 2000;
    constexpr int kAttempts = 7;
    if (!host.OpenWindow(640, 480)) return;
    gxtkGraphics* g = new gxtkGraphics();
    g->BeginRender();
    gxtkSurface* sheet = g->CreateSurface(256, 256);
    auto time = [&](const char* name, auto quad) {
        double best = 1e30;
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            const double start = WallSeconds();
            for (int r = 0; r < kRounds; ++r) {
                for (int i = 0; i < gxtkGraphics::kMaxQuads; ++i) quad(i);
                g->vertexCount = 0;
            }
            best = std::min(best, (WallSeconds() - start) * 1e9 / (double(kRounds) * gxtkGraphics::kMaxQuads));
        }
        BenchFigure(name, best, "ns/quad");
    };
    time("render_quad_fill_textured", [&](int i) { g->DrawSurface2(sheet, float(i), 10, 32, 0, 32, 32); });
    time("render_quad_fill_rect", [&](int i) { g->DrawRect(float(i), 10, 4, 4); });
    g->SetMatrix(0.8f, 0.6f, -0.6f, 0.8f, 100, 50);
    time("render_quad_fill_textured_transformed", [&](int i) { g->DrawSurface2(sheet, float(i), 10, 32, 0, 32, 32); });
    g->EndRender();
    host.CloseWindow();
}
