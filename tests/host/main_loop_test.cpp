// Drives the real main loop with a fake clock and fake window states, so that
// the schedule (updates per render, dropped backlog, suspend and resume) is
// checked exactly, without a display and without timing.
#include "host/main_loop.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double kPeriod = 1.0 / 60;

// Window system stand-in: a clock that moves only when told, and window
// states the test sets. Every call is logged.
class FakePlatform : public KpLoopPlatform {
public:
    double now = 0;
    bool open = true;
    bool iconified = false;
    bool focused = true;
    double waitTime = 0.5;  // how long a wait for events takes
    std::vector<std::string>* log = nullptr;
    std::vector<double> sleeps;

    double Now() override { return now; }
    void Sleep(double seconds) override {
        sleeps.push_back(seconds);
        now += seconds;
        log->push_back("sleep");
    }
    void PollEvents() override {}
    void WaitEvents() override {
        now += waitTime;
        log->push_back("wait");
    }
    bool WindowOpen() override { return open; }
    bool WindowIconified() override { return iconified; }
    bool WindowFocused() override { return focused; }
};

// Records every callback; an update may cost time and run a hook.
class RecordingDelegate : public KpGameDelegate {
public:
    std::vector<std::string>* log = nullptr;
    FakePlatform* platform = nullptr;
    double updateCost = 0;
    std::function<void(int)> onUpdate;
    int updates = 0;

    void StartGame() override { log->push_back("start"); }
    void SuspendGame() override { log->push_back("suspend"); }
    void ResumeGame() override { log->push_back("resume"); }
    void UpdateGame() override {
        ++updates;
        log->push_back("update");
        platform->now += updateCost;
        if (onUpdate) onUpdate(updates);
    }
    void RenderGame() override { log->push_back("render"); }
};

// A host that owns the loop exactly as the GLFW host does.
class LoopHost : public KpGame {
public:
    FakePlatform platform;
    KpMainLoop loop{this, &platform};

    void SetUpdateRate(int hertz) override {
        KpGame::SetUpdateRate(hertz);
        loop.SetUpdateRate(hertz);
    }
};

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.platform.log = &log;
        delegate->log = &log;
        delegate->platform = &host.platform;
        host.SetDelegate(delegate);
        host.StartGame();
        log.clear();
    }

    // Runs passes and returns what they logged.
    std::vector<std::string> Passes(int count) {
        log.clear();
        for (int i = 0; i < count; ++i) EXPECT_TRUE(host.loop.Pass()) << "pass " << i;
        return log;
    }

    static std::string Join(const std::vector<std::string>& items) {
        std::string out;
        for (const std::string& item : items) out += (out.empty() ? "" : " ") + item;
        return out;
    }

    std::vector<std::string> log;
    LoopHost host;
    RecordingDelegate* delegate = new RecordingDelegate();
};

TEST_F(MainLoopTest, RateZeroOnlyRendersOncePerBatchOfEvents) {
    EXPECT_EQ(Join(Passes(3)), "render wait render wait render wait");
    EXPECT_EQ(delegate->updates, 0);
}

TEST_F(MainLoopTest, OnScheduleSleepsThenUpdatesAndRendersOnce) {
    host.SetUpdateRate(60);
    EXPECT_DOUBLE_EQ(host.loop.NextUpdate(), kPeriod);
    EXPECT_EQ(Join(Passes(4)), "sleep update render sleep update render");
    ASSERT_EQ(host.platform.sleeps.size(), 2u);
    EXPECT_DOUBLE_EQ(host.platform.sleeps[0], kPeriod) << "sleeps exactly until the next update";
}

