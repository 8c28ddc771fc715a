#include "host/loop_game.h"

#include "host/data_paths.h"
#include "host/platform.h"
#include "host/trace.h"

KpLoopGame::KpLoopGame() : loop_(this, this) {}

void KpLoopGame::SetUpdateRate(int hertz) {
    KpGame::SetUpdateRate(hertz);
    loop_.SetUpdateRate(hertz);
}

String KpLoopGame::PathToFilePath(const String& path) { return kp_data_MapVirtualPath(path); }

void KpLoopGame::OpenUrl(const String& url) { kp_platform_OpenUrl(url); }

void KpLoopGame::StartInWindow() {
    kpTraceEvent("window_open");
    StartGame();
    RenderGame();
    kpTraceEvent("first_frame");
}
