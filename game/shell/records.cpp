// Records: each level's best time with its run and its fewest deaths, the
// best whole-game time, the timer and ghost switches; kept in their own file
// beside the state file (records_file.h), the best runs also as replay files
// in a "replays" folder beside it. The Records screen lists them, watches a
// best run, and in the browser hands a run over as a file or a link.
#include <algorithm>
#include <cstdio>

#include "framework/app.h"
#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "game/world/level_hash.h"
#include "game/world/level_store.h"
#include "input/input_device.h"
#include "runtime/errors.h"

namespace {

constexpr const char* kRecordsFile = ".zephyrrecords";
constexpr const char* kReplayFolder = "replays/";
constexpr const char* kReplayExtension = ".glimmer-replay";
constexpr const char* kLinkKey = "replay=";

// Points for a finished level (rules in docs/records.md): a finish, and a
// time bonus for every second under three times the level's par time.
constexpr int kScoreFinish = 1000;
constexpr int kParFactor = 4;
constexpr int kScorePerSecond = 10;

constexpr float kRowHeight = 18.0f;
constexpr float kSwitchStep = 40.0f;   // the switches' buttons (38.4 high) must not overlap
constexpr int kNoteUpdates = 240;
constexpr float kRowWidth = 370.0f;          // a level's row: its records and its assisted records
constexpr float kAssistedColumn = 262.0f;    // where the assisted records start in it
constexpr float kSpeedMarkAt = 80.0f;        // an assisted time's mark, after the time

// An assisted time's mark: the speed it was played at ("70%").
String SpeedMark(int speed) { return String((std::to_string(speed) + "%").c_str()); }

// replays/level03.glimmer-replay; an assisted run's replays/level03-assisted.glimmer-replay.
std::string LevelFileName(int level, bool assisted) {
    char name[64];
    std::snprintf(name, sizeof name, "%slevel%02d%s%s", kReplayFolder, level, assisted ? "-assisted" : "",
                  kReplayExtension);
    return name;
}

String Text(const std::string& text) { return String(text.c_str()); }

}  // namespace

int kp_Glimmer_TimeBonus(int level, int updates) {
    const int par = kp_Levels_ParUpdates(level);
    if (par <= 0) return 0;
    return std::max(0, kParFactor * par - updates) / kUpdatesPerSecond * kScorePerSecond;
}

// An assisted time, light blue, and after it its mark, the speed it was played at.
void c_MyApp::p_DrawAssistedTime(float x, float y, const LevelRecord& record, float size) {
    p_SetSize(size);
    if (record.replay.empty()) p_SetCol(150, 150, 170, 1); else p_SetCol(170, 230, 255, 1);
    p_Text(x, y, Text(kp_replay_TimeText(record.bestUpdates)), 0.0f, 1.0f);
    p_SetSize(size * 2 / 3);
    p_Text(x + kSpeedMarkAt * size / 1.5f, y, SpeedMark(record.speed), 0.0f, 1.0f);
    p_SetSize(size);
}

void c_MyApp::p_LoadRecords() {
    // Writes a crash or a kill interrupted leave their temporary files behind.
    kp_app_RemoveStaleTempsBeside(kRecordsFile);
    kp_app_RemoveStaleTempsBeside(kReplayFolder);
    std::vector<unsigned char> bytes;
    m_records = GameRecords();
    if (!kp_app_LoadBeside(kRecordsFile, &bytes)) return;
    const RecordsRead read = kp_records_Decode(bytes.data(), bytes.size(), &m_records);
    if (!read.valid) {
        kpPrint(String("Records Invalid: damaged or not a records file, reset"));
        p_SaveRecords();
        return;
    }
    // Records that cannot be kept go alone, each named; the rest stay.
    for (const std::string& line : read.dropped) kpPrint(Text("Records Dropped: " + line));
    kpPrint(String("Records Loaded"));
    if (!read.dropped.empty()) p_SaveRecords();
}

void c_MyApp::p_SaveRecords() { kp_app_SaveBeside(kRecordsFile, kp_records_Encode(m_records)); }

