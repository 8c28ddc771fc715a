// The player's levels: the levels folder beside the save (IndexedDB in the
// browser), each level's proof played again before it is trusted, the best
// runs kept by the level's hash in levels/runs/, the list screen that plays,
// edits and makes levels, and the levels that arrive by a #level= link.
#include <algorithm>
#include <cstdio>
#include <map>

#include "framework/app.h"
#include "game/shell/globals.h"
#include "game/shell/my_app.h"
#include "game/world/level_map.h"
#include "game/world/level_store.h"
#include "host/platform.h"
#include "host/trace.h"
#include "input/input_device.h"
#include "runtime/errors.h"

namespace {
constexpr int kDeathShown = 40;          // of a death in a test, before the editor is back
constexpr float kRowHeight = 22.0f;
constexpr float kListTop = 92.0f;
constexpr int kActionRows = 2;           // "New level" and "Copy of level N" come first
constexpr int kNoteUpdates = 300;

// A file of the save's folder read whole, unless it is larger than any level
// file can be: a huge file is refused without being read.
bool ReadLevelBytes(const std::string& name, std::vector<unsigned char>* bytes) {
    bytes->clear();
    if (!KpGame::_game) return false;
    FILE* file = kp_platform_OpenFile(String::FromUtf8(KpGame::_game->BesideStatePath(name)), String("rb"));
    if (!file) return false;
    unsigned char block[4096];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0 && bytes->size() <= kLevelFileMaxBytes) {
        bytes->insert(bytes->end(), block, block + got);
    }
    std::fclose(file);
    return true;
}

std::string RunFile(uint32_t hash) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%08x.glimmer-replay", kPlayerRunsFolder, hash);
    return name;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Proofs and best runs already played here, by the level's hash and the run's
// bytes: a list shown again plays nothing twice. (Not by the run's CRC-32: a
// replay ends with the CRC of what comes before it, and the CRC of a whole
// replay is then the same for every replay.)
using RunKey = std::pair<uint32_t, std::vector<unsigned char>>;
std::map<RunKey, bool>& CheckedRuns() {
    static std::map<RunKey, bool> checked;
    return checked;
}

// Level 0 of the game lent to another map while a proof is played or a
// hidden run starts (the replay game takes its map from level 0 as it
// starts), then given back with the play it had.
class LentLevelZero {
public:
    LentLevelZero(c_MyApp& app, const std::string& map)
        : app_(app), map_(app.m_playerMap), play_(app.m_playerPlay) {
        app.m_playerMap = map;
        app.m_playerPlay = PlayerLevelPlay();
        app.m_playerPlay.hash = kp_level_Hash(map);
    }
    ~LentLevelZero() {
        app_.m_playerMap = map_;
        app_.m_playerPlay = play_;
    }
    LentLevelZero(const LentLevelZero&) = delete;
    LentLevelZero& operator=(const LentLevelZero&) = delete;

private:
    c_MyApp& app_;
    const std::string map_;
    const PlayerLevelPlay play_;
};

}  // namespace

String c_MyApp::p_CheckLevelProof(const LevelFile& level, bool* proved) {
    *proved = false;
    if (level.proof.empty()) return String("not proved: nobody has cleared it yet");
    Replay run;
    String line;
    {
        const LentLevelZero lent(*this, level.map);
        line = p_CheckReplay(level.proof, &run, proved);
    }
    return (*proved ? String("proved: ") : String("not proved: ")) + line;
}

