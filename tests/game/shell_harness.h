// Boots the whole game on the headless test host, one fresh application per
// harness, and reads back what the shell recorded.
//
// The collector and the program's globals are set up once per process; every
// later harness re-runs the program's initialisation and creates a new
// application on a new host. Earlier applications are kept reachable so that
// their sound samples are never released into a later audio device.
#pragma once

#include <string>
#include <vector>

#include "game/shell/my_app.h"
#include "tools/testhost/headless_game.h"

// One draw record as the render will replay it.
struct DrawRecord {
    float kind = 0, x = 0, y = 0, rot = 0, sx = 0, sy = 0, frame = 0, alpha = 0;
    float red = 0, green = 0, blue = 0, blend = 0;
};

class ShellHarness {
public:
    // Boots the program with a window of the given size; the clock starts at 1000 ms.
    explicit ShellHarness(int windowW = 640, int windowH = 480);
    ~ShellHarness();  // removes the state file the application may have saved
    ShellHarness(const ShellHarness&) = delete;
    ShellHarness& operator=(const ShellHarness&) = delete;

    KpHeadlessGame& host() { return *host_; }
    c_MyApp& app() { return *app_; }

    // Runs updates (each followed by a render) until loading is over and the
    // first menu update has run.
    void FinishLoading();
    void Step(int updates = 1) { host_->Step(updates); }

    // A key held for one update and released in the next.
    void PressKey(int key);
    // A left click held for one update at a point in window pixels, then released.
    void Click(float x, float y);

    std::vector<DrawRecord> Records() const;
    std::vector<DrawRecord> RecordsOfKind(float kind) const;

private:
    KpHeadlessGame* host_ = nullptr;
    c_MyApp* app_ = nullptr;
    std::string stateFile_;
};

// Read back from the audio device: a channel's pitch and gain (-1 before the
// channel was first used), and whether it last started a sound slot's sample.
float ChannelPitch(int channel);
float ChannelGain(int channel);
bool ChannelHoldsSound(const c_MyApp& app, int channel, int soundSlot);
