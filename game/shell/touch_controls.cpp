// The on-screen controls for playing by touch: a direction pad at the lower
// left, the grip and jump buttons at the lower right, feeding the virtual
// game keys (m_keys) exactly as the keyboard feeds the game keys. They are
// on while the player plays by touch (the input device's touch mode, which a
// key or a gamepad button ends) and only in a running, unpaused game.
//
// The layout is a pure function of the virtual screen and the display's
// density, and the keys a pure function of where the fingers are in this
// update, so several fingers work at once and a finger sliding from one
// button to another takes the press with it.
#include <algorithm>
#include <cmath>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "input/input_device.h"

namespace {
constexpr int kControlKeys[] = {kGameKeyUp, kGameKeyLeft, kGameKeyRight, kGameKeyDown, kGameKeyAction, kGameKeyJump1, kGameKeyJump2};
constexpr int kKeyHeld = 2;
constexpr int kKeyPressedOnce = 1;     // a tap already lifted: down for this update only

constexpr float kDesignButton = 48.0f;  // virtual pixels, the size on a desktop-sized screen
constexpr float kButtonMillimetres = 10.0f;  // thumb-sized (at least 9 mm) on the device's screen
constexpr float kTopBand = 40.0f;       // the pause button and the level caption stay free
constexpr float kPadDeadZone = 0.35f;   // of a button's size, around the pad's centre
constexpr float kDiagonal = 0.414f;     // tan 22.5 degrees: eight directions of equal angle
constexpr float kButtonReach = 0.8f;    // of a button's size: how far from its centre a finger presses it

constexpr float kPressedLift = 0.4f;    // a held control shows this much more opaque
constexpr int kFrameArrowUp = 0;        // then right, down, left
constexpr int kFrameJumpLeft = 8;
constexpr int kFrameJumpRight = 9;
constexpr int kFrameHand = 10;
constexpr int kFramePlainFace = 10;
constexpr float kFaceCell = 54.0f;      // the round face's diameter in its 64-pixel cell
constexpr float kPadCell = 26.0f;       // a key cap's width in its 32-pixel cell
constexpr float kSymbolScale = 0.7f;

struct TouchButton {
    int key;
    float x, y;
    int symbol;
};

struct Layout {
    float size;            // one button, virtual pixels
    float padX, padY;      // the pad's centre
    TouchButton buttons[3];
    int buttonCount;
};

// The player's size (percent) and side: left-handed puts the buttons at the
// left and the pad at the right, mirrored.
Layout MakeLayout(float w, float h, float scale, int jumpScheme, const PlayerSettings& player) {
    Layout l{};
    float perMillimetre = 0;
    if (KpGame::_game && scale > 0) perMillimetre = KpGame::_game->PixelsPerMillimetre() / scale;
    l.size = std::max(kDesignButton, kButtonMillimetres * perMillimetre) * player.touchSize / 100.0f;
    const float s = l.size;
    const float margin = 0.3f * s;
    l.padX = margin + 1.5f * s;
    l.padY = h - margin - 1.5f * s;
    if (jumpScheme == 2) {
        l.buttons[0] = {kGameKeyJump1, w - margin - 1.75f * s, h - margin - 1.6f * s, kFrameJumpLeft};
        l.buttons[1] = {kGameKeyJump2, w - margin - 0.5f * s, h - margin - 1.6f * s, kFrameJumpRight};
        l.buttons[2] = {kGameKeyAction, w - margin - 1.125f * s, h - margin - 0.5f * s, kFrameHand};
        l.buttonCount = 3;
    } else {
        l.buttons[0] = {kGameKeyJump1, w - margin - 0.5f * s, h - margin - 1.3f * s, kFrameJumpRight};
        l.buttons[1] = {kGameKeyAction, w - margin - 1.8f * s, h - margin - 0.6f * s, kFrameHand};
        l.buttonCount = 2;
    }
    if (player.leftHanded) {
        l.padX = w - l.padX;
        for (TouchButton& b : l.buttons) b.x = w - b.x;
    }
    return l;
}

bool OnPadSide(float x, float w, const PlayerSettings& player) { return player.leftHanded ? x >= 0.5f * w : x < 0.5f * w; }

bool ControlsActive(int screen, int pauseShown, int quitGame) {
    return kp_Glimmer_OnScreenControls == 1 && screen == kScreenPlaying && pauseShown == 0 && quitGame == 0;
}
}  // namespace