// A finished level of a game being played: the score, and its records when
// the run beats them; the best run is also written as a replay file.
void c_MyApp::p_KeepRecords() {
    if (m_level == 0) {
        p_KeepPlayerLevelRun();
        return;
    }
    p_Award(kScoreFinish + kp_Glimmer_TimeBonus(m_level, m_levelUpdates));
    if (m_level < 1 || m_level > kRecordLevels) return;
    // A run at a slower game speed is a record of its own kind, kept apart.
    const bool assisted = m_recording.speed < kReplayNormalSpeed;
    LevelRecord& record = (assisted ? m_records.assisted : m_records.levels)[m_level - 1];
    if (record.bestUpdates == 0) record.speed = m_recording.speed;
    bool changed = false;
    if (record.fewestDeaths == kNoDeathsRecord || m_levelDeaths < record.fewestDeaths) {
        record.fewestDeaths = m_levelDeaths;
        changed = true;
    }
    // A run recorded for another level (a level entered some other way than
    // by its start) is no record. A run longer than a replay holds keeps its
    // time without its run, and says so.
    if (m_recording.level == m_level && (record.bestUpdates == 0 || m_levelUpdates < record.bestUpdates)) {
        record.levelHash = kp_Glimmer_LevelHash(m_level);
        record.bestUpdates = m_levelUpdates;
        record.speed = m_recording.speed;
        record.replay = m_recording.updates == m_levelUpdates ? kp_replay_Encode(m_recording) : std::vector<unsigned char>();
        if (record.replay.empty()) {
            kpPrint(Text("Record Kept Without Its Run: level " + std::to_string(m_level) + ", " +
                         kp_replay_TimeText(m_levelUpdates) + ", a run longer than a replay holds"));
        } else {
            kp_app_SaveBeside(LevelFileName(m_level, assisted), record.replay);
        }
        changed = true;
    }
    if (changed) p_SaveRecords();
}

void c_MyApp::p_KeepGameRecord() {
    const bool assisted = m_gameSpeed < kReplayNormalSpeed;
    int& best = assisted ? m_records.bestAssistedGameUpdates : m_records.bestGameUpdates;
    if (!p_LivePlay() || (best != 0 && m_gameUpdates >= best)) return;
    best = m_gameUpdates;
    (assisted ? m_records.assistedGameLevelSet : m_records.gameLevelSet) = kp_Glimmer_LevelSetHash();
    if (assisted) m_records.assistedGameSpeed = m_gameSpeed;
    p_SaveRecords();
}

void c_MyApp::p_OpenStartLink() {
    m_startLinkChecked = true;
    const std::string fragment = KpGame::_game ? KpGame::_game->StartFragment() : std::string();
    const size_t at = fragment.find(kLinkKey);
    if (at == std::string::npos) return;
    std::string text = fragment.substr(at + std::string(kLinkKey).size());
    text = text.substr(0, text.find('&'));
    std::vector<unsigned char> bytes;
    if (!kp_replay_FromLinkText(text, &bytes)) {
        kpPrint(String("Replay: refused: the link holds characters a replay link does not use"));
        return;
    }
    p_WatchReplay(bytes, kScreenMenu);
}

// Watches a level's best run; one that does not play on this game says so
// (at once, or once its check is over).
void c_MyApp::p_WatchRecord(int index) {
    const LevelRecord& record = (m_recordsColumn == 1 ? m_records.assisted : m_records.levels)[index];
    if (p_WatchReplay(record.replay, kScreenRecords)) return;
    p_RecordsNote(String(" This run does not play the same on this version of the game"));
}

void c_MyApp::p_RecordsNote(const String& text) {
    m_recordsNote = text;
    m_recordsNoteTimer = kNoteUpdates;
}

