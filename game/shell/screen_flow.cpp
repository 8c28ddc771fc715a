// The screen flow: create, the per-update and per-render pipelines, the
// screen dispatch, the loading screen and the suspend/resume rule.
#include <cmath>

#include "game/music/sg_player.h"
#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "graphics/graphics_module.h"
#include "host/trace.h"
#include "input/input_device.h"
#include "runtime/errors.h"
#include "runtime/random.h"

namespace {
constexpr int kUpdateRate = 60;
constexpr int kSuspendedUpdateRate = 5;
constexpr int kSnowFloatsPerFlake = 10;
constexpr int kCreditsSlideMax = 30;
constexpr int kBadgesClearedAtCreate = 128;    // the first half of the badge flags
constexpr int kHiScoresClearedAtCreate = 31;   // the best tens and the first last-ten entry
constexpr float kDegToRad = 0.0174532924f;
constexpr float kSpinnerDot = 8.0f;
constexpr int kSpinStep = 16;       // degrees per update; a quarter of it with calm effects
constexpr int kCalmSpinStep = 4;

// Game keys whose being down keeps the key latch set.
constexpr int kLatchKeys[] = {kGameKeyUp,      kGameKeyLeft,    kGameKeyRight,   kGameKeyDown,
                              kGameKeyAction,  kGameKeyJump1,   kGameKeyJump2,   kGameKeyAction4,
                              kGameKeyAction5, kGameKeyCredits, kVirtualBackA,   kVirtualBackB,  kGameKeyBack};

float SinDeg(float degrees) { return static_cast<float>(std::sin(degrees * kDegToRad)); }
float CosDeg(float degrees) { return static_cast<float>(std::cos(degrees * kDegToRad)); }

// The window's size in pixels as the host reports it now.
void HostWindowSize(int& w, int& h) {
    w = 0;
    h = 0;
    if (KpGame::_game) KpGame::_game->WindowSize(&w, &h);
}

// The meter shared by updates and renders: instantaneous and smoothed rate.
void MeasureRate(int now, int& lastMs, int& fps, int& fpsAvg) {
    if (now > lastMs) fps = 1000 / (now - lastMs);
    fpsAvg = (fpsAvg * 9 + fps) / 10;
    lastMs = now;
}
}  // namespace

int c_MyApp::p_OnCreate() {
    kp_random_Seed = kp_app_Millisecs();
    for (int k = 0; k < kSnowFlakes; ++k) {
        const int base = k * kSnowFloatsPerFlake;
        m_snow[base + 0] = std::floor(kp_random_Rnd2(0.0f, 255.99f));
        m_snow[base + 1] = kp_random_Rnd2(-8.0f, kp_Glimmer_jscrw + 8.0f);
        m_snow[base + 2] = kp_random_Rnd2(-8.0f, kp_Glimmer_jscrh + 8.0f);
        m_snow[base + 3] = kp_random_Rnd2(-0.3f, 0.3f);
        m_snow[base + 4] = kp_random_Rnd2(0.1f, 1.2f);
        m_snow[base + 5] = kp_random_Rnd2(0.0f, 360.0f);
        m_snow[base + 6] = kp_random_Rnd2(-2.0f, 2.0f);
        m_snow[base + 7] = kp_random_Rnd2(0.3f, 0.7f);
    }
    m_screen = kScreenMenu;
    kp_app_SetUpdateRate(kUpdateRate);
    HostWindowSize(m_deviceW, m_deviceH);
    if (kp_Glimmer_HasMusic == 1) {
        m_music->m_baseChannel = 32;
        m_music->m_initValues[0] = 4;
        m_music->m_initValues[1] = 3;
        m_music->m_initValues[2] = 3;
        m_music->m_initValues[3] = 4;
    }
    p_Reload();
    m_gameType = 2;
    m_menuSlide = -32;
    m_pauseShown = 0;
    m_pauseDir = -1;
    m_pauseY = -64;
    for (int i = 0; i < kBadgesClearedAtCreate; ++i) m_badges[i] = false;
    for (int i = 0; i < kVirtualKeysCleared; ++i) m_keys[i] = 0;
    for (int i = 0; i < m_settings.Length(); ++i) m_settings[i] = 0;
    m_settings[kSettingSound] = 1;
    for (int i = 0; i < kHiScoresClearedAtCreate; ++i) m_hiScores[i] = 0;
    p_Load();
    p_LoadRecords();
    p_LoadPlayerSettings();
    p_LoadBoards();
    p_ReplayGame();   // made at start, so that the game's memory stays level while it plays
    for (int i = 0; i < m_channelMap.Length(); ++i) m_channelMap[i] = i;
    return 0;
}

