// libFuzzer target: the state text read back at start-up (p_Load) on a game
// booted on the headless host. The fuzzed bytes are the state file itself, so
// the host's reading and String::Load's decoding run as in the real program.
//
// Checks, beyond the sanitizers: whatever was read, saving it and loading the
// result gives back the same settings, badges and highscores, and saving again
// writes the same text (a damaged file never leaves a state that cannot be
// saved and read back intact).
//
// With GLIMMER_FUZZ_WRITE_SEEDS=<dir>, the initialisation also writes state
// files saved by the game itself (a fresh start, badges and scores) as seeds.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/gc.h"
#include "tests/fuzz/fuzz_game.h"

namespace {

constexpr int kSettings = 25;
constexpr int kBadges = 256;
constexpr int kStoredScores = 60;   // best ten and last ten of three tables
constexpr int kSoundSetting = 5;
constexpr int kStateFields = 98;

// The settings, badges and scores the game starts with before loading.
void ResetToStartValues(c_MyApp& app) {
    for (int n = 0; n < kSettings; ++n) app.m_settings[n] = 0;
    app.m_settings[kSoundSetting] = 1;
    for (int i = 0; i < kBadges; ++i) app.m_badges[i] = false;
    for (int i = 0; i < app.m_hiScores.Length(); ++i) app.m_hiScores[i] = 0;
}

// Values that no load leaves in place by accident.
void Scribble(c_MyApp& app) {
    for (int n = 0; n < kSettings; ++n) app.m_settings[n] = 7777 + n;
    for (int i = 0; i < kBadges; ++i) app.m_badges[i] = (i % 3) == 0;
    for (int i = 0; i < kStoredScores; ++i) app.m_hiScores[i] = -5 - i;
}

std::vector<int> Persisted(const c_MyApp& app) {
    std::vector<int> values;
    for (int n = 0; n < kSettings; ++n) values.push_back(app.m_settings.Get(n));
    for (int i = 0; i < kBadges; ++i) values.push_back(app.m_badges.Get(i) ? 1 : 0);
    for (int i = 0; i < kStoredScores; ++i) values.push_back(app.m_hiScores.Get(i));
    return values;
}

bool WriteFile(const std::string& path, const unsigned char* bytes, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(bytes, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

std::string ReadFile(const std::string& path) {
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return text;
    char block[4096];
    size_t n = 0;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0) text.append(block, n);
    std::fclose(file);
    return text;
}

// Seeds saved by the game: a fresh start, then earned badges and scores.
void WriteSeeds(FuzzGame& game, const std::string& dir) {
    c_MyApp& app = *game.app;
    auto save = [&](const char* name) {
        app.p_Save();
        std::string text = ReadFile(game.stateFile);
        WriteFile(dir + "/" + name, reinterpret_cast<const unsigned char*>(text.data()), text.size());
    };
    ResetToStartValues(app);
    app.p_Load();
    save("fresh");
    app.m_settings[1] = 2;
    app.m_settings[3] = 1;
    app.m_settings[kSoundSetting] = 0;
    save("settings");
    for (int badge : {0, 1, 31, 32, 77, 200, 255}) app.m_badges[badge] = true;
    save("badges");
    for (int i = 0; i < kStoredScores; ++i) app.m_hiScores[i] = (i * 7919) % 100000;
    app.m_hiScores[3] = 2147483647;
    app.m_hiScores[41] = -2147483647 - 1;
    save("scores");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzGame& game = BootFuzzGame();
    if (const char* dir = std::getenv("GLIMMER_FUZZ_WRITE_SEEDS")) WriteSeeds(game, dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size) {
    FuzzGame& game = BootFuzzGame();
    c_MyApp& app = *game.app;
    FuzzCheck(WriteFile(game.stateFile, bytes, size), "cannot write the state file");

    ResetToStartValues(app);
    app.p_Load();
    const std::vector<int> loaded = Persisted(app);

    app.p_Save();
    const std::string saved = ReadFile(game.stateFile);
    int separators = 0;
    for (char c : saved) separators += c == '|';
    FuzzCheck(separators == kStateFields && !saved.empty() && saved.back() == '|',
              "the saved text does not hold 98 fields: " + saved);

    Scribble(app);
    app.p_Load();
    FuzzCheck(Persisted(app) == loaded, "saving and loading changed the state; saved text: " + saved);
    app.p_Save();
    FuzzCheck(ReadFile(game.stateFile) == saved, "a second save wrote a different text");

    gc_collect();
    return 0;
}