int c_MyApp::p_RecordsScreen() {
    const float w = kp_Glimmer_jscrw, h = kp_Glimmer_jscrh;
    p_CLS2D(0, 0, 80, 1);
    p_Alpha(0.4f);
    m_rot = 45;
    p_SetSize(4);
    p_DrawImg(kImageMenu, w / 2, h / 2, 1);
    p_ResetDraw();
    p_AddSnow();

    const bool browser = KpGame::_game && KpGame::_game->OffersFiles();
    const float left = std::max(16.0f, w / 2 - 300);
    const float right = w / 2 + 96;
    const float top = 96;

    p_SetSize(3);
    p_SetCol(255, 230, 120);
    p_Text(w / 2, 36, String(" Records"), 1.0f, 1.0f);

    // The levels: best time and fewest deaths, then the assisted runs' (kept
    // apart, each time marked with the speed it was played at); the selected
    // row highlighted, and in it the chosen kind.
    p_SetSize(1.5f);
    p_SetCol(150, 200, 255);
    p_Text(left, top - 22, String("Level  Best time  Deaths"), 0.0f, 1.0f);
    p_Text(left + kAssistedColumn, top - 22, String("Assisted"), 0.0f, 1.0f);
    for (int i = 0; i < kRecordLevels; ++i) {
        const LevelRecord& record = m_records.levels[i];
        const LevelRecord& assisted = m_records.assisted[i];
        const float y = top + kRowHeight * i;
        if (i == m_recordsSel) {
            p_SetCol(255, 255, 255, 0.18f);
            p_Rect(left - 6, y - kRowHeight / 2, kRowWidth, kRowHeight);
            p_SetCol(255, 255, 255, 0.1f);
            if (m_recordsColumn == 0) p_Rect(left - 6, y - kRowHeight / 2, kAssistedColumn, kRowHeight);
            else p_Rect(left - 6 + kAssistedColumn, y - kRowHeight / 2, kRowWidth - kAssistedColumn, kRowHeight);
        }
        char row[64];
        std::snprintf(row, sizeof row, " %2d    %-9s  %s", i + 1,
                      record.bestUpdates > 0 ? kp_replay_TimeText(record.bestUpdates).c_str() : "-",
                      record.fewestDeaths >= 0 ? std::to_string(record.fewestDeaths).c_str() : "-");
        if (record.replay.empty()) p_SetCol(150, 150, 170, 1); else p_SetCol(255, 255, 255, 1);
        p_Text(left, y, Text(row), 0.0f, 1.0f);
        if (assisted.bestUpdates > 0) p_DrawAssistedTime(left + kAssistedColumn, y, assisted, 1.5f);
    }

    // The whole game (and an assisted game's, apart) and the highscores of the table in use.
    p_SetCol(150, 200, 255, 1);
    p_Text(right, top - 22, String("Whole game"), 0.0f, 1.0f);
    p_SetCol(255, 255, 255, 1);
    p_Text(right, top, m_records.bestGameUpdates > 0 ? Text(kp_replay_TimeText(m_records.bestGameUpdates))
                                                     : String("-"), 0.0f, 1.0f);
    if (m_records.bestAssistedGameUpdates > 0) {
        LevelRecord game;
        game.bestUpdates = m_records.bestAssistedGameUpdates;
        game.speed = m_records.assistedGameSpeed;
        game.replay.push_back(0);   // drawn as a time with its run
        p_DrawAssistedTime(right, top + kRowHeight, game, 1.5f);
    }
    p_SetCol(150, 200, 255, 1);
    p_Text(right, top + 2 * kRowHeight, String("Highscores"), 0.0f, 1.0f);
    p_SetCol(255, 255, 255, 1);
    for (int i = 0; i < 10; ++i) {
        p_Text(right, top + (3 + i) * kRowHeight, p_rstr(2, i + 1, String(" ")) + String(". ") + String(m_hiScores.Get(i)),
               0.0f, 1.0f);
    }

    // The switches, each a button and a key.
    const auto toggle = [&](float y, const char* label, bool on) {
        p_SetSize(1.2f);
        p_SetCol(on ? 80.0f : 250.0f, on ? 230.0f : 90.0f, on ? 80.0f : 90.0f);
        const bool hit = p_Button97(right + 10, y, on ? kIconTick : kIconCross) == 1 && m_clickLatch == 0;
        p_SetSize(1.5f);
        p_SetCol(255, 255, 255);
        p_Text(right + 30, y, String(label), 0.0f, 1.0f);
        if (hit) m_clickLatch = 1;
        return hit;
    };
    const float switchesY = top + 14 * kRowHeight;
    const bool timer = toggle(switchesY, "Timer (T)", m_records.timerShown) || kp_input_KeyHit(kKeyT) > 0;
    const bool ghost = toggle(switchesY + kSwitchStep, "Ghost (G)", m_records.ghostShown) || kp_input_KeyHit(kKeyG) > 0;
    if (timer || ghost) {
        if (timer) m_records.timerShown = !m_records.timerShown;
        if (ghost) m_records.ghostShown = !m_records.ghostShown;
        p_PlaySFX2(kSfxConfirm, 0.5f);
        p_SaveRecords();
    }

    // Hints.
    p_SetSize(1.0f);
    p_SetCol(200, 200, 220, 1);
    p_Text(w / 2, h - 40, String(browser ? " Arrows choose   Z watch   E save the run as a file   H link to it   Esc back"
                                         : " Arrows choose a level or its assisted run   Z watch it   Esc back"), 1.0f, 1.0f);
    p_Text(w / 2, h - 24, String(browser ? " Links play the run when opened"
                                         : " The best runs are kept as files in the replays folder beside the save"),
           1.0f, 1.0f);
    // What the last export did; else a time kept without its run (one too long
    // for a replay) says so while its row is chosen.
    const LevelRecord& chosen = (m_recordsColumn == 1 ? m_records.assisted : m_records.levels)[m_recordsSel];
    p_SetCol(255, 230, 120, 1);
    if (m_recordsNoteTimer > 0) {
        m_recordsNoteTimer -= 1;
        p_Text(w / 2, h - 60, m_recordsNote, 1.0f, 1.0f);
    } else if (chosen.bestUpdates > 0 && chosen.replay.empty()) {
        p_Text(w / 2, h - 60, String(" No run kept for this time: it was too long to keep"), 1.0f, 1.0f);
    }

    // Back.
    p_SetSize(1.5f);
    p_SetCol(255, 255, 255);
    const bool backClicked = p_Button97(24, 24, kIconBack) == 1 && m_clickLatch == 0;
    p_ResetDraw();

    const LevelRecord& selected = (m_recordsColumn == 1 ? m_records.assisted : m_records.levels)[m_recordsSel];
    bool action = false;
    for (int key : kActionKeys) action = action || p_PlayKey(key);
    if (backClicked || (p_PlayKey(kGameKeyBack) && m_keyLatch == 0)) {
        m_keyLatch = m_clickLatch = 1;
        m_screen = kScreenMenu;
        m_menuSlide = -32;
        p_PlaySFX2(kSfxConfirm, 0.5f);
    } else if (p_PlayKey(kGameKeyUp) && m_keyLatch == 0 && m_recordsSel > 0) {
        m_keyLatch = 1;
        m_recordsSel -= 1;
        p_PlaySFX(kSfxConfirm, 0.8f, 0.5f, 0);
    } else if (p_PlayKey(kGameKeyDown) && m_keyLatch == 0 && m_recordsSel < kRecordLevels - 1) {
        m_keyLatch = 1;
        m_recordsSel += 1;
        p_PlaySFX(kSfxConfirm, 1.2f, 0.5f, 0);
    } else if ((p_PlayKey(kGameKeyLeft) || p_PlayKey(kGameKeyRight)) && m_keyLatch == 0) {
        m_keyLatch = 1;
        m_recordsColumn = p_PlayKey(kGameKeyRight) ? 1 : 0;
        p_PlaySFX(kSfxConfirm, 1.0f, 0.5f, 0);
    } else if (action && m_keyLatch == 0 && !selected.replay.empty()) {
        m_keyLatch = m_clickLatch = 1;
        p_WatchRecord(m_recordsSel);
    } else if (browser && !selected.replay.empty() && kp_input_KeyHit(kKeyE) > 0) {
        char name[64];
        std::snprintf(name, sizeof name, "glimmer-level%02d%s%s", m_recordsSel + 1, m_recordsColumn == 1 ? "-assisted" : "",
                      kReplayExtension);
        KpGame::_game->OfferDownload(name, selected.replay);
        p_RecordsNote(Text(std::string(" Saved as ") + name));
    } else if (browser && !selected.replay.empty() && kp_input_KeyHit(kKeyH) > 0) {
        KpGame::_game->OfferLink(kLinkKey + kp_replay_LinkText(selected.replay));
        p_RecordsNote(String(" The link to this run is in the address bar"));
    } else if (m_pointerDown != 0 && m_clickLatch == 0) {
        // A click on a level's row watches its run.
        const int row = static_cast<int>((m_touchY[0] - top + kRowHeight / 2) / kRowHeight);
        if (m_touchX[0] >= left - 6 && m_touchX[0] < left - 6 + kRowWidth && row >= 0 && row < kRecordLevels &&
            m_touchY[0] >= top - kRowHeight / 2) {
            m_clickLatch = 1;
            m_recordsSel = row;
            m_recordsColumn = m_touchX[0] >= left - 6 + kAssistedColumn ? 1 : 0;
            if (!(m_recordsColumn == 1 ? m_records.assisted : m_records.levels)[row].replay.empty()) p_WatchRecord(row);
        }
    }
    return 0;
}
