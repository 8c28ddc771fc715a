#include "tests/fuzz/fuzz_game.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "host/program.h"
#include "host/app.h"

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr double kStartClock = 1000.0;

}  // namespace

FuzzGame& BootFuzzGame() {
    static FuzzGame* game = nullptr;
    if (game) return *game;
    game = new FuzzGame();
    setenv("ALSOFT_DRIVERS", "null", 1);
    // kpPrint writes every status line to standard output; libFuzzer reports on standard error.
    if (!std::getenv("GLIMMER_FUZZ_VERBOSE")) std::freopen("/dev/null", "w", stdout);

    // A memory file system where there is one: every save syncs its file to disk.
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    game->stateFile = std::string(folder) + "/glimmer-fuzz-state-" + std::to_string(getpid());
    game->host = new KpHeadlessGame();
    game->host->SetClockMillis(kStartClock);
    game->host->SetStateFile(game->stateFile);

    // The program installs its own fatal-signal handlers; keep the fuzzer's.
    struct sigaction saved[sizeof kSignals / sizeof kSignals[0]];
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) sigaction(kSignals[i], nullptr, &saved[i]);
    kp_std_main(0, nullptr);
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) sigaction(kSignals[i], &saved[i], nullptr);

    game->app = static_cast<c_MyApp*>(kp_app__app);
    unlink(game->stateFile.c_str());
    game->host->Start();
    std::atexit([] { unlink(BootFuzzGame().stateFile.c_str()); });
    return *game;
}

void FuzzCheck(bool condition, const std::string& what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}
