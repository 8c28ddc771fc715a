// The application framework: start-up of the application, the delegate's
// routing of host events, the end of the program on the close and back keys,
// c_Stack and the asynchronous-event pump.
#include "host/app.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/sound.h"
#include "graphics/graphics_module.h"
#include "host/program.h"
#include "input/input_device.h"
#include "tests/host/host_test_support.h"
#include "tests/host/test_app.h"
#include "tools/testhost/headless_game.h"

namespace {

constexpr int kKeyA = 65;
constexpr int kBackKey = 416;
constexpr int kCloseKey = 432;

// The whole program started on the headless host, in a private folder, with
// OpenAL writing to a wave file instead of a sound card.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes("alsoft.conf", "[general]\ndrivers = wave\n[wave]\nfile = " + folder.Path() + "/out.wav\n");
        setenv("ALSOFT_CONF", (folder.Path() + "/alsoft.conf").c_str(), 1);
        static const char* args[] = {"host_tests", nullptr};
        kp_std_main(1, args);
        app = static_cast<c_TestApp*>(kp_app__app);
    }

    ScopedWorkFolder folder;
    KpHeadlessGame host;
    c_TestApp* app = nullptr;
};

TEST_F(ProgramTest, HostEventsReachTheApplication) {
    EXPECT_EQ(host.Delegate(), kp_app__delegate);
    EXPECT_EQ(kp_graphics_device, nullptr) << "devices exist only from the start of the game";
    EXPECT_EQ(app->m_creates, 0) << "the application hears nothing before the host starts it";
    host.Start();
    EXPECT_EQ((std::vector<int>{app->m_creates, app->m_renders, host.UpdateRate()}), (std::vector<int>{1, 1, 60}))
        << "one render follows the start; kp_app_SetUpdateRate reaches the host";
    EXPECT_TRUE(kp_graphics_device == kp_app__delegate->m__graphics && kp_audio_device == kp_app__delegate->m__audio &&
                kp_input_device == kp_app__delegate->m__input);
    host.TapKey(kKeyA);
    host.TapKey(kKeyA);
    host.Step(1);
    EXPECT_EQ(app->m_hitsSeen, 2) << "the update sees the hits of its events";
    EXPECT_EQ(kp_input_KeyHit(kKeyA), 0) << "the update's end clears them";
    host.Step(2);
    EXPECT_EQ(app->m_rendersWithDevice, 0) << "without a GL context the application renders with no render device";
    EXPECT_EQ(kp_app_Millisecs(), 50) << "the application reads the host's clock";
    host.Suspend();
    host.Step(2);
    host.Resume();
    host.Step(1);
    EXPECT_EQ((std::vector<int>{app->m_suspends, app->m_resumes, app->m_updates}), (std::vector<int>{1, 1, 4}))
        << "no updates while suspended";
}

// Runs the program in a child process and checks how it ends.
#define EXPECT_PROGRAM_EXIT(statement, status, output)                                  \
    EXPECT_EXIT(                                                                        \
        {                                                                               \
            dup2(2, 1); /* reports go to standard output; the matcher reads stderr */ \
            if (!std::freopen("/dev/null", "r", stdin)) std::exit(3);                   \
            statement;                                                                  \
            std::exit(7);                                                               \
        },                                                                              \
        ::testing::ExitedWithCode(status), output)

using ProgramDeathTest = ProgramTest;

TEST_F(ProgramDeathTest, CloseAndBackKeysEndTheProgramWithStatusZero) {
    EXPECT_PROGRAM_EXIT((host.Start(), host.CloseWindow()), 0, "");
    EXPECT_PROGRAM_EXIT((host.Start(), host.KeyDown(kBackKey)), 0, "");
    EXPECT_PROGRAM_EXIT((host.Start(), host.KeyUp(kCloseKey), host.Step(1)), 7, "") << "a close key-up alone does nothing";
    EXPECT_PROGRAM_EXIT((new c_App())->m_new(), 255, "Zephyr Runtime Error : App has already been created");
}

TEST(StackTest, GrowsToTwiceTheLengthPlusTenAndClearsVacatedSlots) {
    c_Stack* stack = (new c_Stack())->m_new();
    const struct { int length, capacity; } steps[] = {{5, 10}, {10, 10}, {25, 30}, {70, 70}, {71, 150}, {3, 150}, {0, 150}};
    for (const auto& step : steps) {
        const int old = stack->p_Length2();
        stack->p_Length(step.length);
        for (int i = old; i < step.length; ++i) stack->m_data[i] = new c_AsyncEventSource();
        EXPECT_EQ(stack->m_data.Length(), step.capacity) << "capacity after length " << step.length;
        for (int i = 0; i < stack->m_data.Length(); ++i) {
            EXPECT_EQ(stack->m_data.Get(i) != nullptr, i < step.length) << "slot " << i << " after length " << step.length;
        }
    }
}

// Logs its name when pumped; may remove itself or pump again from inside.
class RecordingSource : public c_AsyncEventSource {
public:
    char name = '?';
    std::string* log = nullptr;
    bool removeSelf = false, pumpAgain = false;

    void UpdateAsyncEvents() override {
        *log += name;
        if (removeSelf) kp_asyncevent_RemoveAsyncEventSource(this);
        if (pumpAgain) kp_asyncevent_UpdateAsyncEvents();
    }
};

TEST(AsyncEventTest, EverySourceIsPumpedOnceInOrder) {
    // Which source removes itself, which one pumps again from inside; the logs of two pumps.
    const struct { int removes, pumps; const char* first, *second; } cases[] = {
        {-1, -1, "abc", "abc"}, {1, -1, "abc", "ac"}, {-1, 0, "abc", "abc"}};
    std::string log;
    for (const auto& c : cases) {
        gc_assign(kp_asyncevent__sources, (new c_Stack())->m_new());
        for (int i = 0; i < 3; ++i) {
            RecordingSource* source = new RecordingSource();
            source->name = static_cast<char>('a' + i);
            source->log = &log;
            source->removeSelf = i == c.removes;
            source->pumpAgain = i == c.pumps;
            kp_asyncevent_AddAsyncEventSource(source);
            kp_asyncevent_AddAsyncEventSource(source);  // a second add keeps one entry
        }
        for (const char* expected : {c.first, c.second}) {
            log.clear();
            kp_asyncevent_UpdateAsyncEvents();
            EXPECT_EQ(log, expected) << "removing " << c.removes << ", re-pumping " << c.pumps;
        }
    }
    gc_assign(kp_asyncevent__sources, (new c_Stack())->m_new());  // the sources log into this test's string
}

}  // namespace
