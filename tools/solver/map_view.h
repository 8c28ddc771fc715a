// A picture of a whole level for review: every tile drawn with the game's
// tile sheet, the start marked with the hero and the exit with a star.
#pragma once

#include <string>

#include "tools/solver/game_session.h"

// Builds level n in the session and writes its 64 x 64 tiles as one PNG
// (32 pixels a tile, or the tile sheet's own cell size). False with a reason on failure.
bool RenderLevelMap(GameSession& session, int level, const std::string& tileSheet, const std::string& outPath,
                    std::string* error);
