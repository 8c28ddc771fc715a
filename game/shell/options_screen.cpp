// The player's settings and the Options screen: the assists (grip toggled,
// game speed), calmer effects, the volumes and the music, the on-screen
// controls' size, opacity and side, and the way to the Controls screen.
// Both screens open from the main menu and from the pause panel; a game
// opened from waits under them, paused, and comes back paused.
//
// The settings live in their own file beside the save (settings_file.h),
// written at each change; a damaged one is reset to the defaults and said so.
#include <algorithm>
#include <cmath>

#include "framework/app.h"
#include "game/music/sg_player.h"
#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "game/shell/song.h"
#include "input/input_device.h"
#include "runtime/errors.h"

namespace {

constexpr const char* kSettingsFile = ".zephyrsettings";
constexpr int kMusicBaseChannel = 32;   // the song's tracks play on channels 31 down to 27, above the effects
constexpr int kFrameArrowRight = 1;
constexpr int kFrameArrowLeft = 3;
constexpr int kIconOptions = 16;
constexpr int kIconControls = 17;
constexpr float kLabelGap = 40;
constexpr float kArrowCell = 32;        // the arrow key cap's cell
constexpr float kLevelsButtonX = 44;    // the main menu's My levels button (menus.cpp)         // between a row's label, which takes a click, and its left arrow

// Main-menu choices after play, help and the jump scheme (menus.cpp's 0..2).
enum MenuChoice { kMenuControls = 3, kMenuOptions = 4, kMenuRecords = 5, kMenuLevels = 6 };
// Pause-panel choices after quit, resume and sound (menus.cpp's -1..1).
enum PauseChoice { kPauseControls = 2, kPauseOptions = 3 };

// A row of the Options screen: the Controls screen, or a setting of the file.
struct OptionRow {
    const char* label;
    const char* setting;     // the file's name of the setting; null: the Controls screen
    const char* off;         // a switch's words; a number is shown in percent
    const char* on;
    const char* note;        // said under the rows while the row is chosen
};
const OptionRow kRows[] = {
    {"Controls", nullptr, nullptr, nullptr, "Keys and gamepad buttons for every action"},
    {"Grip", "grip-mode", "Held", "Toggled", "Toggled: one press grips, the next lets go"},
    {"Game speed", "speed", nullptr, nullptr, "An assist: slower runs are kept as records of their own"},
    {"Calm effects", "calm", "Off", "On", "Calms the flashing and fast-pulsing effects"},
    {"Effects volume", "effects-volume", nullptr, nullptr, ""},
    {"Music", "music", "Off", "On", "The Christmas song, while sound is on"},
    {"Music volume", "music-volume", nullptr, nullptr, ""},
    {"Touch controls size", "touch-size", nullptr, nullptr, "The on-screen pad and buttons when playing by touch"},
    {"Touch controls opacity", "touch-opacity", nullptr, nullptr, "The on-screen pad and buttons when playing by touch"},
    {"Touch layout", "touch-hand", "Right hand", "Left hand", "Left-handed: the buttons at the left, the pad at the right"},
};
constexpr int kRowCount = static_cast<int>(std::size(kRows));

// Where the rows are drawn on a screen of w x h.
struct OptionsLayout {
    float size, left, valueX, arrowOffset, top, step;
};
OptionsLayout LayoutFor(float w, float h) {
    OptionsLayout l{};
    l.size = w < 560 ? 1.0f : 1.5f;
    l.left = std::max(16.0f, w / 2 - 280);
    l.valueX = std::min(w - 104, w / 2 + 170);
    l.arrowOffset = l.size < 1.5f ? 62.0f : 86.0f;
    l.top = 80;
    l.step = std::min(30.0f, (h - l.top - 70) / (kRowCount - 1));
    return l;
}

std::string ValueText(const OptionRow& row, const PlayerSettings& settings) {
    if (!row.setting) return "Open";
    const SettingChoice* choice = kp_settings_Choice(row.setting);
    const int value = choice->Get(settings);
    if (row.off) return value != 0 ? row.on : row.off;
    return std::to_string(value) + " %";
}

}  // namespace

// ---- The settings file ----

