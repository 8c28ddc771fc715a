// Proves a level completable: a search over the player's controls, run on the
// game's own update code, from the level's start to the exit with every tree lit.
//
// Moves are chosen only while the hero stands still (walk, turn, climb, jump,
// each with and without grip held, letting go, waiting); every move is played
// through real updates and the state it leaves is snapshotted. States are told
// apart by the hero's tile, facing and grip, the trees lit, the plunger's time
// and the launchers' phase (in buckets; a wait in place keeps its exact time),
// and searched cheapest-first by updates plus a lower bound of the updates
// still needed, so the first completion found is the shortest that these
// moves allow.
#pragma once

#include <functional>
#include <string>

#include "tools/solver/game_session.h"
#include "tools/solver/input_script.h"

struct SolverOptions {
    int maxStates = 300000;      // gives up beyond this many expanded states
    bool verbose = false;
    bool trace = false;          // prints every expanded state
    // Asked every kProgressEvery expanded states with the count so far; false
    // stops the search there ("stopped").
    std::function<bool(int states)> keepGoing;
    static constexpr int kProgressEvery = 500;
};

struct SolveResult {
    bool solved = false;
    bool verified = false;       // the script replayed from a fresh build reaches the exit
    int updates = 0;             // from the level build to the update the exit is entered
    int trees = 0;               // trees (and counted pick-ups) in the level
    int statesExpanded = 0;
    InputScript script;          // starts with the first update after the build
    GameSnapshot end;            // the game where the search ended (SolveToWayPoint)
    std::string message;
};

// Solves level n in the session's running game (which must be on the game
// screen); level 0 is the player's level whose map the game was given
// (m_playerMap, with its hash in m_playerPlay).
SolveResult SolveLevel(GameSession& session, int level, const SolverOptions& options);

// The fastest way from the game `from` (at rest, at update `fromUpdate` of
// level n) to the place of the game `to`: the hero at rest on its tile,
// holding grip as it does and, when `exact`, facing its way with the same
// trees lit. The script holds the moves from `from` on; `end` is the game
// when he gets there. Snapshots are told against the level as built.
SolveResult SolveToWayPoint(GameSession& session, int level, const GameSnapshot& from, int fromUpdate,
                            const GameSnapshot& to, bool exact, const SolverOptions& options);

// Plays a level's script from a fresh build; true when the hero is leaving
// through the exit with every tree lit after exactly the script's updates.
bool ReplayLevelScript(GameSession& session, int level, const InputScript& script, std::string* why);
