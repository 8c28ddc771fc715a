// The assists a player may choose: a slower game and a grip that stays on.
//
// Game speed. The round itself is the same at every speed: it advances by
// its own updates, reads the keys of each, and its replay holds those keys,
// so a run verifies by playing the same round updates whatever its speed.
// What a slower game changes is how many of the host's updates (60 a
// second) the round takes: at s percent it advances in s of every 100, on a
// fixed pattern counted from the level's first update (7 of every 10 at 70 %,
// evenly spread), and stands still in the others, where the world is drawn
// as it stood and only the snow moves on. The level's time counts round
// updates, so an assisted run's time is the game's time, not the wall
// clock's; the speed goes into the run's header, sealed into its final
// state, and the run is kept as a record of its own kind.
//
// Keys held while the round stands still are not lost: the next round
// update takes them with its own, so a tap shorter than the pattern's gap
// still counts once.
//
// Grip toggled. A press of the grip key switches the grip on, the next
// switches it off; the round sees the grip held while it is on. The round's
// keys (and so the replay) hold the grip as the round saw it, so a run with
// the toggle plays back the same without it. A new level starts with it off.
#include "game/shell/my_app.h"

namespace {
constexpr int kIconHand = 18;
constexpr float kHudTop = 40;   // below the pause button
}  // namespace

bool c_MyApp::p_PaceHolds() {
    const int speed = m_watching ? m_watched.speed : m_recording.speed;
    if (m_simulating || speed >= kReplayNormalSpeed || speed <= 0) return false;
    // Round updates due after n updates: ceil(n * speed / 100); the round advances when that grows.
    const long long n = ++m_paceUpdates;
    const auto due = [speed](long long updates) { return (updates * speed + kReplayNormalSpeed - 1) / kReplayNormalSpeed; };
    if (due(n) > due(n - 1)) return false;
    if (!m_watching) m_pacedKeys |= p_LiveRoundKeys() & ~m_staleKeys;
    return true;
}

unsigned c_MyApp::p_AssistedKeys(unsigned keys) {
    keys |= m_pacedKeys;
    m_pacedKeys = 0;
    if (!m_playerSettings.gripToggled) return keys;
    const bool down = (keys & kReplayGrip) != 0;
    if (down && !m_gripWasDown) m_gripOn = !m_gripOn;
    m_gripWasDown = down;
    return m_gripOn ? keys | kReplayGrip : keys & ~kReplayGrip;
}

// Under the pause button: the grip while it is toggled on, and the game's
// speed while it is slower than normal, so an assisted run says so as it is played.
void c_MyApp::p_DrawAssistHud() {
    if (m_watching) return;
    float y = kHudTop;
    if (m_playerSettings.gripToggled && m_gripOn) {
        p_SetSize(1.0f);
        p_SetCol(255, 230, 120, 0.9f);
        p_DrawImg(kImageIcons, 16, y, kIconHand);
        p_Text(30, y, String(" Grip on"), 0.0f, 1.0f);
        y += 24;
    }
    if (m_recording.speed < kReplayNormalSpeed) {
        p_SetSize(1.0f);
        p_SetCol(170, 230, 255, 0.9f);
        p_Text(8, y, String(" Assist: ") + String(m_recording.speed) + String(" % speed"), 0.0f, 1.0f);
    }
    p_ResetDraw();
}
