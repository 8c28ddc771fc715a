// Runs through a level: its time in round updates, the recording of its keys,
// replays played through the round (to verify them, or for the ghost's track)
// and watched, and the ghost drawn beside the hero.
//
// A level's run starts with the first update after the level is entered and
// ends with the update in which Pipkin steps onto the open exit; its replay
// holds the keys of exactly those updates, and its final state is the hash
// of the round's state after that update. Entering a level starts from the
// same state whatever came before (the hero's latches included), so a run
// plays the same on its own as inside a whole game.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "game/world/level_store.h"
#include "input/input_device.h"
#include "runtime/errors.h"
#include "runtime/random.h"

#ifndef GLIMMER_VERSION_MAJOR
#define GLIMMER_VERSION_MAJOR 0
#define GLIMMER_VERSION_MINOR 0
#define GLIMMER_VERSION_PATCH 0
#endif

namespace {

constexpr int kDying = 9;
constexpr int kLeaving = 10;
constexpr int kSettingScheme = 1;
constexpr int kLevelSide = 64;
constexpr int kMoverWords = 5;
constexpr int kHeroImage = 1;
constexpr float kGhostAlpha = 0.4f;

// FNV-1a over 32-bit values.
class Hash {
public:
    void Add(int32_t value) {
        for (int i = 0; i < 4; ++i) {
            hash_ ^= (static_cast<uint32_t>(value) >> (8 * i)) & 0xffu;
            hash_ *= 16777619u;
        }
    }
    uint32_t Value() const { return hash_; }

private:
    uint32_t hash_ = 2166136261u;
};

}  // namespace

uint32_t kp_Glimmer_LevelSetHash() {
    Hash hash;
    for (int n = 1; n <= kReplayLevels; ++n) {
        const String text = kp_Levels_FetchLevel(n);
        hash.Add(text.Length());
        for (int i = 0; i < text.Length(); ++i) hash.Add(text[i]);
    }
    return hash.Value();
}

// Everything of the round that play changes and that decides what happens
// next: the hero, the map's tiles and timers, the movers, the object
// counters and the random seed. Not the camera, the snow or the tutorial,
// which follow the window and the help setting.
uint32_t c_MyApp::p_RoundStateHash() {
    Hash hash;
    for (int32_t value : {m_level, m_playerX, m_playerY, m_playerSubX, m_playerSubY, m_playerState, m_facing,
                          m_stateTimer, m_turnLatch, m_jumpLatch, static_cast<int32_t>(m_dropIn), m_lightsLeft,
                          m_lightsCounting, m_exitSpin, m_flipCount, m_flipCountPrev, kp_random_Seed}) {
        hash.Add(value);
    }
    for (int y = 0; y < kLevelSide; ++y) {
        for (int x = 0; x < kLevelSide; ++x) {
            const int cell = p_CellIndex(x, y);
            hash.Add(m_map.Get(cell));
            hash.Add(m_map.Get(cell + 9));
        }
    }
    // Records in use only: a free one keeps whatever an earlier level left in it.
    for (int r = 0; r < kMoverRecords; ++r) {
        if (m_movers.Get(r * 10) == 0) continue;
        hash.Add(r);
        for (int w = 0; w < kMoverWords; ++w) hash.Add(m_movers.Get(r * 10 + w));
    }
    return hash.Value();
}

void c_MyApp::p_BeginLevel(int n) {
    // The ghost's track comes from playing the best run first, on this same world.
    m_ghostTrack.clear();
    // A player's level keeps its best run apart, by the level's hash.
    const std::vector<unsigned char>* bestRun = n == 0 ? &m_playerPlay.ghost
                                              : n >= 1 && n <= kRecordLevels ? &m_records.levels[n - 1].replay : nullptr;
    const bool wantGhost = !m_watching && !m_simulating && m_records.ghostShown && bestRun && !bestRun->empty();
    if (wantGhost) {
        Replay best;
        const std::vector<unsigned char>& bytes = *bestRun;
        std::vector<GhostPose> track;
        if (kp_replay_Decode(bytes.data(), bytes.size(), &best, nullptr)) {
            const ReplayOutcome outcome = p_PlayReplay(best, &track);
            if (outcome.finished && outcome.finalState == best.finalState) m_ghostTrack.swap(track);
        }
    }
    m_level = n;
    p_GetLevel(n);
    if (!m_simulating) m_frozenWorld.clear();   // no picture of another level under the pause panel
    m_turnLatch = 0;
    m_jumpLatch = 0;
    m_stateTimer = 0;
    m_levelUpdates = 0;
    m_levelDeaths = 0;
    m_levelDone = false;
    m_recording = Replay();
    m_recording.gameVersion[0] = GLIMMER_VERSION_MAJOR;
    m_recording.gameVersion[1] = GLIMMER_VERSION_MINOR;
    m_recording.gameVersion[2] = GLIMMER_VERSION_PATCH;
    m_recording.levelSet = n == 0 ? m_playerPlay.hash : kp_Glimmer_LevelSetHash();
    m_recording.level = n;
    m_recording.scheme = m_settings.Get(kSettingScheme) == 2 ? 2 : 1;
}

