// The most forgiving route of a level, searched from a route that completes
// it (the solver's fastest): a careful person may stop and wait wherever the
// hero rests out of harm's way, for the moment that leaves him the most time.
//
// A bottleneck search on the fairness measure (fairness.h), round by round:
// each round takes the input with the smallest window (with every window
// wide enough, the first whose cue is out of view) and tries
//   - a longer wait, kForgivingStep, 2 kForgivingStep, ... up to two launcher
//     periods, at each of the last kForgivingPlaces places before it where
//     the route's hero rests (standing, hanging or on a ladder, holding no key
//     but grip);
//   - a stop at a refuge the route passes by: a tile out of every line of
//     fire where the hero can stand, among the kForgivingRefuges nearest that
//     input round the stretch of the route it lies in. The solver's fastest
//     way there (its moves, SolveToWayPoint) from one of the last
//     kForgivingDetourStarts places, a wait of 0, kForgivingStep, ... under a
//     launcher period, and the solver's fastest way on to one of the first
//     kForgivingRejoins places after the input where the route rests out of
//     the lines of fire with no plunger running, met at the same point of the
//     launchers' period, from where the route goes on as before.
// It keeps the change that makes the smallest window of the inputs from the
// earliest place tried to two seconds after the worst input (or the last
// place met again) the widest, each timed input there whose cue is out of
// view counting as two seconds less, when that is wider than before. It stops
// when nothing widens it, after kForgivingRounds rounds, or once every window
// is kForgivingEnough wide with every cue in view.
#pragma once

#include <cstddef>
#include <string>

#include "tools/solver/game_session.h"
#include "tools/solver/input_script.h"

constexpr int kForgivingStep = 10;
constexpr int kForgivingLongest = 240;          // updates: two launcher periods
constexpr size_t kForgivingPlaces = 3;
constexpr size_t kForgivingDetourStarts = 2;
constexpr size_t kForgivingRefuges = 6;
constexpr size_t kForgivingRejoins = 2;
constexpr int kForgivingSearchStates = 4000;    // a way to or from a refuge: the solver's search is bounded
constexpr int kForgivingRounds = 16;
constexpr int kForgivingEnough = 31;   // a window no clock bounds: the later side up to its cap

// The route with its waits and stops; `log` (if given) gets one line per change kept.
InputScript MostForgivingRoute(GameSession& session, int level, const InputScript& route, std::string* log);
