// The editor's route search: the solver (glimmer-solve --level-file), beside
// the game, searches a route through the level being edited while the game
// goes on. Its progress lines are read as they come, without waiting; it
// stops at kRouteSearchSeconds on the game's clock, when asked, when the map
// changes and when the editor is left. A route it finds is played again in
// the replay game, like every proof, before it proves the level.
#include <cstdio>
#include <cstdlib>

#include "game/shell/my_app.h"
#include "game/world/level_map.h"
#include "framework/app.h"

namespace {

constexpr const char* kSolverTool = "glimmer-solve";
constexpr int kNoteUpdates = 300;
constexpr int kMillisPerSecond = 1000;

bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

}  // namespace

bool c_MyApp::p_RouteSearchOffered() { return m_editor.routeOffered; }

void c_MyApp::p_StartRouteSearch() {
    const auto note = [this](const std::string& text) {
        m_editor.note = text;
        m_editor.noteTimer = kNoteUpdates;
    };
    const std::vector<LevelProblem> problems = kp_level_Check(m_editor.edit.Map());
    if (!problems.empty()) {
        note("The search waits until the map holds: " + problems.front().text);
        return;
    }
    // The solver reads the level from its file, written as it stands.
    m_editor.dirty = true;
    p_KeepEditorWork();
    const std::string tool = kp_tool_Find(kSolverTool);
    if (m_editor.dirty || m_editor.file.empty() || !KpGame::_game) {
        note("The level could not be written for the search");
        return;
    }
    const std::string file = KpGame::_game->BesideStatePath(kPlayerLevelsFolder + m_editor.file);
    m_route.output.clear();
    if (tool.empty() ||
        !m_route.tool.Start(tool, {"--level-file", file, "--seconds", std::to_string(kRouteSearchSeconds)})) {
        note("The solver could not be started");
        return;
    }
    m_route.searching = true;
    m_route.revision = m_editor.edit.Revision();
    m_route.startMillis = kp_app_Millisecs();
    m_route.states = 0;
    m_editor.noteTimer = 0;
}

void c_MyApp::p_StopRouteSearch(const std::string& why) {
    m_route.tool.Stop();
    m_route.searching = false;
    m_route.output.clear();
    if (!why.empty()) {
        m_editor.note = why;
        m_editor.noteTimer = kNoteUpdates;
    }
}

void c_MyApp::p_StepRouteSearch() {
    if (!m_route.searching) return;
    if (m_editor.edit.Revision() != m_route.revision) {
        p_StopRouteSearch("The search stopped: the map changed");
        return;
    }
    const bool running = m_route.tool.Poll(&m_route.output);
    for (size_t end = m_route.output.find('\n'); end != std::string::npos; end = m_route.output.find('\n')) {
        // A Windows console program ends its lines with a carriage return too.
        const size_t cut = end > 0 && m_route.output[end - 1] == '\r' ? end - 1 : end;
        const std::string line = m_route.output.substr(0, cut);
        m_route.output.erase(0, end + 1);
        p_RouteLine(line);
        if (!m_route.searching) return;
    }
    if (!running) {
        p_StopRouteSearch("The solver ended without an answer");
    } else if (kp_app_Millisecs() - m_route.startMillis >= kRouteSearchSeconds * kMillisPerSecond) {
        p_StopRouteSearch("No route found within " + std::to_string(kRouteSearchSeconds) +
                          " s: clear it in a test from its start to prove it");
    }
}

void c_MyApp::p_RouteLine(const std::string& line) {
    if (StartsWith(line, "searching: ")) {
        m_route.states = std::atoi(line.c_str() + 11);
    } else if (StartsWith(line, "no route: ")) {
        const std::string why = line.substr(10, line.rfind(", ") == std::string::npos ? std::string::npos : line.rfind(", ") - 10);
        p_StopRouteSearch("No route: " + why);
    } else if (StartsWith(line, "route: ")) {
        std::vector<unsigned char> run;
        const size_t link = line.rfind(", ");
        if (link == std::string::npos || !kp_replay_FromLinkText(line.substr(link + 2), &run)) {
            p_StopRouteSearch("The solver's answer could not be read");
            return;
        }
        p_StopRouteSearch(std::string());
        // Played again, as any proof, before it is believed.
        m_route.checking = true;
        p_QueueLevelCheck({LevelRunKind::kRoute, m_editor.edit.Map(), run, m_route.revision, {}, false}, true);
    }
}

void c_MyApp::p_RouteChecked(const LevelRunCheck& check, bool valid) {
    m_route.checking = false;
    const auto note = [this](const std::string& text) {
        m_editor.note = text;
        m_editor.noteTimer = kNoteUpdates;
    };
    if (check.revision != m_editor.edit.Revision() || check.map != m_editor.edit.Map()) return;
    if (!valid) {
        note("The solver's route does not clear the level here: not proved");
        return;
    }
    Replay header;
    kp_replay_DecodeHeader(check.run.data(), check.run.size(), &header, nullptr);
    m_editor.edit.SetProof(check.run);
    m_editor.dirty = true;
    p_KeepEditorWork();
    note("Proved by the solver's route: cleared in " + kp_replay_TimeText(header.updates) + ". It can be shared now.");
}