bool c_MyApp::p_LivePlay() { return !m_watching && !m_simulating; }

void c_MyApp::p_NoteRoundUpdate(int stateBefore) {
    if (p_LivePlay()) m_gameUpdates += 1;
    if (m_levelDone) return;
    m_levelUpdates += 1;
    if (p_LivePlay()) m_recording.Append(m_roundKeys);
    if (m_playerState == kDying && stateBefore != kDying) m_levelDeaths += 1;
    if (m_playerState == kLeaving && stateBefore != kLeaving) p_FinishLevel();
}

void c_MyApp::p_FinishLevel() {
    m_levelDone = true;
    m_finishState = p_RoundStateHash();
    if (!p_LivePlay()) return;
    m_recording.finalState = m_finishState;
    p_KeepRecords();
}

unsigned c_MyApp::p_WatchedKeys() {
    if (m_watchRun >= m_watched.runs.size()) return 0;
    const ReplayRun& run = m_watched.runs[m_watchRun];
    if (++m_watchOffset >= run.updates) {
        m_watchOffset = 0;
        ++m_watchRun;
    }
    return run.keys;
}

// Plays a replay through the round without picture or sound, from the
// level's start until its exit or the replay's last update. The screen, the
// game's score and recording, the player's settings and the picture being
// recorded are as before; the world is the replay's.
ReplayOutcome c_MyApp::p_PlayReplay(const Replay& replay, std::vector<GhostPose>* track) {
    const int screen = m_screen, level = m_level, scheme = m_settings.Get(kSettingScheme);
    const int pauseShown = m_pauseShown, quitGame = m_quitGame, drawCount = m_drawCount;
    const int levelUpdates = m_levelUpdates, levelDeaths = m_levelDeaths;
    const bool levelDone = m_levelDone, simulating = m_simulating, watching = m_watching;
    const uint32_t finishState = m_finishState;
    const Replay recording = m_recording, watched = m_watched;
    const size_t watchRun = m_watchRun;
    const int watchOffset = m_watchOffset;
    std::vector<GhostPose> ghost;
    ghost.swap(m_ghostTrack);
    m_simulating = true;
    m_watching = true;
    m_watched = replay;
    m_watchRun = 0;
    m_watchOffset = 0;
    m_pauseShown = 0;
    m_quitGame = 0;
    m_settings[kSettingScheme] = replay.scheme;
    p_BeginLevel(replay.level);
    for (int i = 0; i < replay.updates && !m_levelDone; ++i) {
        p_Game();
        if (track) track->push_back({m_playerX, m_playerY, m_playerSubX, m_playerSubY, m_animCounter, m_facing});
    }
    ReplayOutcome outcome;
    outcome.finished = m_levelDone;
    outcome.updates = m_levelUpdates;
    outcome.finalState = m_levelDone ? m_finishState : p_RoundStateHash();
    outcome.header = m_recording;
    m_settings[kSettingScheme] = scheme;
    m_screen = screen;
    m_level = level;
    m_pauseShown = pauseShown;
    m_quitGame = quitGame;
    m_drawCount = drawCount;
    m_levelUpdates = levelUpdates;
    m_levelDeaths = levelDeaths;
    m_levelDone = levelDone;
    m_finishState = finishState;
    m_simulating = simulating;
    m_watching = watching;
    m_recording = recording;
    m_watched = watched;
    m_watchRun = watchRun;
    m_watchOffset = watchOffset;
    ghost.swap(m_ghostTrack);
    return outcome;
}

bool c_MyApp::p_RecordReplay(Replay* replay) {
    const ReplayOutcome outcome = p_PlayReplay(*replay, nullptr);
    if (!outcome.finished) return false;
    Replay recorded = outcome.header;
    for (const ReplayRun& run : replay->runs) recorded.Append(run.keys, std::min(run.updates, outcome.updates - recorded.updates));
    recorded.finalState = outcome.finalState;
    *replay = recorded;
    return true;
}

