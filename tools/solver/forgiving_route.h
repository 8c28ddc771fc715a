// The most forgiving route of a level, searched from a route that completes
// it (the solver's fastest): a careful person may stop and wait wherever the
// hero rests out of harm's way, for the moment that leaves him the most time.
//
// A bottleneck search over those waits, on the fairness measure
// (fairness.h): each round takes the input with the smallest window and tries
// waits of kForgivingStep, 2 kForgivingStep, ... up to two launcher periods
// at each of the last kForgivingPlaces places before it where the hero rests
// (standing, hanging or on a ladder, holding no key but grip) and the route
// still completes the level; it keeps the wait that makes the smallest window
// of the inputs from that place to two seconds after the worst input the
// largest, when that is wider than before (each timed input there whose cue
// is out of view counts as two seconds less: a wait that brings the beat on
// the screen comes first; with every window wide enough, the worst input is
// the first such one). It stops when no wait widens the
// smallest window, after kForgivingRounds rounds, or once every window is
// kForgivingEnough wide. The moves stay those of the route it starts from:
// a route through other places (a dip passed by, a refuge not taken) is not
// searched.
#pragma once

#include <string>

#include "tools/solver/game_session.h"
#include "tools/solver/input_script.h"

constexpr int kForgivingStep = 10;
constexpr int kForgivingLongest = 240;   // updates: two launcher periods
constexpr int kForgivingPlaces = 3;
constexpr int kForgivingRounds = 10;
constexpr int kForgivingEnough = 31;   // a window no clock bounds: the later side up to its cap

// The route with its waits; `log` (if given) gets one line per wait kept.
InputScript MostForgivingRoute(GameSession& session, int level, const InputScript& route, std::string* log);
