#include "tools/bench/game_driver.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "framework/app.h"
#include "framework/program.h"
#include "game/world/tiles.h"
#include "host/key_codes.h"

namespace {

constexpr double kStartClock = 1000.0;
constexpr int kMaxLoadingUpdates = 400;
constexpr int kLauncherPeriod = 120;
constexpr int kBenchLevel = 1;

// Launchers set into the walls of level 1's room, two and four rows above
// the floor the hero walks on, so their shots cross the view without
// hitting him: (x, y, tile).
struct LauncherSpot {
    int x, y, tile;
};
constexpr LauncherSpot kLaunchers[] = {
    {24, 37, kTileLauncherRight},
    {42, 39, kTileLauncherLeft},
    {24, 39, kTileLauncherRight},
};

// The walk: right, rest, left, rest, in updates.
constexpr int kWalkRight = 45;
constexpr int kRestAfterRight = 30;
constexpr int kWalkLeft = 45;
constexpr int kRestAfterLeft = 30;
constexpr int kWalkCycle = kWalkRight + kRestAfterRight + kWalkLeft + kRestAfterLeft;

}  // namespace

GameDriver::GameDriver(BenchHost* host) : host_(host) {
    // No benchmark may reach a sound card.
    setenv("ALSOFT_DRIVERS", "null", 0);
    host_->SetClockMillis(kStartClock);
    host_->UsePrivateFolder("bench");
    kp_std_main(0, nullptr);
    app_ = static_cast<c_MyApp*>(kp_app__app);
    host_->Start();
    for (int i = 0; i < kMaxLoadingUpdates && app_->m_loadStep > 0; ++i) host_->StepWithoutRender();
    host_->StepWithoutRender();
    app_->m_settings[kSettingSound] = 0;
}

int GameDriver::Resize(int width, int height) {
    host_->SetWindowSize(width, height);
    host_->Render();  // the game notices the new size and recomputes its virtual screen
    int updates = 0;
    while (updates < kMaxLoadingUpdates && app_->m_loadStep > 0) {
        host_->StepWithoutRender();
        ++updates;
    }
    host_->Render();
    return updates;
}

bool GameDriver::StartGame() {
    HoldKeys(false, false);
    host_->StepWithoutRender(2);
    host_->KeyDown(kKeyZ);
    host_->StepWithoutRender();
    host_->KeyUp(kKeyZ);
    host_->StepWithoutRender();
    if (app_->m_screen != kScreenPlaying) return false;
    AddLaunchers();
    return true;
}

void GameDriver::AddLaunchers() {
    if (app_->m_level != kBenchLevel) {
        // The hero left the level: play it again.
        app_->m_level = kBenchLevel;
        app_->p_GetLevel(kBenchLevel);
    }
    for (const LauncherSpot& s : kLaunchers) {
        if (app_->p_Tile(s.x, s.y) == s.tile) continue;
        // A rebuilt level (after a death) lost them: set them again, phased as the level builder does.
        app_->p_PutBlock(s.x, s.y, s.tile, 0, 0, (23 * s.x + 35 * s.y) % kLauncherPeriod);
    }
}

void GameDriver::HoldKeys(bool left, bool right) {
    if (left != left_) left ? host_->KeyDown(kKeyArrowLeft) : host_->KeyUp(kKeyArrowLeft);
    if (right != right_) right ? host_->KeyDown(kKeyArrowRight) : host_->KeyUp(kKeyArrowRight);
    left_ = left;
    right_ = right;
}

void GameDriver::PlayStep() {
    const int phase = static_cast<int>(playUpdates_ % kWalkCycle);
    const bool right = phase < kWalkRight;
    const bool left = phase >= kWalkRight + kRestAfterRight && phase < kWalkRight + kRestAfterRight + kWalkLeft;
    HoldKeys(left, right);
    host_->StepWithoutRender();
    ++playUpdates_;
    AddLaunchers();
}

void GameDriver::MenuStep() {
    HoldKeys(false, false);
    host_->StepWithoutRender();
}

void GameDriver::MapPass() {
    const int count = app_->m_drawCount;
    app_->p_Background();
    app_->m_drawCount = count;
}
