// Drives the whole game on the benchmark host: boots it, runs its loading
// steps, starts a game and keeps it playing level 1 with two launchers added
// to the level's room (their shots are the level's movers), walking the hero
// back and forth so the camera, the hero and the tutorial all move.
#pragma once

#include "game/shell/my_app.h"
#include "tools/bench/bench_host.h"

class GameDriver {
public:
    // Boots the program on `host` (sound off, a private state file) and
    // leaves it on the main menu with its assets loaded.
    explicit GameDriver(BenchHost* host);

    BenchHost& host() { return *host_; }
    c_MyApp& app() { return *app_; }

    // Changes the pretend window size; when the game takes it (at its next
    // render) it reloads its assets for the new resolution level, which the
    // loading updates here complete. Returns the updates loading took.
    int Resize(int width, int height);
    // From the menu: the confirm key starts a new game on level 1, then the
    // launchers are added. False when the game did not start.
    bool StartGame();
    // One update of play: the scripted keys for this update, then the update.
    void PlayStep();
    // One update on the menu, without keys.
    void MenuStep();
    // The map pass alone (tile logic and drawing records), with the draw list
    // restored afterwards so it never fills up.
    void MapPass();

private:
    void AddLaunchers();
    void HoldKeys(bool left, bool right);

    BenchHost* host_;
    c_MyApp* app_ = nullptr;
    long long playUpdates_ = 0;
    bool left_ = false;
    bool right_ = false;
};
