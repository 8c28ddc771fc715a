// The game round: one update of a level in play, the level exit sequence,
// pausing, the game-over overlay and the highscore rank text.
//
// The round reads its keys once per update (m_roundKeys), from the player or
// from a replay being watched, and stands still while the pause panel is
// shown or a quit is under way: only the snow falls on, with draws of its own
// so that the round's random sequence is the same as if nobody had paused.
// It runs again from the first update of the panel's slide-out, with the keys
// held then acting as held (grip keeps the hero on his bar), all but the key
// that closed the panel, which waits for its release.
#include <algorithm>
#include <cmath>
#include <utility>

#include "game/music/sg_player.h"
#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "game/world/tiles.h"
#include "input/input_device.h"
#include "runtime/random.h"

namespace {
constexpr int kEndingTimer = 320;
constexpr int kGameOverUpdates = 90;
constexpr float kHudSize = 1.5f;
constexpr int kPlungerFrame = 11;          // the running plunger's frames: 11 + its whole seconds of four left / 2
constexpr int kPlungerWindow = 480;
constexpr float kPlungerHudX = 52.0f, kPlungerHudY = 16.0f;   // right of the pause button

// The game keys the round reads, and the bit each is kept in.
struct RoundKey {
    int gameKey;
    unsigned bit;
};
constexpr RoundKey kRoundKeys[] = {
    {kGameKeyUp, kReplayUp},         {kGameKeyLeft, kReplayLeft},      {kGameKeyRight, kReplayRight},
    {kGameKeyDown, kReplayDown},     {kGameKeyAction, kReplayGrip},    {kGameKeyJump1, kReplayJump1},
    {kGameKeyJump2, kReplayJump2},   {kGameKeyAction4, kReplayOther},  {kGameKeyAction5, kReplayOther},
    {kGameKeyCredits, kReplayOther}, {kGameKeyBack, kReplayOther}};

const char* const kRankTexts[] = {"1st!", "2nd", "3rd", "4th", "5th", "6th", "7th", "8th", "9th", "10th"};

}  // namespace

bool c_MyApp::p_RoundFrozen() { return (m_pauseShown == 1 && m_pauseDir != -1) || m_quitGame > 0; }

unsigned c_MyApp::p_LiveRoundKeys() {
    unsigned keys = 0;
    for (const RoundKey& key : kRoundKeys) {
        if (p_PlayKey(key.gameKey)) keys |= key.bit;
    }
    return keys;
}

bool c_MyApp::p_RoundKey(int key) {
    for (const RoundKey& entry : kRoundKeys) {
        if (entry.gameKey == key) return (m_roundKeys & entry.bit) != 0;
    }
    return false;
}

void c_MyApp::p_Award(int points) {
    if (p_LivePlay()) m_score += points;
}

void c_MyApp::p_DrawFrozenRound() {
    p_ResetDraw();
    m_drawCount = 0;
    const float stepX = m_camStepX, stepY = m_camStepY;
    m_camStepX = m_camStepY = 0;
    std::swap(kp_random_Seed, m_pauseSeed);
    p_AddSnow();
    std::swap(kp_random_Seed, m_pauseSeed);
    m_camStepX = stepX;
    m_camStepY = stepY;
    const int room = (kDrawListFloats - kDrawRecordFloats - m_drawCount) / kDrawRecordFloats * kDrawRecordFloats;
    const int count = std::min(static_cast<int>(m_frozenWorld.size()), std::max(room, 0));
    std::copy(m_frozenWorld.begin(), m_frozenWorld.begin() + count, m_drawList.Data() + m_drawCount);
    m_drawCount += count;
}

// The pause key opens the panel when pressed, not while held from before,
// and before the round's update: the update it is pressed in stands still too.
// Pressed in the open panel it closes it, whatever other keys are held (the
// menu latch waits for all of them), and the round runs in that update.
void c_MyApp::p_TakePauseKey() {
    const bool pauseDown = p_PlayKey(kGameKeyBack);
    const bool pressed = pauseDown && !m_pauseKeyHeld;
    m_pauseKeyHeld = pauseDown;
    if (!pressed || m_quitGame > 0 || m_watching) return;
    if (m_pauseShown == 1 && m_pauseDir == 1) {
        m_pauseDir = -1;
        m_staleKeys = kReplayOther;   // the pause key's bit
        p_PlaySFX(kSfxConfirm, 1.0f, 0.5f, 0);
        return;
    }
    m_keyLatch = 1;
    m_pauseShown = 1;
    m_pauseDir = 1;
    m_pauseSel = 0;
    p_PlaySFX(kSfxConfirm, 1.0f, 0.5f, 0);
}