int c_MyApp::p_OnUpdate() {
    m_keys[kVirtualKeyBack] = kp_input_KeyHit(kKeyBack);
    if (kp_input_KeyHit(kKeyClose) > 0) {
        p_KeepEditorWork();   // a level being made is never lost, whatever ends the game
        kpError(String());
    }
    if (kp_input_KeyHit(kKeyF10) > 0) kp_Glimmer_DebugMode = 1 - kp_Glimmer_DebugMode;
    kp_asyncevent_UpdateAsyncEvents();
    MeasureRate(kp_app_Millisecs(), m_updateMs, m_updateFps, m_updateFpsAvg);
    if (kp_Glimmer_HasMusic == 1) {
        // The music holds while the game is paused.
        const int sound = m_settings[kSettingSound];
        const bool heard = (sound == 1 || sound == 3) && (m_playerSettings.music || !m_musicChosen);
        // Game over stops the generator; the music the player chose goes on.
        if (m_musicChosen && m_music->m_state == 0) m_music->m_state = kSGPlaying;
        m_music->p_SG_Alive_U(m_pauseShown, heard ? 1 : 0);
    }

    // Pointer and touches in virtual pixels.
    int windowW = 0, windowH = 0;
    HostWindowSize(windowW, windowH);
    const float overscanY = windowW > 0 ? kp_Glimmer_overscan * windowH / windowW : 0.0f;
    m_oldMouseX = m_mouseX;
    m_oldMouseY = m_mouseY;
    m_mouseX = static_cast<int>((kp_input_MouseX() - kp_Glimmer_overscan) / m_scaleX);
    m_mouseY = static_cast<int>((kp_input_MouseY() - overscanY) / m_scaleY);
    const bool leftDown = kp_input_MouseDown(0);
    if (m_wasDown == 0 && leftDown) {
        m_oldMouseX = m_mouseX;
        m_oldMouseY = m_mouseY;
    }
    m_pointerDown = leftDown ? 1 : 0;
    m_pointerHit = kp_input_MouseHit(0);
    for (int n = 0; n < kTouchSlots; ++n) {
        m_touchDown[n] = 0;
        m_touchX[n] = static_cast<int>(NO_VALUE);
        m_touchY[n] = static_cast<int>(NO_VALUE);
        // A tap shorter than an update still counts, for that update, where it was.
        if (kp_input_TouchDown(n) || kp_input_TouchHit(n) > 0) {
            m_touchDown[n] = 1;
            m_touchX[n] = static_cast<int>((kp_input_TouchX(n) - kp_Glimmer_overscan) / m_scaleX);
            m_touchY[n] = static_cast<int>((kp_input_TouchY(n) - overscanY) / m_scaleY);
            m_pointerDown = 1;
        }
    }
    m_wasDown = leftDown ? 1 : 0;
    p_TouchControls();
    if (m_pointerDown == 0) m_clickLatch = 0;

    // The key latch clears once every game key is up.
    bool anyKey = false;
    for (int key : kLatchKeys) anyKey = anyKey || p_PlayKey(key);
    if (!anyKey) m_keyLatch = 0;
    if (m_keyLatch == 0 && m_clickLatch == 0 && p_PlayKey(kGameKeyBack) && m_screen == kScreenMenu && m_creditsOpen == 1) {
        m_creditsOpen = 0;
        m_keyLatch = 1;
        m_clickLatch = 1;
    }

    // A page opened with a replay link plays it once everything is loaded.
    if (m_loadStep == 0 && !m_startLinkChecked && m_screen == kScreenMenu) p_OpenStartLink();
    if (m_loadStep == 0 && !m_startLevelLinkChecked && m_screen == kScreenMenu) p_OpenStartLevelLink();
    if (m_loadStep == 0) p_StepHiddenRuns();
    if (m_loadStep == 0) {
        p_StepRouteSearch();
        p_BoardsUpdate();
    }
    if (m_loadStep == 0) p_DispatchScreen();
    if (m_loadStep > 0) p_Loader();
    if (m_loadStep == 0) p_DrawTouchControls();

    for (int i = 0; i < kVirtualKeysCleared; ++i) {
        if (m_keys[i] == 1) m_keys[i] = 0;
    }
    p_Announce();
    if (kp_Glimmer_DebugMode == 1) {
        p_ResetDraw();
        p_Text(16.0f, kp_Glimmer_jscrh - 16.0f,
               String(m_scaleY) + String(",") + String(m_scaleX) + String(":") + String(m_renderFpsAvg), 0.0f, 0.0f);
    }
    return 0;
}

