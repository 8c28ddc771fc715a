// The main menu and the pause panel: on-screen buttons driven by the pointer
// and the game keys, each press taken once through the latches.
#include <cmath>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "input/input_device.h"

namespace {

constexpr int kFramePlay = 0;
constexpr int kFrameRound = 10;          // the round help and jump-controls buttons
constexpr int kFrameHighlight = 15;      // the menu's selection ring
constexpr int kTileLadderFrame = 2;      // the editor's button shows a tile of the game's own
constexpr int kDpadJumpLeft = 8;         // key-hint pictures: jump arcs and a gripping hand
constexpr int kDpadJumpRight = 9;
constexpr int kDpadHand = 10;



constexpr int kPauseSlide = 24;
constexpr int kMenuChoices = 7;          // play, help, jump scheme; then controls, options, records, my levels

// The sound switch after a toggle: 1 - value, and anything outside 0..1 becomes 0.
int ToggledSound(int value) {
    const int toggled = 1 - value;
    return (toggled < 0 || toggled > 1) ? 0 : toggled;
}
}  // namespace

int c_MyApp::p_Menu() {
    const float w = kp_Glimmer_jscrw;
    const float h = kp_Glimmer_jscrh;

    p_CLS2D(0.0f, 0.0f, 80.0f, 1.0f);
    if (m_menuSlide < 0) m_menuSlide += 1;
    const int s = m_menuSlide;
    const bool creditsOpen = m_creditsOpen == 1;

    // Backdrop and title.
    p_Alpha(0.7f);
    m_rot = 45.0f;
    p_SetSize(4.0f, 4.0f);
    p_DrawImg(kImageMenu, w / 2, h / 2, 1);
    p_Alpha(1.0f);
    p_SetRot(0.0f);
    p_SetSize(1.5f, 1.5f);
    p_DrawImg2(kImageLogo, w / 2, 12.0f * s + 90.0f);

    p_ResetDraw();
    p_AddSnow();

    // Sound switch, at the left edge in landscape and the top edge in portrait.
    p_SetSize(2.0f);
    p_SetCol(50.0f, 250.0f, 50.0f);
    const float soundX = m_landscape == 1 ? 4.0f * s + 32.0f : std::trunc(w / 2);
    const float soundY = m_landscape == 1 ? std::trunc(h / 2) : 4.0f * s + 32.0f;
    const int soundFrame = m_settings[kSettingSound] == 0 ? kIconSoundOff : kIconSoundOn;
    if (p_Button97(soundX, soundY, soundFrame) == 1 && m_clickLatch == 0) {
        m_settings[kSettingSound] = ToggledSound(m_settings[kSettingSound]);
        m_clickLatch = 1;
        if (m_settings[kSettingSound] == 1) p_PlaySFX(kSfxConfirm, 1.0f, kMenuVolume, 0.0f);
    }

    // Help switch.
    p_SetSize(2.0f);
    const float helpX = std::trunc(w * 0.35f);
    const float sideY = std::trunc(h - 64.0f - 10.0f * s);
    if (p_Button95(helpX, sideY, kFrameRound) == 1 && m_clickLatch == 0 && !creditsOpen) {
        m_clickLatch = 1;
        m_keyLatch = 1;
        m_gameType = 1;
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
        m_settings[kSettingHelpOff] += 1;
    }
    if (m_settings[kSettingHelpOff] < 0 || m_settings[kSettingHelpOff] > 1) m_settings[kSettingHelpOff] = 0;
    p_SetSize(4.0f);
    p_Text(helpX, sideY, String(" ?"), 1.0f, 1.0f);
    if (m_settings[kSettingHelpOff] == 1) p_Text(helpX, sideY, String(" /"), 1.0f, 1.0f);
    p_SetSize(1.5f);
    p_Text(helpX, sideY + 40.0f, String(m_settings[kSettingHelpOff] == 0 ? " Help On" : " Help Off"), 1.0f, 1.0f);
    if (m_menuSel == 1) {
        p_SetSize(2.0f);
        p_Alpha(0.75f);
        p_DrawImg(kImageButtons, helpX, sideY, kFrameHighlight);
    }

    // Jump-controls switch, with a hint of the keys the chosen scheme uses.
    p_SetSize(2.0f);
    p_SetCol(255.0f, 255.0f, 255.0f);
    const float jumpX = std::trunc(w * 0.65f);
    if (p_Button95(jumpX, sideY, kFrameRound) == 1 && m_clickLatch == 0 && !creditsOpen) {
        m_clickLatch = 1;
        m_keyLatch = 1;
        m_gameType = 1;
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
        m_settings[kSettingScheme] += 1;
    }
    if (m_settings[kSettingScheme] < 1 || m_settings[kSettingScheme] > 2) m_settings[kSettingScheme] = 1;
    const bool twoButtons = m_settings[kSettingScheme] == 2;
    // The caption keeps the colour of the key letters.
    p_DrawJumpHint(jumpX, sideY, twoButtons);
    p_SetSize(1.5f);
    p_Text(jumpX, sideY + 40.0f, String(twoButtons ? " 2-Button-Jump" : " 1-Button-Jump"), 1.0f, 1.0f);
    if (m_menuSel == 2) {
        p_SetSize(2.0f);
        p_Alpha(0.75f);
        p_DrawImg(kImageButtons, jumpX, sideY, kFrameHighlight);
    }

    // Play.
    p_SetSize(2.0f);
    p_SetCol(255.0f, 255.0f, 255.0f);
    const float playY = h * 0.6f - 8.0f * s;
    if (p_Button95(w / 2, playY, kFramePlay) == 1 && m_clickLatch == 0 && !creditsOpen) {
        m_screen = kScreenNewGame;
        m_clickLatch = 1;
        m_keyLatch = 1;
        m_gameType = 1;
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
    }
    if (m_menuSel == 0) {
        p_Alpha(0.75f);
        p_DrawImg(kImageButtons, w / 2, playY, kFrameHighlight);
    }

    p_ResetDraw();
    m_gameType = 1;

    // Keyboard and joystick: move the selection, then act on it.
    if ((p_PlayKey(kGameKeyUp) || p_PlayKey(kGameKeyLeft)) && m_menuSel >= 1 && m_keyLatch == 0 && !creditsOpen) {
        m_keyLatch = 1;
        m_menuSel -= 1;
        p_PlaySFX(kSfxConfirm, 0.8f, kMenuVolume, 0.0f);
    }
    if ((p_PlayKey(kGameKeyDown) || p_PlayKey(kGameKeyRight)) && m_menuSel < kMenuChoices - 1 && m_keyLatch == 0 &&
        !creditsOpen) {
        m_keyLatch = 1;
        m_menuSel += 1;
        p_PlaySFX(kSfxConfirm, 1.2f, kMenuVolume, 0.0f);
    }
    const bool actionKey =
        p_PlayKey(kGameKeyAction) || p_PlayKey(kGameKeyJump1) || p_PlayKey(kGameKeyJump2) || p_PlayKey(kGameKeyAction4);
    if (actionKey && m_keyLatch == 0 && !creditsOpen) {
        if (m_menuSel == 0) {
            m_screen = kScreenNewGame;
        } else if (m_menuSel == 1) {
            m_settings[kSettingHelpOff] += 1;
        } else if (m_menuSel == 2) {
            m_settings[kSettingScheme] += 1;
        } else if (p_MenuExtraAction()) {
            return 0;
        }
        m_keyLatch = 1;
        m_clickLatch = 1;
        p_PlaySFX(kSfxConfirm, 1.0f, kMenuVolume, 0.0f);
    }
    if (p_PlayKey(kGameKeyCredits) && m_keyLatch == 0 && !creditsOpen) {
        m_keyLatch = 1;
        p_PlaySFX(kSfxCredits, 1.0f, 1.0f, 0.0f);
        m_creditsOpen = 1;
    }

    // Records, in the top right corner: the trophy button or the R key.
    p_SetSize(1.5f);
    p_SetCol(255.0f, 220.0f, 90.0f);
    const bool recordsClicked = p_Button97(w - 32.0f, 32.0f + 4.0f * s, kIconTrophy) == 1 && m_clickLatch == 0;
    p_ResetDraw();
    p_SetSize(1.0f);
    p_Text(w - 32.0f, 60.0f + 4.0f * s, String(" Records"), 1.0f, 1.0f);
    if (!creditsOpen && (recordsClicked || (kp_input_KeyHit(kKeyR) > 0 && m_keyLatch == 0))) {
        m_clickLatch = 1;
        m_keyLatch = 1;
        m_screen = kScreenRecords;
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
    }

    // The player's levels and the editor, in the top left corner: the button or the E key.
    p_SetSize(0.75f);
    p_SetCol(255.0f, 255.0f, 255.0f);
    const float levelsX = 44.0f, levelsY = 32.0f + 4.0f * s;
    const bool levelsClicked = p_Button95(levelsX, levelsY, kFrameRound) == 1 && m_clickLatch == 0;
    p_SetSize(1.5f);
    p_DrawImg(kImageTiles, levelsX, levelsY, kTileLadderFrame);
    p_ResetDraw();
    p_SetSize(1.0f);
    p_Text(levelsX, 60.0f + 4.0f * s, String(" My levels"), 1.0f, 1.0f);
    if (!creditsOpen && (levelsClicked || (kp_input_KeyHit(kKeyE) > 0 && m_keyLatch == 0))) {
        m_clickLatch = 1;
        m_keyLatch = 1;
        m_screen = kScreenLevels;
        p_LoadPlayerLevels();
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
    }

    // Controls and Options under the Records button (options_screen.cpp).
    p_MenuExtras(static_cast<float>(s));

    // The studio logo opens the credits too.
    p_SetSize(0.5f);
    p_SetCol(255.0f, 255.0f, 255.0f);
    if (p_Button(kImageStudioLogo, w - 70.0f, h - 40.0f - 4.0f * s, 0) == 1 && m_clickLatch == 0 && !creditsOpen) {
        m_clickLatch = 1;
        p_PlaySFX(kSfxCredits, 1.0f, 1.0f, 0.0f);
        m_creditsOpen = 1;
    }
    return 0;
}

