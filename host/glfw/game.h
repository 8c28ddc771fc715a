// The desktop host on GLFW 3: the window, the fixed-rate main loop, focus and
// iconify handling, and the translation of window-system input into host events.
#pragma once

#include "host/loop_game.h"

struct GLFWmonitor;
struct GLFWwindow;


// A display mode, as reported by the window system.
class KpGlfwVideoMode : public Object {
public:
    int width = 0;
    int height = 0;
    int red = 0;
    int green = 0;
    int blue = 0;
};

// The GLFW host; `_glfwGame` points at the one instance (the same object as `_game`).
class KpGlfwGame : public KpLoopGame {
public:
    static constexpr int kWindowWidth = 640;
    static constexpr int kWindowHeight = 480;
    static constexpr int kColourBits = 8;

    KpGlfwGame();
    ~KpGlfwGame() override;

    static KpGlfwGame* _glfwGame;

    int Millisecs() override;
    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons) override;
    void SetMouseVisible(bool visible) override;
    // Renders as every host does, then shows the frame.
    void RenderGame() override;
    void WindowSize(int* width, int* height) override;
    bool HasGraphicsContext() override;
    void SetWindowIcons(const std::vector<KpIcon>& icons) override;

    KpGlfwVideoMode* GetGlfwDesktopMode();
    Array<KpGlfwVideoMode*> GetGlfwVideoModes();

    virtual void SetGlfwWindow(int width, int height, int red, int green, int blue, int alpha, int depth,
                               int stencil, bool fullscreen);
    virtual void Run();

    // Asks the main loop to switch between the window and fullscreen once the
    // current batch of events has been handled (never inside a callback).
    void RequestFullscreenToggle() { fullscreenToggleRequested_ = true; }

    GLFWwindow* Window() const { return window_; }
    bool Fullscreen() const { return fullscreen_; }

protected:
    // Makes the window, fullscreen on `monitor` when one is given; null when
    // the window system cannot. Tests make it fail.
    virtual GLFWwindow* OpenGlfwWindow(int width, int height, GLFWmonitor* monitor);
    // Between the window and fullscreen, now (never inside a callback).
    void ToggleFullscreen();

private:
    // The main loop's view of GLFW.
    double Now() override;
    void Sleep(double seconds) override;
    void PollEvents() override;
    void WaitEvents() override;
    void AfterEvents() override;
    bool WindowOpen() override;
    bool WindowIconified() override;
    bool WindowFocused() override;
    double WindowRemadeAt() override { return remadeAt_; }

    void ReleaseHeldKeys();
    // No window could be made: the program ends as a failed start does.
    [[noreturn]] void EndWithoutWindow();

    // Gives the window the icons, where the window manager shows them.
    void ShowIcons();

    GLFWwindow* window_ = nullptr;
    std::vector<KpIcon> icons_;
    bool fullscreen_ = false;
    bool fullscreenToggleRequested_ = false;
    int windowedWidth_ = kWindowWidth;    // size to return to when leaving fullscreen
    int windowedHeight_ = kWindowHeight;
    double remadeAt_ = -kRefocusGrace;    // when F11 last made the window again
};

// The concrete host class created by main.
class KpZephyrGame : public KpGlfwGame {
public:
    static void Main(int argc, const char** argv);
};
