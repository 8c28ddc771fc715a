#include "host/main_loop.h"

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
        if (!iconified_) game_->RenderGame();
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
    } else if (!game_->Suspended()) {
        game_->SuspendGame();
    }
}

void KpMainLoop::RunUpdates() {
    for (int i = 0; i < kMaxUpdatesPerRender; ++i) {
        nextUpdate_ += updatePeriod_;
        game_->UpdateGame();
        if (game_->UpdateRate() == 0 || nextUpdate_ - platform_->Now() > 0) {
            game_->RenderGame();
            return;
        }
    }
    // Still behind after the last update: render, then drop the backlog
    // rather than spiral into ever longer bursts.
    game_->RenderGame();
    if (game_->UpdateRate() != 0) nextUpdate_ = platform_->Now();
}