void c_MyApp::p_LoadPlayerLevels() {
    m_playerLevels.clear();
    if (!KpGame::_game) return;
    std::vector<std::string> names = kp_file_List(KpGame::_game->BesideStatePath(kPlayerLevelsFolder));
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (!EndsWith(name, kLevelFileExtension)) continue;
        PlayerLevel entry;
        entry.file = name;
        std::vector<unsigned char> bytes;
        std::string why;
        if (!ReadLevelBytes(kPlayerLevelsFolder + name, &bytes)) {
            entry.problem = "cannot be read";
        } else if (kp_levelfile_Decode(bytes.data(), bytes.size(), &entry.level, &why)) {
            entry.readable = true;
        } else if (kp_levelfile_Decode(bytes.data(), bytes.size(), &entry.level, nullptr, true)) {
            // The editor's unfinished work: it can be edited, not played.
            const std::vector<LevelProblem> problems = kp_level_Check(entry.level.map);
            entry.problem = "unfinished: " + (problems.empty() ? why : problems.front().text);
        } else {
            entry.problem = why;
            entry.level = LevelFile();
            entry.level.name = name;
        }
        if (entry.readable && entry.level.proof.empty()) entry.problem = "not proved";
        // The best run, kept by the level's hash, counts once it plays to the exit.
        Replay run;
        if (entry.readable && !entry.level.proof.empty() &&
            kp_app_LoadBeside(RunFile(kp_level_Hash(entry.level.map)), &entry.bestFile) &&
            !kp_replay_Decode(entry.bestFile.data(), entry.bestFile.size(), &run, nullptr)) {
            entry.bestFile.clear();
        }
        m_playerLevels.push_back(std::move(entry));
    }
    // The list is shown at once; the proofs and best runs not played here
    // before are played in the replay game, a slice per update.
    p_RefreshLevelChecks();
    const int rows = kActionRows + static_cast<int>(m_playerLevels.size());
    m_levelsSel = std::max(0, std::min(m_levelsSel, rows - 1));
}

void c_MyApp::p_RefreshLevelChecks() {
    for (PlayerLevel& entry : m_playerLevels) {
        if (!entry.readable || entry.level.proof.empty()) continue;
        const uint32_t hash = kp_level_Hash(entry.level.map);
        const auto proof = CheckedRuns().find(RunKey(hash, entry.level.proof));
        entry.checking = proof == CheckedRuns().end();
        if (entry.checking) {
            p_QueueLevelCheck({LevelRunKind::kProof, entry.level.map, entry.level.proof, 0, {}, false}, false);
            continue;
        }
        entry.proved = proof->second;
        entry.problem = entry.proved ? std::string() : "its proof does not clear it here";
        if (!entry.proved || entry.bestFile.empty()) continue;
        const auto best = CheckedRuns().find(RunKey(hash, entry.bestFile));
        if (best == CheckedRuns().end()) {
            entry.checking = true;
            p_QueueLevelCheck({LevelRunKind::kBest, entry.level.map, entry.bestFile, 0, {}, false}, false);
            continue;
        }
        Replay run;
        if (best->second && kp_replay_Decode(entry.bestFile.data(), entry.bestFile.size(), &run, nullptr)) {
            entry.bestUpdates = run.updates;
            entry.best = entry.bestFile;
        }
        entry.bestFile.clear();
    }
}

void c_MyApp::p_QueueLevelCheck(const LevelRunCheck& check, bool first) {
    const auto same = [&check](const LevelRunCheck& queued) {
        return queued.kind == check.kind && queued.map == check.map && queued.run == check.run;
    };
    const auto found = std::find_if(m_levelChecks.begin(), m_levelChecks.end(), same);
    if (found != m_levelChecks.end()) {
        if (!first || found == m_levelChecks.begin()) return;
        m_levelChecks.erase(found);
    }
    if (!first) {
        m_levelChecks.push_back(check);
        return;
    }
    // Played next: the run playing now starts again after it.
    if (m_hidden.purpose == kHiddenLevelRun) p_StopHiddenRun();
    m_levelChecks.insert(m_levelChecks.begin(), check);
}

void c_MyApp::p_StartLevelCheck() {
    if (m_levelChecks.empty() || m_hidden.purpose != kHiddenNone) return;
    const LevelRunCheck& check = m_levelChecks.front();
    String refusal;
    bool started = false;
    {
        const LentLevelZero lent(*this, check.map);
        started = p_StartHiddenRun(check.run, kHiddenLevelRun, &refusal);
    }
    if (!started) p_LevelRunChecked(false, refusal);
}

void c_MyApp::p_LevelRunChecked(bool valid, const String& verdict) {
    if (m_levelChecks.empty()) return;
    const LevelRunCheck check = m_levelChecks.front();
    m_levelChecks.erase(m_levelChecks.begin());
    if (check.kind == LevelRunKind::kRoute) {
        p_RouteChecked(check, valid);
        return;
    }
    CheckedRuns()[RunKey(kp_level_Hash(check.map), check.run)] = valid;
    if (check.kind == LevelRunKind::kImport) {
        p_KeepImportedLevel(check, valid, verdict);
        return;
    }
    p_RefreshLevelChecks();
}