void c_MyApp::p_LoadPlayerSettings() {
    kp_app_RemoveStaleTempsBeside(kSettingsFile);
    const bool calm = KpGame::_game && KpGame::_game->PrefersReducedMotion();
    m_playerSettings = kp_settings_Defaults(calm);
    std::vector<unsigned char> bytes;
    if (kp_app_LoadBeside(kSettingsFile, &bytes)) {
        if (kp_settings_Decode(std::string(bytes.begin(), bytes.end()), calm, &m_playerSettings)) {
            kpPrint(String("Player Settings Loaded"));
        } else {
            kpPrint(String("Player Settings Invalid: damaged or not a settings file, reset"));
            p_SavePlayerSettings();
        }
    }
    p_ApplyPlayerSettings();
}

void c_MyApp::p_SavePlayerSettings() {
    const std::string text = kp_settings_Encode(m_playerSettings);
    kp_app_SaveBeside(kSettingsFile, std::vector<unsigned char>(text.begin(), text.end()));
}

// The music chosen: the song is set up the first time (the generator then
// loads it over the next frames); its volume follows the setting. A program
// that set the generator up itself (the music tool) keeps its own song.
void c_MyApp::p_ApplyPlayerSettings() {
    if (m_playerSettings.music && kp_Glimmer_HasMusic == 0) {
        kp_Glimmer_HasMusic = 1;
        m_musicChosen = true;
        m_music->p_SG_Init(kMusicBaseChannel, 4, 3, 3, 4);
        kp_Glimmer_ConfigureSong(m_music, 0);
    }
    if (m_musicChosen) m_music->m_masterVolume = kSongVolume * m_playerSettings.musicVolume / 100.0f;
}

// ---- Ways in and out ----

void c_MyApp::p_OpenSettingsScreen(int screen) {
    if (screen == kScreenControls) {
        m_controlsReturn = m_screen;
        m_controlsRow = m_controlsColumn = 0;
        m_bindWaiting = 0;
    } else {
        m_settingsReturn = m_screen;
        m_optionsSel = 0;
    }
    m_screen = screen;
    m_keyLatch = m_clickLatch = 1;
    p_PlaySFX2(kSfxConfirm, kMenuVolume);
}

void c_MyApp::p_LeaveSettingsScreen() {
    m_screen = m_screen == kScreenControls ? m_controlsReturn : m_settingsReturn;
    m_keyLatch = m_clickLatch = 1;
    // Back to a paused game: the back key that left (also a pause key) is
    // held, not pressed, so the panel stays until a fresh press.
    if (m_screen == kScreenPlaying) m_pauseKeyHeld = true;
    p_PlaySFX2(kSfxConfirm, kMenuVolume);
}

bool c_MyApp::p_GameUnderSettings() {
    if (m_screen == kScreenOptions) return m_settingsReturn == kScreenPlaying;
    if (m_screen == kScreenControls) {
        return m_controlsReturn == kScreenPlaying ||
               (m_controlsReturn == kScreenOptions && m_settingsReturn == kScreenPlaying);
    }
    return false;
}

// The main menu's Controls and Options buttons under its Records button at
// the top right, and the highlight of the keyboard's choice there and on My
// levels at the top left, so that a gamepad reaches every screen.
void c_MyApp::p_MenuExtras(float slide) {
    const float w = kp_Glimmer_jscrw;
    struct Extra {
        int choice, icon, screen;
        float x, y;
        const char* caption;
    };
    const Extra extras[] = {
        {kMenuControls, kIconControls, kScreenControls, w - 32, 96 + 4 * slide, " Controls"},
        {kMenuOptions, kIconOptions, kScreenOptions, w - 32, 160 + 4 * slide, " Options"},
    };
    const bool creditsOpen = m_creditsOpen == 1;
    for (const Extra& e : extras) {
        p_SetSize(1.5f);
        p_SetCol(150, 220, 255);
        const bool hit = p_Button(kImageIcons, e.x, e.y, e.icon) == 1 && m_clickLatch == 0 && !creditsOpen;
        p_ResetDraw();
        p_Text(e.x, e.y + 28, String(e.caption), 1.0f, 1.0f);
        if (m_menuSel == e.choice) {
            p_SetSize(1.9f);
            p_SetCol(255, 255, 100);
            p_DrawImg(kImageIcons, e.x, e.y, kIconHighlight);
        }
        if (hit) p_OpenSettingsScreen(e.screen);
    }
    if (m_menuSel == kMenuRecords || m_menuSel == kMenuLevels) {
        p_SetSize(1.9f);
        p_SetCol(255, 255, 100);
        p_DrawImg(kImageIcons, m_menuSel == kMenuRecords ? w - 32 : kLevelsButtonX, 32 + 4 * slide, kIconHighlight);
    }
    p_ResetDraw();
}

