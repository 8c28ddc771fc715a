#include "tests/reliability/game_boot.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "host/program.h"
#include "host/app.h"

namespace {
constexpr double kStartClock = 1000.0;
constexpr int kMaxLoadingUpdates = 400;
constexpr int kSettings = 25;
constexpr int kBadges = 256;
constexpr int kStoredScores = 60;
constexpr int kSoundSetting = 5;
}  // namespace

BootedGame& BootGame() {
    static BootedGame* game = nullptr;
    if (game) return *game;
    game = new BootedGame();
    setenv("ALSOFT_DRIVERS", "null", 0);
    game->host = new KpHeadlessGame();
    game->host->SetClockMillis(kStartClock);
    const std::string stateFile = "/tmp/glimmer_reliability_state_" + std::to_string(getpid());
    unlink(stateFile.c_str());
    game->host->SetStateFile(stateFile);
    kp_std_main(0, nullptr);
    game->app = static_cast<c_MyApp*>(kp_app__app);
    game->host->Start();
    for (int i = 0; i < kMaxLoadingUpdates && game->app->m_loadStep > 0; ++i) game->host->Step();
    game->host->Step();
    unlink(stateFile.c_str());
    return *game;
}

PersistedState ReadPersisted(const c_MyApp& app) {
    PersistedState s;
    for (int i = 0; i < kSettings; ++i) s.settings.push_back(app.m_settings.Get(i));
    for (int i = 0; i < kBadges; ++i) s.badges.push_back(app.m_badges.Get(i) ? 1 : 0);
    for (int i = 0; i < kStoredScores; ++i) s.scores.push_back(app.m_hiScores.Get(i));
    return s;
}

void ResetToStartValues(c_MyApp& app) {
    for (int i = 0; i < kSettings; ++i) app.m_settings[i] = 0;
    app.m_settings[kSoundSetting] = 1;
    for (int i = 0; i < kBadges; ++i) app.m_badges[i] = false;
    for (int i = 0; i < app.m_hiScores.Length(); ++i) app.m_hiScores[i] = 0;
}

std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    char block[4096];
    size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, n);
    std::fclose(file);
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
