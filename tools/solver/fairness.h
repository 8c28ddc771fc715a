// How forgiving a level's route is to a careful person: the timing window of
// every input, which clock a timed input waits on, and whether the default
// 640 x 480 view shows that clock when the input comes.
//
// The route is played as a careful person plays it, in the solver's form:
// every move starts with the hero at rest (standing, hanging from a bar or a
// handle, or holding a ladder), its keys go down then and stay down while the
// move is under way. Inputs: the updates at which a key goes down after the
// drop-in. A release is no input: it ends a tap, and no move of the hero is
// shorter than a tap.
//
// Window of an input: the number of consecutive updates at which its keys can
// go down, the route's own update among them, such that the level is still
// completed. Later presses hold the keys before it (rest) longer; earlier ones
// count only while the hero already rests there (a careful person does not
// press while he still moves), up to kWindowSide updates either way. The rest
// of the route adapts as a person would, whichever works:
//   - he waits for what he waited for: the inputs after it move with it up to
//     the next rest of the hero, which takes the shift up (he waits less or
//     more there), and from there come when they came on the route;
//   - he keeps his rhythm: every input after it moves by as much.
// The level counts as completed when the hero enters the exit with every tree
// lit, or when the game is the route's own at the update where the route is
// taken up again. A window is at most 2 * kWindowSide + 1 updates: an input
// with no clock in reach gets the cap on its later side.
//
// Timed input: one whose window ends, later or earlier, on a clock. Its clock
// is the one of the failure at the window's edge: the launcher whose shot
// killed the hero (or, where the game never came back to the route, the
// launcher nearest him), else a running plunger (its four seconds). A
// launcher's cue is its beat: every launcher fires every two seconds, each in
// its own phase (set by its place on the map), so only launchers that fire in
// the same updates as the deciding one show it. It is in view when, at some
// update of the second before the input, the camera (the game's own,
// following the hero with its lag) showed on the 640 x 480 view the centre of
// the tile of a launcher of that beat or of one of its shots in flight, or a
// plunger ran (its countdown tells when its flip blocks let shots through). A
// plunger's state is always in view: the game draws the running plunger
// beside the pause button.
//
// Limits: the window is that of one input with the others adapting as above,
// not of several inputs off at once; a person reacting to something the route
// never shows (a shot he waits for from another place) is not modelled.
#pragma once

#include <string>
#include <vector>

#include "tools/solver/game_session.h"
#include "tools/solver/input_script.h"

constexpr int kWindowSide = 30;                    // updates measured each way
constexpr int kFairWindow = 15;                    // the smallest window every level keeps (250 ms)
constexpr int kFairWindowFirstLevels = 24;         // and levels 1 to 7 (400 ms)
constexpr int kFairFirstLevelsLast = 7;
constexpr int kFairReplayUpdates = 30 * 60;        // a death late in a level costs at most this much replay

enum class WindowClock { kNone, kLauncher, kPlunger };

struct InputWindow {
    int update = 0;              // when the input comes, from the level build
    unsigned keys = 0;           // keys held from then on
    int x = 0, y = 0;            // the hero's tile then
    int earlier = 0, later = 0;  // how many updates it can come earlier and later
    bool timed = false;
    WindowClock clock = WindowClock::kNone;
    int clockX = -1, clockY = -1;   // the launcher's or plunger's tile
    bool cueInView = true;
    int Width() const { return earlier + later + 1; }
};

struct FairnessReport {
    int level = 0;
    bool completed = false;
    int updates = 0;                   // the route's time
    std::vector<InputWindow> inputs;
    int smallest = -1;                 // index of the first input with the smallest window
    int timedInputs = 0;
    int cuesOutOfView = 0;
    int lastTimedUpdate = 0;           // update of the last timed input: what a death there replays
    bool startInFire = false;          // the start tile lies in a launcher's line of fire
    std::string error;

    int SmallestWindow() const { return smallest < 0 ? 2 * kWindowSide + 1 : inputs[smallest].Width(); }
    std::string Where() const;         // "at 12.3 s, (x, y), keys", or "-"
};

// The smallest window a level is held to.
int FairWindowGoal(int level);

// The route as a careful person presses it: a key going down while the move
// an earlier key started is under way goes down with that key instead, where
// that leaves the game the same (grip held through the jump that ends on a
// handle). One gesture is one input.
InputScript CarefulForm(GameSession& session, int level, const InputScript& script);

// Measures a route (a script in the solver's form) of level n in the
// session's running game (which must be on the game screen).
// Only the inputs from update `from` to update `to` are measured, and the
// measure stops at the first window narrower than `stopBelow`.
FairnessReport MeasureFairness(GameSession& session, int level, const InputScript& script, int from = 0,
                               int to = 1 << 30, int stopBelow = 0);

// The goals each report breaks, one message each.
std::vector<std::string> FairnessFaults(const FairnessReport& report);

// The table, as text or as lines of
// "level,smallest_window_updates,where,timed_inputs,cues_out_of_view".
std::string FairnessTable(const std::vector<FairnessReport>& reports, bool csv);

// One line per report for passing it between processes, and back.
std::string FairnessToLine(const FairnessReport& report);
bool FairnessFromLine(const std::string& line, FairnessReport* report);