// The key hint on the jump-controls button: one row per control, each with
// its picture, its name and the key, dark on the button's light face.
void c_MyApp::p_DrawJumpHint(float x, float y, bool twoButtons) {
    struct Hint {
        int picture;
        const char* label;
        const char* key;
    };
    const Hint oneButton[] = {{kDpadJumpRight, "Jump", " X"}, {kDpadHand, "Hold", " Z"}};
    const Hint twoButton[] = {{kDpadJumpLeft, "Left\\nJump", " X"},
                              {kDpadJumpRight, "Right\\nJump", " C"},
                              {kDpadHand, "Hold", " Z"}};
    const Hint* hints = twoButtons ? twoButton : oneButton;
    const int count = twoButtons ? 3 : 2;
    const float rowStep = twoButtons ? 22.0f : 24.0f;
    for (int i = 0; i < count; ++i) {
        const float rowY = y + rowStep * (i - (count - 1) * 0.5f);
        const String label(hints[i].label);
        const bool twoLines = label.Contains(String("\\n"));
        p_SetSize(0.8f);
        p_SetCol(70.0f, 70.0f, 110.0f);
        p_DrawImg(kImageDpad, x - 38.0f, rowY, hints[i].picture);
        p_SetCol(40.0f, 40.0f, 70.0f);
        p_Text(x - 20.0f, twoLines ? rowY - 4.0f : rowY, label, 0.0f, 1.0f);
        p_SetSize(2.0f);
        p_SetCol(0.0f, 180.0f, 0.0f);
        p_Text(x + 24.0f, rowY, String(hints[i].key), 1.0f, 1.0f);
    }
}

