#include "tools/music/music_demo_host.h"

#include <GLFW/glfw3.h>

#include "framework/program.h"
#include "game/music/sg_player.h"
#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "host/glfw/game.h"

bool KpMusicDemoHost::OpenHiddenWindow(int width, int height) {
    static const bool ready = glfwInit() == GLFW_TRUE;
    if (!ready) return false;
    CloseHiddenWindow();
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    window_ = glfwCreateWindow(width, height, "Glimmer music", nullptr, nullptr);
    if (!window_) return false;
    glfwMakeContextCurrent(window_);
    glfwSwapInterval(0);
    // Surfaces made for an earlier context reload their textures.
    ++kpGraphicsSeq;
    return true;
}

void KpMusicDemoHost::CloseHiddenWindow() {
    if (!window_) return;
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(window_);
    window_ = nullptr;
}

bool KpMusicDemoHost::HasGraphicsContext() { return window_ && glfwGetCurrentContext() == window_; }

void KpMusicDemoHost::WindowSize(int* width, int* height) {
    if (window_) {
        glfwGetFramebufferSize(window_, width, height);
    } else {
        KpHeadlessGame::WindowSize(width, height);
    }
}

c_MyApp* kpMusicDemoBoot() {
    kp_std_main(0, nullptr);
    // The game ships with the switch off; start-up has just set it.
    kp_Glimmer_HasMusic = 1;
    return static_cast<c_MyApp*>(kp_app__app);
}

void kpMusicDemoConfigure(c_SGPlayer* music, int songSeed) { kp_Glimmer_ConfigureSong(music, songSeed); }
