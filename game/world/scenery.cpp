// Scenery and effects: the drifting background colour, the parallax
// backdrop, the snow, the drawing half of the map pass (tiles, the lit trees'
// glow, the exit star, the hero) and the exit burst. Everything is recorded
// into the draw list; the render replays it.
#include <algorithm>
#include <cmath>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "game/world/tiles.h"
#include "runtime/random.h"

namespace {
constexpr int kOpenRingFrame = 1;   // the open exit's ring of dashes
constexpr int kGlowFrame = 20;
constexpr float kCull = 160.0f;
constexpr float kDegrees = 0.0174532925f;
// Calm effects: the sky's one colour, the snow's share of its speed, the open
// exit's slow turn and the largest the leaving burst grows.
constexpr float kCalmSky[3] = {20, 20, 40};
constexpr float kCalmSnow = 0.35f;
constexpr float kCalmTurn = 0.25f;
constexpr float kCalmBurst = 1.6f;

inline float wrapped_screen(float v, int world) {
    float r = std::fmod(v, static_cast<float>(world));
    return r < -200 ? r + world : r;
}

inline float rnd(int& seed, float lo, float hi) { return kp_random_Rnd2From(seed, lo, hi); }

}  // namespace

int c_MyApp::p_SkyDrift() {
    m_skyR -= (m_skyR - m_skyRTarget) / 40;
    m_skyG -= (m_skyG - m_skyGTarget) / 40;
    m_skyB -= (m_skyB - m_skyBTarget) / 40;
    float v = std::floor(rnd(m_roundSeed, 0, 40.99f));
    int k = static_cast<int>(std::floor(rnd(m_roundSeed, 0, 100.99f)));
    if (k == 1) m_skyRTarget = v;
    if (k == 2) m_skyGTarget = v;
    if (k == 3) m_skyBTarget = v;
    // Calm effects: the sky keeps one colour (its draws go on, as the round's sequence needs them).
    if (p_Calm()) p_CLS2D(kCalmSky[0], kCalmSky[1], kCalmSky[2], 1);
    else p_CLS2D(std::floor(2 * m_skyR), std::floor(2 * m_skyG), std::floor(2 * m_skyB), 1);
    return 0;
}

int c_MyApp::p_Backdrop() {
    p_SetSize(2, 2);
    p_SetRot(0);
    p_SetCol(255, 255, 255, 0.2f);
    for (int i = -1; i <= 1; ++i) {
        for (int j = -1; j <= 1; ++j) {
            float bx = std::fmod(std::floor(-0.7f * m_camX) + 512 * i, 1536.0f);
            if (bx < 0) bx += 1536;
            float by = std::fmod(std::floor(-0.7f * m_camY) + 512 * j, 1536.0f);
            if (by < 0) by += 1536;
            p_DrawImg(kImageMenu, bx - 512, by - 512, 0);
        }
    }
    return 0;
}

int c_MyApp::p_AddSnow() { return p_AddSnowFrom(kp_random_Seed); }

int c_MyApp::p_AddSnowFrom(int& seed) {
    p_SetSize(1, 1);
    p_SetRot(0);
    p_SetCol(255, 255, 255, 0.5f);
    m_blend = 1;
    const float w = kp_Glimmer_jscrw, h = kp_Glimmer_jscrh;
    const float pace = p_Calm() ? kCalmSnow : 1.0f;   // the same draws, slower flakes
    for (int k = 0; k < kSnowFlakes; ++k) {
        float* f = m_snow.Data() + 10 * k;
        f[1] += pace * (f[3] + rnd(seed, -0.2f, 0.2f)) + m_camStepX * f[7];
        f[2] += pace * (f[4] + rnd(seed, -0.3f, 0.3f)) + m_camStepY * f[7];
        f[5] += pace * (f[6] + rnd(seed, -2, 2));
        if (std::floor(rnd(seed, 0, 5000.99f)) == 1) f[3] = rnd(seed, -0.3f, 0.3f);
        if (std::floor(rnd(seed, 0, 5000.99f)) == 1) f[4] = rnd(seed, 0.1f, 1.2f);
        if (std::floor(rnd(seed, 0, 5000.99f)) == 1) f[6] = rnd(seed, -6, 6);
        if (f[1] < -8) f[1] += w + 16;
        if (f[1] > w + 8) f[1] -= w + 16;
        if (f[2] < -8) f[2] += h + 16;
        if (f[2] > h + 8) f[2] -= h + 16;
        p_SetRot(f[5]);
        p_DrawImg(kImageParts, f[1], f[2], static_cast<int>(f[0]));
    }
    // Each flake's angle is its own; what follows draws upright, and at the
    // snow's colour and alpha 0.5 until it sets its own.
    p_SetRot(0);
    return 0;
}

