// Rendering against the peer: records real frames of the running game (a
// level in play, or the menu) at a window size, then replays them in a real
// window through the game's own path (render callback, draw-list replay,
// graphics module, renderer) and through the SDL2 peer, alternating rounds so
// both see the same machine load, and prints the figures.
#pragma once

#include <string>

#include "tools/bench/game_driver.h"

struct RenderOptions {
    int gameFrames = 300;   // recorded frames of play per size
    int menuFrames = 60;    // recorded frames of the menu per size
    int rounds = 2;         // replay rounds of each renderer
    int emptyFrames = 60;
    int hashFrames = 0;     // frames whose pixels are hashed (--pixel-hash)
    std::string shotDir;    // when set (--shots), the first frame of each renderer is saved there as PPM
    std::string saveDir;    // when set (--save-frames), the recorded frames and the pictures of the first
    int savePictures = 4;   // few are saved there as <scene>_<w>x<h>_frames.bin and _pictures.bin
};

// Records and replays the menu (`inGame` false) or play at w x h; prints
// figures prefixed "<scene>_<w>x<h>_". False when no window could be opened.
bool RenderScene(GameDriver& driver, bool inGame, int width, int height, const RenderOptions& options);
// CPU cost of appending quads to the renderer's batch, which is emptied before
// it would be drawn so that no GL call is timed: best of several rounds, in ns
// per quad (render_quad_fill_*), in a window of its own.
void BatchFillFigures(BenchHost& host);
