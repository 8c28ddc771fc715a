// The credits box opened from the title menu: a grid of cells that assembles
// from the edges as the box slides in, and a ticker of the credit lines.
#include <algorithm>
#include <cmath>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"

namespace {

constexpr int kSlideFull = 30;
constexpr int kTickerLines = 38;   // the lines before the closing "End"

}  // namespace

int c_MyApp::p_CreditBox() {
    const float w = kp_Glimmer_jscrw, h = kp_Glimmer_jscrh;
    const int slide = m_creditsSlide;
    const float alpha = slide / static_cast<float>(kSlideFull);

    // The grid of square cells, centred, displaced outwards while it slides in.
    const float c = std::max(w / 12, std::floor(h / 12));
    const int cols = static_cast<int>(std::lround(w / c)) + 1;
    const int rows = static_cast<int>(std::lround(h / c)) + 1;
    const float side = slide < 20 ? (slide / 20.0f) * c : c;
    p_ResetDraw();
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < cols; ++i) {
            const float dx = i - (cols - 1) * 0.5f;
            const float dy = j - (rows - 1) * 0.5f;
            const float cx = 0.5f * w + dx * c + dx * (kSlideFull - slide);
            const float cy = 0.5f * h + dy * c + dy * (kSlideFull - slide);
            const bool outer = i == 0 || j == 0 || i == cols - 1 || j == rows - 1;
            const bool edge = !outer && (i == 1 || j == 1 || i == cols - 2 || j == rows - 2);
            if (outer) {
                p_SetCol(0, 0, 0, alpha);
            } else if (edge) {
                // Warm-to-cold ramp around the frame.
                float t = (i + j) / static_cast<float>(cols + rows);
                p_SetCol(200 + 55 * t, 60 + 120 * t, 40 + 200 * (1 - t), alpha);
            } else {
                p_SetCol(255, 255, 255, alpha);
            }
            p_Rect(cx - side * 0.5f, cy - side * 0.5f, side + 1, side + 1);
            if (!outer && !edge) {
                p_SetCol(128, 128, 128, alpha * 0.35f);
                p_Rect(cx - side * 0.4f, cy - side * 0.4f, side * 0.8f, side * 0.8f);
            }
        }
    }

    // Decorations: the studio mark, the test card and a play button, with baubles.
    const float drop = 24.0f * (kSlideFull - slide);
    p_SetCol(255, 255, 255, alpha);
    p_SetSize(0.5f);
    p_DrawImg(kImageStudioLogo, 0.25f * w, 0.35f * h - drop, 0);
    p_SetSize(0.3f);
    p_DrawImg(kImageTestcard, 0.25f * w, 0.7f * h + drop, 0);
    p_SetSize(1);
    p_DrawImg(kImageButtons, 0.25f * w + 70, 0.7f * h + drop, 0);
    const float baubles[3][3] = {{255, 60, 60}, {60, 200, 90}, {255, 210, 60}};
    for (int k = 0; k < 3; ++k) {
        p_SetCol(baubles[k][0], baubles[k][1], baubles[k][2], alpha);
        p_Oval(0.25f * w - 40 + 40 * k, 0.52f * h - drop, 8, 8);
    }

    // The ticker: eight lines scrolling up, fading towards its top and bottom.
    m_creditsScroll -= 0.3f;
    if (m_creditsScroll < -16) {
        m_creditsScroll += 16;
        m_creditsLine += 1;
    }
    p_SetSize(1.25f);
    for (int k = -3; k <= 4; ++k) {
        int index = (m_creditsLine + k) % kTickerLines;
        if (index < 0) index += kTickerLines;
        float fade = std::fabs((m_creditsScroll + 16 * k) / 40) - 0.3f;
        fade = std::min(std::max(fade, 0.0f), 1.0f);
        p_SetCol(30, 40, 90, (1 - fade) * alpha);
        const float y = 0.5f * h - 24 * (kSlideFull - slide) + 16 * k + m_creditsScroll;
        p_Text(0.5f * w + 24, y, kp_Glimmer_CreditText.Get(index), 0.0f, 1.0f);
    }
    p_ResetDraw();

    if (m_pointerDown != 0 && m_clickLatch == 0) {
        m_clickLatch = 1;
        m_creditsOpen = 0;
        p_PlaySFX2(kSfxCredits, 1.0f);
    } else if ((p_PlayKey(15) || p_PlayKey(10) || p_PlayKey(11)) && m_keyLatch == 0) {
        m_keyLatch = 1;
        m_creditsOpen = 0;
        p_PlaySFX2(kSfxCredits, 1.0f);
    }
    return 0;
}