// One line on a replay file: what it is and whether it completes its level
// with its recorded final state on these levels.
String c_MyApp::p_CheckReplay(const std::vector<unsigned char>& bytes, Replay* replay, bool* valid) {
    *valid = false;
    std::string why;
    if (!kp_replay_Decode(bytes.data(), bytes.size(), replay, &why)) return String(("refused: " + why).c_str());
    char line[200];
    // A run of a player's level is checked on that level's map, which the caller gives.
    if (replay->level == 0 && m_playerMap.empty()) return String("refused: a run of a player's level: give its level file too");
    const uint32_t levels = replay->level == 0 ? m_playerPlay.hash : kp_Glimmer_LevelSetHash();
    if (replay->levelSet != levels) {
        std::snprintf(line, sizeof line, "refused: made on another level set (%08x; these levels are %08x)",
                      replay->levelSet, levels);
        return String(line);
    }
    const ReplayOutcome outcome = p_PlayReplay(*replay, nullptr);
    const std::string time = kp_replay_TimeText(replay->updates);
    const char* const scheme = replay->scheme == 2 ? "2-Button-Jump" : "1-Button-Jump";
    const std::string what = replay->level == 0 ? "a player's level" : "level " + std::to_string(replay->level);
    if (!outcome.finished) {
        std::snprintf(line, sizeof line, "refused: %s, %s: its %d updates do not reach the exit",
                      what.c_str(), scheme, replay->updates);
    } else if (outcome.updates != replay->updates) {
        std::snprintf(line, sizeof line, "refused: %s, %s: it reaches the exit after %d of its %d updates",
                      what.c_str(), scheme, outcome.updates, replay->updates);
    } else if (outcome.finalState != replay->finalState) {
        std::snprintf(line, sizeof line, "refused: %s, %s: it ends in state %08x, not the recorded %08x",
                      what.c_str(), scheme, outcome.finalState, replay->finalState);
    } else {
        std::snprintf(line, sizeof line, "%s, %s, %s (%d updates): completes the level in state %08x",
                      what.c_str(), scheme, time.c_str(), replay->updates, replay->finalState);
        *valid = true;
    }
    return String(line);
}

// Checks a replay, then plays it through the real game with its caption;
// any key stops it, and its end leads back to `returnScreen`.
bool c_MyApp::p_WatchReplay(const std::vector<unsigned char>& bytes, int returnScreen) {
    Replay replay;
    bool valid = false;
    const String line = p_CheckReplay(bytes, &replay, &valid);
    kpPrint(String("Replay: ") + line);
    if (!valid) return false;
    m_watchScheme = m_settings.Get(kSettingScheme);
    m_settings[kSettingScheme] = replay.scheme;
    m_watching = true;
    m_watched = replay;
    m_watchRun = 0;
    m_watchOffset = 0;
    m_watchReturn = returnScreen;
    m_pauseShown = 0;
    m_quitGame = 0;
    m_gameOverTimer = 0;
    m_mapWidth = kLevelSide;
    m_mapHeight = kLevelSide;
    m_screen = kScreenPlaying;
    p_BeginLevel(replay.level);
    return true;
}

void c_MyApp::p_EndWatch() {
    if (!m_watching) return;
    m_watching = false;
    m_settings[kSettingScheme] = m_watchScheme;
    m_screen = m_watchReturn;
    m_menuSlide = -32;
    m_keyLatch = 1;
    m_clickLatch = 1;
    m_pauseShown = 0;
    m_playerState = 0;
}

// The best run's Pipkin, see-through, where that run stood after as many updates.
void c_MyApp::p_DrawGhost() {
    if (m_ghostTrack.empty() || m_dropIn < 0 || m_levelUpdates >= static_cast<int>(m_ghostTrack.size())) return;
    const GhostPose& pose = m_ghostTrack[m_levelUpdates];
    const float z = m_zoom;
    float x = std::fmod(16 * z * pose.x + z * pose.subX - m_camX, static_cast<float>(m_worldWidth));
    if (x < -128) x += m_worldWidth;
    float y = std::fmod(16 * z * pose.y + z * pose.subY - m_camY, static_cast<float>(m_worldHeight));
    if (y < -128) y += m_worldHeight;
    p_SetCol(160, 210, 255, kGhostAlpha);
    p_SetSize(z * pose.facing, z);
    p_DrawImg(kHeroImage, x + z * pose.facing, y, pose.anim / 4);
    p_SetCol(255, 255, 255, 1);
}