void c_MyApp::p_TouchControls() {
    kp_Glimmer_OnScreenControls = kp_input_TouchMode() ? 1 : 0;
    int pressed[kVirtualKeyCount] = {};
    if (ControlsActive(m_screen, m_pauseShown, m_quitGame)) {
        const Layout l = MakeLayout(kp_Glimmer_jscrw, kp_Glimmer_jscrh, m_scaleX, m_settings.Get(kSettingScheme),
                                    m_playerSettings);
        const float dead = kPadDeadZone * l.size;
        bool consumed = false;
        for (int n = 0; n < kTouchSlots; ++n) {
            if (m_touchDown[n] == 0 || m_touchY[n] < kTopBand) continue;
            const float x = static_cast<float>(m_touchX[n]);
            const float y = static_cast<float>(m_touchY[n]);
            // A finger already lifted (a tap shorter than an update) presses for this update only.
            const int value = kp_input_TouchDown(n) ? kKeyHeld : kKeyPressedOnce;
            if (OnPadSide(x, kp_Glimmer_jscrw, m_playerSettings)) {
                const float dx = x - l.padX, dy = y - l.padY;
                if (std::fabs(dx) > dead && std::fabs(dx) > kDiagonal * std::fabs(dy)) {
                    pressed[dx < 0 ? kGameKeyLeft : kGameKeyRight] = std::max(pressed[dx < 0 ? kGameKeyLeft : kGameKeyRight], value);
                }
                if (std::fabs(dy) > dead && std::fabs(dy) > kDiagonal * std::fabs(dx)) {
                    pressed[dy < 0 ? kGameKeyUp : kGameKeyDown] = std::max(pressed[dy < 0 ? kGameKeyUp : kGameKeyDown], value);
                }
            } else {
                // The nearest button within reach: between two buttons the press follows the finger.
                const TouchButton* nearest = nullptr;
                float best = kButtonReach * l.size;
                for (int b = 0; b < l.buttonCount; ++b) {
                    const float d = std::hypot(x - l.buttons[b].x, y - l.buttons[b].y);
                    if (d < best) {
                        best = d;
                        nearest = &l.buttons[b];
                    }
                }
                if (nearest) pressed[nearest->key] = std::max(pressed[nearest->key], value);
            }
            // A finger on the controls is no pointer for the game's own buttons.
            m_touchDown[n] = 0;
            m_touchX[n] = static_cast<int>(NO_VALUE);
            m_touchY[n] = static_cast<int>(NO_VALUE);
            consumed = true;
        }
        if (consumed) {
            m_pointerDown = 0;
            for (int n = 0; n < kTouchSlots; ++n) m_pointerDown = m_pointerDown || m_touchDown[n] != 0;
        }
    }
    for (int key : kControlKeys) m_keys[key] = pressed[key];
}

void c_MyApp::p_DrawTouchControls() {
    if (!ControlsActive(m_screen, m_pauseShown, m_quitGame)) return;
    const Layout l = MakeLayout(kp_Glimmer_jscrw, kp_Glimmer_jscrh, m_scaleX, m_settings.Get(kSettingScheme),
                                m_playerSettings);
    // The player's opacity while idle; brighter while held.
    const float idle = m_playerSettings.touchOpacity / 100.0f;
    const float held = std::min(1.0f, idle + kPressedLift);
    p_ResetDraw();
    // The pad: an arrow key cap on each arm (up, right, down, left), brighter while held.
    constexpr int kArms[] = {kGameKeyUp, kGameKeyRight, kGameKeyDown, kGameKeyLeft};
    constexpr float kArmX[] = {0, 1, 0, -1}, kArmY[] = {-1, 0, 1, 0};
    p_SetSize(l.size / kPadCell);
    for (int arm = 0; arm < 4; ++arm) {
        p_Alpha(m_keys[kArms[arm]] != 0 ? held : idle);
        p_DrawImg(kImageDpad, l.padX + kArmX[arm] * l.size, l.padY + kArmY[arm] * l.size, kFrameArrowUp + arm);
    }
    for (int b = 0; b < l.buttonCount; ++b) {
        const TouchButton& button = l.buttons[b];
        p_Alpha(m_keys[button.key] != 0 ? held : idle);
        p_SetSize(l.size / kFaceCell);
        p_DrawImg(kImageButtons, button.x, button.y, kFramePlainFace);
        p_SetSize(kSymbolScale * l.size / kPadCell);
        p_DrawImg(kImageDpad, button.x, button.y, button.symbol);
    }
    p_ResetDraw();
}
