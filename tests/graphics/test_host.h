// A host for the graphics tests: a KpGame whose window is a real GLFW window
// (opened on demand, reopened like the fullscreen toggle does) or none at all,
// plus helpers that make image files with ImageMagick in a scratch folder.
#pragma once

#include <string>
#include <vector>

#include "host/game_host.h"

struct GLFWwindow;

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

// Scratch folder for files made by the tests; it is also the working folder,
// with a ./data/ folder for asset paths.
const std::string& ScratchDir();
// Runs ImageMagick's convert with the given arguments; the last one is the output
// file name inside ScratchDir()/data; arguments ending in "fmt:" choose the
// output format. The arguments go through the shell. Returns the full path.
std::string MakeImage(const std::string& args, const std::string& name);
// Writes raw bytes to ScratchDir()/data/name and returns the full path.
std::string WriteFile(const std::string& name, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> ReadFile(const std::string& path);

class gxtkGraphics;

// Reads window pixels through the renderer (which flushes first) as 0xRRGGBB.
unsigned RgbAt(gxtkGraphics* g, int x, int y);
// Makes sure a w x h window is open and current; false without a display.
bool EnsureWindow(int width, int height);
