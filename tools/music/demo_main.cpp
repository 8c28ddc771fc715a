// Plays the game with its music switch on and the demonstration song.
//
//   glimmer-music-demo [--folder DIR] [--seed N]
//       the game in a window, with music (sound setting on)
//   glimmer-music-demo --wave FILE [--seconds S] [--folder DIR] [--seed N]
//       no visible window: S seconds of the menu with music, recorded into
//       FILE by OpenAL Soft's wave backend instead of the sound card
//
// DIR is the working folder whose ./data/ holds the song, the instruments and
// the game's own data (written by the glimmer-music-demo-data target).
#include <GLFW/glfw3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "game/music/sg_player.h"
#include "game/shell/my_app.h"
#include "host/glfw/game.h"
#include "tools/cli/command_line.h"
#include "tools/music/music_demo_host.h"

namespace {

struct Options {
    std::string folder = MUSIC_DEMO_DIR;
    std::string wave;
    double seconds = 30;
    int seed = 0;
};

constexpr const char* kUsage =
    "usage: glimmer-music-demo [--folder DIR] [--seed N]\n"
    "       glimmer-music-demo --wave FILE [--seconds S] [--folder DIR] [--seed N]\n"
    "Plays the game with music in a window or, with --wave, records S seconds of\n"
    "the menu with music into FILE. DIR holds the demonstration's data/.\n";

void Parse(int argc, char** argv, Options& o) {
    ToolCommandLine commandLine(argc, argv, kUsage);
    while (commandLine.NextOption()) {
        if (commandLine.Is("--folder")) {
            o.folder = commandLine.Value();
        } else if (commandLine.Is("--wave")) {
            o.wave = commandLine.Value();
        } else if (commandLine.Is("--seconds")) {
            o.seconds = std::atof(commandLine.Value().c_str());
        } else if (commandLine.Is("--seed")) {
            o.seed = std::atoi(commandLine.Value().c_str());
        } else {
            commandLine.RefuseOption();
        }
    }
    commandLine.Operands(0, 0);
}

int PlayInWindow(const Options& o) {
    if (!glfwInit()) {
        std::fprintf(stderr, "no display: try --wave FILE under xvfb-run\n");
        return 1;
    }
    KpZephyrGame* game = new KpZephyrGame();
    c_MyApp* app = kpMusicDemoBoot();
    kpMusicDemoConfigure(app->m_music, o.seed);
    game->Run();
    glfwTerminate();
    return 0;
}

int RecordWave(const Options& o) {
    // OpenAL Soft reads its configuration when the first device opens.
    const std::string conf = "/tmp/glimmer-music-demo-" + std::to_string(getpid()) + ".conf";
    std::ofstream(conf) << "[general]\ndrivers = wave\nsample-type = int16\n[wave]\nfile = " << o.wave << "\n";
    setenv("ALSOFT_CONF", conf.c_str(), 1);

    KpMusicDemoHost* host = new KpMusicDemoHost();
    if (!host->OpenHiddenWindow(KpHeadlessGame::kDefaultWidth, KpHeadlessGame::kDefaultHeight)) {
        std::fprintf(stderr, "no display for decoding the patterns: run under xvfb-run\n");
        return 1;
    }
    c_MyApp* app = kpMusicDemoBoot();
    kpMusicDemoConfigure(app->m_music, o.seed);
    host->Start();

    // The wave backend mixes in real time, so updates keep pace with the wall clock.
    const auto start = std::chrono::steady_clock::now();
    const int updates = static_cast<int>(o.seconds * KpHeadlessGame::kUpdatesPerSecond);
    for (int i = 0; i < updates; ++i) {
        host->Step();
        std::this_thread::sleep_until(start + std::chrono::duration<double>((i + 1.0) / KpHeadlessGame::kUpdatesPerSecond));
    }
    std::printf("recorded %.1f s: section group %d, row %d\n", o.seconds, app->m_music->m_section, app->m_music->m_row);
    kp_audio_device->CloseDevice();
    std::remove(conf.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    Parse(argc, argv, o);
    if (chdir(o.folder.c_str()) != 0) {
        std::perror(o.folder.c_str());
        return 1;
    }
    return o.wave.empty() ? PlayInWindow(o) : RecordWave(o);
}