bool c_MyApp::p_MenuExtraAction() {
    switch (m_menuSel) {
        case kMenuControls: p_OpenSettingsScreen(kScreenControls); return true;
        case kMenuOptions: p_OpenSettingsScreen(kScreenOptions); return true;
        case kMenuRecords:
        case kMenuLevels:
            m_screen = m_menuSel == kMenuRecords ? kScreenRecords : kScreenLevels;
            if (m_screen == kScreenLevels) p_LoadPlayerLevels();
            m_keyLatch = m_clickLatch = 1;
            p_PlaySFX2(kSfxConfirm, kMenuVolume);
            return true;
        default: return false;
    }
}

// The pause panel's Controls and Options buttons at its bottom corners
// (quit and sound are at its top ones); down from resume chooses them.
void c_MyApp::p_PauseExtras(float y, bool landscape) {
    const float w = kp_Glimmer_jscrw;
    const float bottom = landscape ? y + 64 : y + 96;
    const float controlsX = landscape ? w / 2 - 140 : w / 2 - 96;
    const float optionsX = landscape ? w / 2 + 140 : w / 2 + 96;
    const auto button = [&](float x, int icon, int choice) {
        p_SetSize(2.0f);
        p_SetCol(150, 220, 255);
        const bool hit = p_Button(kImageIcons, x, bottom, icon) == 1 && m_clickLatch == 0;
        if (m_pauseSel == choice) {
            p_SetSize(2.5f);
            p_SetCol(255, 255, 100);
            p_DrawImg(kImageIcons, x, bottom, kIconHighlight);
        }
        return hit;
    };
    const bool controls = button(controlsX, kIconControls, kPauseControls);
    const bool options = button(optionsX, kIconOptions, kPauseOptions);
    p_ResetDraw();
    const bool keys = m_keyLatch == 0;
    const auto move = [&](int to, float rate) {
        m_keyLatch = 1;
        m_pauseSel = to;
        p_PlaySFX(kSfxConfirm, rate, kMenuVolume, 0.0f);
    };
    if (controls || (keys && m_pauseSel == kPauseControls && p_PlayKey(kGameKeyAction))) {
        p_OpenSettingsScreen(kScreenControls);
    } else if (options || (keys && m_pauseSel == kPauseOptions && p_PlayKey(kGameKeyAction))) {
        p_OpenSettingsScreen(kScreenOptions);
    } else if (keys && m_pauseSel == 0 && p_PlayKey(kGameKeyDown)) {
        move(kPauseControls, 1.2f);
    } else if (keys && m_pauseSel >= kPauseControls && p_PlayKey(kGameKeyUp)) {
        move(0, 0.8f);
    } else if (keys && m_pauseSel == kPauseControls && p_PlayKey(kGameKeyRight)) {
        move(kPauseOptions, 1.2f);
    } else if (keys && m_pauseSel == kPauseOptions && p_PlayKey(kGameKeyLeft)) {
        move(kPauseControls, 0.8f);
    }
}

// ---- The Options screen ----

