// Game logic without rendering: full updates of a level in play (tile logic,
// launchers and their movers, the hero, snow, the tutorial, the draw list
// filled), the map pass alone, and the collector over a long soak.
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
