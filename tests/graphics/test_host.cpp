#include "tests/graphics/test_host.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "graphics/renderer.h"
#include "tests/lib/test_files.h"

namespace {

// The working folder of the whole program, with ./data/, removed at its end.
const std::string& ScratchDir() {
    static ScratchFolder folder("graphics", true);
    static const bool made = std::filesystem::create_directory(folder.File("data"));
    (void)made;
    return folder.Path();
}

}  // namespace

KpGlfwGame& Host() {
    static KpGlfwGame* host = (ScratchDir(), new KpGlfwGame());  // the host's constructor looks at the working folder
    return *host;
}

bool OpenWindow(int width, int height, bool reuse) {
    static const bool ready = glfwInit() == GLFW_TRUE;
    int w = 0, h = 0;
    Host().WindowSize(&w, &h);
    if (reuse && Host().Window() && w == width && h == height) {
        glfwMakeContextCurrent(Host().Window());
        return true;
    }
    if (ready) Host().SetGlfwWindow(width, height, 8, 8, 8, 0, 0, 0, false);
    return ready && Host().HasGraphicsContext();
}

std::string MakeImage(const std::string& args, const std::string& name) {
    const std::string path = ScratchDir() + "/data/" + name;
    const std::string command = "convert " + args + " '" + path + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
}

std::vector<unsigned> RgbRow(gxtkGraphics* g, int x, int y, int count) {
    Array<int> pixels(count);
    g->ReadPixels(pixels, x, y, count, 1, 0, count);
    std::vector<unsigned> rgb;
    for (int i = 0; i < count; ++i) rgb.push_back(static_cast<unsigned>(pixels.Get(i)) & 0xffffffu);
    return rgb;
}

unsigned RgbAt(gxtkGraphics* g, int x, int y) { return RgbRow(g, x, y, 1)[0]; }

void ExpectPixels(gxtkGraphics* g, std::initializer_list<Pixel> pixels, const char* what) {
    for (const Pixel& p : pixels) EXPECT_EQ(RgbAt(g, p.x, p.y), p.rgb) << what << " at (" << p.x << ", " << p.y << ")";
}
