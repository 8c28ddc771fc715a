// Game logic without rendering: full updates of a level in play (tile logic,
// launchers and their movers, the hero, snow, the tutorial, the draw list
// filled), the map pass alone, the collector over a long soak, and the
// updates that prepare an hour's replay.
#pragma once

#include "tools/bench/game_driver.h"

struct LogicOptions {
    int updates = 20000;      // timed full updates
    int mapPasses = 5000;     // timed map passes
    int soakMinutes = 10;     // simulated minutes of play for the collector
};

// Prints logic_* figures; the game must be in play.
void LogicSection(GameDriver& driver, const LogicOptions& options);
// Prints gc_* figures; the game must be in play.
void CollectorSection(GameDriver& driver, const LogicOptions& options);
// Prints replay_* figures: the updates of the game while it prepares to
// watch a replay an hour long (checked a slice at a time), and the longest.
void ReplaySection(GameDriver& driver);
// The list of levels with five long proofs: the updates that check them a slice at a time.
void LevelsListSection(GameDriver& driver);
// A level imported with a proof of nearly ten minutes: the update that asks,
// the updates that play its proof a slice at a time, and the proof played
// whole for comparison (how the import held the game before).
void LevelImportSection(GameDriver& driver);