bool c_MyApp::p_LevelImportPending() const {
    return std::any_of(m_levelChecks.begin(), m_levelChecks.end(),
                       [](const LevelRunCheck& check) { return check.kind == LevelRunKind::kImport; });
}

bool c_MyApp::p_ImportLevel(const std::vector<unsigned char>& bytes, String* line, bool fromLink) {
    LevelFile level;
    std::string why;
    if (!kp_levelfile_Decode(bytes.data(), bytes.size(), &level, &why)) {
        *line = String::FromUtf8("refused: " + why);
        m_levelImportLine = *line;
        return false;
    }
    LevelRunCheck check;
    check.kind = LevelRunKind::kImport;
    check.map = level.map;
    check.run = level.proof;
    check.file = bytes;
    check.fromLink = fromLink;
    if (level.proof.empty()) {
        p_KeepImportedLevel(check, false, String("nobody has cleared it yet"));
        *line = m_levelImportLine;
        return true;
    }
    // Its proof is played next, a slice per update (up to ten minutes of play
    // would hold the window for a third of a second at once); the level is
    // kept when it is known.
    p_QueueLevelCheck(check, true);
    *line = String::FromUtf8(level.name + (level.maker.empty() ? "" : " by " + level.maker) + ": checking its proof");
    m_levelImportLine = *line;
    m_levelsNote = String::FromUtf8("Checking its proof: a moment");
    m_levelsNoteTimer = kNoteUpdates;
    return true;
}

void c_MyApp::p_KeepImportedLevel(const LevelRunCheck& check, bool proved, const String& verdict) {
    const std::vector<unsigned char>& bytes = check.file;
    LevelFile level;
    if (!kp_levelfile_Decode(bytes.data(), bytes.size(), &level, nullptr)) return;
    m_levelImportLine = String::FromUtf8(level.name + (level.maker.empty() ? "" : " by " + level.maker) + ": ") +
                        (proved ? String("proved: ") : String("not proved: ")) + verdict;
    if (check.fromLink) kpPrint(String("Level: ") + m_levelImportLine);
    // The same level already kept is not kept twice; a proved copy replaces an unproved one.
    p_LoadPlayerLevels();
    const uint32_t hash = kp_level_Hash(level.map);
    for (size_t i = 0; i < m_playerLevels.size(); ++i) {
        const PlayerLevel& kept = m_playerLevels[i];
        if (!kept.readable || kp_level_Hash(kept.level.map) != hash) continue;
        if (!kept.proved && proved) kp_app_SaveBeside(kPlayerLevelsFolder + kept.file, bytes);
        p_LoadPlayerLevels();
        m_levelsSel = kActionRows + static_cast<int>(i);
        p_ShowImportedLevel(check.fromLink);
        return;
    }
    const std::string base = kp_levelfile_FileName(level.name);
    std::string file = base + kLevelFileExtension;
    for (int n = 2; std::any_of(m_playerLevels.begin(), m_playerLevels.end(),
                                [&file](const PlayerLevel& kept) { return kept.file == file; }); ++n) {
        file = base + "-" + std::to_string(n) + kLevelFileExtension;
    }
    kp_app_SaveBeside(kPlayerLevelsFolder + file, bytes);
    p_LoadPlayerLevels();
    for (size_t i = 0; i < m_playerLevels.size(); ++i) {
        if (m_playerLevels[i].file == file) m_levelsSel = kActionRows + static_cast<int>(i);
    }
    p_ShowImportedLevel(check.fromLink);
}

// A level from the page's link, once kept: the list says what it is, and a
// proved one shows its proof first, then waits in the list to be played. A
// player who has gone on to another screen meanwhile is left there.
void c_MyApp::p_ShowImportedLevel(bool fromLink) {
    if (!fromLink || m_screen != kScreenLevels || m_levelsSel < kActionRows ||
        m_levelsSel - kActionRows >= static_cast<int>(m_playerLevels.size())) {
        return;
    }
    const PlayerLevel& level = m_playerLevels[static_cast<size_t>(m_levelsSel - kActionRows)];
    m_levelsNote =
        String::FromUtf8(level.level.name + (level.proved ? ": proved, from a link" : ": not proved, it keeps no records"));
    m_levelsNoteTimer = kNoteUpdates;
    if (!level.proved) return;
    m_playerMap = level.level.map;
    m_playerPlay = PlayerLevelPlay();
    m_playerPlay.hash = kp_level_Hash(level.level.map);
    m_playerPlay.name = level.level.name;
    p_WatchReplay(level.level.proof, kScreenLevels);
}

