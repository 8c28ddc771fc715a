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

// Keeps OpenAL away from any sound card: the devices write to a wave file.
void UseWaveAudio(const std::string& folder) {
    std::string conf = folder + "/alsoft.conf";
    WriteFileBytes(conf, "[general]\ndrivers = wave\nsample-type = int16\n[wave]\nfile = " + folder + "/out.wav\n");
    setenv("ALSOFT_CONF", conf.c_str(), 1);
}

// The whole program started on the headless host, in a private folder.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseWaveAudio(folder.Path());
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
    ASSERT_NE(kp_asyncevent__sources, nullptr);
    EXPECT_EQ(kp_asyncevent__sources->p_Length2(), 0);
    EXPECT_EQ(kp_Glimmer_CreditText.Length(), 39);
    EXPECT_EQ(app->m_creates, 0) << "the application hears nothing before the host starts it";
}

TEST_F(ProgramTest, StartCreatesTheDevicesThenTheApplicationRuns) {
    host.Start();
    EXPECT_EQ(app->m_creates, 1);
    EXPECT_EQ(app->m_renders, 1) << "one render follows the start";
    EXPECT_NE(kp_app__delegate->m__graphics, nullptr);
    EXPECT_EQ(kp_graphics_device, kp_app__delegate->m__graphics);
    EXPECT_EQ(kp_audio_device, kp_app__delegate->m__audio);
    EXPECT_EQ(kp_input_device, kp_app__delegate->m__input);
    EXPECT_EQ(host.UpdateRate(), 60) << "kp_app_SetUpdateRate reaches the host";
    EXPECT_EQ(kp_app__updateRate, 60);

    host.Step(3);
    EXPECT_EQ(app->m_updates, 3);
    EXPECT_EQ(app->m_renders, 4);
    EXPECT_EQ(app->m_rendersWithDevice, 0)
        << "without a GL context the application renders with no render device";
    EXPECT_EQ(kp_app_Millisecs(), 50) << "the application reads the host's clock";
}

TEST_F(ProgramTest, UpdatesAreBracketedByTheInputDevice) {
    host.Start();
    host.TapKey(65);
    host.TapKey(65);
    EXPECT_EQ(kp_input_KeyHit(65), 2) << "hits accumulate between updates";
    host.Step(1);
    EXPECT_EQ(app->m_hitsSeen, 2) << "the update sees the hits";
    EXPECT_EQ(kp_input_KeyHit(65), 0) << "the update's end clears them";
    host.Step(1);
    EXPECT_EQ(app->m_hitsSeen, 2);
}

TEST_F(ProgramTest, SuspendAndResumeReachTheApplication) {
    host.Start();
    host.Suspend();
    host.Step(2);
    EXPECT_EQ(app->m_suspends, 1);
    EXPECT_EQ(app->m_updates, 0) << "no updates while suspended";
    host.Resume();
    host.Step(1);
    EXPECT_EQ(app->m_resumes, 1);
    EXPECT_EQ(app->m_updates, 1);
}

TEST_F(ProgramTest, StateGoesThroughTheHost) {
    EXPECT_EQ(kp_app_SaveState(String("1|2|")), 0);
    EXPECT_TRUE(kp_app_LoadState() == String("1|2|"));
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
    EXPECT_PROGRAM_EXIT((host.Start(), host.KeyDown(416)), 0, "");
    EXPECT_PROGRAM_EXIT(kp_app_EndApp(), 0, "");
}

TEST_F(ProgramDeathTest, TheKeyUpOfCloseAloneDoesNothing) {
    EXPECT_PROGRAM_EXIT((host.Start(), host.KeyUp(432), host.Step(1)), 7, "");
}

TEST_F(ProgramDeathTest, ASecondApplicationIsARuntimeError) {
    EXPECT_PROGRAM_EXIT((new c_App())->m_new(), 255, "Zephyr Runtime Error : App has already been created");
}

// ---- c_Stack ----

std::vector<int> SlotNumbers(c_Stack* stack, const std::vector<c_AsyncEventSource*>& sources) {
    std::vector<int> out;
    for (int i = 0; i < stack->m_data.Length(); ++i) {
        c_AsyncEventSource* element = stack->m_data.Get(i);
        int number = -1;
        for (size_t k = 0; k < sources.size(); ++k) {
            if (sources[k] == element) number = static_cast<int>(k);
        }
        out.push_back(number);
    }
    return out;
}

