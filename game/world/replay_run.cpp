// Runs through a level: its time in round updates, the recording of its keys,
// replays played in a game of their own (to check them, for the ghost's
// track, before watching) and watched, and the ghost drawn beside the hero.
//
// A level's run starts with the first update after the level is entered and
// ends with the update in which Pipkin steps onto the open exit; its replay
// holds the keys of exactly those updates, and its final state is the hash
// of the round's state after that update. Entering a level starts the round
// afresh (RoundState), so a run plays the same on its own as inside a whole game.
//
// A replay is played without picture or sound in the replay game, a second
// c_MyApp that is never the program's application: nothing of the player's
// game can be touched by it. In the running game it plays a slice of
// kHiddenRunSlice round updates per update, so that no replay, link or best
// run holds the window longer than a slice, however long it claims to be.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <type_traits>

#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "game/world/level_hash.h"
#include "input/input_device.h"
#include "runtime/errors.h"

#ifndef GLIMMER_VERSION_MAJOR
#define GLIMMER_VERSION_MAJOR 0
#define GLIMMER_VERSION_MINOR 0
#define GLIMMER_VERSION_PATCH 0
#endif

namespace {

constexpr int kMoverWords = 5;
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

const char* SchemeName(int scheme) { return scheme == 2 ? "2-Button-Jump" : "1-Button-Jump"; }

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

}  // namespace

// What decides the rest of the round, as the round's visitor names it: the
// hero, the map's tiles and timers, the movers in use, the object counters
// and the round's random seed. Not the camera, the snow or the tutorial,
// which follow the window and the help setting.
uint32_t c_MyApp::p_RoundStateHash() {
    Hash hash;
    ForEachField([&](auto& field, RoundField role) {
        using Field = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<Field, Array<int>>) {
            if (role == RoundField::kMap) {
                for (int y = 0; y < kLevelSide; ++y) {
                    for (int x = 0; x < kLevelSide; ++x) {
                        const int cell = p_CellIndex(x, y);
                        hash.Add(field.Get(cell));
                        hash.Add(field.Get(cell + 9));
                    }
                }
            } else if (role == RoundField::kMovers) {
                // Records in use only: a free one keeps whatever an earlier level left in it.
                for (int r = 0; r < kMoverRecords; ++r) {
                    if (field.Get(r * 10) == 0) continue;
                    hash.Add(r);
                    for (int w = 0; w < kMoverWords; ++w) hash.Add(field.Get(r * 10 + w));
                }
            }
        } else if (role == RoundField::kDecides) {
            hash.Add(static_cast<int32_t>(field));
        }
    });
    return hash.Value();
}

void c_MyApp::p_BeginLevel(int n) {
    // The ghost's track comes from the best run, played in the replay game.
    m_ghostTrack.clear();
    if (m_hidden.purpose == kHiddenGhost) p_StopHiddenRun();
    // A player's level keeps its best run apart, by the level's own hash; an
    // assisted run races the best assisted run, kept apart from the others.
    const LevelRecord* kind = m_playerSettings.speed < kReplayNormalSpeed ? m_records.assisted : m_records.levels;
    const std::vector<unsigned char>* best = n == 0 ? &m_playerPlay.ghost
                                           : n >= 1 && n <= kRecordLevels ? &kind[n - 1].replay : nullptr;
    // A world run raced from the Records screen is the ghost, whatever the switch says.
    const bool race = m_raceLevel == n && n != 0 && !m_raceGhost.empty();
    if (race) best = &m_raceGhost;
    const bool wantGhost = p_LivePlay() && (m_records.ghostShown || race) && best && !best->empty();
    if (wantGhost) p_StartHiddenRun(*best, kHiddenGhost, nullptr);
    RestartRound();
    m_level = n;
    p_GetLevel(n);
    if (!m_simulating) m_frozenWorld.clear();   // no picture of another level under the pause panel
    m_recording = Replay();
    m_recording.gameVersion[0] = GLIMMER_VERSION_MAJOR;
    m_recording.gameVersion[1] = GLIMMER_VERSION_MINOR;
    m_recording.gameVersion[2] = GLIMMER_VERSION_PATCH;
    m_recording.levelHash = n == 0 ? m_playerPlay.hash : kp_Glimmer_LevelHash(n);
    m_recording.level = n;
    m_recording.scheme = m_settings.Get(kSettingScheme) == 2 ? 2 : 1;
    // The game's speed is the run's from its first update to its last.
    m_recording.speed = m_playerSettings.speed;
    m_gameSpeed = m_gameUpdates == 0 ? m_recording.speed : std::min(m_gameSpeed, m_recording.speed);
    m_paceUpdates = 0;
    m_pacedKeys = 0;
    m_gripOn = m_gripWasDown = false;
}

