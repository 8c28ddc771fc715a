// What a screen reader says: in the browser the page keeps an ARIA live
// region (host/web/shell.html), and the game hands it one line whenever
// what is chosen or shown changes: the selected menu item with its state,
// the level caption, and the status lines on screen (a refusal, a note, a
// new highscore). The line is made from the game's state after each update,
// so no screen needs code of its own to be followed.
#include <algorithm>
#include <cstdio>

#include "game/shell/my_app.h"
#include "game/world/level_map.h"
#include "game/shell/settings_file.h"
#include "game/world/level_hash.h"
#include "host/game_host.h"

namespace {

std::string OnOff(bool on) { return on ? "on" : "off"; }

}  // namespace

std::string c_MyApp::p_SpokenText() {
    if (m_loadStep > 0) return "Loading";
    switch (m_screen) {
        case kScreenMenu: {
            if (m_creditsOpen == 1) return "Credits. Press back to close them.";
            static const char* const kItems[] = {"Play", "Help", "Jump controls", "Controls", "Options", "Records", "My levels"};
            std::string item = m_menuSel >= 0 && m_menuSel < 7 ? kItems[m_menuSel] : "";
            if (m_menuSel == 1) item += ": " + OnOff(m_settings.Get(kSettingHelpOff) == 0);
            if (m_menuSel == 2) item += m_settings.Get(kSettingScheme) == 2 ? ": 2-Button-Jump" : ": 1-Button-Jump";
            return "Main menu: " + item + ". Sound " + OnOff(m_settings.Get(kSettingSound) != 0) + ".";
        }
        case kScreenPlaying: {
            if (m_quitGame > 0) return m_rank > 0 ? "Game over. New highscore: " + p_MyNth().ToUtf8() : "Game over";
            if (m_watching) return "Replay of level " + std::to_string(m_watched.level) + ". Any key stops it.";
            // A player's level is told by its name, as its caption shows it.
            const std::string level = m_level == 0 ? m_playerPlay.name + (m_playerPlay.testing ? ", a test" : "")
                                                   : "Level " + std::to_string(std::min(m_level, kLevelCount)) + " of 15";
            if (m_pauseShown == 1) {
                static const char* const kPause[] = {"Quit", "Resume", "Sound", "Controls", "Options"};
                const int at = m_pauseSel + 1;
                std::string item = at >= 0 && at < 5 ? kPause[at] : "";
                if (m_pauseSel == 1) item += " " + OnOff(m_settings.Get(kSettingSound) != 0);
                return "Paused, " + level + ": " + item;
            }
            return level;
        }
        case kScreenBackToMenu:
            return m_rank > 0 ? "Game over. New highscore: " + p_MyNth().ToUtf8() : "Game over";
        case kScreenEnding:
            return "Merry Christmas! Congratulations, you turned on all the lights.";
        case kScreenPreparing:
            return "Preparing replay";
        case kScreenRecords: {
            const bool assisted = m_recordsColumn == 1;
            const LevelRecord& r = (assisted ? m_records.assisted : m_records.levels)[m_recordsSel];
            std::string line = "Records: level " + std::to_string(m_recordsSel + 1) + (assisted ? ", assisted" : "") +
                               ": best time " + (r.bestUpdates > 0 ? kp_replay_TimeText(r.bestUpdates) : "none");
            if (assisted && r.bestUpdates > 0) line += " at " + std::to_string(r.speed) + " % speed";
            if (r.fewestDeaths >= 0) line += ", fewest deaths " + std::to_string(r.fewestDeaths);
            line += ". World board: ";
            const uint32_t wanted = kp_Glimmer_LevelHash(m_recordsSel + 1);
            switch (m_boards.State()) {
                case BoardState::kNotSet: line += "no server is set"; break;
                case BoardState::kOffline: line += "offline"; break;
                case BoardState::kShown:
                    if (m_boards.ShownHash() == wanted) {
                        const WorldTop& top = m_boards.Top();
                        if (top.runs.empty()) line += "no runs yet";
                        else line += "1. " + top.runs[0].name + " " + top.runs[0].time;
                        if (top.playerPlaced) line += "; you: " + std::to_string(top.player.rank) + ". " + top.player.time;
                        break;
                    }
                    [[fallthrough]];
                default: line += "fetching"; break;
            }
            if (m_recordsNoteTimer > 0) line += ". " + m_recordsNote.ToUtf8();
            return line;
        }
        case kScreenOptions:
        case kScreenControls:
            return m_spokenSettings;
        case kScreenLevels: {
            if (m_levelsSel == 0) return "My levels: new level";
            if (m_levelsSel == 1) return "My levels: copy of level " + std::to_string(m_levelsCopy);
            const size_t row = static_cast<size_t>(m_levelsSel - 2);
            if (row >= m_playerLevels.size()) return "My levels";
            const PlayerLevel& entry = m_playerLevels[row];
            return "My levels: " + entry.level.name + (entry.level.maker.empty() ? "" : " by " + entry.level.maker) + ", " +
                   (entry.proved ? "proved" : entry.checking ? "checking its proof" : entry.readable ? "not proved" : entry.problem);
        }
        case kScreenEditor: {
            // The brush and the tile under the cursor, by name, and the last action's note.
            const auto name = [](char code) {
                for (const LevelTileKind& kind : kp_level_TileKinds()) {
                    if (kind.code == code) return std::string(kind.name);
                }
                return std::string("?");
            };
            const LevelEdit& edit = m_editor.edit;
            std::string line = "Editor: brush " + name(m_editor.brush) + ". " + std::to_string(m_editor.cursorX) + "," +
                               std::to_string(m_editor.cursorY) + ": " + name(edit.Tile(m_editor.cursorX, m_editor.cursorY)) +
                               "." + (edit.Proved() ? " Proved." : "");
            if (m_route.searching) line += " Searching a route.";
            if (m_editor.noteTimer > 0) line += " " + m_editor.note;
            return line;
        }
        default:
            return std::string();
    }
}

void c_MyApp::p_Announce() {
    std::string text = p_SpokenText();
    // Trim the leading spaces the screens draw before their texts.
    while (!text.empty() && text[0] == ' ') text.erase(0, 1);
    if (text == m_spoken || text.empty()) return;
    m_spoken = text;
    if (KpGame::_game) KpGame::_game->Announce(text);
}
