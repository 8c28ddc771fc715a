#include "tests/graphics/test_host.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "graphics/renderer.h"
#include "host/data_paths.h"
#include "host/glfw_game.h"

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

TestHost& TestHost::Get() {
    static TestHost* host = (ScratchDir(), new TestHost());  // the host's constructor looks at the working folder
    return *host;
}

bool TestHost::OpenWindow(int width, int height) {
    static const bool ready = glfwInit() == GLFW_TRUE;
    if (!ready) return false;
    CloseWindow();
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    window_ = glfwCreateWindow(width, height, "graphics test", nullptr, nullptr);
    if (!window_) return false;
    glfwMakeContextCurrent(window_);
    glfwSwapInterval(0);
    ++glfwGraphicsSeq;
    return true;
}

void TestHost::CloseWindow() {
    if (!window_) return;
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(window_);
    window_ = nullptr;
}

void TestHost::WindowSize(int* width, int* height) {
    *width = *height = 0;
    if (window_) glfwGetFramebufferSize(window_, width, height);
}

bool TestHost::HasGraphicsContext() { return window_ && glfwGetCurrentContext() == window_; }

String TestHost::PathToFilePath(const String& path) { return kp_data_MapVirtualPath(path); }

bool EnsureWindow(int width, int height) {
    TestHost& host = TestHost::Get();
    int w = 0, h = 0;
    host.WindowSize(&w, &h);
    if (!host.Window() || w != width || h != height) return host.OpenWindow(width, height);
    glfwMakeContextCurrent(host.Window());
    return true;
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

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
