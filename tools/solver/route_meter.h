// Measures of a level's route: what the hero does, update by update, while a
// script is played through the game's own update code, and the variety rules
// the levels are held to. Shared by the solver's report and the level tests.
//
// Every measure is taken from the game state after each update together with
// the state after the update before (the hero's tile, state and offsets, the
// map, the movers and the keys held during the update). The definitions:
//
// Time: updates from the level build to the update in which the hero enters
// the exit. Control time: the same without the drop-in at the start (the
// updates that begin while the drop-in still runs).
//
// The move of an update: the hero's state after it, or, when that is
// standing, the state before it (so the update that completes a walk is a
// walk, and an update that neither starts nor ends a move is a still one).
//
// Plain walking: walk updates (move 1) that are not a hang (the hero's tile
// is a grip bar or handle with grip held: a shuffle) and not a dodge (a live
// shot on the hero's row is coming at him from at most six tiles away with
// nothing between to stop it). Share of the control time.
//
// Long-floor walking: walk updates that are not a hang, and jump updates of
// jumps that took off from the floor, on a floor wider than 70 % of the
// playable width (more than 43 of the 62 columns). The floor
// under the hero is the stretch of his row around him whose tiles are open
// (not solid) and from which he can stand or walk on (a floor, ladder or bar
// tile below, or a ladder tile itself; no spikes), where holes and spike
// pits of up to two tiles (a jump clears them) do not end the stretch; its
// width is from its first to its last standable column. Share of the control time.
//
// Route features (the ten of the variety rules), each present when one
// update shows it:
//   spike jump      a jump move with spikes in the hero's tile or the two below it;
//   bar             the hero's tile is a grip bar and grip is held (hanging, shuffling);
//   handles         the hero's tile is a grip handle and grip is held;
//   plunger         the hero's tile is a plunger;
//   D wall          the hero's tile is an (opened) "D" block;
//   d bridge        at rest or walking on a closed "d" block;
//   late window     a D wall or d bridge update while the one running plunger
//                   has less than two of its four seconds left;
//   line of fire    the hero's tile is on a launcher's row, on its firing side,
//                   with no wall or closed flip block between (shots pass launchers);
//   shot dodged     a live shot overlaps the hero's column (closer than 12 tile
//                   pixels, the distance at which a shot kills) while he is clear of
//                   it by 8 to 31 pixels up or down: jumped, ducked or dodged on a ladder;
//   wait            standing or hanging still for 20 or more updates in a row of control time.
//
// Mechanics: the features above and finer ones ("jump from a ladder", "catch
// a ladder mid-jump", "$", "two plungers cancel", "shield", ...; the table in
// route_meter.cpp names each with its test). Pairing: two mechanics of
// different families (bar, handle, ladder, window, fire, ...; the basic moves
// walk, turn, ladder climb, fall and jump have none) used within 20 updates
// of each other (the same move or the next). A level brings a new mechanic when its route uses one
// that no earlier level's route used, and a new pairing when it pairs two
// mechanics that earlier routes used but never together.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "game/shell/my_app.h"
#include "tools/solver/input_script.h"

enum RouteFeature {
    kFeatureSpikeJump,
    kFeatureBar,
    kFeatureHandles,
    kFeaturePlunger,
    kFeatureDWall,
    kFeatureDBridge,
    kFeatureLateWindow,
    kFeatureLineOfFire,
    kFeatureShotDodged,
    kFeatureWait,
    kFeatureCount,
};
const char* RouteFeatureName(int feature);

struct RouteMeasures {
    int level = 0;
    bool completed = false;          // the hero entered the exit with every tree lit
    int updates = 0;                 // time
    int controlUpdates = 0;
    int plainWalk = 0;               // updates
    int longFloorWalk = 0;
    unsigned features = 0;           // bit per RouteFeature
    std::set<std::string> mechanics;
    std::set<std::string> pairings;  // "a + b", the names in order
    // Filled by CompareWithEarlier: what no earlier level's route used.
    std::vector<std::string> newMechanics;
    std::vector<std::string> newPairings;

    double Seconds() const { return updates / 60.0; }
    double PlainShare() const { return controlUpdates ? static_cast<double>(plainWalk) / controlUpdates : 0; }
    double LongFloorShare() const { return controlUpdates ? static_cast<double>(longFloorWalk) / controlUpdates : 0; }
    int FeatureCount() const;
    std::string FeatureList(const char* separator = ", ") const;
};

// Watches one level being played. Construct it right after the level is
// built (before its first update), then call Observe after every update.
class RouteMeter {
public:
    RouteMeter(c_MyApp& app, int level);
    ~RouteMeter();
    RouteMeter(const RouteMeter&) = delete;
    RouteMeter& operator=(const RouteMeter&) = delete;

    void Observe(unsigned keysHeld);   // script keys held during the update just run
    RouteMeasures Finish() const;

private:
    struct Impl;
    Impl* impl_;
};

// Builds the level as the exit of the level before would, plays the script
// with `step` (holds the keys for one update) and measures it.
RouteMeasures MeasureScript(c_MyApp& app, int level, const InputScript& script,
                            const std::function<void(unsigned keys)>& step);

// Fills newMechanics and newPairings of every level from the ones before it
// (the list in level order, starting at level 1).
void CompareWithEarlier(std::vector<RouteMeasures>* levels);

// The variety rules for levels `first` and on: one message per broken rule.
std::vector<std::string> VarietyFaults(const std::vector<RouteMeasures>& levels, int first);
