// The application framework: start-up of the application, the delegate's
// routing of host events, and the end of the program on the close and back keys.
#include "framework/app.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/sound.h"
#include "framework/program.h"
#include "graphics/graphics_module.h"
#include "host/headless/game.h"
#include "host/platform.h"
#include "host/state_file.h"
#include "input/input_device.h"
#include "tests/framework/test_app.h"
#include "tests/host/host_test_support.h"

namespace {

// The whole program started on the headless host, in a private folder, with
// OpenAL writing to a wave file instead of a sound card.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile("alsoft.conf", "[general]\ndrivers = wave\n[wave]\nfile = " + folder.Path() + "/out.wav\n");
        setenv("ALSOFT_CONF", (folder.Path() + "/alsoft.conf").c_str(), 1);
        static const char* args[] = {"host_tests", nullptr};
        kp_std_main(1, args);
        app = static_cast<c_TestApp*>(kp_app__app);
    }

    ScratchFolder folder{"framework", true};
    KpHeadlessGame host;
    c_TestApp* app = nullptr;
};

// A save that fails is told on standard output; the old save stays whole,
// the program goes on, and the next save writes the whole state again.
TEST_F(ProgramTest, AFailedSaveIsToldAndTheNextSaveTriesAgain) {
    host.Start();
    ASSERT_EQ(kp_app_SaveState(String("old")), kStateSaved);
    const KpStateFileIo diskFull{+[](int, const void*, size_t) -> int { return -1; }, kp_file_Sync};
    const KpStateFileIo real = kp_state_SetIo(diskFull);
    testing::internal::CaptureStdout();
    const int failed = kp_app_SaveState(String("new"));
    const std::string told = testing::internal::GetCapturedStdout();
    kp_state_SetIo(real);
    EXPECT_EQ(failed, kStateShortWrite);
    EXPECT_EQ(told, std::string(kSaveFailedLine) + "\n");
    EXPECT_EQ(ReadFile(".zephyrstate"), "old");
    const int updates = app->m_updates;
    host.Step(1);
    EXPECT_EQ(app->m_updates, updates + 1) << "the program goes on";
    testing::internal::CaptureStdout();
    EXPECT_EQ(kp_app_SaveState(String("new")), kStateSaved);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "a save that works says nothing";
    EXPECT_EQ(ReadFile(".zephyrstate"), "new");
}

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
    EXPECT_PROGRAM_EXIT((host.Start(), host.KeyDown(kKeyBack)), 0, "");
    EXPECT_PROGRAM_EXIT((host.Start(), host.KeyUp(kKeyClose), host.Step(1)), 7, "") << "a close key-up alone does nothing";
    EXPECT_PROGRAM_EXIT((new c_App())->m_new(), kExitStatusMinusOne, "Zephyr Runtime Error : App has already been created");
}

}  // namespace
