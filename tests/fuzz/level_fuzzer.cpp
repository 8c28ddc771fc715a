// libFuzzer target: the level decoder (p_Uncrunch) and the level builder
// (p_GetLevel) on a fuzzed coded text, on a game booted on the headless host.
//
// The coded text reaches p_GetLevel through kp_Levels_FetchLevel, which this
// file defines in place of the level store's (the store's object file is then
// never linked in), so the game's own builder runs unchanged on the input.
// Each input byte is one character of the coded text.
//
// Checks, beyond the sanitizers: the decoded text is the run-length expansion
// computed here independently; the built map holds, in every cell of the
// 64 x 64 level, the tile of the decoded character (empty past the end of a
// short text) with the other layers cleared or set as the builder's rules say,
// and the hero starts on the last "S" of the scan or at (16, 15).
#include <string>

#include "game/world/tiles.h"
#include "runtime/gc.h"
#include "tests/fuzz/fuzz_game.h"

namespace {

constexpr int kSide = 64;
constexpr int kLayers = 10;
constexpr int kLauncherPeriod = 120;

String g_coded;

// The run-length expansion: a count letter ("A".."z") then the tile character.
std::u16string Expand(const unsigned char* bytes, size_t size) {
    std::u16string out;
    for (size_t i = 0; i < size; ++i) {
        int c = bytes[i];
        if (c < 'A' || c > 'z') continue;
        if (++i >= size) break;
        out.append(static_cast<size_t>(c <= 'Z' ? c - 64 : c - 70), static_cast<char16_t>(bytes[i]));
    }
    return out;
}

}  // namespace

String kp_Levels_FetchLevel(int) { return g_coded; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    BootFuzzGame();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size) {
    c_MyApp& app = *BootFuzzGame().app;
    g_coded = String(bytes, static_cast<int>(size));
    const std::u16string expected = Expand(bytes, size);

    String decoded = app.p_Uncrunch(g_coded);
    FuzzCheck(decoded.Length() == static_cast<int>(expected.size()),
              "decoded length " + std::to_string(decoded.Length()) + ", expected " + std::to_string(expected.size()));
    for (int i = 0; i < decoded.Length(); ++i) {
        if (decoded[i] != expected[static_cast<size_t>(i)]) FuzzCheck(false, "decoded unit " + std::to_string(i));
    }

    app.m_mapWidth = kSide;
    app.m_mapHeight = kSide;
    app.p_GetLevel(1);
    FuzzCheck(app.m_levelText == decoded, "the level text is not the decoded text");

    int startX = 16, startY = 15;
    for (int x = 0; x < kSide; ++x) {
        for (int y = 0; y < kSide; ++y) {
            const size_t at = static_cast<size_t>(y * kSide + x);
            int tile = at < expected.size() ? kp_Tiles_Ascii2Val(expected[at]) : 0;
            int timer = 0;
            if (tile == kTileStart) {
                tile = kTileEmpty;
                startX = x;
                startY = y;
            } else if (tile == kTileExitMark) {
                tile = kTileExit;
            } else if (tile == kTileLauncherRight || tile == kTileLauncherLeft) {
                timer = (23 * x + 35 * y) % kLauncherPeriod;
            }
            const int cell = app.p_CellIndex(x, y);
            bool cleared = true;
            for (int l = 1; l < kLayers - 1; ++l) cleared = cleared && app.m_map.Get(cell + l) == 0;
            if (app.m_map.Get(cell) != tile || !cleared || app.m_map.Get(cell + kLayers - 1) != timer) {
                FuzzCheck(false, "cell (" + std::to_string(x) + ", " + std::to_string(y) + ") holds tile " +
                                     std::to_string(app.m_map.Get(cell)) + ", expected " + std::to_string(tile));
            }
        }
    }
    FuzzCheck(app.m_playerX == startX && app.m_playerY == startY, "hero start position");

    gc_collect();
    return 0;
}
