// glimmer-web-replay: the browser's side of the benchmark's rendering figures.
// It replays the frames that the desktop benchmark recorded
// (glimmer-bench --save-frames) through the game's own render path on WebGL,
// at the recorded size and with the pictures loaded for it, and prints the
// time per frame and how far its pictures of the first frames are from the
// desktop renderer's, as "name value unit" lines, then "replay done". The
// same frames are then drawn by the floor (floor_renderer.h), a minimal
// WebGL renderer, and the game's time per frame is given against its time.
//
// Page address: glimmer-web-replay.html?scene=<scene>_<w>x<h>_ ; the page
// fetches <scene>frames.bin and <scene>pictures.bin into /rec/ first.
#include <GLES2/gl2.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/program.h"
#include "game/shell/my_app.h"
#include "graphics/graphics_module.h"
#include "graphics/renderer.h"
#include "host/headless/game.h"
#include "host/web/game.h"
#include "tools/bench/figures.h"
#include "tools/bench/recorded_frames.h"
#include "tools/bench/web/floor_renderer.h"

namespace {

constexpr int kMaxLoadingUpdates = 400;
constexpr int kWarmupFrames = 10;     // untimed: textures are made here
constexpr int kRounds = 2;
constexpr int kTolerance = 8;         // a channel this close to the desktop's counts as the same
constexpr double kPercent = 100.0;

// The headless host with a WebGL canvas of the recorded size.
class ReplayHost : public KpHeadlessGame {
public:
    bool HasGraphicsContext() override { return true; }
};

// The canvas at the recorded size with the game's own kind of context.
bool CreateContext(int width, int height) {
    emscripten_set_canvas_element_size("#canvas", width, height);
    return kpCreateWebGLContext("#canvas") > 0;
}

void FinishLoading(ReplayHost& host, c_MyApp& app) {
    for (int i = 0; i < kMaxLoadingUpdates && app.m_loadStep > 0; ++i) host.StepWithoutRender();
    host.StepWithoutRender();
}

// Waits for the GL to finish the frame: a one-pixel read cannot return before it has.
void Sync() {
    unsigned char pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string scene = argc > 1 ? argv[1] : "";
    int width = 0, height = 0, pictureWidth = 0, pictureHeight = 0;
    std::vector<RecordedFrame> frames;
    std::vector<std::vector<int>> desktop;
    if (!LoadFrames("/rec/frames.bin", &width, &height, &frames) || frames.empty() ||
        !LoadPictures("/rec/pictures.bin", &pictureWidth, &pictureHeight, &desktop) || pictureWidth != width ||
        pictureHeight != height) {
        std::printf("replay failed: no recording of %s\n", scene.c_str());
        return 1;
    }
    if (!CreateContext(width, height)) {
        std::printf("replay failed: no WebGL\n");
        return 1;
    }
    // The game boots as the desktop benchmark's does, then takes the recorded size.
    ReplayHost host;
    kp_std_main(0, nullptr);
    c_MyApp& app = *static_cast<c_MyApp*>(kp_app__app);
    host.Start();
    FinishLoading(host, app);
    host.SetWindowSize(width, height);
    host.Render();
    FinishLoading(host, app);
    host.Render();

    // The first frames drawn and read back as the desktop benchmark read them.
    gxtkGraphics* g = kp_graphics_device;
    Array<int> pixels(width * height);
    long long differing = 0, compared = 0;
    int maxDifference = 0;
    for (size_t f = 0; f < desktop.size() && f < frames.size(); ++f) {
        PutFrame(frames[f], app);
        g->BeginRender();
        kp_graphics_BeginRender();
        app.p_OnRender();
        g->ReadPixels(pixels, 0, 0, width, height, 0, width);
        kp_graphics_EndRender();
        g->EndRender();
        for (int k = 0; k < width * height; ++k) {
            const unsigned ours = static_cast<unsigned>(pixels.Get(k));
            const unsigned theirs = static_cast<unsigned>(desktop[f][static_cast<size_t>(k)]);
            int difference = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                difference = std::max(difference, std::abs(static_cast<int>((ours >> shift) & 0xff) -
                                                            static_cast<int>((theirs >> shift) & 0xff)));
            }
            maxDifference = std::max(maxDifference, difference);
            differing += difference > kTolerance;
            ++compared;
        }
    }
    // The game's frames and the floor's in alternating rounds, so that a
    // change in the machine's load weighs on both alike.
    FloorRenderer floor;
    const bool withFloor = floor.Init();
    std::vector<double> ms, floorMs;
    for (int round = 0; round < kRounds; ++round) {
        for (const bool ours : {true, false}) {
            if (!ours && !withFloor) continue;
            for (size_t i = 0; i < frames.size() + (round == 0 ? kWarmupFrames : 0); ++i) {
                PutFrame(frames[i % frames.size()], app);
                const double start = emscripten_get_now();
                if (ours) host.Render(); else floor.Draw(app, width, height);
                Sync();
                if (round > 0 || i >= kWarmupFrames) (ours ? ms : floorMs).push_back(emscripten_get_now() - start);
            }
        }
    }

    const std::string name = "web_" + scene;
    BenchFigure(name + "frame_median", Median(ms), "ms");
    BenchFigure(name + "frame_p95", Percentile(ms, 95), "ms");
    if (!floorMs.empty()) {
        BenchFigure(name + "floor_frame_median", Median(floorMs), "ms");
        BenchFigure(name + "floor_frame_p95", Percentile(floorMs, 95), "ms");
        BenchFigure(name + "ratio_to_floor", Median(ms) / Median(floorMs), "x");
    }
    BenchFigure(name + "pixels_compared", static_cast<double>(compared), "pixels");
    BenchFigure(name + "pixels_differing", compared ? kPercent * differing / compared : kPercent, "%");
    BenchFigure(name + "pixel_max_difference", maxDifference, "levels");
    std::printf("replay done\n");
    std::fflush(stdout);
    return 0;
}
