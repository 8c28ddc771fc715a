// A host that owns a window (or a page's canvas) and runs the fixed-rate main
// loop in it: the base of the GLFW and browser hosts. It restarts the loop's
// schedule with the update rate, maps the zephyr:// paths, opens URLs through
// the platform and starts the game in the same traced steps everywhere.
#pragma once

#include "host/game_host.h"
#include "host/main_loop.h"

class KpLoopGame : public KpGame, protected KpLoopPlatform {
public:
    KpLoopGame();

    void SetUpdateRate(int hertz) override;
    String PathToFilePath(const String& path) override;
    void OpenUrl(const String& url) override;

protected:
    // Once the window is open: StartGame and the first frame.
    void StartInWindow();

    KpMainLoop loop_;
};
