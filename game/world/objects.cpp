// Level objects: the map pass's tile logic (trees, the exit, launchers,
// plungers) and the movers that launchers fire.
#include <cmath>
#include <cstdlib>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "game/world/tiles.h"

namespace {


constexpr int kLockedSpin = 270;
constexpr int kLauncherLast = 119;
constexpr int kMoverStep = 4;
constexpr int kProximityRange = 160;
constexpr int kMoverFrameRight = 26;
constexpr int kMoverFrameLeft = 27;

inline int wrap(int v, int size) {
    int r = v % size;
    return r < 0 ? r + size : r;
}

// From b to a on a ring of `size`, the short way round: -size/2 .. size/2 - 1.
inline int ring_distance(int a, int b, int size) { return wrap(a - b + size / 2, size) - size / 2; }

constexpr int kHitHalfWidth = 12;    // tile pixels: a mover and the hero closer than this collide
constexpr int kHitHalfHeight = 8;

}  // namespace

int c_MyApp::p_Proximity(int x, int y) {
    int dx = wrap(m_playerX, m_mapWidth) - x;
    int dy = wrap(m_playerY, m_mapHeight) - y;
    int p = kProximityRange - (dx * dx + dy * dy);
    if (p < 0) p = 0;
    if (p > kProximityRange) p = kProximityRange;
    return p;
}

int c_MyApp::p_Background() {
    m_flipCountPrev = m_flipCount;
    m_flipCount = 0;
    m_lightsLeft = m_lightsCounting;
    m_exitSpin = m_lightsLeft > 0 ? kLockedSpin : (m_exitSpin + 1) % 360;
    m_lightsCounting = 0;

    // Drawing state of the pass.
    p_SetRot(0);
    p_SetCol(255, 255, 255, 1);
    m_blend = 1;
    p_SetSize(m_zoom, m_zoom);

    const int heroRow = wrap(m_playerY, m_mapHeight);
    for (int y = m_mapHeight - 1; y >= 0; --y) {
        for (int x = 0; x < m_mapWidth; ++x) {
            const int cell = (x + y * kMapRowStride) * kMapLayers;   // p_CellIndex of a cell on the map
            const int tile = m_map.Get(cell);
            if (tile == kTileCountedPickup || tile == kTileTreeUnlit) {
                m_lightsCounting += 1;
            } else if ((tile == kTileLauncherRight || tile == kTileLauncherLeft) && m_dropIn == 0) {
                int phase = m_map.Get(cell + 9) + 1;
                if (phase > kLauncherLast) {
                    phase = 0;
                    // The highest-numbered free record takes the shot.
                    int free = -1;
                    for (int r = 0; r < kMoverRecords; ++r) {
                        if (m_movers.Get(r * 10) == 0) free = r;
                    }
                    if (free >= 0) {
                        int p = p_Proximity(x, y);
                        if (p > 0) p_PlaySFX(kSfxLaunch, 1.0f, p / 160.0f, 0);
                        int* rec = m_movers.Data() + free * 10;
                        rec[0] = tile + 2;
                        rec[1] = x;
                        rec[2] = y;
                        rec[3] = 0;
                        rec[4] = 0;
                    }
                }
                m_map[cell + 9] = phase;
            } else if (tile == kTilePlunger && m_map.Get(cell + 9) > 0) {
                int timer = m_map.Get(cell + 9) - m_speed;
                if (timer == 360 || timer == 240 || timer == 120 || timer == 60) {
                    p_PlaySFX(kSfxPlungerTick, 1.0f, 1.0f, 0);
                }
                m_flipCount += 1;
                if (timer < 1) timer = 0;
                m_map[cell + 9] = timer;
            }
            // A round played without a picture draws only the exit (p_DrawTile).
            if (!m_simulating || tile == kTileExit) p_DrawTile(x, y, cell);
        }
        if (y == heroRow) p_DrawHero();
    }

    if (m_flipCount != m_flipCountPrev) p_PlaySFX(kSfxFlip, 1.0f, 1.0f, 0);
    if (m_lightsCounting == 0 && m_lightsLeft > 0) p_PlaySFX(kSfxLastTree, 1.0f, 1.0f, 0);
    if (m_playerState == kLeaving) p_DrawExitBurst();
    return 0;
}

int c_MyApp::p_Objects() {
    const float z = m_zoom;
    const bool odd = (m_flipCount & 1) != 0;
    for (int r = 0; r < kMoverRecords; ++r) {
        int* rec = m_movers.Data() + r * 10;
        if (rec[0] < 1) continue;
        const int p = p_Proximity(rec[1], rec[2]);
        float x = std::fmod(16 * z * rec[1] + z * rec[3] - m_camX, static_cast<float>(m_worldWidth));
        if (x < -200) x += m_worldWidth;
        float y = std::fmod(16 * z * rec[2] + z * rec[4] - m_camY, static_cast<float>(m_worldHeight));
        if (y < -200) y += m_worldHeight;
        p_GetMatrix(rec[1], rec[2], 1);

        const int type = rec[0];
        // The hit test below takes the position before this update's step, as the drawing does.
        const int moved = type == kTileMoverRight ? kMoverStep : type == kTileMoverLeft ? -kMoverStep : 0;
        rec[3] += moved;
        const int frame = (type == kTileLauncherRight || type == kTileMoverRight) ? kMoverFrameRight : kMoverFrameLeft;

        if (type == kTileMoverRight || type == kTileMoverLeft) {
            // Walls and closed flip blocks stop a mover; launchers do not.
            int own = m_near.Get(5);
            if (own == kTileWall || (own == kTileFlipEven && !odd) || (own == kTileFlipOdd && odd)) {
                rec[0] = 0;
                if (p > 0) p_PlaySFX(kSfxHazardBreak, 1.0f, p / 160.0f, 0);
            }
            // Measured on the map, not on the screen: where the camera happens
            // to be (it follows the window's size) never decides a hit.
            const int dx = ring_distance(kTilePixels * rec[1] + rec[3] - moved, m_heroHitX,
                                         kTilePixels * m_mapWidth);
            const int dy = ring_distance(kTilePixels * rec[2] + rec[4], m_heroHitY,
                                         kTilePixels * m_mapHeight);
            if (std::abs(dx) < kHitHalfWidth && std::abs(dy) < kHitHalfHeight && m_playerState != kDying &&
                m_playerState != kLeaving) {
                m_playerState = kDying;
                m_stateTimer = 120;
                p_PlaySFX(kSfxDeath, 1.0f, 1.0f, 0);
                rec[0] -= 2;
            }
        }
        if (rec[3] < -16) {
            rec[3] += 16;
            rec[1] -= 1;
        } else if (rec[3] > 16) {
            rec[3] -= 16;
            rec[1] += 1;
        }
        if (x >= -128 && x <= kp_Glimmer_jscrw + 128 && y >= -128 && y <= kp_Glimmer_jscrh + 128) {
            p_DrawImg(kImageTiles, x, y, frame);
        }
    }
    return 0;
}
