// libFuzzer target: the state file read back at start-up (p_Load), on the
// whole game; the fuzzed bytes are the file, so the host's reading and the
// text decoding run as in the real program. Whatever was read, saving it and
// loading the result gives back the same values, and a second save writes
// the same text: a damaged file never leaves a state that cannot be kept.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/gc.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/testhost/test_game.h"

const char* const kFuzzTarget = "state fuzzer";

namespace {

constexpr int kBadges = 256, kScores = 60, kFields = 98;

// Loads the state file over the given start values; returns what it holds then.
std::vector<int> Load(c_MyApp& app, int setting, bool badge, int score) {
    for (int i = 0; i < kSettingCount; ++i) app.m_settings[i] = setting + i;
    for (int i = 0; i < kBadges; ++i) app.m_badges[i] = badge;
    for (int i = 0; i < kScores; ++i) app.m_hiScores[i] = score - i;
    app.p_Load();
    std::vector<int> values;
    for (int i = 0; i < kSettingCount; ++i) values.push_back(app.m_settings.Get(i));
    for (int i = 0; i < kBadges; ++i) values.push_back(app.m_badges.Get(i));
    for (int i = 0; i < kScores; ++i) values.push_back(app.m_hiScores.Get(i));
    return values;
}

// The game booted once; its assets are never loaded.
TestGame& Game() {
    static TestGame* game = new TestGame();
    return *game;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size) {
    TestGame& game = Game();
    c_MyApp& app = game.app();
    Check(WriteFile(game.stateFile(), std::string(reinterpret_cast<const char*>(bytes), size)), "cannot write");
    const std::vector<int> loaded = Load(app, 0, false, 0);
    app.p_Save();
    const std::string saved = ReadFile(game.stateFile());
    Check(std::count(saved.begin(), saved.end(), '|') == kFields && saved.back() == '|', "not 98 fields: " + saved);
    Check(Load(app, 7777, true, -5) == loaded, "saving and loading changed the state; saved text: " + saved);
    app.p_Save();
    Check(ReadFile(game.stateFile()) == saved, "a second save wrote a different text");
    gc_collect();
    return 0;
}
