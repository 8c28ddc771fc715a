#include "tests/graphics/test_host.h"

#include <GLFW/glfw3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "host/data_paths.h"
#include "graphics/renderer.h"
#include "host/glfw_game.h"

TestHost& TestHost::Get() {
    static TestHost* host = [] {
        ScratchDir();  // the host's constructor looks at the working folder
        return new TestHost();
    }();
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
    *width = 0;
    *height = 0;
    if (window_) glfwGetFramebufferSize(window_, width, height);
}

bool TestHost::HasGraphicsContext() { return window_ && glfwGetCurrentContext() == window_; }

String TestHost::PathToFilePath(const String& path) { return kp_data_MapVirtualPath(path); }

const std::string& ScratchDir() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/graphics_tests.XXXXXX";
        const char* made = mkdtemp(pattern);
        std::string d = made ? made : "/tmp";
        std::system(("mkdir -p '" + d + "/data'").c_str());
        if (chdir(d.c_str()) != 0) std::perror("chdir");
        return d;
    }();
    return dir;
}

std::string MakeImage(const std::string& args, const std::string& name) {
    const std::string path = ScratchDir() + "/data/" + name;
    // Arguments ending in a format prefix such as "gif:" take the path directly.
    const bool prefixed = !args.empty() && args.back() == ':';
    std::string command = "convert " + args;
    if (prefixed) {
        command.pop_back();
        command += ":'" + path + "'";
    } else {
        command += " '" + path + "'";
    }
    command += " 2>/dev/null";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    return path;
}

std::string WriteFile(const std::string& name, const std::vector<unsigned char>& bytes) {
    const std::string path = ScratchDir() + "/data/" + name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned RgbAt(gxtkGraphics* g, int x, int y) {
    Array<int> one(1);
    g->ReadPixels(one, x, y, 1, 1, 0, 1);
    return static_cast<unsigned>(one.Get(0)) & 0xffffffu;
}

bool EnsureWindow(int width, int height) {
    TestHost& host = TestHost::Get();
    int w = 0, h = 0;
    host.WindowSize(&w, &h);
    if (host.Window() && w == width && h == height) {
        glfwMakeContextCurrent(host.Window());
        return true;
    }
    return host.OpenWindow(width, height);
}