void c_MyApp::p_OpenStartLevelLink() {
    m_startLevelLinkChecked = true;
    const std::string fragment = KpGame::_game ? KpGame::_game->StartFragment() : std::string();
    const size_t at = fragment.find(kLevelLinkKey);
    if (at == std::string::npos) return;
    std::string text = fragment.substr(at + std::string(kLevelLinkKey).size());
    text = text.substr(0, text.find('&'));
    std::vector<unsigned char> bytes;
    String line;
    if (!kp_replay_FromLinkText(text, &bytes)) {
        kpPrint(String("Level: refused: the link holds characters a level link does not use"));
        return;
    }
    // The list at once, saying its proof is being checked; the level is kept
    // and shown once it is known.
    const int screen = m_screen;
    m_screen = kScreenLevels;
    p_LoadPlayerLevels();
    if (!p_ImportLevel(bytes, &line, true)) {
        kpPrint(String("Level: ") + line);
        m_screen = screen;
    }
}

void c_MyApp::p_PlayPlayerLevel(size_t index) {
    const PlayerLevel& entry = m_playerLevels[index];
    m_playerMap = entry.level.map;
    m_playerPlay = PlayerLevelPlay();
    m_playerPlay.proved = entry.proved;
    m_playerPlay.index = static_cast<int>(index);
    m_playerPlay.name = entry.level.name;
    m_playerPlay.hash = kp_level_Hash(entry.level.map);
    m_playerPlay.ghost = entry.best;
    m_pauseShown = 0;
    m_quitGame = 0;
    m_gameOverTimer = 0;
    m_score = 0;
    m_mapWidth = kLevelSide;
    m_mapHeight = kLevelSide;
    m_screen = kScreenPlaying;
    m_keyLatch = m_clickLatch = 1;
    p_BeginLevel(0);
}

void c_MyApp::p_KeepPlayerLevelRun() {
    const bool whole = m_recording.level == 0 && m_recording.updates == m_levelUpdates;
    if (!whole) return;
    if (m_playerPlay.testing) {
        // Only a run from the level's own start on the map as it still stands proves it.
        if (m_playerPlay.fromCursor || m_playerPlay.revision != m_editor.edit.Revision()) return;
        m_editor.edit.SetProof(kp_replay_Encode(m_recording));
        m_editor.dirty = true;
        m_editor.note = "Proved: cleared in " + kp_replay_TimeText(m_levelUpdates) + ". It can be shared now.";
        m_editor.noteTimer = kNoteUpdates;
        p_KeepEditorWork();
        return;
    }
    // An unproved level keeps no records; an assisted run is no best of a
    // player's level, whose records are of normal speed alone.
    if (m_recording.speed < kReplayNormalSpeed) return;
    if (!m_playerPlay.proved || m_playerPlay.index < 0 || m_playerPlay.index >= static_cast<int>(m_playerLevels.size())) return;
    PlayerLevel& entry = m_playerLevels[static_cast<size_t>(m_playerPlay.index)];
    if (entry.bestUpdates != 0 && m_levelUpdates >= entry.bestUpdates) return;
    entry.bestUpdates = m_levelUpdates;
    entry.best = kp_replay_Encode(m_recording);
    m_playerPlay.ghost = entry.best;
    kp_app_SaveBeside(RunFile(m_playerPlay.hash), entry.best);
    CheckedRuns()[RunKey(m_playerPlay.hash, entry.best)] = true;
}

bool c_MyApp::p_PlayerLevelEnds() {
    const bool quit = m_quitGame > 0;
    const bool died = m_playerPlay.testing && m_playerState == kDying && m_stateTimer < kDeathUpdates - kDeathShown;
    const bool left = m_playerState == kLeaving && m_stateTimer <= 0;
    if (!quit && !died && !left) return false;
    m_quitGame = 0;
    m_pauseShown = 0;
    m_pauseDir = -1;
    m_pauseY = -64;
    m_gameOverTimer = 0;
    m_playerState = 0;
    m_stateTimer = 0;
    m_keyLatch = m_clickLatch = 1;
    if (left) kpTraceEvent("player_level_cleared");
    if (m_playerPlay.testing) {
        p_EndTestPlay();
    } else {
        m_screen = kScreenLevels;
    }
    return true;
}

