// glimmer-soak: simulated play on the headless host for a long time, with the
// collector stepping after every host entry as in the real program. Prints the
// collector's live bytes and the resident memory per simulated minute, the
// longest update, render and collection step, and what the player did; fails
// when memory grows after warm-up or the player got stuck.
//
//   glimmer-soak [--minutes N (60)] [--warmup N (5)] [--seed N (1)]
//                [--solutions DIR] [--live-slack MiB (1)] [--resident-slack MiB (8)]
//
// Run from the build folder (the game's ./data/). Sound plays into OpenAL
// Soft's null backend unless ALSOFT_DRIVERS says otherwise. The solver's
// input scripts (DIR/levelNN.keys), when given, complete levels for real;
// without them, levels are entered as the exit would enter them.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/program.h"
#include "runtime/gc.h"
#include "tools/cli/command_line.h"
#include "tools/soak/soak_player.h"

namespace {

constexpr double kStartClock = 1000.0;
constexpr int kMaxLoadingUpdates = 400;
constexpr long kMiB = 1024 * 1024;

struct Options {
    int minutes = 60;
    int warmup = 5;
    unsigned seed = 1;
    std::string solutions;
    double liveSlackMiB = 1;
    double residentSlackMiB = 8;
};

constexpr const char* kUsage =
    "usage: glimmer-soak [--minutes N (60)] [--warmup N (5)] [--seed N (1)] [--solutions DIR]\n"
    "                    [--live-slack MiB (1)] [--resident-slack MiB (8)]\n"
    "Plays the game on a headless host for N simulated minutes and fails when memory\n"
    "grows after the warm-up or the player gets stuck. Run it from the build folder.\n";

void Parse(int argc, char** argv, Options* o) {
    ToolCommandLine commandLine(argc, argv, kUsage);
    while (commandLine.NextOption()) {
        if (commandLine.Is("--minutes")) o->minutes = std::atoi(commandLine.Value().c_str());
        else if (commandLine.Is("--warmup")) o->warmup = std::atoi(commandLine.Value().c_str());
        else if (commandLine.Is("--seed"))
            o->seed = static_cast<unsigned>(std::strtoul(commandLine.Value().c_str(), nullptr, 10));
        else if (commandLine.Is("--solutions")) o->solutions = commandLine.Value();
        else if (commandLine.Is("--live-slack")) o->liveSlackMiB = std::atof(commandLine.Value().c_str());
        else if (commandLine.Is("--resident-slack")) o->residentSlackMiB = std::atof(commandLine.Value().c_str());
        else commandLine.RefuseOption();
    }
    commandLine.Operands(0, 0);
    if (o->minutes <= 0 || o->warmup < 0 || o->warmup >= o->minutes) {
        commandLine.Refuse("the warm-up must be shorter than the soak");
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    Parse(argc, argv, &options);
    setenv("ALSOFT_DRIVERS", "null", 0);

    SoakMeter meter;
    SoakHost* host = new SoakHost();
    host->SetClockMillis(kStartClock);
    host->UsePrivateFolder("soak");
    kp_std_main(0, nullptr);
    c_MyApp* app = static_cast<c_MyApp*>(kp_app__app);
    host->Start();
    for (int i = 0; i < kMaxLoadingUpdates && app->m_loadStep > 0; ++i) host->Step();
    host->meter = &meter;

    // The game's status lines would flood the report; keep only ours.
    std::fflush(stdout);
    FILE* report = fdopen(dup(1), "w");
    if (!report || !std::freopen("/dev/null", "w", stdout)) report = stderr;

    SoakPlayer player(*host, *app, meter, options.seed, options.solutions);
    player.Play(static_cast<long>(options.minutes) * SoakMeter::kUpdatesPerMinute);

    const SoakCounts& c = player.Counts();
    std::fprintf(report, "soak: %d simulated minutes, seed %u, %s\n", options.minutes, options.seed,
                 options.solutions.empty() ? "levels entered directly" : "levels completed by the solver's scripts");
    meter.Print(report, options.warmup);
    std::fprintf(report,
                 "games started %d, levels completed %d (by script %d, entered directly %d), deaths %d, pauses %d, "
                 "focus losses %d, returns to the menu %d, endings %d, stuck %d\n",
                 c.gamesStarted, c.levelsCompleted, c.scriptedLevels, c.levelsEntered, c.deaths, c.pauses,
                 c.focusLosses, c.menuReturns, c.endings, c.stuck);
    const bool flat = meter.Flat(options.warmup, static_cast<long>(options.liveSlackMiB * kMiB),
                                 static_cast<long>(options.residentSlackMiB * kMiB), report);
    const bool played = c.gamesStarted > 0 && c.stuck == 0;
    std::fprintf(report, "%s\n", flat && played ? "soak: PASSED" : "soak: FAILED");
    std::fflush(report);
    return flat && played ? 0 : 1;
}