int c_MyApp::p_OptionsScreen() {
    const float w = kp_Glimmer_jscrw, h = kp_Glimmer_jscrh;
    p_DrawScreenBackdrop(w, h);
    p_SetSize(3);
    p_SetCol(255, 230, 120);
    p_Text(w / 2, 36, String(" Options"), 1.0f, 1.0f);

    const OptionsLayout l = LayoutFor(w, h);
    int clicked = -1, stepped = 0;   // a row clicked, or an arrow of the chosen row: -1 or +1
    for (int i = 0; i < kRowCount; ++i) {
        const OptionRow& row = kRows[i];
        const float y = l.top + l.step * i;
        if (i == m_optionsSel) {
            p_SetCol(255, 255, 255, 0.18f);
            p_Rect(l.left - 8, y - l.step / 2, l.valueX + l.arrowOffset + 24 - l.left, l.step);
        }
        p_SetSize(l.size);
        p_SetCol(255, 255, 255, 1);
        p_Text(l.left, y, String((" " + std::string(row.label)).c_str()), 0.0f, 1.0f);
        p_SetCol(row.setting ? 255.0f : 150.0f, row.setting ? 230.0f : 220.0f, row.setting ? 120.0f : 255.0f, 1);
        p_Text(l.valueX, y, String((" " + ValueText(row, m_playerSettings)).c_str()), 1.0f, 1.0f);
        if (row.setting) {
            p_SetSize(std::min(l.size * 0.6f, (l.step - 2) / kArrowCell));   // the arrows of two rows never meet
            p_SetCol(255, 255, 255, 0.9f);
            const bool down = p_Button(kImageDpad, l.valueX - l.arrowOffset, y, kFrameArrowLeft) == 1;
            const bool up = p_Button(kImageDpad, l.valueX + l.arrowOffset, y, kFrameArrowRight) == 1;
            if ((down || up) && m_clickLatch == 0) {
                clicked = i;
                stepped = down ? -1 : 1;
            }
        }
        // The row's label and value take a click too.
        if (m_pointerDown != 0 && m_clickLatch == 0 && clicked < 0 && m_touchY[0] >= y - l.step / 2 &&
            m_touchY[0] < y + l.step / 2 && m_touchX[0] >= l.left - 8 &&
            m_touchX[0] < l.valueX - l.arrowOffset - kLabelGap) {
            clicked = i;
        }
    }
    // The chosen row's note, and the speed's own when a game waits.
    const OptionRow& chosen = kRows[m_optionsSel];
    std::string note = chosen.note;
    if (std::string(chosen.setting ? chosen.setting : "") == "speed" && m_settingsReturn == kScreenPlaying) {
        note = "The new speed takes effect when the next level starts";
    }
    m_spokenSettings = "Options: " + std::string(chosen.label) + ": " + ValueText(chosen, m_playerSettings) + ". " + note;
    p_SetSize(1.0f);
    p_SetCol(200, 200, 220, 1);
    p_Text(w / 2, h - 44, String((" " + note).c_str()), 1.0f, 1.0f);
    p_Text(w / 2, h - 26, String(" Up/Down choose   Left/Right change   Esc back"), 1.0f, 1.0f);

    p_SetSize(1.5f);
    p_SetCol(255, 255, 255);
    const bool backClicked = p_Button(kImageIcons, 24, 24, kIconBack) == 1 && m_clickLatch == 0;
    p_ResetDraw();

    // What the keys or the pointer ask: leave, choose a row, change its value.
    int change = 0;   // -1, +1, or 2 for confirm (a switch flips, a number steps up and wraps)
    const bool keys = m_keyLatch == 0;
    if (backClicked || (keys && p_PlayKey(kGameKeyBack))) {
        p_LeaveSettingsScreen();
        return 0;
    }
    if (clicked >= 0) {
        m_clickLatch = 1;
        m_optionsSel = clicked;
        change = stepped != 0 ? stepped : 2;
    } else if (keys && p_PlayKey(kGameKeyUp) && m_optionsSel > 0) {
        m_keyLatch = 1;
        m_optionsSel -= 1;
        p_PlaySFX(kSfxConfirm, 0.8f, kMenuVolume, 0);
    } else if (keys && p_PlayKey(kGameKeyDown) && m_optionsSel < kRowCount - 1) {
        m_keyLatch = 1;
        m_optionsSel += 1;
        p_PlaySFX(kSfxConfirm, 1.2f, kMenuVolume, 0);
    } else if (keys && (p_PlayKey(kGameKeyLeft) || p_PlayKey(kGameKeyRight))) {
        m_keyLatch = 1;
        change = p_PlayKey(kGameKeyRight) ? 1 : -1;
    } else if (keys && p_PlayKey(kGameKeyAction)) {
        m_keyLatch = 1;
        change = 2;
    }
    if (change == 0) return 0;
    const OptionRow& row = kRows[m_optionsSel];
    if (!row.setting) {
        if (change == 2) p_OpenSettingsScreen(kScreenControls);
        return 0;
    }
    const SettingChoice& choice = *kp_settings_Choice(row.setting);
    const int value = choice.Get(m_playerSettings);
    int next = value;
    if (choice.flag) {
        next = change == 2 ? 1 - value : (change > 0 ? 1 : 0);
    } else if (change == 2) {
        next = value >= choice.high ? choice.low : value + choice.step;
    } else {
        next = std::clamp(value + change * choice.step, choice.low, choice.high);
    }
    if (next != value) {
        choice.Set(m_playerSettings, next);
        p_SavePlayerSettings();
        p_ApplyPlayerSettings();
    }
    // Heard at the effects volume just chosen.
    p_PlaySFX(kSfxConfirm, next == value ? 0.8f : 1.0f, kMenuVolume, 0);
    return 0;
}
