// The application framework: start-up of the globals and the application,
// the delegate's routing of host events, the end of the program on the close
// and back keys, c_Stack and the asynchronous-event pump.
#include "host/app.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/sound.h"
#include "game/shell/globals.h"
#include "graphics/graphics_module.h"
#include "host/program.h"
#include "input/input_device.h"
#include "runtime/random.h"
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
        const std::string conf = folder.Path() + "/alsoft.conf";
        WriteFileBytes(conf, "[general]\ndrivers = wave\n[wave]\nfile = " + folder.Path() + "/out.wav\n");
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        static const char* args[] = {"host_tests", nullptr};
        kp_std_main(1, args);
        app = static_cast<c_TestApp*>(kp_app__app);
    }

    ScopedWorkFolder folder;
    KpHeadlessGame host;
    c_TestApp* app = nullptr;
};

TEST_F(ProgramTest, StartUpSetsTheGlobalsAndHandsTheDelegateToTheHost) {
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(kp_app__game, &host);
    EXPECT_EQ(host.Delegate(), kp_app__delegate);
    EXPECT_NE(kp_graphics_context, nullptr);
    EXPECT_EQ(kp_graphics_device, nullptr) << "devices exist only from the start of the game";
    EXPECT_EQ(kp_random_Seed, 1234);
    EXPECT_EQ(kp_app__updateRate, 0);
    EXPECT_EQ(kp_asyncevent__sources->p_Length2(), 0);
    EXPECT_EQ(kp_Glimmer_CreditText.Length(), 39);
    EXPECT_EQ(app->m_creates, 0) << "the application hears nothing before the host starts it";
}

TEST_F(ProgramTest, HostEventsReachTheApplication) {
    host.Start();
    EXPECT_EQ(app->m_creates, 1);
    EXPECT_EQ(app->m_renders, 1) << "one render follows the start";
    EXPECT_EQ(kp_graphics_device, kp_app__delegate->m__graphics);
    EXPECT_EQ(kp_audio_device, kp_app__delegate->m__audio);
    EXPECT_EQ(kp_input_device, kp_app__delegate->m__input);
    EXPECT_EQ(host.UpdateRate(), 60) << "kp_app_SetUpdateRate reaches the host";
    host.TapKey(kKeyA);
    host.TapKey(kKeyA);
    host.Step(1);
    EXPECT_EQ(app->m_hitsSeen, 2) << "the update sees the hits of its events";
    EXPECT_EQ(kp_input_KeyHit(kKeyA), 0) << "the update's end clears them";
    host.Step(2);
    EXPECT_EQ(app->m_hitsSeen, 2);
    EXPECT_EQ(app->m_rendersWithDevice, 0) << "without a GL context the application renders with no render device";
    EXPECT_EQ(kp_app_Millisecs(), 50) << "the application reads the host's clock";
    host.Suspend();
    host.Step(2);
    EXPECT_EQ(app->m_suspends, 1);
    EXPECT_EQ(app->m_updates, 3) << "no updates while suspended";
    host.Resume();
    host.Step(1);
    EXPECT_EQ(app->m_resumes, 1);
    EXPECT_EQ(app->m_updates, 4);
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
    EXPECT_PROGRAM_EXIT(kp_app_EndApp(), 0, "");
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
        for (int i = step.length; i < old; ++i) EXPECT_EQ(stack->m_data.Get(i), nullptr) << "vacated slot " << i;
        for (int i = 0; i < step.length; ++i) EXPECT_NE(stack->m_data.Get(i), nullptr) << "kept slot " << i;
    }
}

// Logs its name when pumped; may remove itself or pump again from inside.
class RecordingSource : public c_AsyncEventSource {
public:
    char name = '?';
    std::string* log = nullptr;
    bool removeSelf = false;
    bool pumpAgain = false;

    void UpdateAsyncEvents() override {
        *log += name;
        if (removeSelf) kp_asyncevent_RemoveAsyncEventSource(this);
        if (pumpAgain) kp_asyncevent_UpdateAsyncEvents();
    }
};

TEST(AsyncEventTest, EverySourceIsPumpedOnceInOrder) {
    const struct { int removes, pumps; const char* first, *second; } cases[] = {
        {-1, -1, "abc", "abc"}, {1, -1, "abc", "ac"}, {-1, 0, "abc", "abc"}};  // source index that removes itself / re-pumps
    for (const auto& c : cases) {
        gc_assign(kp_asyncevent__sources, (new c_Stack())->m_new());
        std::string log;
        for (int i = 0; i < 3; ++i) {
            RecordingSource* source = new RecordingSource();
            source->name = static_cast<char>('a' + i);
            source->log = &log;
            source->removeSelf = i == c.removes;
            source->pumpAgain = i == c.pumps;
            kp_asyncevent_AddAsyncEventSource(source);
            kp_asyncevent_AddAsyncEventSource(source);  // a second add keeps one entry
        }
        kp_asyncevent_UpdateAsyncEvents();
        EXPECT_EQ(log, c.first) << "removing " << c.removes << ", re-pumping " << c.pumps;
        log.clear();
        kp_asyncevent_UpdateAsyncEvents();
        EXPECT_EQ(log, c.second) << "removing " << c.removes << ", re-pumping " << c.pumps;
        EXPECT_EQ(kp_asyncevent__current, nullptr);
    }
    gc_assign(kp_asyncevent__sources, (new c_Stack())->m_new());  // the sources log into this test's strings
}

}  // namespace
