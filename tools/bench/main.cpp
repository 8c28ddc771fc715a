// glimmer-bench: figures for the game's logic, its rendering against a peer
// renderer, the real program's start-up, idle cost and memory, and the
// collector, printed one per line as "name value unit" (lines starting with
// "#" are notes).
//
// Usage: glimmer-bench [--sections logic,render,program,gc,heap,replay] [--quick]
//                      [--pixel-hash frames] [--shots folder] [--program path/to/glimmer]
//                      [--data path/to/data] [--save-frames folder]
// Run it under an X server (xvfb-run -a -s "-screen 0 1920x1080x24") from
// anywhere; it finds the build folder (and its data) next to itself.
#include <GLFW/glfw3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "tools/bench/bench_host.h"
#include "tools/bench/figures.h"
#include "tools/bench/game_driver.h"
#include "tools/bench/heap_section.h"
#include "tools/bench/logic_section.h"
#include "tools/bench/program_probe.h"
#include "tools/bench/render_section.h"
#include "tools/bench/sdl_peer.h"
#include "tools/cli/command_line.h"

namespace {

struct Size {
    int width, height;
};
constexpr Size kSizes[] = {{640, 480}, {1280, 720}, {1920, 1080}};

// The build folder: this program lives in <build>/tools/bench/.
std::string BuildDir() {
    char path[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string dir(path, static_cast<size_t>(n));
    for (int i = 0; i < 3; ++i) dir = dir.substr(0, dir.rfind('/'));
    return dir.empty() ? "/" : dir;
}

bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

constexpr const char* kUsage =
    "usage: glimmer-bench [--sections logic,render,program,gc,heap,replay] [--quick] [--pixel-hash FRAMES]\n"
    "                     [--shots FOLDER] [--program GLIMMER] [--data FOLDER]\n"
    "                     [--save-frames FOLDER]\n"
    "Prints figures of the game's logic, rendering, real program and collector (in play\n"
    "and on a synthetic heap), one \"name value unit\" per line. Run it under an X server.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--gl-baseline") == 0) return GlBaselineMain();
    std::set<std::string> sections = {"logic", "render", "program", "gc", "heap", "replay"};
    double heapScale = 1.0;
    const std::string build = BuildDir();
    ProgramOptions program;
    // The program sits at the top of the build folder (older builds: in host/).
    program.program = FileExists(build + "/glimmer") ? build + "/glimmer" : build + "/host/glimmer";
    program.dataDir = build + "/data";
    program.selfPath = build + "/tools/bench/glimmer-bench";
    RenderOptions render;
    LogicOptions logic;
    ToolCommandLine commandLine(argc, argv, kUsage);
    while (commandLine.NextOption()) {
        if (commandLine.Is("--sections")) {
            sections.clear();
            std::stringstream list(commandLine.Value());
            std::string s;
            while (std::getline(list, s, ',')) sections.insert(s);
        } else if (commandLine.Is("--quick")) {
            render.gameFrames = 60;
            render.menuFrames = 20;
            render.rounds = 1;
            logic.updates = 3000;
            logic.mapPasses = 1000;
            logic.soakMinutes = 2;
            program.startupRuns = 1;
            program.gameSeconds = 5;
            program.unfocusedSeconds = 3;
            heapScale = 0.2;
        } else if (commandLine.Is("--pixel-hash")) {
            render.hashFrames = std::atoi(commandLine.Value().c_str());
        } else if (commandLine.Is("--shots")) {
            render.shotDir = commandLine.Value();
            if (render.hashFrames == 0) render.hashFrames = 1;
        } else if (commandLine.Is("--save-frames")) {
            render.saveDir = commandLine.Value();
            // Named from where the bench was started, not from the build folder it moves to.
            char here[4096] = {};
            if (render.saveDir[0] != '/' && getcwd(here, sizeof here)) render.saveDir = std::string(here) + "/" + render.saveDir;
        } else if (commandLine.Is("--program")) {
            program.program = commandLine.Value();
        } else if (commandLine.Is("--data")) {
            program.dataDir = commandLine.Value();
        } else {
            commandLine.RefuseOption();
        }
    }
    commandLine.Operands(0, 0);
    // The game reads ./data from its working folder.
    if (!FileExists("data") && (chdir(build.c_str()) != 0 || !FileExists("data"))) {
        std::fprintf(stderr, "glimmer-bench: no data folder here or in %s\n", build.c_str());
        return 1;
    }
    BenchNote("load average at start: " + LoadAverage() + " (figures are noisy when other work runs)");
    BenchNote(std::string("SDL2 peer: ") + (SdlPeerAvailable() ? "built" : "not built (libsdl2-dev missing)"));

    if (sections.count("heap")) HeapSection(heapScale);
    const bool windows = sections.count("render") && glfwInit();
    if (sections.count("render") && !windows) BenchNote("no display: rendering is not measured");
    BenchHost host;
    GameDriver driver(&host);

    if (windows) {
        for (const Size& s : kSizes) RenderScene(driver, false, s.width, s.height, render);
        BatchFillFigures(driver.host());
    }
    if (!driver.StartGame()) {
        std::fprintf(stderr, "glimmer-bench: the game did not start from the menu\n");
        return 1;
    }
    if (windows) {
        for (const Size& s : kSizes) RenderScene(driver, true, s.width, s.height, render);
    }
    if (sections.count("logic") || sections.count("gc")) driver.Resize(640, 480);
    if (sections.count("logic")) LogicSection(driver, logic);
    if (sections.count("gc")) CollectorSection(driver, logic);
    if (sections.count("replay")) ReplaySection(driver);
    if (sections.count("replay")) LevelsListSection(driver);
    if (sections.count("replay")) LevelImportSection(driver);
    if (windows) glfwTerminate();
    if (sections.count("program")) ProgramSection(program);
    BenchNote("load average at end: " + LoadAverage());
    return 0;
}
