// The game round: one update of a level in play, the level exit sequence,
// pausing, the game-over overlay and the highscore rank text.
#include <algorithm>
#include <cmath>

#include "game/music/sg_player.h"
#include "game/shell/globals.h"
#include "game/shell/my_app.h"

namespace {

constexpr int kLastLevel = 15;
constexpr int kEndingTimer = 320;
constexpr int kSfxBurst = 24;
constexpr int kSfxConfirm = 98;
constexpr int kKeyPause = 99;
constexpr int kGameOverUpdates = 90;
constexpr int kLeaving = 10;

const char* const kRankTexts[] = {"1st!", "2nd", "3rd", "4th", "5th", "6th", "7th", "8th", "9th", "10th"};

}  // namespace

int c_MyApp::p_Game() {
    p_SkyDrift();
    p_ResetDraw();
    m_drawCount = 0;

    // The camera glides a sixth of the way to its target, then re-aims at the hero.
    m_zoom = 2.0f;
    m_camStepX = (m_camX - m_camTargetX) / 6;
    m_camStepY = (m_camY - m_camTargetY) / 6;
    m_camX -= m_camStepX;
    m_camY -= m_camStepY;
    m_camTargetX = 32 * m_playerX + 2 * m_playerSubX - 0.5f * kp_Glimmer_jscrw;
    m_camTargetY = 32 * m_playerY + 2 * m_playerSubY - 0.55f * kp_Glimmer_jscrh;
    m_worldWidth = m_mapWidth * 16 * 2;
    m_worldHeight = m_mapHeight * 16 * 2;

    p_AddSnow();
    p_Backdrop();

    p_Player();
    p_Background();
    p_Objects();
    if (m_settings.Get(3) == 0) p_TutorialStuff();

    if (m_playerState == kLeaving) {
        m_animCounter = 64;
        m_tutStep = 0;
        m_tutShown = 0;
        m_stateTimer -= 1;
        if (m_stateTimer == 22) p_PlaySFX(kSfxBurst, 1.0f, 1.0f, 0);
        if (m_stateTimer < 0) {
            m_stateTimer = 0;
            m_playerState = 0;
            m_level += 1;
            if (m_level <= kLastLevel) {
                p_GetLevel(m_level);
            } else {
                m_screen = kScreenEnding;
                m_endingTimer = kEndingTimer;
                m_keyLatch = 1;
                m_clickLatch = 1;
            }
        }
    }

    p_SetCol(100, 255, 100, 0.8f);
    p_SetSize(1.5f, 1.5f);
    p_SetRot(0);
    int shown = std::min(m_level, kLastLevel);
    p_Text(kp_Glimmer_jscrw - 8, 20, String(" Level ") + String(shown) + String("/15"), 2.0f, 1.0f);
    return 0;
}

int c_MyApp::p_InGame() {
    p_ResetDraw();
    m_menuSlide = -32;
    if (p_PlayKey(kKeyPause) && m_pauseShown == 0 && m_keyLatch == 0) {
        m_keyLatch = 1;
        m_pauseShown = 1;
        m_pauseDir = 1;
        m_pauseSel = 0;
        p_PlaySFX(kSfxConfirm, 1.0f, 0.5f, 0);
    }
    // The on-screen pause button in the top-left corner (icon frame 2).
    if (p_Button97(16, 16, 2) != 0 && m_pauseShown == 0) {
        m_pauseShown = 1;
        m_pauseDir = 1;
        m_clickLatch = 1;
        m_pauseSel = 0;
        p_PlaySFX(kSfxConfirm, 1.0f, 0.5f, 0);
    }
    if (m_pauseShown == 1) p_PauseMenu();
    return 0;
}

int c_MyApp::p_GameOver() {
    const int t = m_gameOverTimer;
    const float w = kp_Glimmer_jscrw, h = kp_Glimmer_jscrh;
    if (t > 0) {
        p_SetCol(0, 0, 0, std::min(t / 40.0f, 0.7f));
        p_Rect(-1, -1, w + 2, h + 2);
        const int bar = static_cast<int>(std::min(12.0f * t, 0.45f * h));
        p_SetSize(1, 1);
        p_SetRot(0);
        m_blend = 1;
        p_Alpha(0.5f);
        p_SetCol(255, 255, 0);
        p_Rect(-1, 0.45f * h - 8, 2.0f * bar, 16);
        p_SetCol(255, 128, 0);
        p_Rect(w - 2.0f * bar, 0.55f * h - 8, 2.0f * bar + 1, 16);
        p_SetSize(4, 4);
        p_SetCol(255, 180, 180, 1);
        p_Text(0.35f * w, static_cast<float>(bar), String("GAME"), 1.0f, 1.0f);
        p_Text(0.65f * w, h - bar, String("OVER"), 1.0f, 1.0f);
        String rankText = p_MyNth();
        if (m_rank > 0) {
            p_SetSize(1, 1);
            p_SetCol(0, 125, 255, 0.5f);
            p_Rect(0.35f * w, h - bar / 1.5f - 16, 0.3f * w, 32);
            p_SetSize(2, 2);
            p_SetCol(100, 255, 100, 1);
            p_Text(0.5f * w, h - bar / 1.5f, String("New Highscore\\n           ") + rankText, 0.5f, 2.0f);
        }
    }
    if (m_screen == kScreenPlaying) {
        m_gameOverTimer += 1;
        if (m_gameOverTimer == kGameOverUpdates) {
            m_screen = kScreenBackToMenu;
            m_gameOverTimer = 75;
            m_music->p_SG_Stop(1);
            if (kp_Glimmer_HasMusic == 1) m_music->p_SG_Stop(1);
        }
    }
    if (m_screen <= 9) m_gameOverTimer = std::max(m_gameOverTimer - 2, 0);
    return 0;
}

String c_MyApp::p_MyNth() {
    const int base = (m_gameType - 1) * 10;
    m_rank = 0;
    for (int i = 0; i < 10; ++i) {
        int at = base + i;
        if (at < 0 || at >= m_hiScores.Length()) break;
        if (m_score >= m_hiScores.Get(at)) {
            m_rank = i + 1;
            return String(kRankTexts[i]);
        }
    }
    return String();
}