void c_MyApp::p_DispatchScreen() {
    switch (m_screen) {
        case kScreenMenu:
            p_Menu();
            kpTraceAfterNextFrame("menu_frame");  // start-up timing: the first frame showing the menu
            break;
        case kScreenBackToMenu:
            p_LoadMenu();
            m_screen = kScreenMenu;
            break;
        case kScreenPlaying:
            p_Game();
            p_InGame();
            break;
        case kScreenNewGame:
            p_LoadGame();
            break;
        case kScreenEnding:
            p_XmasGameOver();
            break;
        case kScreenRecords:
            p_RecordsScreen();
            break;
        case kScreenLevels:
            p_LevelsScreen();
            // The list while a linked level's proof is checked is told apart
            // from the list that follows it (each event is traced once).
            kpTraceAfterNextFrame(p_LevelImportPending() ? "levels_checking_frame" : "levels_frame");
            break;
        case kScreenEditor:
            p_Editor();
            break;
        case kScreenPreparing:
            p_PreparingScreen();
            break;
        case kScreenOptions:
            p_OptionsScreen();
            break;
        case kScreenControls:
            p_ControlsScreen();
            break;
        default:
            break;
    }
    if (m_screen == kScreenPlaying && m_quitGame > 0) {
        if (m_level == 0 && !m_watching) p_PlayerLevelEnds(); else p_GameOver();
    }
    if (m_screen == kScreenMenu || m_screen == kScreenBackToMenu) p_GameOver();
    if (m_screen == kScreenMenu && (m_creditsOpen == 1 || m_creditsSlide > 0)) p_CreditBox();
    if (m_creditsOpen == 0 && m_creditsSlide > 0) {
        m_creditsSlide -= 1;
    } else if (m_creditsOpen == 1 && m_creditsSlide < kCreditsSlideMax) {
        m_creditsSlide += 1;
    }
}

int c_MyApp::p_OnRender() {
    if (kp_Glimmer_HasMusic == 1) m_music->p_SG_Alive_R();
    MeasureRate(kp_app_Millisecs(), m_renderMs, m_renderFps, m_renderFpsAvg);

    // The host's drawable size: what the renderer has just set its viewport from.
    int w = 0, h = 0;
    HostWindowSize(w, h);
    kp_graphics_SetColor(m_clsRed, m_clsGreen, m_clsBlue);
    kp_graphics_SetAlpha(m_clsAlpha);
    kp_graphics_DrawRect(-1.0f, -1.0f, static_cast<float>(w + 2), static_cast<float>(h + 2));
    kp_graphics_SetColor(255.0f, 255.0f, 255.0f);
    kp_graphics_SetAlpha(1.0f);

    // A window with no area (minimised) is no size to load assets for.
    if (w > 0 && h > 0 && (w != m_deviceW || h != m_deviceH)) {
        m_loadStep = 1;
        m_deviceW = w;
        m_deviceH = h;
    }
    p_UpdateVirtualScreen(w, h);
    p_ReplayDrawList();
    kp_graphics_SetAlpha(0.5f);
    kp_graphics_SetColor(255.0f, 255.0f, 255.0f);
    return 0;
}

