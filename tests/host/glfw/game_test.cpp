// The GLFW host in a real window (suites named Gl* need a display): a refused
// fullscreen window brings back the window of before; with no window at all
// the program ends as a failed start.
#include "host/glfw/game.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include "tests/host/host_test_support.h"

namespace {

// Refuses windows through the host's window-making seam.
class RefusingHost : public KpGlfwGame {
public:
    using KpGlfwGame::ToggleFullscreen;
    bool refuseWindow = false;   // fullscreen ones are always refused

protected:
    GLFWwindow* OpenGlfwWindow(int width, int height, GLFWmonitor* monitor) override {
        return monitor || refuseWindow ? nullptr : KpGlfwGame::OpenGlfwWindow(width, height, monitor);
    }
};

void OpenWindow(RefusingHost& host) {
    ASSERT_TRUE(glfwInit()) << "no display";
    host.SetGlfwWindow(800, 600, 8, 8, 8, 0, 0, 0, false);
    ASSERT_NE(host.Window(), nullptr);
}

TEST(GlFullscreenTest, ARefusedFullscreenWindowFallsBackToTheWindowOfBefore) {
    RefusingHost host;
    OpenWindow(host);
    host.ToggleFullscreen();
    ASSERT_NE(host.Window(), nullptr) << "no window after the refused fullscreen";
    EXPECT_FALSE(host.Fullscreen());
    int width = 0, height = 0;
    glfwGetWindowSize(host.Window(), &width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    glfwTerminate();
}

TEST(GlFullscreenDeathTest, NoWindowAtAllEndsAsAFailedStart) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RefusingHost host;
            OpenWindow(host);
            host.refuseWindow = true;
            host.ToggleFullscreen();
        },
        testing::ExitedWithCode(kExitStatusMinusOne), "");
}

}  // namespace
