// The whole game running on the headless host, driven by key sets, with a
// compact snapshot of everything that play can change, so that a search can
// try a move, look at the result and go back.
#pragma once

#include <vector>

#include "game/shell/my_app.h"
#include "host/headless/game.h"

// The round's state (game/world/round_state.h: the hero, the object
// counters, latches, clocks and the random seed, with map layers 0 and 9 and
// the movers) and the keys held. Map cells and movers are kept as differences
// from the level as built, so that a search can hold many snapshots; the
// round's arrays in `round` are the session's own, never restored from it.
struct GameSnapshot {
    RoundState round;
    std::vector<int> tileChanges;   // (index, value) pairs; index < 4096 layer 0, else layer 9
    std::vector<int> movers;        // record number, then words 0..4, of each record in use
    unsigned keys = 0;
};

// The round's fields that decide what happens next but its random seed
// (which only drives the look of falls and snow), as ints, in the visitor's
// order: two rounds with equal views and maps play on alike.
std::vector<int> RoundDecides(const RoundState& round);

// Presses and releases keys on the host so that, of the script keys, exactly
// `keys` are held where `held` were.
void HoldScriptKeys(KpHeadlessGame& host, unsigned held, unsigned keys);

// The one game of this process on a headless host.
class GameSession {
public:
    // Boots the program once per process (sound switched off unless asked),
    // runs the asset loading and leaves the game on its main menu.
    static GameSession& Instance();

    KpHeadlessGame& host() { return *host_; }
    c_MyApp& app() { return *app_; }

    void SetKeys(unsigned keys);            // presses and releases keys so that exactly these are held
    unsigned Keys() const { return keys_; }
    void Step(int updates = 1);             // updates without rendering
    void StepWithKeys(unsigned keys, int updates = 1);

    // From the main menu with the keyboard: the action key starts a new game (level 1).
    bool StartGameFromMenu();
    // Builds level n in the running game as the exit of level n - 1 would.
    void EnterLevel(int n);

    // Takes the current map as the base that snapshots are told against.
    void SetMapBaseline();
    GameSnapshot Save() const;
    void Restore(const GameSnapshot& snapshot);
    int BaselineTile(int x, int y, int layer) const;   // layer 0 or 9 of the base

private:
    GameSession();
    KpHeadlessGame* host_ = nullptr;
    c_MyApp* app_ = nullptr;
    unsigned keys_ = 0;
    std::vector<int> baseline_;   // layer 0 then layer 9 of the 64 x 64 cells
};