TEST(StackTest, GrowsToTwiceTheLengthPlusTenAndClearsVacatedSlots) {
    c_Stack* stack = (new c_Stack())->m_new();
    EXPECT_EQ(stack->m_data.Length(), 0);

    std::vector<c_AsyncEventSource*> sources;
    for (int i = 0; i < 71; ++i) sources.push_back(new c_AsyncEventSource());

    struct Step {
        int newLength;
        int capacity;  // of m_data afterwards
    };
    const Step steps[] = {{5, 10}, {10, 10}, {25, 30}, {26, 30}, {70, 70}, {71, 150}, {3, 150}, {0, 150}};
    for (const Step& step : steps) {
        int old = stack->p_Length2();
        stack->p_Length(step.newLength);
        for (int i = old; i < step.newLength; ++i) stack->m_data[i] = sources[static_cast<size_t>(i)];
        EXPECT_EQ(stack->p_Length2(), step.newLength);
        EXPECT_EQ(stack->m_data.Length(), step.capacity) << "capacity after length " << step.newLength;
        std::vector<int> slots = SlotNumbers(stack, sources);
        for (int i = 0; i < static_cast<int>(slots.size()); ++i) {
            int expected = i < step.newLength ? i : -1;
            if (i >= step.newLength && i >= old) continue;  // never used
            EXPECT_EQ(slots[static_cast<size_t>(i)], expected) << "slot " << i << " after length " << step.newLength;
        }
    }
}

TEST(StackTest, NewFromAnArrayCopiesIt) {
    Array<c_AsyncEventSource*> data(2);
    data[0] = new c_AsyncEventSource();
    data[1] = new c_AsyncEventSource();
    c_Stack* stack = (new c_Stack())->m_new2(data);
    data[0] = nullptr;
    EXPECT_EQ(stack->p_Length2(), 2);
    EXPECT_NE(stack->p_Get(0), nullptr) << "the stack does not share the caller's array";
}

// ---- asynchronous events ----

class RecordingSource : public c_AsyncEventSource {
public:
    std::string name;
    std::string* log = nullptr;
    bool removeSelf = false;
    bool pumpAgain = false;

    void UpdateAsyncEvents() override {
        *log += name;
        if (removeSelf) kp_asyncevent_RemoveAsyncEventSource(this);
        if (pumpAgain) kp_asyncevent_UpdateAsyncEvents();
    }
};

class AsyncEventTest : public ::testing::Test {
protected:
    void SetUp() override {
        gc_assign(kp_asyncevent__sources, (new c_Stack())->m_new());
        kp_asyncevent__current = nullptr;
        for (const char* name : {"a", "b", "c"}) {
            RecordingSource* source = new RecordingSource();
            source->name = name;
            source->log = &log;
            sources.push_back(source);
            kp_asyncevent_AddAsyncEventSource(source);
        }
    }

    std::string log;
    std::vector<RecordingSource*> sources;
};

TEST_F(AsyncEventTest, EverySourceIsPumpedOnceInOrder) {
    kp_asyncevent_UpdateAsyncEvents();
    EXPECT_EQ(log, "abc");
    EXPECT_EQ(kp_asyncevent__current, nullptr);
}

TEST_F(AsyncEventTest, ASourceRemovingItselfDoesNotMakeTheNextOneSkipped) {
    sources[1]->removeSelf = true;
    kp_asyncevent_UpdateAsyncEvents();
    EXPECT_EQ(log, "abc");
    log.clear();
    kp_asyncevent_UpdateAsyncEvents();
    EXPECT_EQ(log, "ac");
}

TEST_F(AsyncEventTest, PumpingFromInsideASourceReturnsAtOnce) {
    sources[0]->pumpAgain = true;
    kp_asyncevent_UpdateAsyncEvents();
    EXPECT_EQ(log, "abc");
}

TEST_F(AsyncEventTest, AddingASourceTwiceKeepsOneEntry) {
    kp_asyncevent_AddAsyncEventSource(sources[0]);
    EXPECT_EQ(kp_asyncevent__sources->p_Length2(), 3);
}

}  // namespace
