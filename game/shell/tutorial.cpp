// The tutorial: a speech bubble beside the hero that talks the player
// through levels 1 to 3, one step at a time.
#include <cstdlib>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"

namespace {

constexpr float kBubbleOpen = 2.5f;
constexpr float kBubbleStep = 0.4f;

struct Lines {
    const char* line[4];
};

}  // namespace

int c_MyApp::p_TutorialStuff() {
    const int x = m_playerX, y = m_playerY;
    const int n = m_lightsCounting;
    const bool twoButton = m_settings.Get(1) == 2;
    auto near = [&](int a, int b) { return std::abs(x - a) < 2 && std::abs(y - b) < 2; };
    auto show = [&](int step, int delay, const Lines& lines) {
        m_tutStep = step;
        m_tutDelay = delay;
        m_tutShown = 0;
        for (int i = 0; i < 4; ++i) m_tutLines[i] = String(lines.line[i]);
    };
    auto close = [&](int step) {
        m_tutStep = step;
        m_tutShown = 0;
    };

    if (m_tutStep == 0) m_tutShown = 0;
    bool opened = false;
    if (m_tutDelay > 0) {
        m_tutDelay -= 1;
        if (m_tutDelay == 1) {
            m_tutShown = 1;
            opened = true;
        }
    }
    if (!opened) {
        if (m_level == 1) {
            if (m_tutStep == 0) show(1, 120, {{"Merry Xmas, Pipkin", "-=-=-", "Switch on the Tree", "Simply walk up to it"}});
            if (m_tutStep == 1 && n == 0) show(2, 120, {{"It's so easy!", "", "Now just leave", "the level."}});
        } else if (m_level == 2) {
            if (m_tutStep == 0) show(1, 120, {{"Switch on all", "the Xmas lights", "to open up", "the exit."}});
            if (m_tutStep == 1 && n < 3) show(2, 45, {{"The up and down", "controls allow you", "to use the ladders.", ""}});
            if (m_tutStep == 2 && near(24, 53)) {
                if (twoButton) {
                    show(3, 45, {{"", "Tap Left-Jump", "to jump left!", ""}});
                } else {
                    show(3, 45, {{"", "Tap the jump button", "to jump onto the block", ""}});
                }
            }
            if (m_tutStep == 3 && near(18, 52)) {
                if (twoButton) {
                    show(4, 45, {{"Light up the tree,", "then tap Right-Jump", "to hop up onto", "the right area"}});
                } else {
                    show(4, 45, {{"Light the tree", "on the left,", "then hop up onto", "the right area"}});
                }
            }
            if (m_tutStep == 4 && near(23, 49)) show(5, 45, {{"Avoid the spikes", "(Jump!)", "and switch on", "the final tree"}});
            if (m_tutStep == 5 && n == 0) show(6, 45, {{"", "And now head back", "to the exit", ""}});
        } else if (m_level == 3) {
            if (m_tutStep == 0 && near(39, 26)) {
                show(1, 45, {{"Hop onto the block", "Hold the Hold button", "then leap up to", "grab onto the bar"}});
            }
            if (m_tutStep == 1 && y == 24 && p_RoundKey(m_gripButton) && n > 2) {
                show(2, 15, {{"", "Now tap up to climb", "up onto the bar.", ""}});
            }
            if (m_tutStep == 2 && y == 23 && n < 3) show(3, 15, {{"To climb back down,", "Hold the Hold button", "and tap down.", ""}});
            if (m_tutStep == 3 && y == 24 && n < 3) {
                show(4, 15, {{"Hold onto the red bar", "and shuffle across to", "the other side,", "avoiding the spikes."}});
            }
            if (m_tutStep == 4 && x > 46) close(5);
            if (m_tutStep == 5 && std::abs(x - 52) < 3 && std::abs(y - 30) < 2) {
                show(6, 45, {{"Plungers will flip", "certain blocks for", "a limited time so", "you can run over them"}});
            }
            if (m_tutStep == 6 && x <= 44 && y >= 30) close(7);
        }
    }

    if (m_tutShown == 1) {
        m_tutScale += kBubbleStep;
        if (m_tutScale > kBubbleOpen) m_tutScale = kBubbleOpen;
    } else {
        m_tutScale -= kBubbleStep;
        if (m_tutScale < 0) m_tutScale = 0;
    }

    // The bubble floats on the side the hero faces away from.
    const float s = m_tutScale;
    float lift = 48;
    if (kp_Glimmer_jscrh < 400) lift = 40;
    if (kp_Glimmer_jscrh < 350) lift = 32;
    const float targetX = m_playerScreenX - 64 * s * m_facing;
    const float targetY = m_playerScreenY - lift * s;
    m_tutX = static_cast<int>(m_tutX + (targetX - m_tutX) / 12);
    m_tutY = static_cast<int>(m_tutY + (targetY - m_tutY) / 12);

    if (s > 0) {
        p_SetRot(0);
        p_SetCol(255, 255, 255);
        m_blend = 1;
        p_SetSize(s);
        p_Alpha(0.8f);
        p_DrawImg(kImageBubble, static_cast<float>(m_tutX), static_cast<float>(m_tutY), 0);
        p_Alpha(1);
        p_SetSize(0.75f * s);
        const float offsets[4] = {-19, -6, 6, 19};
        for (int i = 0; i < 4; ++i) {
            p_Text(static_cast<float>(m_tutX), m_tutY + offsets[i] * s, String(" ") + m_tutLines.Get(i), 1.0f, 1.0f);
        }
    }
    return 0;
}