int c_MyApp::p_PauseMenu() {
    const float w = kp_Glimmer_jscrw;
    const float h = kp_Glimmer_jscrh;

    // Dim the game in proportion to how far the panel has come in.
    p_SetSize(1.0f);
    p_SetRot(0.0f);
    p_SetCol(0.0f, 0.0f, 0.0f, std::fabs(static_cast<float>(m_pauseY)) / (h * 0.8f));
    p_Rect(0.0f, 0.0f, w, h);

    if (m_pauseDir == 1 && m_pauseY < h * 0.5f) m_pauseY += kPauseSlide;
    if (m_pauseDir == -1) {
        if (m_pauseY < -63) {
            m_pauseShown = 0;
        } else {
            m_pauseY -= kPauseSlide;
            if (m_pauseY < -32) m_pauseShown = 0;
        }
    }
    const float y = static_cast<float>(m_pauseY);
    const bool landscape = m_landscape == 1;

    p_ResetDraw();
    p_SetCol(255.0f, 255.0f, 10.0f, 0.6f);
    if (landscape) p_Rect(w / 2 - 128.0f, y - 64.0f, 256.0f, 8.0f);
    else p_Rect(w / 2 - 96.0f, y - 92.0f, 192.0f, 8.0f);
    p_SetCol(255.0f, 150.0f, 10.0f, 0.7f);
    if (landscape) p_Rect(w / 2 - 140.0f, y - 52.0f, 280.0f, 104.0f);
    else p_Rect(w / 2 - 128.0f, y - 80.0f, 256.0f, 160.0f);
    p_SetCol(10.0f, 150.0f, 255.0f, 0.6f);
    if (landscape) p_Rect(w / 2 - 128.0f, y + 56.0f, 256.0f, 8.0f);
    else p_Rect(w / 2 - 96.0f, y + 84.0f, 192.0f, 8.0f);
    // The buttons draw at the bottom strip's alpha.

    // The panel answers only while it is open: in its slide-out the round runs
    // and the keys are the hero's again. The key that closes it is the one the
    // round ignores until it is released (none for a click or the action key).
    if (m_pauseDir != 1) {
        p_ResetDraw();
        return 0;
    }
    const auto resume = [this](unsigned closingKey) {
        m_pauseShown = 1;
        m_pauseDir = -1;
        m_clickLatch = 1;
        m_staleKeys = closingKey;
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
    };
    const auto quit = [this]() {
        m_pauseShown = 0;
        m_pauseDir = -1;
        m_pauseY = -64;
        m_quitGame = 1;
        m_clickLatch = 1;
        p_PlaySFX(kSfxConfirm, 0.5f, kMenuVolume, 0.0f);
    };
    const auto toggleSound = [this]() {
        m_settings[kSettingSound] = ToggledSound(m_settings[kSettingSound]);
        if (m_settings[kSettingSound] == 1) p_PlaySFX(kSfxConfirm, 1.0f, kMenuVolume, 0.0f);
    };
    const auto highlight = [this](float hx, float hy) {
        p_SetSize(2.5f);
        p_SetCol(255.0f, 255.0f, 100.0f);
        p_DrawImg(kImageIcons, hx, hy, kIconHighlight);
    };

    // Resume, in the middle.
    p_SetSize(2.0f);
    p_SetCol(50.0f, 50.0f, 250.0f);
    if (p_Button97(w / 2, y, kIconResume) == 1 && m_clickLatch == 0) resume(0);
    if (m_pauseSel == 0) {
        highlight(w / 2, y);
        if (p_PlayKey(kGameKeyAction) && m_keyLatch == 0) {
            m_keyLatch = 1;
            resume(0);   // the action key is grip: holding on sets nothing off, so it is never withheld
        } else if ((p_PlayKey(kGameKeyUp) || p_PlayKey(kGameKeyLeft)) && m_keyLatch == 0) {
            m_keyLatch = 1;
            m_pauseSel = -1;
            p_PlaySFX(kSfxConfirm, 0.8f, kMenuVolume, 0.0f);
        } else if (p_PlayKey(kGameKeyRight) && m_keyLatch == 0) {
            m_keyLatch = 1;
            m_pauseSel = 1;
            p_PlaySFX(kSfxConfirm, 1.2f, kMenuVolume, 0.0f);
        }
    }

    // Quit, at the top left corner of the panel.
    const float quitX = landscape ? w / 2 - 140.0f : w / 2 - 96.0f;
    const float sideY = landscape ? y - 64.0f : y - 96.0f;
    p_SetSize(2.0f);
    p_SetCol(255.0f, 50.0f, 50.0f);
    if (p_Button97(quitX, sideY, kIconCross) == 1 && m_clickLatch == 0) quit();
    if (m_pauseSel == -1) {
        highlight(quitX, sideY);
        if (p_PlayKey(kGameKeyAction) && m_keyLatch == 0) {
            m_keyLatch = 1;
            quit();
        } else if ((p_PlayKey(kGameKeyRight) || p_PlayKey(kGameKeyDown)) && m_keyLatch == 0) {
            m_keyLatch = 1;
            m_pauseSel = 0;
            p_PlaySFX(kSfxConfirm, 0.8f, kMenuVolume, 0.0f);
        }
    }

    // Sound switch, at the top right corner of the panel.
    const float soundX = landscape ? w / 2 + 140.0f : w / 2 + 96.0f;
    p_SetSize(2.0f);
    p_SetCol(50.0f, 250.0f, 50.0f);
    const int soundFrame = m_settings[kSettingSound] == 0 ? kIconSoundOff : kIconSoundOn;
    if (p_Button97(soundX, sideY, soundFrame) == 1 && m_clickLatch == 0) {
        m_clickLatch = 1;
        toggleSound();
    }
    if (m_pauseSel == 1) {
        highlight(soundX, sideY);
        if (p_PlayKey(kGameKeyAction) && m_keyLatch == 0) {
            m_keyLatch = 1;
            toggleSound();
        } else if ((p_PlayKey(kGameKeyLeft) || p_PlayKey(kGameKeyDown)) && m_keyLatch == 0) {
            m_keyLatch = 1;
            m_pauseSel = 0;
            p_PlaySFX(kSfxConfirm, 0.8f, kMenuVolume, 0.0f);
        }
    }

    // Controls and Options at the bottom corners (options_screen.cpp).
    p_PauseExtras(y, landscape);

    // The pause key closes the panel in the round's key pass (p_TakePauseKey),
    // whatever else is held; a watched replay or the solver has no pause.
    p_ResetDraw();
    return 0;
}
