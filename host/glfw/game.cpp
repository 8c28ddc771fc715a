#include "host/glfw/game.h"

#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <thread>

#include "host/glfw/input.h"


KpGlfwGame* KpGlfwGame::_glfwGame = nullptr;

namespace {

constexpr int kMaxVideoModes = 1024;
constexpr const char* kWindowTitle = "Glimmer";
constexpr const char* kWindowFailedLine = "glfwCreateWindow failed";
constexpr int kExitStartFailed = -1;

// GLIMMER_VSYNC=0 turns the wait for the display's refresh off.
constexpr const char* kVsyncVariable = "GLIMMER_VSYNC";
int SwapInterval() {
    const char* value = std::getenv(kVsyncVariable);
    return value && std::strcmp(value, "0") == 0 ? 0 : 1;
}

KpGlfwVideoMode* NewVideoMode(const GLFWvidmode& mode) {
    KpGlfwVideoMode* out = new KpGlfwVideoMode();
    out->width = mode.width;
    out->height = mode.height;
    out->red = mode.redBits;
    out->green = mode.greenBits;
    out->blue = mode.blueBits;
    return out;
}

}  // namespace

KpGlfwGame::KpGlfwGame() { _glfwGame = this; }

KpGlfwGame::~KpGlfwGame() {
    if (_glfwGame == this) _glfwGame = nullptr;
}

void KpGlfwGame::SetWindowIcons(const std::vector<KpIcon>& icons) {
    icons_ = icons;
    if (window_) ShowIcons();
}

void KpGlfwGame::ShowIcons() {
    if (icons_.empty()) return;
    std::vector<GLFWimage> images;
    for (KpIcon& icon : icons_) images.push_back(GLFWimage{icon.width, icon.height, icon.rgba.data()});
    glfwSetWindowIcon(window_, static_cast<int>(images.size()), images.data());
}

int KpGlfwGame::Millisecs() { return static_cast<int>(glfwGetTime() * 1000.0); }

void KpGlfwGame::SetMouseVisible(bool visible) {
    if (!window_) return;
    glfwSetInputMode(window_, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
}

void KpGlfwGame::RenderGame() {
    KpGame::RenderGame();
    if (Started() && HasGraphicsContext()) glfwSwapBuffers(window_);
}

void KpGlfwGame::WindowSize(int* width, int* height) {
    *width = 0;
    *height = 0;
    if (window_) glfwGetFramebufferSize(window_, width, height);
}

bool KpGlfwGame::HasGraphicsContext() { return window_ != nullptr && glfwGetCurrentContext() == window_; }

KpGlfwVideoMode* KpGlfwGame::GetGlfwDesktopMode() {
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
    return mode ? NewVideoMode(*mode) : new KpGlfwVideoMode();
}

Array<KpGlfwVideoMode*> KpGlfwGame::GetGlfwVideoModes() {
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    int count = 0;
    const GLFWvidmode* modes = monitor ? glfwGetVideoModes(monitor, &count) : nullptr;
    if (!modes) count = 0;
    if (count > kMaxVideoModes) count = kMaxVideoModes;
    Array<KpGlfwVideoMode*> out(count);
    for (int i = 0; i < count; ++i) out[i] = NewVideoMode(modes[i]);
    return out;
}

void KpGlfwGame::ReleaseHeldKeys() {
    if (!window_) return;
    for (int key = GLFW_KEY_SPACE; key <= GLFW_KEY_LAST; ++key) {
        int code = TransKey(key);
        if (code != 0 && glfwGetKey(window_, key) == GLFW_PRESS) KeyEvent(kEventKeyUp, code);
    }
}

void KpGlfwGame::SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                               int stencil, bool fullscreen) {
    // Keys held in the old window would never see their release.
    ReleaseHeldKeys();

    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* desktop = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (window_) {
        glfwDestroyWindow(window_);
        window_ = nullptr;
    }

    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RESIZABLE, GLFW_TRUE);
    glfwWindowHint(GLFW_RED_BITS, red);
    glfwWindowHint(GLFW_GREEN_BITS, green);
    glfwWindowHint(GLFW_BLUE_BITS, blue);
    glfwWindowHint(GLFW_ALPHA_BITS, alpha);
    glfwWindowHint(GLFW_DEPTH_BITS, depth);
    glfwWindowHint(GLFW_STENCIL_BITS, stencil);
    if (fullscreen && monitor) {
        window_ = OpenGlfwWindow(width, height, monitor);
        if (window_) ShowIcons();
    } else {
        // Shown only once centred, so it never appears at a default place first.
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        window_ = OpenGlfwWindow(width, height, nullptr);
        if (window_) {
            ShowIcons();
            if (desktop) glfwSetWindowPos(window_, (desktop->width - width) / 2, (desktop->height - height) / 2);
            glfwShowWindow(window_);
        }
    }
    fullscreen_ = fullscreen && monitor && window_;

    ++kpGraphicsSeq;
    if (!window_) return;
    glfwMakeContextCurrent(window_);
    // Frames wait for the display's refresh where the driver offers it, so
    // they do not tear; the loop's own clock still decides when updates run.
    glfwSwapInterval(SwapInterval());
    kpInstallGlfwInputCallbacks(window_);
}

