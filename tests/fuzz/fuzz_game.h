// The whole game booted once per fuzzer process on the headless test host,
// as the real program boots it, for fuzz targets that drive c_MyApp methods.
#pragma once

#include <string>

#include "game/shell/my_app.h"
#include "tools/testhost/headless_game.h"

// The booted game of this process.
struct FuzzGame {
    KpHeadlessGame* host = nullptr;
    c_MyApp* app = nullptr;
    std::string stateFile;   // the state file the host reads and writes
};

// Boots the program (sound through OpenAL Soft's null backend, the status
// lines of the game sent to /dev/null) and runs its create step. The
// sanitizers' and libFuzzer's signal handlers are kept.
FuzzGame& BootFuzzGame();

// Fails the run with a message when `condition` is false.
void FuzzCheck(bool condition, const std::string& what);
