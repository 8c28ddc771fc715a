// Hashes of the levels' stored texts. Replays and records name the level
// they were made on by its own hash, so that a release changing some levels
// keeps the runs and records of the others.
#pragma once

#include <cstdint>

#include "game/game_ids.h"
#include "runtime/string.h"

uint32_t kp_Glimmer_LevelTextHash(const String& text);   // any level's text as stored (coded)
uint32_t kp_Glimmer_LevelHash(int n);                     // level n of 1..15; 0 for any other number
uint32_t kp_Glimmer_LevelSetHash();                       // levels 1..15 together, as format 1 names them
// The hash level n had in an earlier level set, named by the set's hash as
// the first format of replays and records named it; false for a set this
// game does not know.
bool kp_Glimmer_EarlierLevelHash(uint32_t levelSet, int n, uint32_t* hash);