TEST_F(MainLoopTest, SlowMachineRunsFourUpdatesRendersAndRestartsTheSchedule) {
    host.SetUpdateRate(60);
    host.platform.now = 1.0;  // far behind
    delegate->updateCost = 0.05;  // three periods per update
    EXPECT_EQ(Join(Passes(1)), "update update update update render");
    EXPECT_DOUBLE_EQ(host.loop.NextUpdate(), host.platform.now) << "the backlog is dropped";

    // A fast machine again: one update, caught up, one render.
    delegate->updateCost = 0;
    EXPECT_EQ(Join(Passes(1)), "update render");
    EXPECT_DOUBLE_EQ(host.loop.NextUpdate(), 1.2 + kPeriod);
}

TEST_F(MainLoopTest, BacklogOfTwoPeriodsCatchesUpWithoutDroppingTime) {
    host.SetUpdateRate(60);
    host.platform.now = kPeriod * 2.5;  // updates due at 1/60 and 2/60
    EXPECT_EQ(Join(Passes(1)), "update update render");
    EXPECT_DOUBLE_EQ(host.loop.NextUpdate(), 3 * kPeriod);
}

TEST_F(MainLoopTest, RateSetToZeroInsideAnUpdateEndsTheBurst) {
    host.SetUpdateRate(60);
    host.platform.now = 10.0;
    delegate->onUpdate = [this](int n) {
        if (n == 2) host.SetUpdateRate(0);
    };
    EXPECT_EQ(Join(Passes(2)), "update update render render wait");
    EXPECT_EQ(delegate->updates, 2);
}

TEST_F(MainLoopTest, FocusLossSuspendsAndFocusGainResumesWithTheClockRebased) {
    host.SetUpdateRate(60);
    host.platform.focused = false;
    EXPECT_EQ(Join(Passes(3)), "suspend render wait render wait render wait");
    EXPECT_TRUE(host.Suspended());
    EXPECT_EQ(delegate->updates, 0) << "no updates while suspended";

    host.platform.now = 100.0;
    host.platform.focused = true;
    EXPECT_EQ(Join(Passes(1)), "resume update render")
        << "the time spent suspended must not turn into a burst";
    EXPECT_DOUBLE_EQ(host.loop.NextUpdate(), 100.0 + kPeriod);
}

TEST_F(MainLoopTest, IconifiedWindowWaitsWithoutRendering) {
    host.SetUpdateRate(60);
    host.platform.iconified = true;
    host.platform.focused = false;
    EXPECT_EQ(Join(Passes(3)), "suspend wait wait wait");
    EXPECT_TRUE(host.loop.Iconified());

    host.platform.iconified = false;
    host.platform.focused = true;
    EXPECT_EQ(Join(Passes(1)), "resume update render");
    EXPECT_FALSE(host.loop.Iconified());
}

TEST_F(MainLoopTest, IconifiedAfterFocusLossStopsRendering) {
    host.SetUpdateRate(60);
    host.platform.focused = false;
    EXPECT_EQ(Join(Passes(1)), "suspend render wait");
    host.platform.iconified = true;
    EXPECT_EQ(Join(Passes(2)), "wait wait") << "an iconified window is never drawn";
}

TEST_F(MainLoopTest, RestoredButUnfocusedWindowStaysSuspended) {
    host.SetUpdateRate(60);
    host.platform.focused = false;
    Passes(1);
    host.platform.now = 5.0;
    EXPECT_EQ(Join(Passes(2)), "render wait render wait");
    EXPECT_TRUE(host.Suspended());
}

TEST_F(MainLoopTest, ClosedWindowEndsTheLoop) {
    host.SetUpdateRate(60);
    host.platform.open = false;
    log.clear();
    host.loop.Run();
    EXPECT_EQ(Join(log), "") << "nothing runs once the window has gone";
}

TEST_F(MainLoopTest, RateZeroKeepsTheOldSchedule) {
    host.SetUpdateRate(30);
    double next = host.loop.NextUpdate();
    host.platform.now = 7.0;
    host.SetUpdateRate(0);
    EXPECT_DOUBLE_EQ(host.loop.NextUpdate(), next);
    EXPECT_DOUBLE_EQ(host.loop.UpdatePeriod(), 1.0 / 30);
}

}  // namespace
