// The game's levels, stored as run-length coded texts.
#pragma once

#include "runtime/string.h"

// Coded text of level n: levels 1..15, one shared small room for 16..100,
// and the empty string for any other number.
String kp_Levels_FetchLevel(int n);

// Par time of level n in updates: the length of its committed solver script
// (tests/game/solutions), added up at build time; 0 for a level without one.
int kp_Levels_ParUpdates(int n);