bool c_MyApp::p_LivePlay() { return !m_watching && !m_simulating; }

void c_MyApp::p_NoteRoundUpdate(int stateBefore) {
    if (p_LivePlay()) m_gameUpdates += 1;
    if (m_levelDone) return;
    m_levelUpdates += 1;
    // A run longer than a replay holds is no longer recorded; its time still counts.
    if (p_LivePlay() && m_recording.updates < kReplayMaxUpdates) m_recording.Append(m_roundKeys);
    if (m_playerState == kDying && stateBefore != kDying) m_levelDeaths += 1;
    if (m_playerState == kLeaving && stateBefore != kLeaving) p_FinishLevel();
}

void c_MyApp::p_FinishLevel() {
    m_levelDone = true;
    m_finishState = p_RoundStateHash();
    if (!p_LivePlay()) return;
    m_recording.finalState = kp_replay_SealState(m_finishState, m_recording);
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

// ---- Hidden runs in the replay game ----

c_MyApp& c_MyApp::p_ReplayGame() {
    if (!m_replayGame) gc_assign(m_replayGame, new c_MyApp(ReplayGameTag()));
    return *m_replayGame;
}

// Puts the replay game at the start of `header`'s level, played by the runs
// it is given (all of them, or as a reader delivers them).
void c_MyApp::p_BeginHiddenPlay(const Replay& header) {
    c_MyApp& game = p_ReplayGame();
    game.m_simulating = true;
    game.m_watching = true;
    game.m_watched = header;
    game.m_watchRun = 0;
    game.m_watchOffset = 0;
    game.m_pauseShown = 0;
    game.m_quitGame = 0;
    game.m_screen = kScreenPlaying;
    game.m_settings[kSettingScheme] = header.scheme;
    game.m_settings[kSettingHelpOff] = 1;
    game.m_settings[kSettingSound] = 0;
    game.m_playerSettings.speed = header.speed;
    // A player's level plays on the map this game was given for it.
    game.m_playerMap = m_playerMap;
    game.m_playerPlay = PlayerLevelPlay();
    game.m_playerPlay.hash = m_playerPlay.hash;
    game.p_BeginLevel(header.level);
    m_hidden.played = 0;
    m_hidden.done = false;
    m_hidden.track.clear();
}

// Refusals that need no play: the level and the speed a run was made for.
std::string c_MyApp::p_HiddenRefusal(const Replay& replay) {
    if (replay.level == 0 && (m_playerMap.empty() || replay.levelHash != m_playerPlay.hash)) {
        return "a level known by its hash alone (" + Hex(replay.levelHash) + "): give its level file to play it";
    }
    if (replay.level == 0) {
        if (replay.speed != kReplayNormalSpeed) return "played at another speed than the normal one";
        return std::string();
    }
    const uint32_t ours = kp_Glimmer_LevelHash(replay.level);
    if (replay.format == 1) {
        uint32_t theirs = 0;
        if (!kp_Glimmer_EarlierLevelHash(replay.levelSet, replay.level, &theirs)) {
            return "made on a level set this game does not know (" + Hex(replay.levelSet) + ")";
        }
        if (theirs != ours) return "made on another version of level " + std::to_string(replay.level);
    } else if (replay.levelHash != ours) {
        return "made on another version of level " + std::to_string(replay.level) + " (" + Hex(replay.levelHash) +
               "; this game's is " + Hex(ours) + ")";
    }
    if (!kp_replay_KnownSpeed(replay.speed)) {
        return "level " + std::to_string(replay.level) + ", played at " + std::to_string(replay.speed) +
               " % of the normal speed, which this game does not play";
    }
    return std::string();
}

bool c_MyApp::p_StartHiddenRun(const std::vector<unsigned char>& bytes, HiddenPurpose purpose, String* refusal) {
    p_StopHiddenRun();
    std::string why;
    Replay header;
    if (!kp_replay_DecodeHeader(bytes.data(), bytes.size(), &header, &why) ||
        !(why = p_HiddenRefusal(header)).empty()) {
        if (refusal) *refusal = String(("refused: " + why).c_str());
        return false;
    }
    m_hidden.purpose = purpose;
    m_hidden.bytes = bytes;
    m_hidden.replay = header;
    m_hidden.reader = std::make_unique<ReplayReader>(m_hidden.bytes.data(), m_hidden.replay);
    p_BeginHiddenPlay(header);
    return true;
}

void c_MyApp::p_StopHiddenRun() {
    m_hidden.purpose = kHiddenNone;
    m_hidden.reader.reset();
    m_hidden.bytes.clear();
    m_hidden.track.clear();
    m_hidden.replay.runs.clear();
    m_hidden.done = false;
}

// Plays up to `updates` round updates of the hidden run, stopping early once
// `millis` of the host's clock have gone (0: no limit); true once it is done
// (the exit reached, the run's updates played, or its key runs found damaged).
bool c_MyApp::p_StepHiddenRun(int updates, int millis) {
    if (m_hidden.purpose == kHiddenNone || m_hidden.done) return m_hidden.done;
    c_MyApp& game = p_ReplayGame();
    Replay& replay = m_hidden.replay;
    const bool keepTrack = m_hidden.purpose == kHiddenGhost;
    const int start = kp_app_Millisecs();
    for (int i = 0; i < updates && !game.m_levelDone && m_hidden.played < replay.updates; ++i) {
        if (millis > 0 && kp_app_Millisecs() - start >= millis) break;
        // The keys of the next update, read as they are needed.
        if (m_hidden.reader && m_hidden.reader->Updates() <= m_hidden.played) {
            ReplayRun run;
            if (!m_hidden.reader->Next(&run)) break;
            replay.runs.push_back(run);
            game.m_watched.runs.push_back(run);
        }
        game.p_Game();
        m_hidden.played += 1;
        if (keepTrack) {
            GhostPose pose;
            pose.x = static_cast<int16_t>(game.m_playerX);
            pose.y = static_cast<int16_t>(game.m_playerY);
            pose.subX = static_cast<int8_t>(game.m_playerSubX);
            pose.subY = static_cast<int8_t>(game.m_playerSubY);
            pose.anim = static_cast<uint8_t>(game.m_animCounter);
            pose.facing = static_cast<int8_t>(game.m_facing);
            m_hidden.track.push_back(pose);
        }
    }
    const bool damaged = m_hidden.reader && m_hidden.reader->Damaged();
    m_hidden.done = game.m_levelDone || m_hidden.played >= replay.updates || damaged;
    if (m_hidden.done) {
        m_hidden.damaged = damaged;
        m_hidden.outcome.finished = game.m_levelDone;
        m_hidden.outcome.updates = game.m_levelUpdates;
        m_hidden.outcome.roundState = game.m_levelDone ? game.m_finishState : game.p_RoundStateHash();
        m_hidden.outcome.header = game.m_recording;
    }
    return m_hidden.done;
}

// The line on a finished hidden run: what it is and whether it completes its
// level with its recorded final state.
String c_MyApp::p_HiddenVerdict(bool* valid) {
    *valid = false;
    const Replay& replay = m_hidden.replay;
    const ReplayOutcome& outcome = m_hidden.outcome;
    const std::string what = (replay.level == 0 ? std::string("a player's level") : "level " + std::to_string(replay.level)) +
                             ", " + SchemeName(replay.scheme);
    const std::string assisted = replay.speed < kReplayNormalSpeed
                                     ? ", assisted: played at " + std::to_string(replay.speed) + " % speed"
                                     : std::string();
    const uint32_t finalState = kp_replay_SealState(outcome.roundState, replay);
    std::string line;
    if (m_hidden.damaged) {
        line = "refused: damaged: its key runs do not add up to its " + std::to_string(replay.updates) + " updates";
    } else if (!outcome.finished) {
        line = "refused: " + what + ": its " + std::to_string(replay.updates) + " updates do not reach the exit";
    } else if (outcome.updates != replay.updates) {
        line = "refused: " + what + ": it reaches the exit after " + std::to_string(outcome.updates) + " of its " +
               std::to_string(replay.updates) + " updates";
    } else if (finalState != replay.finalState) {
        line = "refused: " + what + ": it ends in state " + Hex(finalState) + ", not the recorded " +
               Hex(replay.finalState);
    } else {
        line = what + ", " + kp_replay_TimeText(replay.updates) + " (" + std::to_string(replay.updates) +
               " updates)" + assisted + ": completes the level in state " + Hex(replay.finalState);
        if (replay.format == 1) line += " (format 1: its jump scheme is not checked)";
        *valid = true;
    }
    return String(line.c_str());
}

// Plays a replay through the replay game from the level's start until its
// exit or the replay's last update, all at once.
ReplayOutcome c_MyApp::p_PlayReplay(const Replay& replay, std::vector<GhostPose>* track) {
    p_StopHiddenRun();
    m_hidden.purpose = track ? kHiddenGhost : kHiddenCheck;
    m_hidden.replay = replay;
    p_BeginHiddenPlay(replay);
    p_StepHiddenRun(replay.updates);
    const ReplayOutcome outcome = m_hidden.outcome;
    if (track) track->swap(m_hidden.track);
    p_StopHiddenRun();
    return outcome;
}

bool c_MyApp::p_RecordReplay(Replay* replay) {
    const ReplayOutcome outcome = p_PlayReplay(*replay, nullptr);
    if (!outcome.finished) return false;
    Replay recorded = outcome.header;
    for (const ReplayRun& run : replay->runs) recorded.Append(run.keys, std::min(run.updates, outcome.updates - recorded.updates));
    recorded.finalState = kp_replay_SealState(outcome.roundState, recorded);
    *replay = recorded;
    return true;
}

String c_MyApp::p_CheckReplay(const std::vector<unsigned char>& bytes, Replay* replay, bool* valid) {
    *valid = false;
    String refusal;
    if (!p_StartHiddenRun(bytes, kHiddenCheck, &refusal)) {
        *replay = m_hidden.replay;
        return refusal;
    }
    while (!p_StepHiddenRun(kReplayMaxUpdates)) {
    }
    const String line = p_HiddenVerdict(valid);
    *replay = m_hidden.replay;
    p_StopHiddenRun();
    return line;
}

// The update's slice of the hidden run, and what a finished one leads to:
// the ghost's track, or the watch it was preparing.
void c_MyApp::p_StepHiddenRuns() {
    // The player's levels' runs play when nothing else needs the replay game.
    if (m_hidden.purpose == kHiddenNone) p_StartLevelCheck();
    if (m_hidden.purpose == kHiddenNone || !p_StepHiddenRun(kHiddenRunSlice, kHiddenRunMillis)) return;
    bool valid = false;
    const String line = p_HiddenVerdict(&valid);
    if (m_hidden.purpose == kHiddenLevelRun) {
        p_StopHiddenRun();
        p_LevelRunChecked(valid, line);
        return;
    }
    if (m_hidden.purpose == kHiddenGhost) {
        if (valid) m_ghostTrack.swap(m_hidden.track);
    } else if (m_hidden.purpose == kHiddenWatch) {
        kpPrint(String("Replay: ") + line);
        if (valid) {
            p_BeginWatch(m_hidden.replay);
        } else {
            p_LeaveWatch(true);
        }
    }
    p_StopHiddenRun();
}

// ---- Watching ----

// Checks a replay in the replay game, a slice at a time behind the
// preparing screen, then plays it through the real game with its caption;
// any key stops it, and its end leads back to `returnScreen`.
bool c_MyApp::p_WatchReplay(const std::vector<unsigned char>& bytes, int returnScreen) {
    String refusal;
    if (!p_StartHiddenRun(bytes, kHiddenWatch, &refusal)) {
        kpPrint(String("Replay: ") + refusal);
        return false;
    }
    m_watchReturn = returnScreen;
    m_screen = kScreenPreparing;
    m_keyLatch = 1;
    m_clickLatch = 1;
    return true;
}

void c_MyApp::p_BeginWatch(const Replay& replay) {
    m_watchScheme = m_settings.Get(kSettingScheme);
    m_settings[kSettingScheme] = replay.scheme;
    m_watching = true;
    m_watched = replay;
    m_watchRun = 0;
    m_watchOffset = 0;
    m_pauseShown = 0;
    m_quitGame = 0;
    m_gameOverTimer = 0;
    m_mapWidth = kLevelSide;
    m_mapHeight = kLevelSide;
    m_screen = kScreenPlaying;
    p_BeginLevel(replay.level);
}

// Back to where a watch was started from; a run that did not play the same
// says so on the Records screen.
void c_MyApp::p_LeaveWatch(bool refused) {
    m_screen = m_watchReturn;
    m_menuSlide = -32;
    m_keyLatch = 1;
    m_clickLatch = 1;
    if (refused && m_watchReturn == kScreenRecords) p_RecordsNote(String(" This run does not play the same on this version of the game"));
}

void c_MyApp::p_EndWatch() {
    if (m_screen == kScreenPreparing) {
        p_StopHiddenRun();
        p_LeaveWatch(false);
        return;
    }
    if (!m_watching) return;
    m_watching = false;
    m_settings[kSettingScheme] = m_watchScheme;
    p_LeaveWatch(false);
    m_pauseShown = 0;
    m_playerState = 0;
}

// The screen while a replay is checked before it is watched: its level and
// how far the check is; any key or click gives up.
int c_MyApp::p_PreparingScreen() {
    const float w = kp_Glimmer_jscrw, h = kp_Glimmer_jscrh;
    p_CLS2D(0, 0, 80, 1);
    p_AddSnow();
    const Replay& replay = m_hidden.replay;
    const int percent = replay.updates > 0 ? static_cast<int>(100LL * m_hidden.played / replay.updates) : 0;
    p_ResetDraw();
    p_SetSize(2.0f);
    p_SetCol(255, 230, 120, 1);
    p_Text(w / 2, h / 2 - 24, String(" Preparing replay..."), 1.0f, 1.0f);
    p_SetSize(1.5f);
    p_SetCol(255, 255, 255, 1);
    p_Text(w / 2, h / 2 + 8,
           String((" Level " + std::to_string(replay.level) + "  " + kp_replay_TimeText(replay.updates) + "  " +
                   std::to_string(percent) + " %").c_str()),
           1.0f, 1.0f);
    p_SetSize(1.0f);
    p_Text(w / 2, h / 2 + 36, String(" any key stops it"), 1.0f, 1.0f);
    p_ResetDraw();
    bool stop = m_pointerDown != 0 && m_clickLatch == 0;
    for (int key = 1; key < kKeyClose && !stop; ++key) stop = kp_input_KeyHit(key) > 0;
    if (stop) p_EndWatch();
    return 0;
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
    p_DrawImg(kImageHero, x + z * pose.facing, y, pose.anim / 4);
    p_SetCol(255, 255, 255, 1);
}
