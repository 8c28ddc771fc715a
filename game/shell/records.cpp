// Records: each level's best time with its run and its fewest deaths, the
// best whole-game time, the timer and ghost switches; kept in their own file
// beside the state file (records_file.h), the best runs also as replay files
// in a "replays" folder beside it. The Records screen lists them, watches a
// best run, and in the browser hands a run over as a file or a link.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "framework/app.h"
#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "game/shell/records_layout.h"
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

constexpr int kNoteUpdates = 240;
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
    p_Text(x, y, String::FromUtf8(kp_replay_TimeText(record.bestUpdates)), 0.0f, 1.0f);
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
    for (const std::string& line : read.dropped) kpPrint(String::FromUtf8("Records Dropped: " + line));
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
            kpPrint(String::FromUtf8("Record Kept Without Its Run: level " + std::to_string(m_level) + ", " +
                         kp_replay_TimeText(m_levelUpdates) + ", a run longer than a replay holds"));
        } else {
            kp_app_SaveBeside(LevelFileName(m_level, assisted), record.replay);
            // The boards take runs of normal speed only.
            if (!assisted) p_QueueWorldRun(record.replay);
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
    p_DrawScreenBackdrop(w, h);

    const bool browser = KpGame::_game && KpGame::_game->OffersFiles();
    const RecordsLayout l = kp_records_Layout(w, h);
    const float k = l.k;
    const float left = l.left, top = l.top, row = l.row;
    const float right = l.panelX;

    // The chosen level's board is read when the screen opens and when the
    // level changes; the outbox is tried again at once.
    if (!m_recordsOpen || m_boardAskedLevel != m_recordsSel + 1) {
        if (!m_recordsOpen) m_boards.RetryNow();
        m_recordsOpen = true;
        m_boardAskedLevel = m_recordsSel + 1;
        m_worldSel = 0;
        m_boards.Fetch(kp_Glimmer_LevelHash(m_recordsSel + 1));
    }

    p_SetSize(3 * k);
    p_SetCol(255, 230, 120);
    p_Text(left - 20 * k + l.width * k / 2, l.titleY, String(" Records"), 1.0f, 1.0f);

    // The levels: best time and fewest deaths, then the assisted runs' (kept
    // apart, each time marked with the speed it was played at); the selected
    // row highlighted, and in it the chosen kind.
    const float rowSize = 1.5f * k;
    p_SetSize(rowSize);
    p_SetCol(150, 200, 255);
    p_Text(left, top - 22 * k, String("Level  Best time  Deaths"), 0.0f, 1.0f);
    p_Text(left + l.assistedColumn, top - 22 * k, String("Assisted"), 0.0f, 1.0f);
    for (int i = 0; i < kRecordLevels; ++i) {
        const LevelRecord& record = m_records.levels[i];
        const LevelRecord& assisted = m_records.assisted[i];
        const float y = top + row * i;
        if (i == m_recordsSel) {
            p_SetCol(255, 255, 255, 0.18f);
            p_Rect(l.rowLeft, y - row / 2, l.rowWidth, row);
            p_SetCol(255, 255, 255, 0.1f);
            if (m_recordsColumn == 0) p_Rect(l.rowLeft, y - row / 2, l.assistedColumn, row);
            else if (m_recordsColumn == 1) p_Rect(l.rowLeft + l.assistedColumn, y - row / 2, l.rowWidth - l.assistedColumn, row);
        }
        char text[64];
        std::snprintf(text, sizeof text, " %2d    %-9s  %s", i + 1,
                      record.bestUpdates > 0 ? kp_replay_TimeText(record.bestUpdates).c_str() : "-",
                      record.fewestDeaths >= 0 ? std::to_string(record.fewestDeaths).c_str() : "-");
        p_SetSize(rowSize);
        if (record.replay.empty()) p_SetCol(150, 150, 170, 1); else p_SetCol(255, 255, 255, 1);
        p_Text(left, y, String::FromUtf8(text), 0.0f, 1.0f);
        if (assisted.bestUpdates > 0) p_DrawAssistedTime(left + l.assistedColumn, y, assisted, rowSize);
    }

    // The second panel: the chosen level's world board, or the whole game's
    // times (an assisted game's apart) and the highscores of the table in use.
    p_SetSize(rowSize);
    p_SetCol(150, 200, 255, 1);
    if (!m_recordsHighscores) {
        const std::string title = "World: level " + std::to_string(m_recordsSel + 1);
        p_Text(right, l.panelTop - 22 * k, String::FromUtf8(title), 0.0f, 1.0f);
        p_DrawWorldBoard(right, l.panelTop, row, k);
    } else {
        const float panelTop = l.panelTop;
        p_Text(right, panelTop - 22 * k, String("Whole game"), 0.0f, 1.0f);
        p_SetCol(255, 255, 255, 1);
        const std::string best = m_records.bestGameUpdates > 0 ? kp_replay_TimeText(m_records.bestGameUpdates) : "-";
        p_Text(right, panelTop, String::FromUtf8(best), 0.0f, 1.0f);
        if (m_records.bestAssistedGameUpdates > 0) {
            LevelRecord game;
            game.bestUpdates = m_records.bestAssistedGameUpdates;
            game.speed = m_records.assistedGameSpeed;
            game.replay.push_back(0);   // drawn as a time with its run
            p_DrawAssistedTime(right + 110 * k, panelTop, game, rowSize);
        }
        p_SetSize(rowSize);
        p_SetCol(150, 200, 255, 1);
        p_Text(right, panelTop + row, String("Highscores"), 0.0f, 1.0f);
        p_SetCol(255, 255, 255, 1);
        for (int i = 0; i < 10; ++i) {
            p_Text(right, panelTop + (2 + i) * row, p_rstr(2, i + 1, String(" ")) + String(". ") + String(m_hiScores.Get(i)),
                   0.0f, 1.0f);
        }
    }

    // The switches, each a button and a key.
    const auto toggle = [&](int index, const char* label, bool on) {
        p_SetSize(1.2f * k);
        p_SetCol(on ? 80.0f : 250.0f, on ? 230.0f : 90.0f, on ? 80.0f : 90.0f);
        const bool hit = p_Button97(l.switchX[index], l.switchY, on ? kIconTick : kIconCross) == 1 && m_clickLatch == 0 &&
                         !m_naming;
        p_SetSize(rowSize);
        p_SetCol(255, 255, 255);
        p_Text(l.switchX[index] + 20 * k, l.switchY, String(label), 0.0f, 1.0f);
        if (hit) m_clickLatch = 1;
        return hit;
    };
    const bool typing = m_naming;
    const bool timer = toggle(0, "Timer (T)", m_records.timerShown) || (!typing && kp_input_KeyHit(kKeyT) > 0);
    const bool ghost = toggle(1, "Ghost (G)", m_records.ghostShown) || (!typing && kp_input_KeyHit(kKeyG) > 0);
    const bool post = toggle(2, "Post (P)", m_boards.Player().posting == Posting::kOn) ||
                      (!typing && kp_input_KeyHit(kKeyP) > 0);
    if (timer || ghost) {
        if (timer) m_records.timerShown = !m_records.timerShown;
        if (ghost) m_records.ghostShown = !m_records.ghostShown;
        p_PlaySFX2(kSfxConfirm, 0.5f);
        p_SaveRecords();
    }
    if (post) {
        p_PlaySFX2(kSfxConfirm, 0.5f);
        p_SwitchPosting();
    }

    // Hints, in as many lines as the screen's width needs.
    const std::string hints = kp_records_Hints(m_recordsColumn, browser);
    p_SetSize(1.0f * k);
    p_SetCol(200, 200, 220, 1);
    const std::vector<std::string> lines = kp_records_HintLines(l, hints);
    const float middle = left - 20 * k + l.width * k / 2;
    for (size_t i = 0; i < lines.size() && i < static_cast<size_t>(l.hintLines); ++i) {
        p_Text(middle, l.hintY + static_cast<float>(i) * l.hintStep, String::FromUtf8(" " + lines[i]), 1.0f, 1.0f);
    }
    // What the last export or post did; else a time kept without its run (one too long
    // for a replay) says so while its row is chosen.
    const LevelRecord& chosen = (m_recordsColumn == 1 ? m_records.assisted : m_records.levels)[m_recordsSel];
    p_SetCol(255, 230, 120, 1);
    if (m_recordsNoteTimer > 0) {
        m_recordsNoteTimer -= 1;
        p_Text(middle, l.noteY, m_recordsNote, 1.0f, 1.0f);
    } else if (m_recordsColumn < 2 && chosen.bestUpdates > 0 && chosen.replay.empty()) {
        p_Text(middle, l.noteY, String(" No run kept for this time: it was too long to keep"), 1.0f, 1.0f);
    }

    // Back.
    p_SetSize(1.5f * k);
    p_SetCol(255, 255, 255);
    const bool backClicked = p_Button97(kRecordsBackAt, kRecordsBackAt, kIconBack) == 1 && m_clickLatch == 0 && !m_naming;
    p_ResetDraw();

    // The name being typed takes every key.
    if (p_NameEntry()) return 0;

    const WorldTop& world = m_boards.Top();
    const bool worldShown = !m_recordsHighscores && m_boards.State() == BoardState::kShown &&
                            m_boards.ShownHash() == kp_Glimmer_LevelHash(m_recordsSel + 1);
    const int worldRuns = worldShown ? static_cast<int>(std::min<size_t>(world.runs.size(), kBoardTopSize)) : 0;
    if (m_recordsColumn == 2 && worldRuns == 0) m_recordsColumn = 1;
    const LevelRecord& selected = (m_recordsColumn == 1 ? m_records.assisted : m_records.levels)[m_recordsSel];
    const auto fetchWorldRun = [&](int purpose) {
        if (m_worldFetch != 0 || m_worldSel >= worldRuns) return;
        m_worldFetch = purpose;
        m_worldFetchLevel = m_recordsSel + 1;
        m_boards.FetchReplay(world.runs[static_cast<size_t>(m_worldSel)].run);
        m_recordsNote = String(" Fetching the run...");
        m_recordsNoteTimer = kNoteUpdates;
    };
    bool action = false;
    for (int key : kActionKeys) action = action || p_PlayKey(key);
    if (backClicked || (p_PlayKey(kGameKeyBack) && m_keyLatch == 0)) {
        m_keyLatch = m_clickLatch = 1;
        m_screen = kScreenMenu;
        m_menuSlide = -32;
        p_PlaySFX2(kSfxConfirm, 0.5f);
    } else if (kp_input_KeyHit(kKeyN) > 0) {
        m_naming = true;
        m_nameTyped = m_boards.Player().name;
        m_nameProblem.clear();
        while (kp_input_GetChar() != 0) {
        }
    } else if (kp_input_KeyHit(kKeyW) > 0) {
        m_recordsHighscores = !m_recordsHighscores;
        if (m_recordsColumn == 2) m_recordsColumn = 0;
        p_PlaySFX(kSfxConfirm, 1.0f, 0.5f, 0);
    } else if (p_PlayKey(kGameKeyUp) && m_keyLatch == 0 && (m_recordsColumn == 2 ? m_worldSel > 0 : m_recordsSel > 0)) {
        m_keyLatch = 1;
        if (m_recordsColumn == 2) m_worldSel -= 1; else m_recordsSel -= 1;
        p_PlaySFX(kSfxConfirm, 0.8f, 0.5f, 0);
    } else if (p_PlayKey(kGameKeyDown) && m_keyLatch == 0 &&
               (m_recordsColumn == 2 ? m_worldSel < worldRuns - 1 : m_recordsSel < kRecordLevels - 1)) {
        m_keyLatch = 1;
        if (m_recordsColumn == 2) m_worldSel += 1; else m_recordsSel += 1;
        p_PlaySFX(kSfxConfirm, 1.2f, 0.5f, 0);
    } else if ((p_PlayKey(kGameKeyLeft) || p_PlayKey(kGameKeyRight)) && m_keyLatch == 0) {
        m_keyLatch = 1;
        const int step = p_PlayKey(kGameKeyRight) ? 1 : -1;
        m_recordsColumn = std::max(0, std::min(worldRuns > 0 ? 2 : 1, m_recordsColumn + step));
        p_PlaySFX(kSfxConfirm, 1.0f, 0.5f, 0);
    } else if (m_recordsColumn == 2 && action && m_keyLatch == 0) {
        m_keyLatch = m_clickLatch = 1;
        fetchWorldRun(1);
    } else if (m_recordsColumn == 2 && kp_input_KeyHit(kKeyR) > 0) {
        fetchWorldRun(2);
    } else if (m_recordsColumn < 2 && action && m_keyLatch == 0 && !selected.replay.empty()) {
        m_keyLatch = m_clickLatch = 1;
        p_WatchRecord(m_recordsSel);
    } else if (browser && m_recordsColumn < 2 && !selected.replay.empty() && kp_input_KeyHit(kKeyE) > 0) {
        char name[64];
        std::snprintf(name, sizeof name, "glimmer-level%02d%s%s", m_recordsSel + 1, m_recordsColumn == 1 ? "-assisted" : "",
                      kReplayExtension);
        KpGame::_game->OfferDownload(name, selected.replay);
        m_recordsNote = String::FromUtf8(std::string(" Saved as ") + name);
        m_recordsNoteTimer = kNoteUpdates;
    } else if (browser && m_recordsColumn < 2 && !selected.replay.empty() && kp_input_KeyHit(kKeyH) > 0) {
        KpGame::_game->OfferLink(kLinkKey + kp_replay_LinkText(selected.replay));
        p_RecordsNote(String(" The link to this run is in the address bar"));
    } else if (m_pointerDown != 0 && m_clickLatch == 0) {
        // A click on a level's row watches its run; one on a world run watches that.
        const float x = static_cast<float>(m_touchX[0]), y = static_cast<float>(m_touchY[0]);
        const int level = static_cast<int>(std::floor((y - top + row / 2) / row));
        const int place = static_cast<int>(std::floor((y - l.panelTop + row / 2) / row));
        if (x >= l.rowLeft && x < l.rowLeft + l.rowWidth && level >= 0 && level < kRecordLevels) {
            m_clickLatch = 1;
            m_recordsSel = level;
            m_recordsColumn = x >= l.rowLeft + l.assistedColumn ? 1 : 0;
            if (!(m_recordsColumn == 1 ? m_records.assisted : m_records.levels)[level].replay.empty()) p_WatchRecord(level);
        } else if (x >= right - 4 * k && x < right + 216 * k && place >= 0 && place < worldRuns) {
            m_clickLatch = 1;
            m_recordsColumn = 2;
            m_worldSel = place;
            fetchWorldRun(1);
        }
    }
    return 0;
}
