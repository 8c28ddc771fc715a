// The headless host: its clock, window size and input helpers behave like the
// window host, so whole-application tests see what a player would cause.
#include "tools/testhost/headless_game.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/host_test_support.h"

namespace {

class EventLog : public KpGameDelegate {
public:
    std::vector<std::string> events;
    void StartGame() override { events.push_back("start"); }
    void UpdateGame() override { events.push_back("update"); }
    void RenderGame() override { events.push_back("render"); }
    void KeyEvent(int event, int data) override { Add("key", event, data); }
    void MouseEvent(int event, int data, float x, float y) override {
        Add("mouse", event, data);
        events.back() += " " + std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y));
    }

private:
    void Add(const char* what, int event, int data) {
        events.push_back(std::string(what) + " " + std::to_string(event) + " " + std::to_string(data));
    }
};

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) out += (out.empty() ? "" : ", ") + item;
    return out;
}

TEST(HeadlessGameTest, StartRendersOnceAndStepsAdvanceTheClock) {
    KpHeadlessGame host;
    EventLog* log = new EventLog();
    host.SetDelegate(log);
    host.Start();
    host.Step(2);
    host.StepWithoutRender(1);
    EXPECT_EQ(Join(log->events), "start, render, update, render, update, render, update");
    EXPECT_EQ(host.Updates(), 3);
    EXPECT_EQ(host.Renders(), 3);
    EXPECT_EQ(host.Millisecs(), 50) << "three updates of 1/60 s";
    host.Step(57);
    EXPECT_EQ(host.Millisecs(), 1000) << "sixty updates are one second, without drift";
}

TEST(HeadlessGameTest, InputArrivesAsTheWindowHostSendsIt) {
    KpHeadlessGame host;
    EventLog* log = new EventLog();
    host.SetDelegate(log);
    host.KeyDown(65);  // before the start: dropped, as by the guarded entries
    host.Start();
    log->events.clear();
    host.KeyDown(37);
    host.KeyUp(37);
    host.TypeChar(97);
    host.MouseDown(0, 10, 20);
    host.MouseMove(11, 21);
    host.MouseUp(0, 11, 21);
    host.CloseWindow();
    EXPECT_EQ(Join(log->events),
              "key 1 37, key 3 65573, key 2 37, key 3 97, mouse 4 0 10,20, mouse 6 -1 11,21, "
              "mouse 5 0 11,21, key 1 432, key 2 432");
}

TEST(HeadlessGameTest, WindowSizeAndContext) {
    KpHeadlessGame host;
    int w = 0;
    int h = 0;
    host.WindowSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    host.SetWindowSize(1280, 720);
    host.WindowSize(&w, &h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 720);
    EXPECT_FALSE(host.HasGraphicsContext());
}

TEST(HeadlessGameTest, StateFileCanLiveInATestsOwnFolder) {
    ScopedWorkFolder folder;
    KpHeadlessGame host;
    host.SetStateFile(folder.Path() + "/state");
    EXPECT_EQ(host.SaveState(String("x|")), 0);
    EXPECT_EQ(ReadFileBytes(folder.Path() + "/state"), "x|");
    EXPECT_TRUE(host.LoadState() == String("x|"));
    EXPECT_FALSE(FileExists(".zephyrstate"));
}

}  // namespace
