// The variety report: each level's committed route measured (route_meter.h),
// the number of inputs a person makes on it, and how exact their timing must be.
//
// Held form: the solver's scripts tap keys (a key for one update, then none
// while the move plays out). A person holds keys instead, so the report first
// turns a script into the keys a person would hold: after each input, its keys
// stay held over the idle updates that follow, as long as the game comes out
// exactly as before (hero, map, movers and latches the same where the next
// input starts); where that fails, they stay held until the hero comes to rest.
// Inputs: the key presses of the held form (each key going down counts once).
//
// Slack: for every change of the held keys after the drop-in (an input), the
// most updates it can come earlier (the keys before it held for less) and
// later (held for longer), up to kSlackCap each, with everything after it
// moved by as much, such that the level is still completed (every shift in
// between works too). An input's slack is earlier + later, the width of the
// window in which it may fall; a level's slack is its tightest input's.
#pragma once

#include <string>
#include <vector>

#include "tools/solver/game_session.h"
#include "tools/solver/input_script.h"
#include "tools/solver/route_meter.h"

constexpr int kSlackCap = 30;
constexpr int kHumaneSlack = 6;   // updates: a person can time an input within a window this wide

struct InputSlack {
    int update = 0;          // when the input comes, counted from the level build
    unsigned keys = 0;       // keys held from then on
    int earlier = 0;
    int later = 0;
    int Width() const { return earlier + later; }
};

struct LevelReport {
    RouteMeasures measures;
    int inputs = 0;
    bool slackMeasured = false;
    InputSlack tightest;     // the input with the least slack
    std::string error;       // the script could not be read or does not complete the level
};

// The held form of a level's script (see above).
InputScript HeldForm(GameSession& session, int level, const InputScript& script);

// Measures one level's script in the session's running game (on the game screen).
LevelReport ReportLevel(GameSession& session, int level, const InputScript& script, bool withSlack);

// The held form of a level's route as text, one input a line: when it comes,
// the keys held from then on, and the hero's tile and state there.
std::string RouteText(GameSession& session, int level, const InputScript& script);

// The report's table, as text or as a Markdown table.
std::string ReportTable(const std::vector<LevelReport>& levels, bool markdown);

// One line per report for passing it between processes, and back.
std::string ReportToLine(const LevelReport& report);
bool ReportFromLine(const std::string& line, LevelReport* report);
