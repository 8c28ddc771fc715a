// Drives the real main loop in the hosts' own loop base with a fake clock
// and fake window states, so that the schedule (updates per render, dropped
// backlog, suspend and resume) is checked exactly, without a display and
// without timing.
#include "host/main_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/loop_game.h"

namespace {

constexpr double kPeriod = 1.0 / 60;

// The game and the window's states as a script sets them: a clock that
// moves only when told (an update costs `updateCost`, a wait for events half
// a second), window states the test sets, and a log of every call.
class FakeWindow : public KpGameDelegate {
public:
    double now = 0;
    bool open = true, iconified = false, focused = true;
    double remadeAt = -KpLoopPlatform::kRefocusGrace;
    double updateCost = 0;
    int updates = 0;
    int zeroRateAtUpdate = 0;  // the update that sets the rate to 0 (0: none)
    KpGame* host = nullptr;
    std::string log;

    void StartGame() override {}
    void SuspendGame() override { Log("suspend"); }
    void ResumeGame() override { Log("resume"); }
    void RenderGame() override { Log("render"); }
    void UpdateGame() override {
        Log("update", updateCost);
        if (++updates == zeroRateAtUpdate) host->SetUpdateRate(0);
    }
    void Log(const char* what, double cost = 0) {
        now += cost;
        log += (log.empty() ? "" : " ") + std::string(what);
    }
};

// The hosts' own loop base, KpLoopGame, on a window the script plays.
class LoopHost : public KpLoopGame {
public:
    FakeWindow* window = new FakeWindow();
    KpMainLoop& loop = loop_;

private:
    double Now() override { return window->now; }
    void Sleep(double seconds) override { window->Log("sleep", seconds); }
    void PollEvents() override {}
    void WaitEvents() override { window->Log("wait", 0.5); }
    bool WindowOpen() override { return window->open; }
    bool WindowIconified() override { return window->iconified; }
    bool WindowFocused() override { return window->focused; }
    double WindowRemadeAt() override { return window->remadeAt; }
};

// One step of a script: set the clock (when `now` >= 0), the window state and
// the update cost, run `passes` passes, then expect the log and, when
// `next` >= 0, the time of the next update.
struct Step { double now; bool focused, iconified; double cost; int passes; const char* log; double next; };
struct Script { const char* name; int rate, zeroRateAtUpdate; std::vector<Step> steps; double remadeAt = -1; };

const Script kScripts[] = {
    {"rate 0 renders once per batch of events", 0, 0, {{-1, true, false, 0, 3, "render wait render wait render wait", -1}}},
    {"on schedule: sleep exactly to the update, update, render", 60, 0,
     {{-1, true, false, 0, 4, "sleep update render sleep update render", 3 * kPeriod}}},
    {"a backlog of two periods catches up without dropping time", 60, 0,
     {{2.5 * kPeriod, true, false, 0, 1, "update update render", 3 * kPeriod}}},
    {"a slow machine runs four updates, renders and drops the backlog", 60, 0,
     {{1.0, true, false, 0.05, 1, "update update update update render", 1.2},
      {-1, true, false, 0, 1, "update render", 1.2 + kPeriod}}},
    {"the rate set to 0 inside an update ends the burst", 60, 2,
     {{10.0, true, false, 0, 2, "update update render render wait", -1}}},
    {"focus loss suspends; focus back resumes with the clock rebased", 60, 0,
     {{-1, false, false, 0, 3, "suspend render wait render wait render wait", -1},
      {100.0, true, false, 0, 1, "resume update render", 100.0 + kPeriod}}},
    {"an iconified window waits without rendering", 60, 0,
     {{-1, false, true, 0, 3, "suspend wait wait wait", -1}, {-1, true, false, 0, 1, "resume update render", -1}}},
    {"iconified after focus loss stops rendering", 60, 0,
     {{-1, false, false, 0, 1, "suspend render wait", -1}, {-1, false, true, 0, 2, "wait wait", -1}}},
    {"a window just made again (F11) suspends only when still without the focus a second later", 60, 0,
     {{0.99, false, false, 0, 1, "update update update update render", -1},
      {1.0, false, false, 0, 1, "suspend render wait", -1}}, 0.0},
};

TEST(MainLoop, Schedules) {
    for (const Script& script : kScripts) {
        LoopHost host;
        FakeWindow* w = host.window;
        w->host = &host;
        w->zeroRateAtUpdate = script.zeroRateAtUpdate;
        if (script.remadeAt >= 0) w->remadeAt = script.remadeAt;
        host.SetDelegate(w);
        host.StartGame();
        host.SetUpdateRate(script.rate);
        for (size_t i = 0; i < script.steps.size(); ++i) {
            const Step& s = script.steps[i];
            if (s.now >= 0) w->now = s.now;
            w->focused = s.focused;
            w->iconified = s.iconified;
            w->updateCost = s.cost;
            w->log.clear();
            for (int p = 0; p < s.passes; ++p) ASSERT_TRUE(host.loop.Pass()) << script.name;
            EXPECT_EQ(w->log, s.log) << script.name << ", step " << i;
            if (s.next >= 0) {
                EXPECT_DOUBLE_EQ(host.loop.NextUpdate(), s.next) << script.name << ", step " << i;
            }
        }
    }
}

TEST(MainLoop, ClosedWindowEndsTheLoop) {
    LoopHost host;
    host.SetDelegate(host.window);
    host.window->open = false;
    host.loop.Run();
    EXPECT_EQ(host.window->log, "") << "nothing runs once the window has gone";
}

}  // namespace
