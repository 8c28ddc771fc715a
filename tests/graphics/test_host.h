// The host of the graphics tests is the real desktop host in a scratch folder
// (the working folder, with ./data/ for asset names); its window is opened on
// demand. Image files are made with ImageMagick, pixels read back through the
// renderer.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "host/glfw/game.h"
#include "tests/lib/test_files.h"

class gxtkGraphics;

KpGlfwGame& Host();  // the one host, without a window until one is asked for
// Opens a new w x h window (as the fullscreen toggle does) or, when `reuse`,
// keeps an open one of that size current. False without a display.
bool OpenWindow(int width, int height, bool reuse = true);

// Runs ImageMagick's convert with `args` (through the shell) to write
// data/name (a failure fails the test); returns the full path.
std::string MakeImage(const std::string& args, const std::string& name);

// Window pixels read through the renderer (which flushes first) as 0xRRGGBB.
std::vector<unsigned> RgbRow(gxtkGraphics* g, int x, int y, int count);
unsigned RgbAt(gxtkGraphics* g, int x, int y);
struct Pixel {
    int x, y;
    unsigned rgb;
};
void ExpectPixels(gxtkGraphics* g, std::initializer_list<Pixel> pixels, const char* what);
