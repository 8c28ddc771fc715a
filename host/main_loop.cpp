#include "host/main_loop.h"

#include <cmath>

#include "host/trace.h"

void KpMainLoop::SetUpdateRate(int hertz) {
    if (hertz == 0) return;
    updatePeriod_ = 1.0 / hertz;
    nextUpdate_ = platform_->Now() + updatePeriod_;
}

void KpMainLoop::Run() {
    while (Pass()) {
    }
}

bool KpMainLoop::Pass() {
    platform_->PollEvents();
    platform_->AfterEvents();
    if (!platform_->WindowOpen()) return false;
    FollowWindowState();

    if (game_->UpdateRate() == 0 || game_->Suspended()) {
        // Nothing to update: show the current state once and sleep until an
        // event arrives, so an idle or suspended game uses no CPU.
        if (!iconified_) Render();
        platform_->WaitEvents();
        return true;
    }
    double delay = nextUpdate_ - platform_->Now();
    if (delay > 0) {
        platform_->Sleep(delay);
        return true;
    }
    RunUpdates();
    return true;
}

void KpMainLoop::FollowWindowState() {
    if (platform_->WindowIconified()) {
        // An iconified window is never drawn, even when focus loss already
        // suspended the game before the window was iconified.
        iconified_ = true;
        if (!game_->Suspended()) game_->SuspendGame();
    } else if (platform_->WindowFocused()) {
        if (game_->Suspended()) {
            iconified_ = false;
            game_->ResumeGame();
            // The time spent suspended must not turn into a burst of updates.
            nextUpdate_ = platform_->Now();
        }
    } else if (!game_->Suspended() && platform_->Now() - platform_->WindowRemadeAt() >= KpLoopPlatform::kRefocusGrace) {
        game_->SuspendGame();
    }
}

void KpMainLoop::RunUpdates() {
    for (int i = 0; i < kMaxUpdatesPerRender; ++i) {
        nextUpdate_ += updatePeriod_;
        game_->UpdateGame();
        kpTraceUpdate();
        if (game_->UpdateRate() == 0 || nextUpdate_ - platform_->Now() > 0) {
            Render();
            return;
        }
    }
    // Still behind after the last update: render, then drop the backlog
    // rather than spiral into ever longer bursts.
    Render();
    if (game_->UpdateRate() != 0) {
        const double now = platform_->Now();
        if (kpTraceEnabled() && updatePeriod_ > 0) {
            kpTraceDroppedUpdates(static_cast<int>(std::floor((now - nextUpdate_) / updatePeriod_)));
        }
        nextUpdate_ = now;
    }
}

void KpMainLoop::Render() {
    const double start = kpTraceEnabled() ? platform_->Now() : 0;
    game_->RenderGame();
    if (kpTraceEnabled()) kpTraceFrame(platform_->Now() - start);
}
