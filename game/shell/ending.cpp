// The Christmas ending shown after the last level.
#include <cmath>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "runtime/random.h"

namespace {

constexpr int kPromoTimer = 320;
constexpr int kPoseMillis = 750;

// Pairs of lines about the studio's other games, shown in turn.
const char* const kPromotions[5][2] = {
    {" More Pipkin fun in", " Pipkin's Frosty Forest"},
    {" Why not try...", " Sledge Rush"},
    {" Dodge more spikes with", " Icicle Alley"},
    {" Hollyhop Games'", " Lantern Lane"},
    {" Coming soon from us:", " Reindeer Relay"},
};

}  // namespace

int c_MyApp::p_XmasGameOver() {
    const float w = kp_Glimmer_jscrw, h = kp_Glimmer_jscrh;
    m_drawCount = 0;
    p_SetCol(255, 255, 255);
    m_blend = 1;

    p_SetSize(4, 4);
    p_Alpha(0.5f);
    p_SetRot(-45);
    p_DrawImg(kImageMenu, 0.5f * w, 0.5f * h, 1);
    p_SetRot(0);

    // The pose changes every 750 ms: the seed comes from the clock.
    kp_random_Seed = kp_app_Millisecs() / kPoseMillis;
    for (int i = 0; i < 10; ++i) kp_random_Rnd();
    int pose = static_cast<int>(std::floor(kp_random_Rnd2(0, 20.99f)));
    if (pose == 7) pose = static_cast<int>(std::floor(kp_random_Rnd2(0, 6.99f)));
    p_Alpha(1);
    p_SetSize(4, 4);
    p_DrawImg(kImageHero, 32, 0.5f * h, pose);
    p_SetSize(-4, 4);
    p_DrawImg(kImageHero, w - 32, 0.5f * h, pose);

    m_endingTimer -= 1;
    if (m_endingTimer < 0) {
        m_endingTimer = kPromoTimer;
        m_endingPromo += 1;
        if (m_endingPromo > 4) m_endingPromo = 0;
    }

    p_SetSize(4, 4);
    p_SetCol(255, 255, 255);
    p_Text(0.5f * w, 0.5f * h, String(" MERRY CHRISTMAS!"), 1.0f, 1.0f);

    // The promotion pair slides in from the right and out to the left.
    const float middle = std::floor(0.5f * w);
    float px = middle;
    if (m_endingTimer >= 291) px = middle + 24 * m_endingTimer - 6960;
    if (m_endingTimer <= 29) px = middle - 720 + 24 * m_endingTimer;
    const int promo = m_endingPromo >= 0 && m_endingPromo < 5 ? m_endingPromo : 0;
    p_SetSize(2, 2);
    p_SetCol(100, 255, 100);
    p_Text(px, 0.5f * h + 30, String(kPromotions[promo][0]), 1.0f, 1.0f);
    p_Text(px, 0.5f * h + 48, String(kPromotions[promo][1]), 1.0f, 1.0f);

    p_SetSize(3, 3);
    p_SetCol(255, 255, 0);
    p_Text(0.5f * w, 0.25f * h, String(" CONGRATULATIONS"), 1.0f, 1.0f);
    p_SetSize(1.5f, 1.5f);
    p_SetCol(255, 125, 0);
    p_Text(0.5f * w, 0.25f * h + 32, String(" You turned on all the lights"), 1.0f, 1.0f);
    p_SetCol(80, 180, 255);
    p_Text(0.5f * w, 0.75f * h, String(" Pipkin will return"), 1.0f, 1.0f);
    p_Text(0.5f * w, 0.75f * h + 14, String(" in Glimmer-2014"), 1.0f, 1.0f);
    p_Text(0.5f * w, 0.75f * h + 28, String(" with a bigger and badder adventure!"), 1.0f, 1.0f);

    p_SetSize(1, 1);
    p_SetCol(255, 255, 255, 1);
    m_camStepX = 0;
    m_camStepY = 0;
    p_AddSnow();

    // Any action key, or a tap or click anywhere, goes back to the menu.
    const bool action = p_PlayKey(10) || p_PlayKey(11) || p_PlayKey(12) || p_PlayKey(13) || m_pointerDown != 0;
    if (action && m_clickLatch == 0 && m_keyLatch == 0) {
        m_screen = kScreenBackToMenu;
        m_keyLatch = 1;
        m_clickLatch = 1;
    }
    return 0;
}
