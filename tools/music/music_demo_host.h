// Running the game with its music switch on and the demonstration song: a
// headless host that can also hold a real OpenGL context (a hidden window),
// because the generator decodes its patterns by drawing and reading back.
#pragma once

#include <string>

#include "host/headless/game.h"

class c_MyApp;
class c_SGPlayer;
struct GLFWwindow;

#include "game/shell/song.h"

// Song image of the demonstration song, the game's own (game/shell/song.h).
constexpr const char* kMusicDemoSongPath = kSongImagePath;

// The headless host with an optional hidden GLFW window as its graphics context.
class KpMusicDemoHost : public KpHeadlessGame {
public:
    // Opens a hidden w x h window and makes its context current; false without a display.
    bool OpenHiddenWindow(int width, int height);
    void CloseHiddenWindow();
    bool HasGraphicsContext() override;
    void WindowSize(int* width, int* height) override;

private:
    GLFWwindow* window_ = nullptr;
};

// Sets the program up to run the game with music: the runtime and the game's
// globals initialised, the switch on, the application created (not yet
// started). Call once per process, before the host starts.
c_MyApp* kpMusicDemoBoot();

// Configures the generator for the demonstration song and starts its loading.
void kpMusicDemoConfigure(c_SGPlayer* music, int songSeed);