int c_MyApp::p_WaitStart(int mode) {
    p_CLS2D(40.0f, 40.0f, 80.0f, 1.0f);
    const float w = kp_Glimmer_jscrw;
    const float h = kp_Glimmer_jscrh;
    m_spinSize = static_cast<int>(h < w ? h : w);
    m_spinAngle += p_Calm() ? kCalmSpinStep : kSpinStep;
    const float ringRadius = m_spinSize * 0.25f;
    if (mode == 1) {
        for (int i = 0; i <= 10; ++i) {
            p_SetCol(250.0f, 250.0f, 250.0f, i / 10.0f);
            const float a = static_cast<float>(m_spinAngle + 180 + 16 * i);
            p_Oval(w / 2 + SinDeg(a) * ringRadius, h / 2 - CosDeg(a) * ringRadius, kSpinnerDot, kSpinnerDot);
        }
    }
    p_SetCol(255.0f, 255.0f, 0.0f, 0.8f);
    p_Oval(w / 2, h / 2, m_spinSize * 0.3f, m_spinSize * 0.3f);
    p_SetCol(250.0f, 160.0f, 60.0f, 0.7f);
    p_Rect(0.0f, h * 0.4f, w, h * 0.2f);
    p_ResetDraw();
    p_DrawImg2(93, w * 0.5f, h * 0.48f);
    if (mode == 1) {
        for (int i = 0; i <= 10; ++i) {
            p_SetCol(50.0f, 50.0f, 50.0f, i / 10.0f);
            const float a = static_cast<float>(m_spinAngle + 16 * i);
            p_Oval(w / 2 + SinDeg(a) * ringRadius, h / 2 - CosDeg(a) * ringRadius, kSpinnerDot, kSpinnerDot);
        }
    }
    return 0;
}

void c_MyApp::p_SwitchOffICade() {
    if (KpGame::_game) KpGame::_game->SetKeyboardEnabled(false);
    kp_Glimmer_iCadeControls = 0;
    for (int i = 0; i < kVirtualKeysCleared; ++i) m_keys[i] = 0;
}

// Only a game in play has a pause panel: on the other screens (the menu,
// the Records screen, the ending) the pause flag stays down.
void c_MyApp::p_ApplyPauseRule() {
    if (p_GameUnderSettings()) return;   // the game waits, paused, under the Options or Controls screen
    if (m_screen != kScreenPlaying) {
        m_pauseShown = 0;
        m_pauseDir = 0;
        m_pauseY = 0;
    } else {
        // A game comes back paused, with the panel already in place and resume selected.
        m_pauseShown = 1;
        m_pauseDir = 1;
        m_pauseSel = 0;
        m_pauseY = static_cast<int>(kp_Glimmer_jscrh * 0.5f);
    }
}

int c_MyApp::p_OnSuspend() {
    // Leaving the window stops a replay being watched, as any key does.
    p_EndWatch();
    p_SwitchOffICade();
    p_ApplyPauseRule();
    kp_app_SetUpdateRate(kSuspendedUpdateRate);
    p_Save();
    p_KeepEditorWork();
    return 0;
}

int c_MyApp::p_OnResume() {
    // No update ran while the window was away: the music's rows start again
    // from now, as after a pause, rather than all the rows it missed at once.
    if (kp_Glimmer_HasMusic == 1) m_music->p_SG_Alive_U(1, 0);
    p_ApplyPauseRule();
    kp_app_SetUpdateRate(kUpdateRate);
    p_SwitchOffICade();
    return 0;
}
