// The whole game booted once per test process on the headless host, with its
// state file in a folder of the test's choosing.
#pragma once

#include <string>
#include <vector>

#include "game/shell/my_app.h"
#include "tools/testhost/headless_game.h"

struct BootedGame {
    KpHeadlessGame* host = nullptr;
    c_MyApp* app = nullptr;
};

// Boots the program (sound into OpenAL Soft's null backend), runs its create
// step and the asset loading, and leaves it on the main menu.
BootedGame& BootGame();

// The persisted values as p_Load leaves them: settings 0..24, badges 0..255
// (as 0 or 1), stored highscores 0..59.
struct PersistedState {
    std::vector<int> settings, badges, scores;
};
PersistedState ReadPersisted(const c_MyApp& app);

// Sets the persisted arrays to the values the game starts with before loading.
void ResetToStartValues(c_MyApp& app);

std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