void c_MyApp::p_DrawTile(int x, int y, int cell) {
    const float z = m_zoom;
    const int tile = m_map.Get(cell);
    if (tile == kTileEmpty) return;
    // A round played without a picture (a search, a check of a replay) needs
    // only the exit's place on the screen, where the leaving hero goes.
    if (m_simulating && tile != kTileExit) return;
    const float sx = wrapped_screen(16 * z * x + z * (z + m_map.Get(cell + 1)) - m_camX, m_worldWidth);
    const float sy = wrapped_screen(16 * z * y + z * (m_map.Get(cell + 2) - z) - m_camY, m_worldHeight);
    if (sx < -kCull || sx > kp_Glimmer_jscrw + kCull || sy < -kCull || sy > kp_Glimmer_jscrh + kCull) return;

    if (tile == kTileExit) {
        if (m_playerState == kLeaving && x == m_playerX % m_mapWidth && y == m_playerY % m_mapHeight) {
            m_exitScreenX = sx - 2 * z;
            m_exitScreenY = sy;
        }
        p_DrawExitStar(sx - 2 * z, sy);
        return;
    }
    int frame = tile - 1;
    if ((m_flipCountPrev & 1) != 0) {
        if (tile == kTileFlipEven) frame = 9;
        if (tile == kTileFlipOdd) frame = 8;
    }
    const int timer = m_map.Get(cell + 9);
    if (tile == kTilePlunger && timer > 0) frame = 10 + timer / 120 + 1;
    if (tile >= 1 && tile <= 64) p_DrawImg(kImageTiles, sx, sy, frame);
    if (tile == kTileTreeLit) {
        p_Alpha(0.1f);
        for (float s : {2.2f, 1.8f, 1.4f}) {
            p_SetSize(s * z, s * z);
            p_DrawImg(kImageTiles, sx, sy, kGlowFrame);
        }
        p_Alpha(1);
        p_SetSize(z, z);
    }
}

void c_MyApp::p_DrawExitStar(float x, float y) {
    const float z = m_zoom;
    const int s = m_exitSpin;
    const bool open = m_lightsLeft == 0;
    const bool calm = p_Calm();
    float a1 = 1, b1 = 1, a2 = 1, b2 = 1, a3 = 1, b3 = 1;
    if (s > 0 && !calm) {
        a1 = 1 + 0.2f * std::sin(4 * s * kDegrees);
        b1 = 1 + 0.2f * std::cos(5 * s * kDegrees);
        a2 = 1 + 0.2f * std::sin(8 * s * kDegrees);
        b2 = 1 - 0.2f * std::cos(3 * s * kDegrees);
        a3 = 1 - 0.2f * std::sin(6 * s * kDegrees);
        b3 = 1 - 0.2f * std::cos(7 * s * kDegrees);
    }
    struct Copy {
        float r, g, b, alpha, size, sx, sy, turn;
    };
    const Copy copies[] = {
        {255, 255, 0, 0.7f, 0.8f, a1, b1, 4},
        {255, 125, 0, 0.6f, 0.7f, a2, b2, 3},
        {0, 125, 255, 0.6f, 0.6f, a3, b3, 2},
    };
    for (const Copy& c : copies) {
        p_SetCol(c.r, c.g, c.b, open ? 1.0f : c.alpha);
        p_SetSize(c.size * 0.3f * z * c.sx, c.size * 0.3f * z * c.sy);
        p_SetRot(s > 0 ? c.turn * s * (calm ? kCalmTurn : 1.0f) : 0);
        p_DrawImg(kImageStar, x, y, 0);
    }
    // The open exit is told by a shape too, not by its brightness alone: a ring round it.
    if (open) {
        p_SetCol(255, 255, 255, 0.9f);
        p_SetSize(0.3f * z, 0.3f * z);
        p_SetRot(0);
        p_DrawImg(kImageStar, x, y, kOpenRingFrame);
    }
    p_SetSize(z, z);
    p_SetCol(255, 255, 255, 1);
    p_SetRot(0);
}

void c_MyApp::p_DrawHero() {
    p_DrawGhost();
    const float z = m_zoom;
    float a = 1, b = 1;
    if (m_playerState == kLeaving && m_stateTimer < 13) b = std::max((m_stateTimer - 12) / 12.0f + 1, 0.05f);
    if (m_dropIn < 0) a = 1 - m_dropIn / 50;
    const float x = m_playerScreenX + z * m_facing;
    const float y = m_playerScreenY;
    const int frame = m_animCounter / 4;
    p_SetSize(z * m_facing * b, z * b * a);
    p_DrawImg(kImageHero, x, y + m_dropIn, frame);
    // Calm effects: he drops in alone, without the copies closing in round him.
    if (m_dropIn < 0 && !p_Calm()) {
        // Four copies close in on the start tile from above, below, left and right.
        p_DrawImg(kImageHero, x, y - m_dropIn, frame);
        p_SetSize(z * m_facing * b * a, z * b);
        p_DrawImg(kImageHero, x + m_dropIn, y, frame);
        p_DrawImg(kImageHero, x - m_dropIn, y, frame);
    }
    p_SetSize(z, z);
}

void c_MyApp::p_DrawExitBurst() {
    const float z = m_zoom;
    const int t = m_stateTimer;
    auto limit = [t](float f) {
        if (f < 1 && t > 50) f = 1;
        if (f < 0.05f && t < 80) f = 0.05f;
        if (f > 8) f = 8;
        return f;
    };
    const float most = p_Calm() ? kCalmBurst : 8.0f;
    const float f1 = std::min(limit(t < 25 ? t / 3.0f : (120 - t) * 0.25f), most);
    const float f2 = std::min(limit(t < 30 ? t / 2.5f : (115 - t) / 3.0f), most);
    const float f3 = std::min(limit(t < 35 ? t * 0.5f : (110 - t) * 0.5f), most);
    p_SetRot(0);
    p_Alpha(1);
    p_SetCol(255, 255, 0);
    p_SetSize(0.8f * 0.3f * z * f1);
    p_DrawImg(kImageStar, m_exitScreenX, m_exitScreenY, 0);
    p_SetCol(255, 125, 0);
    p_SetSize(0.7f * 0.3f * z * f2);
    p_DrawImg(kImageStar, m_exitScreenX, m_exitScreenY, 0);
    p_SetCol(0, 125, 255);
    p_SetSize(0.6f * 0.3f * z * f3);
    p_DrawImg(kImageStar, m_exitScreenX, m_exitScreenY, 0);
    p_SetSize(z, z);
    p_SetCol(255, 255, 255, 1);
    p_SetRot(0);
}