int c_MyApp::p_Game() {
    if (!m_simulating) p_TakePauseKey();
    if (p_RoundFrozen()) {
        p_DrawFrozenRound();
        return 0;
    }
    if (p_PaceHolds()) {
        // A slower game: the round stands still in this update (game/world/assists.cpp).
        p_DrawFrozenRound();
        return 0;
    }
    if (m_watching) {
        m_roundKeys = p_WatchedKeys();
    } else {
        const unsigned live = p_LiveRoundKeys();
        m_staleKeys &= live;
        m_roundKeys = p_AssistedKeys(live & ~m_staleKeys);
    }
    if (m_roundKeys == 0) m_turnLatch = 0;

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

    p_AddSnowFrom(m_roundSeed);
    const int worldStart = m_drawCount;
    p_Backdrop();

    const int stateBefore = m_playerState;
    p_Player();
    p_Background();
    p_Objects();
    p_NoteRoundUpdate(stateBefore);
    if (m_settings.Get(3) == 0 && !m_simulating) p_TutorialStuff();
    if (m_level == 0 && p_LivePlay() && p_PlayerLevelEnds()) return 0;

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
            if (m_watching) {
                p_EndWatch();
                return 0;
            }
            // A race against a world run is one level, from the Records screen and back to it.
            if (m_raceLevel != 0) {
                m_raceLevel = 0;
                m_raceGhost.clear();
                m_screen = kScreenRecords;
                m_keyLatch = m_clickLatch = 1;
                return 0;
            }
            if (m_level <= kLevelCount) {
                p_BeginLevel(m_level);
            } else {
                p_KeepGameRecord();
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
    int shown = std::min(m_level, kLevelCount);
    const String caption = m_level == 0 ? String((" " + m_playerPlay.name).c_str())
                                        : String(" Level ") + String(shown) + String("/15");
    p_Text(kp_Glimmer_jscrw - 8, 20, caption, 2.0f, 1.0f);
    p_DrawRunHud();
    if (!m_simulating) m_frozenWorld.assign(m_drawList.Data() + worldStart, m_drawList.Data() + m_drawCount);
    return 0;
}

// Time text of a number of updates, and a signed difference in the same form.
static String TimeText(int updates) { return String(kp_replay_TimeText(updates).c_str()); }
static String DifferenceText(int updates) {
    return String(updates < 0 ? "-" : "+") + TimeText(updates < 0 ? -updates : updates);
}

void c_MyApp::p_DrawRunHud() {
    const float w = kp_Glimmer_jscrw;
    p_ResetDraw();
    p_SetSize(kHudSize);
    // The running plunger (the one with the most time left) drawn again beside
    // the pause button, as its tile shows its countdown, with a bar of the time
    // left: a window can be timed wherever the plunger is.
    if (m_flipCount > 0 && !m_simulating) {
        int left = 0;
        for (int y = 0; y < m_mapHeight; ++y) {
            for (int x = 0; x < m_mapWidth; ++x) {
                const int cell = p_CellIndex(x, y);
                if (m_map.Get(cell) == kTilePlunger) left = std::max(left, m_map.Get(cell + 9));
            }
        }
        if (left > 0) {
            p_DrawImg(kImageTiles, kPlungerHudX, kPlungerHudY, kPlungerFrame + left / 120);
            p_SetCol(255, 220, 80, 0.9f);
            p_Rect(kPlungerHudX - 12, kPlungerHudY + 14, 24.0f * left / kPlungerWindow, 3);
            p_SetCol(255, 255, 255, 1);
        }
    }
    if (m_watching) {
        p_SetCol(255, 230, 120, 0.9f);
        // A player's level has its name in the corner already.
        const String which = m_watched.level == 0 ? String() : String(" Level ") + String(m_watched.level);
        p_Text(w / 2, 20, String(" Replay ") + which + String("  ") + TimeText(m_levelUpdates),
               1.0f, 1.0f);
        p_SetSize(1.0f);
        p_Text(w / 2, 40, String(" any key stops it"), 1.0f, 1.0f);
        p_ResetDraw();
        return;
    }
    p_SetCol(100, 255, 100, 0.8f);
    if (m_level != 0) p_Text(w - 8, 44, String(" Score ") + String(m_score), 2.0f, 1.0f);   // a player's level scores nothing
    if (m_records.timerShown) {
        // The level time, and how it stands against the personal best: ahead (green) or behind (red).
        p_SetCol(255, 255, 255, 0.9f);
        p_Text(w / 2, 20, String(" ") + TimeText(m_levelUpdates), 1.0f, 1.0f);
        const int best = m_level >= 1 && m_level <= kRecordLevels ? m_records.levels[m_level - 1].bestUpdates : 0;
        if (best > 0) {
            const int difference = m_levelUpdates - best;
            if (difference <= 0) p_SetCol(120, 255, 120, 0.9f); else p_SetCol(255, 110, 110, 0.9f);
            p_SetSize(1.0f);
            // Said in words too, not by the colour alone.
            p_Text(w / 2, 40, String(" ") + DifferenceText(difference) + String(difference <= 0 ? " ahead" : " behind"),
                   1.0f, 1.0f);
        }
    }
    p_DrawAssistHud();
}

int c_MyApp::p_InGame() {
    p_ResetDraw();
    m_menuSlide = -32;
    if (m_watching) {
        // Any key or click stops a replay being watched.
        for (int key = 1; key < kKeyClose; ++key) {
            if (kp_input_KeyHit(key) > 0) {
                p_EndWatch();
                break;
            }
        }
        return 0;
    }
    // The on-screen pause button in the top-left corner (icon frame 2).
    if (p_Button97(16, 16, kIconPause) != 0 && (m_pauseShown == 0 || m_pauseDir == -1) && m_clickLatch == 0) {
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
        // The rank the table gives the score: above every entry it beats, none for a tie.
        if (m_score > m_hiScores.Get(at)) {
            m_rank = i + 1;
            return String(kRankTexts[i]);
        }
    }
    return String();
}
