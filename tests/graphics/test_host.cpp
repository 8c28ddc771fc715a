#include "tests/graphics/test_host.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "graphics/renderer.h"

namespace {

const std::string& ScratchDir() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/graphics_tests.XXXXXX";
        const std::string d = mkdtemp(pattern) ? pattern : "/tmp";
        if (std::system(("mkdir -p '" + d + "/data'").c_str()) != 0 || chdir(d.c_str()) != 0) ADD_FAILURE() << d;
        return d;
    }();
    return dir;
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

std::string WriteFile(const std::string& name, const std::vector<unsigned char>& bytes) {
    const std::string path = ScratchDir() + "/data/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
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
