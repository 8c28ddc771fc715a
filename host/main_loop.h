// The fixed-rate main loop: polling, suspend and resume on focus and iconify,
// up to four updates per render with the backlog dropped, sleeping until the
// next update, and waiting for events while there is nothing to update.
#pragma once

#include "host/game_host.h"

// What the loop needs from the window system. The GLFW and browser hosts
// implement it (through KpLoopGame);
// tests drive the same loop with a fake clock and fake window states.
class KpLoopPlatform {
public:
    virtual ~KpLoopPlatform() = default;
    virtual double Now() = 0;                  // seconds on the host clock
    virtual void Sleep(double seconds) = 0;
    virtual void PollEvents() = 0;             // runs the input callbacks
    virtual void WaitEvents() = 0;             // blocks until an event, then runs its callbacks
    virtual void AfterEvents() {}              // window changes deferred out of callbacks
    virtual bool WindowOpen() = 0;
    virtual bool WindowIconified() = 0;
    virtual bool WindowFocused() = 0;
    // When the host last made its window again (switching to or from
    // fullscreen), on the host clock; never, by default.
    virtual double WindowRemadeAt() { return -kRefocusGrace; }

    // A window just made again may be without the focus for a moment: that
    // is not the player leaving, so the game does not suspend for so long.
    static constexpr double kRefocusGrace = 1.0;
};

// The schedule and the pass of the main loop; updates, renders, suspends and
// resumes go through the host's guarded entries.
class KpMainLoop {
public:
    static constexpr int kMaxUpdatesPerRender = 4;

    KpMainLoop(KpGame* game, KpLoopPlatform* platform) : game_(game), platform_(platform) {}

    // Called after the host stored a new rate: a rate other than 0 starts a
    // fresh schedule one period from now; 0 keeps the old schedule.
    void SetUpdateRate(int hertz);

    void Run();    // passes until the window is no longer open
    bool Pass();   // one pass; false once the window is no longer open

    bool Iconified() const { return iconified_; }
    double NextUpdate() const { return nextUpdate_; }
    double UpdatePeriod() const { return updatePeriod_; }

private:
    void FollowWindowState();
    void RunUpdates();
    void Render();   // RenderGame, timed for the trace

    KpGame* game_;
    KpLoopPlatform* platform_;
    bool iconified_ = false;    // suspended because the window is iconified: no renders
    double nextUpdate_ = 0;     // seconds on the host clock
    double updatePeriod_ = 0;   // seconds, 1 / update rate
};
