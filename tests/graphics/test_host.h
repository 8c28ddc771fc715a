// The host of the graphics tests: a KpGame whose window is a real GLFW window
// (opened on demand, reopened as the fullscreen toggle does) or none at all,
// plus image files made with ImageMagick in a scratch folder.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "host/game_host.h"

struct GLFWwindow;
class gxtkGraphics;

// The one test host. Without a window it behaves like the headless host.
class TestHost : public KpGame {
public:
    static TestHost& Get();

    // Destroys any window, opens a new w x h one, makes it current and moves
    // glfwGraphicsSeq on. False when no display is available.
    bool OpenWindow(int width, int height);
    void CloseWindow();
    GLFWwindow* Window() const { return window_; }

    void WindowSize(int* width, int* height) override;
    bool HasGraphicsContext() override;
    String PathToFilePath(const String& path) override;

private:
    TestHost() = default;
    GLFWwindow* window_ = nullptr;
};

// Makes sure a w x h window is open and current; false without a display.
bool EnsureWindow(int width, int height);

// The scratch folder is the working folder; files go to its ./data/ folder.
// MakeImage runs ImageMagick's convert with `args` (through the shell) to
// write data/name (a failure fails the test); WriteFile writes raw bytes.
// Both return the full path.
std::string MakeImage(const std::string& args, const std::string& name);
std::string WriteFile(const std::string& name, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> ReadFile(const std::string& path);

// Window pixels read through the renderer (which flushes first) as 0xRRGGBB.
std::vector<unsigned> RgbRow(gxtkGraphics* g, int x, int y, int count);
unsigned RgbAt(gxtkGraphics* g, int x, int y);
struct Pixel {
    int x, y;
    unsigned rgb;
};
void ExpectPixels(gxtkGraphics* g, std::initializer_list<Pixel> pixels, const char* what);