int c_MyApp::p_LevelsScreen() {
    const float w = kp_Glimmer_jscrw, h = kp_Glimmer_jscrh;
    p_DrawScreenBackdrop(w, h);

    const bool browser = KpGame::_game && KpGame::_game->OffersFiles();
    const float left = std::max(16.0f, w / 2 - 290);
    const float rowWidth = std::min(w - 2 * left, 580.0f);
    p_SetSize(3);
    p_SetCol(255, 230, 120);
    p_Text(w / 2, 36, String(" My levels"), 1.0f, 1.0f);

    const int rows = kActionRows + static_cast<int>(m_playerLevels.size());
    const int visible = std::max(3, static_cast<int>((h - kListTop - 70) / kRowHeight));
    const int first = std::max(0, std::min(m_levelsSel - visible / 2, rows - visible));
    p_SetSize(1.5f);
    p_SetCol(150, 200, 255);
    p_Text(left, kListTop - 24, String("Name             Maker       Proof    Best"), 0.0f, 1.0f);
    for (int row = first; row < rows && row < first + visible; ++row) {
        const float y = kListTop + kRowHeight * (row - first);
        if (row == m_levelsSel) {
            p_SetCol(255, 255, 255, 0.18f);
            p_Rect(left - 6, y - kRowHeight / 2, rowWidth, kRowHeight);
        }
        char text[128];
        if (row == 0) {
            p_SetCol(120, 255, 120, 1);
            std::snprintf(text, sizeof text, " + New level");
        } else if (row == 1) {
            p_SetCol(120, 255, 120, 1);
            std::snprintf(text, sizeof text, " + Copy of level < %d >", m_levelsCopy);
        } else {
            const PlayerLevel& entry = m_playerLevels[static_cast<size_t>(row - kActionRows)];
            const std::string best = entry.bestUpdates > 0 ? kp_replay_TimeText(entry.bestUpdates) : "-";
            const char* proof = entry.proved ? "proved" : entry.checking ? "checking" : entry.readable ? "no" : "-";
            const std::string last = !entry.readable ? entry.problem : entry.checking && entry.proved ? "checking" : best;
            std::snprintf(text, sizeof text, " %-16.16s %-11.11s %-8s %s", entry.level.name.c_str(),
                          entry.level.maker.c_str(), proof, last.c_str());
            if (entry.proved) p_SetCol(255, 255, 255, 1); else p_SetCol(190, 190, 210, 1);
        }
        p_Text(left, y, String::FromUtf8(text), 0.0f, 1.0f);
    }

    p_SetSize(1.0f);
    p_SetCol(200, 200, 220, 1);
    p_Text(w / 2, h - 40, String(" Up/Down choose   Z play or make   E edit   Left/Right level to copy   Esc back"), 1.0f, 1.0f);
    p_Text(w / 2, h - 24, String(browser ? " H puts a proved level's link in the address bar   F saves it as a file"
                                         : " Level files in the levels folder beside the save are listed here"),
           1.0f, 1.0f);
    if (p_LevelImportPending()) m_levelsNoteTimer = std::max(m_levelsNoteTimer, 2);   // "checking" until it is known
    if (m_levelsNoteTimer > 0) {
        m_levelsNoteTimer -= 1;
        p_SetCol(255, 230, 120, 1);
        p_Text(w / 2, h - 58, m_levelsNote, 1.0f, 1.0f);
    }

    p_SetSize(1.5f);
    p_SetCol(255, 255, 255);
    const bool backClicked = p_Button97(24, 24, kIconBack) == 1 && m_clickLatch == 0;
    p_ResetDraw();

    bool action = false;
    for (int key : kActionKeys) action = action || p_PlayKey(key);
    const PlayerLevel* selected =
        m_levelsSel >= kActionRows ? &m_playerLevels[static_cast<size_t>(m_levelsSel - kActionRows)] : nullptr;
    const auto note = [this](const std::string& text) {
        m_levelsNote = String::FromUtf8(text);
        m_levelsNoteTimer = kNoteUpdates;
    };
    const auto open = [this](int row) {
        m_keyLatch = m_clickLatch = 1;
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
        if (row == 0) {
            LevelFile fresh;
            fresh.name = "My level";
            fresh.map = kp_level_NewMap();
            p_OpenEditor(fresh, std::string());
        } else if (row == 1) {
            LevelFile copy;
            std::string map;
            kp_level_Decode(kp_Levels_FetchLevel(m_levelsCopy).ToCString(), &map);
            copy.map = map;
            copy.name = "Level " + std::to_string(m_levelsCopy) + " copy";
            p_OpenEditor(copy, std::string());
        } else {
            const PlayerLevel& entry = m_playerLevels[static_cast<size_t>(row - kActionRows)];
            if (entry.readable && entry.checking && !entry.proved) {
                // Its proof is played next; the level opens once it is known.
                p_QueueLevelCheck({LevelRunKind::kProof, entry.level.map, entry.level.proof, 0, {}, false}, true);
                m_levelsNote = String::FromUtf8("Checking its proof: a moment");
                m_levelsNoteTimer = kNoteUpdates;
            } else if (entry.readable) {
                p_PlayPlayerLevel(static_cast<size_t>(row - kActionRows));
            } else if (!entry.level.map.empty()) {
                p_OpenEditor(entry.level, entry.file);
            }
        }
    };
    if (backClicked || (p_PlayKey(kGameKeyBack) && m_keyLatch == 0)) {
        m_keyLatch = m_clickLatch = 1;
        m_screen = kScreenMenu;
        m_menuSlide = -32;
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
    } else if (p_PlayKey(kGameKeyUp) && m_keyLatch == 0 && m_levelsSel > 0) {
        m_keyLatch = 1;
        m_levelsSel -= 1;
        p_PlaySFX(kSfxConfirm, 0.8f, kMenuVolume, 0);
    } else if (p_PlayKey(kGameKeyDown) && m_keyLatch == 0 && m_levelsSel < rows - 1) {
        m_keyLatch = 1;
        m_levelsSel += 1;
        p_PlaySFX(kSfxConfirm, 1.2f, kMenuVolume, 0);
    } else if ((p_PlayKey(kGameKeyLeft) || p_PlayKey(kGameKeyRight)) && m_keyLatch == 0 && m_levelsSel == 1) {
        m_keyLatch = 1;
        m_levelsCopy = (m_levelsCopy + (p_PlayKey(kGameKeyLeft) ? kLevelCount - 2 : 0)) % kLevelCount + 1;
        p_PlaySFX2(kSfxConfirm, kMenuVolume);
    } else if (action && m_keyLatch == 0) {
        open(m_levelsSel);
    } else if (kp_input_KeyHit(kKeyE) > 0 && selected && !selected->level.map.empty()) {
        m_keyLatch = m_clickLatch = 1;
        p_OpenEditor(selected->level, selected->file);
    } else if (browser && selected && selected->proved && kp_input_KeyHit(kKeyF) > 0) {
        KpGame::_game->OfferDownload(selected->file, kp_levelfile_Encode(selected->level));
        note("Saved as " + selected->file);
    } else if (browser && selected && selected->proved && kp_input_KeyHit(kKeyH) > 0) {
        KpGame::_game->OfferLink(kLevelLinkKey + kp_replay_LinkText(kp_levelfile_Encode(selected->level)));
        note("The link to this level is in the address bar");
    } else if (selected && !selected->proved && (kp_input_KeyHit(kKeyH) > 0 || kp_input_KeyHit(kKeyF) > 0)) {
        note("Only a proved level can be shared: clear it in a test from the editor first");
    } else if (m_pointerDown != 0 && m_clickLatch == 0) {
        // A tap on a row chooses it; on the chosen row it opens it, as the confirm key does.
        const int row = first + static_cast<int>((m_touchY[0] - kListTop + kRowHeight / 2) / kRowHeight);
        if (m_touchX[0] >= left - 6 && m_touchX[0] < left - 6 + rowWidth && m_touchY[0] >= kListTop - kRowHeight / 2 &&
            row >= first && row < rows && row < first + visible) {
            m_clickLatch = 1;
            if (row == 1 && m_touchX[0] > left + rowWidth - 120) {
                m_levelsCopy = m_levelsCopy % kLevelCount + 1;   // the copy's number, tapped along
            } else if (row == m_levelsSel) {
                open(row);
            } else {
                m_levelsSel = row;
            }
        }
    }
    return 0;
}
