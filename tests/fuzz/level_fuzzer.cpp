// libFuzzer target: the level decoder (p_Uncrunch) and builder (p_GetLevel)
// on a fuzzed coded text, on the whole game. This file's
// kp_Levels_FetchLevel stands in for the level store's, so the game's own
// builder reads the input. The decoded text must be the run-length expansion
// worked out here (a count letter "A".."z", then the tile character, anything
// else between pairs skipped); the hero starts on the last "S" of the scan,
// column by column, or at (16, 15); every cell holds its character's tile.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/world/tiles.h"
#include "runtime/gc.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/testhost/test_game.h"

const char* const kFuzzTarget = "level fuzzer";

namespace {
String g_coded;

// The game booted once; its assets are never loaded.
TestGame& Game() {
    static TestGame* game = new TestGame();
    return *game;
}

}  // namespace

String kp_Levels_FetchLevel(int) { return g_coded; }

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size) {
    c_MyApp& app = Game().app();
    std::u16string expected;
    for (size_t i = 0; i + 1 < size; ++i) {
        const int c = bytes[i];
        if (c >= 'A' && c <= 'z') expected.append(c <= 'Z' ? c - 64 : c - 70, bytes[++i]);
    }
    g_coded = String(bytes, static_cast<int>(size));
    const String decoded = app.p_Uncrunch(g_coded);
    Check(decoded == String(reinterpret_cast<const Char*>(expected.data()), static_cast<int>(expected.size())),
          "decoded " + std::to_string(decoded.Length()) + " units, expected " + std::to_string(expected.size()));

    app.m_mapWidth = app.m_mapHeight = kLevelSide;
    app.p_GetLevel(1);
    int startX = 16, startY = 15;
    for (int x = 0; x < kLevelSide; ++x) {
        for (int y = 0; y < kLevelSide; ++y) {
            const size_t at = static_cast<size_t>(y * kLevelSide + x);
            const int c = at < expected.size() ? expected[at] : '0';
            if (c == 'S') startX = x, startY = y;
            const int tile = c == 'S' ? kTileEmpty : c == 'X' ? kTileExit : kp_Tiles_Ascii2Val(c);
            Check(app.p_Tile(x, y) == tile, "cell (" + std::to_string(x) + ", " + std::to_string(y) + ")");
        }
    }
    Check(app.m_playerX == startX && app.m_playerY == startY, "the hero's start");
    gc_collect();
    return 0;
}
