// The benchmark's host: the headless host (test clock, scripted input, no
// rendering cost) that can also open a real GLFW window, so the same running
// game first plays without a display and then replays its recorded frames
// through the renderer into that window. It also times every incremental
// collection step and remembers which image file each pixel block came from.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/headless/game.h"

struct GLFWwindow;

// The one host of the benchmark process.
class BenchHost : public KpHeadlessGame {
public:
    BenchHost();

    // Opens (or reopens) a w x h window with the game's context settings and
    // makes it current; false when there is no display.
    bool OpenWindow(int width, int height);
    void CloseWindow();
    GLFWwindow* Window() const { return window_; }
    void MakeCurrent();
    // Shows the drawn frame, as the game's host does after each render.
    void ShowFrame();

    void RenderGame() override;  // renders, then shows the frame
    void WindowSize(int* width, int* height) override;
    bool HasGraphicsContext() override;

    // Every incremental collection step, timed in thread CPU time (so other
    // processes on the machine do not lengthen it).
    void gc_collect() override;
    void ResetCollectorFigures();
    double LongestCollectMicros() const { return longestCollectMicros_; }
    long long CollectSteps() const { return collectSteps_; }

private:
    GLFWwindow* window_ = nullptr;
    double longestCollectMicros_ = 0;
    long long collectSteps_ = 0;
};