GLFWwindow* KpGlfwGame::OpenGlfwWindow(int width, int height, GLFWmonitor* monitor) {
    return glfwCreateWindow(width, height, kWindowTitle, monitor, nullptr);
}

void KpGlfwGame::EndWithoutWindow() {
    // A running game keeps its settings, as when it loses the focus.
    if (Started()) SuspendGame();
    std::puts(kWindowFailedLine);
    std::fflush(stdout);
    glfwTerminate();
    std::exit(kExitStartFailed);
}

// The old window is gone before the new one is made, so a mode that cannot be
// had falls back to a window of the size the player had.
void KpGlfwGame::ToggleFullscreen() {
    remadeAt_ = Now();
    const int colour = kColourBits;
    if (!fullscreen_) {
        GLFWmonitor* monitor = glfwGetPrimaryMonitor();
        const GLFWvidmode* desktop = monitor ? glfwGetVideoMode(monitor) : nullptr;
        if (!window_ || !desktop) return;
        glfwGetWindowSize(window_, &windowedWidth_, &windowedHeight_);
        SetGlfwWindow(desktop->width, desktop->height, colour, colour, colour, 0, 0, 0, true);
        if (window_) return;
        std::fprintf(stderr, "glimmer: no fullscreen window could be made; back to a %dx%d window\n",
                     windowedWidth_, windowedHeight_);
    }
    SetGlfwWindow(windowedWidth_, windowedHeight_, colour, colour, colour, 0, 0, 0, false);
    if (!window_) EndWithoutWindow();
}

void KpGlfwGame::Run() {
    const int colour = kColourBits;
    SetGlfwWindow(kWindowWidth, kWindowHeight, colour, colour, colour, 0, 0, 0, false);
    if (!window_) EndWithoutWindow();
    StartInWindow();
    loop_.Run();
}

double KpGlfwGame::Now() { return glfwGetTime(); }

void KpGlfwGame::Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

void KpGlfwGame::PollEvents() { glfwPollEvents(); }

void KpGlfwGame::WaitEvents() { glfwWaitEvents(); }

void KpGlfwGame::AfterEvents() {
    if (!fullscreenToggleRequested_) return;
    fullscreenToggleRequested_ = false;
    ToggleFullscreen();
}

bool KpGlfwGame::WindowOpen() { return window_ != nullptr; }

bool KpGlfwGame::WindowIconified() { return window_ && glfwGetWindowAttrib(window_, GLFW_ICONIFIED); }

bool KpGlfwGame::WindowFocused() { return window_ && glfwGetWindowAttrib(window_, GLFW_FOCUSED); }
