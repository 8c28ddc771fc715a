// Building a level: decoding the stored text into the tile map, starting the
// round's life afresh (RoundState) and the picture's start.
#include <cmath>
#include <vector>

#include "framework/app.h"
#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "game/world/level_store.h"
#include "game/world/tiles.h"
#include "runtime/random.h"

namespace {

constexpr int kLauncherPeriod = 120;

// Count letters: "A".."Z" mean 1..26, "a".."z" 27..52; the six codes between them count code - 70.
inline bool is_count_letter(int c) { return c >= 'A' && c <= 'z'; }
inline int count_of(int c) { return c <= 'Z' ? c - 64 : c - 70; }

}  // namespace

String c_MyApp::p_Uncrunch(const String& coded) {
    std::vector<Char> out;
    out.reserve(kLevelSide * kLevelSide);
    const int n = coded.Length();
    for (int i = 0; i < n; ++i) {
        int c = coded[i];
        if (!is_count_letter(c)) continue;  // the spaces between pairs
        ++i;
        if (i >= n) break;
        out.insert(out.end(), static_cast<size_t>(count_of(c)), coded[i]);
    }
    return String(out.data(), static_cast<int>(out.size()));
}

// Scatters the 101 snow flakes from the current seed, in the fixed order of draws.
static void scatter_snow(Array<float> snow) {
    for (int k = 0; k < kSnowFlakes; ++k) {
        float* f = snow.Data() + 10 * k;
        f[0] = std::floor(kp_random_Rnd2(0, 255.99f));
        f[1] = kp_random_Rnd2(-8, kp_Glimmer_jscrw + 8);
        f[2] = kp_random_Rnd2(-8, kp_Glimmer_jscrh + 8);
        f[3] = kp_random_Rnd2(-0.3f, 0.3f);
        f[4] = kp_random_Rnd2(0.1f, 1.2f);
        f[5] = kp_random_Rnd2(0, 360);
        f[6] = kp_random_Rnd2(-2, 2);
        f[7] = kp_random_Rnd2(0.3f, 0.7f);
    }
}

int c_MyApp::p_GetLevel(int n) {
    m_tutStep = 0;
    m_tutShown = 0;
    m_tutDelay = 0;
    RestartLife();
    for (int r = 0; r < kMoverRecords; ++r) m_movers[r * 10] = 0;

    // The snow is the picture's: scattered from the program's sequence.
    kp_random_Seed = kp_app__game->Millisecs();
    scatter_snow(m_snow);

    // The round's sequence is seeded by the level's number, so the level's
    // colours and everything the round draws repeat.
    m_roundSeed = n;
    for (int i = 0; i < 101; ++i) kp_random_RndFrom(m_roundSeed);
    m_skyR = std::floor(kp_random_Rnd2From(m_roundSeed, 0, 40.99f));
    kp_random_RndFrom(m_roundSeed);
    m_skyG = std::floor(kp_random_Rnd2From(m_roundSeed, 0, 40.99f));
    m_skyRTarget = 0;
    m_skyGTarget = 0;
    kp_random_RndFrom(m_roundSeed);

    // Level 0 is a player's level, its map given whole.
    m_levelText = n == 0 ? String(m_playerMap.c_str(), static_cast<int>(m_playerMap.size()))
                         : p_Uncrunch(kp_Levels_FetchLevel(n));
    const int textLength = m_levelText.Length();
    for (int x = 0; x < m_mapWidth; ++x) {
        for (int y = 0; y < m_mapHeight; ++y) {
            int cell = p_CellIndex(x, y);
            for (int l = 0; l < kMapLayers; ++l) m_map[cell + l] = 0;
            int at = y * kLevelSide + x;
            // A text shorter than the map reads as empty tiles rather than past its end.
            int tile = at < textLength ? kp_Tiles_Ascii2Val(m_levelText[at]) : 0;
            if (tile == kTileStart) {
                tile = kTileEmpty;
                m_playerX = x;
                m_playerY = y;
            } else if (tile == kTileExitMark) {
                tile = kTileExit;
            } else if (tile == kTileLauncherRight || tile == kTileLauncherLeft) {
                m_map[cell + 9] = (23 * x + 35 * y) % kLauncherPeriod;
            }
            m_map[cell] = tile;
        }
    }

    // A test from the editor's cursor puts the hero there instead.
    if (n == 0 && m_playerPlay.startX >= 0) {
        m_playerX = m_playerPlay.startX;
        m_playerY = m_playerPlay.startY;
    }
    m_camX = m_camY = m_camTargetX = m_camTargetY = 0;
    return 0;
}

int c_MyApp::p_LoadGame() {
    m_pauseShown = 0;
    m_score = 0;
    m_quitGame = 0;
    m_gameOverTimer = 0;
    m_screen = kScreenPlaying;
    m_mapWidth = kLevelSide;
    m_mapHeight = kLevelSide;
    m_gameUpdates = 0;
    m_raceLevel = 0;
    m_raceGhost.clear();
    p_BeginLevel(1);
    return 0;
}
