// A seeded random player for the soak: menus, credits, toggles, games started
// and quit, pauses, focus loss, deaths, and levels completed with the
// solver's input scripts (or, without them, entered as the exit would).
#pragma once

#include <cstdint>
#include <string>

#include "game/shell/my_app.h"
#include "host/headless/game.h"
#include "tools/soak/soak_meter.h"

// The headless host with every collection step timed.
class SoakHost : public KpHeadlessGame {
public:
    void gc_collect() override;
    SoakMeter* meter = nullptr;
    double lastCollectMs = 0;
    double lastCollectCpuMs = 0;
};

// What the player went through.
struct SoakCounts {
    int gamesStarted = 0, levelsCompleted = 0, scriptedLevels = 0, levelsEntered = 0, deaths = 0;
    int pauses = 0, focusLosses = 0, menuReturns = 0, endings = 0, stuck = 0;
};

// Plays until the given number of updates has run.
class SoakPlayer {
public:
    SoakPlayer(SoakHost& host, c_MyApp& app, SoakMeter& meter, uint32_t seed, std::string solutions);
    void Play(long updates);
    const SoakCounts& Counts() const { return counts_; }

private:
    bool Tick();                       // one update and one render; false when the time is up
    bool Wait(int updates);
    bool Tap(int key, int hold = 2, int after = 6);
    uint32_t Random();
    int Between(int low, int high);    // inclusive
    void ReleaseKeys();
    void HoldKeys(unsigned keys);      // script key bits, as the solver holds them

    bool ScriptedRun();
    bool RandomPlay();
    bool MenuWander();
    bool FocusFlap();
    bool QuitToMenu();
    bool StartFromMenu();
    bool PrepareMenuForScripts();

    SoakHost& host_;
    c_MyApp& app_;
    SoakMeter& meter_;
    uint32_t state_;
    std::string solutions_;
    long remaining_ = 0;
    unsigned held_ = 0;                // script key bits held
    int heldRaw_[8] = {};              // other keys held by random play
    int heldRawCount_ = 0;
    int lastLevel_ = 0;
    int lastScreen_ = 0;
    float lastDropIn_ = 0;
    int lastPause_ = 0;
    SoakCounts counts_;
};
