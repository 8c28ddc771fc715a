// The game round's state in one place: everything a round is that decides
// what happens next, with the level's clocks and the keys of the update.
//
// c_MyApp derives from RoundState, so the round's code names the fields
// directly. A level's entry starts the round afresh and a death rebuilds the
// round's life, both by assignment of the declared start values; the
// final-state hash, the solver's snapshot and the test that every field is
// covered all go through one visitor, ForEachField. A field added here is
// reset with the rest, and the coverage test fails until the visitor names it.
//
// Not here: the picture (camera, sky, snow, tutorial, where things are
// drawn), which follows the window and the help setting, and the working
// values an update works out afresh before it reads them (the hero's
// permissions, the 3 x 3 neighbourhood, where the hero is hit).
#pragma once

#include <cstdint>

#include "runtime/array.h"

// What a field is to the users of the visitor.
enum class RoundField {
    kDecides,   // decides what happens next: hashed, in the visitor's order
    kKept,      // restored with a snapshot, never hashed: clocks, this update's keys, the animation
    kMap,       // the tile map: layers 0 (tiles) and 9 (timers) of the 64 x 64 cells are hashed
    kMovers,    // the movers: the records in use are hashed
};

constexpr float kRoundDropInStart = -800.0f;   // the hero falls in from above the level

// What a death rebuilds: the hero, the objects' counters, the drop-in and
// the round's random sequence.
struct RoundLife {
    int m_playerX = 16, m_playerY = 15;       // tile; the level's start replaces it
    int m_playerSubX = 0, m_playerSubY = 0;   // tile pixels of the move under way
    int m_playerState = 0;
    int m_facing = 1;
    int m_stateTimer = 0;
    int m_animCounter = 0;
    int m_speed = 2;
    float m_dropIn = kRoundDropInStart;
    int m_lightsLeft = 1, m_lightsCounting = 1;
    int m_exitSpin = 0;
    int m_flipCount = 0, m_flipCountPrev = 0;
    int m_roundSeed = 0;                      // the round's own random sequence (kp_random_*From)
};

// Everything a round is: its life, the level, the hero's latches (which run
// on through a death), the keys of this update, the level's clocks, and the
// map with its movers (arrays the level's building fills; a restart keeps them).
struct RoundState : RoundLife {
    Array<int> m_map;      // [163840] 10 layers per cell, row stride 100 cells
    Array<int> m_movers;   // [2560] 256 records of 10 ints
    int m_level = 0;
    int m_turnLatch = 0;                      // the hero's turn-round pause, cleared when no key is held
    int m_jumpLatch = 0;
    unsigned m_roundKeys = 0;                 // the keys the round reads in this update (ReplayKey bits)
    int m_levelUpdates = 0;                   // round updates of this level, up to its finish
    int m_levelDeaths = 0;
    int m_levelDone = 0;                      // the exit reached: time and run are final
    uint32_t m_finishState = 0;               // the round's hash in the update the exit was reached

    // Every field as declared, on the same map and movers.
    void RestartRound() {
        RoundState fresh;
        fresh.m_map = m_map;
        fresh.m_movers = m_movers;
        *this = fresh;
    }
    void RestartLife() { static_cast<RoundLife&>(*this) = RoundLife(); }

    // Calls visit(field, RoundField) for every field; the kDecides fields and
    // then the map and movers in the order of the final-state hash.
    template <class Visit>
    void ForEachField(Visit&& visit) {
        visit(m_level, RoundField::kDecides);
        visit(m_playerX, RoundField::kDecides);
        visit(m_playerY, RoundField::kDecides);
        visit(m_playerSubX, RoundField::kDecides);
        visit(m_playerSubY, RoundField::kDecides);
        visit(m_playerState, RoundField::kDecides);
        visit(m_facing, RoundField::kDecides);
        visit(m_stateTimer, RoundField::kDecides);
        visit(m_turnLatch, RoundField::kDecides);
        visit(m_jumpLatch, RoundField::kDecides);
        visit(m_dropIn, RoundField::kDecides);
        visit(m_lightsLeft, RoundField::kDecides);
        visit(m_lightsCounting, RoundField::kDecides);
        visit(m_exitSpin, RoundField::kDecides);
        visit(m_flipCount, RoundField::kDecides);
        visit(m_flipCountPrev, RoundField::kDecides);
        visit(m_roundSeed, RoundField::kDecides);
        visit(m_map, RoundField::kMap);
        visit(m_movers, RoundField::kMovers);
        visit(m_animCounter, RoundField::kKept);
        visit(m_speed, RoundField::kKept);
        visit(m_roundKeys, RoundField::kKept);
        visit(m_levelUpdates, RoundField::kKept);
        visit(m_levelDeaths, RoundField::kKept);
        visit(m_levelDone, RoundField::kKept);
        visit(m_finishState, RoundField::kKept);
    }
};
