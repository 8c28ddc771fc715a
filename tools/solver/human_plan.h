// What a person who knows a route watches for and does, input by input, in
// the words of the playtest tool's trace (tools/playtest): the plan that
// tools/playtest/human_play.py follows in the real window.
//
// The route is taken in its careful form (fairness.h), its releases moved to
// the middle of the updates where they change nothing. For every change of the
// keys held (a press or a release): the keys held from then on, and what it
// answers: the last event the trace prints at least kPlanReaction updates
// before it on the route (the hero reaching a tile, or a shot near him
// entering one), and how long after that event it comes. A person reacts to
// nothing sooner than that; where the route needs a press sooner after the
// last thing seen, the plan answers an earlier event with a longer wait (a
// rhythm counted from it).
//
// Text, one line a change:
//   input UPDATE KEYS hero X Y N DELAY      (keys as a number: bits of input_script.h;
//                                            the hero reaching tile X Y for the Nth time)
//   input UPDATE KEYS shot X Y DIRECTION HX HY HN DELAY   (the first such shot after
//                                            the hero reached HX HY for the HNth time; 0: the start)
//   input UPDATE KEYS built DELAY
//   end UPDATE
// A press ends with its window (fairness.h), "window EARLIER LATER": how many
// updates it may come before and after the route's own, the others adapting.
// with the route's events between them as comments, in the trace's words
// ("# @UPDATE hero at (X, Y)"), for setting a real run beside it.
#pragma once

#include <string>

#include "tools/solver/game_session.h"
#include "tools/solver/input_script.h"

constexpr int kPlanReaction = 15;        // updates: 200 ms of reaction and 50 of jitter
constexpr int kPlanShotColumns = 10;     // the trace's shots: within this many columns
constexpr int kPlanShotRows = 7;         // and rows of the hero: about the view

std::string HumanPlan(GameSession& session, int level, const InputScript& script);
