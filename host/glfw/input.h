// Translation of GLFW 3 window-system input into host events: the key table,
// the characters that control keys also type, the window callbacks, and the
// joystick tables used by KpGlfwGame::PollJoystick.
#pragma once

#include "host/input_translation.h"
#include "runtime/array.h"

struct GLFWwindow;

// Key code of the input device for a GLFW key code; 0 when the key is not used.
int TransKey(int glfwKey);
// A pointer position in a window's screen coordinates, converted to the
// framebuffer pixels the renderer and the game count in (they differ on
// scaled displays). A window or framebuffer of no size leaves it unchanged.
void kpScreenToFramebuffer(double* x, double* y, int windowWidth, int windowHeight, int framebufferWidth,
                           int framebufferHeight);
// Installs the key, character, mouse button, cursor and close callbacks on a window.
void kpInstallGlfwInputCallbacks(GLFWwindow* window);

// Axis count of GLFW's gamepad state.
constexpr int kGamepadAxisCount = 6;

// Fills the joystick arrays from a joystick GLFW knows only by its raw axes
// and buttons (GLFW_PRESS per button). Both sticks read positive when pushed
// up; buttons beyond `buttonCount` keep their values.
void kpMapRawJoystick(const float* axes, int axisCount, const unsigned char* buttonStates, int buttonCount,
                      Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons);
// Fills the joystick arrays from a recognised gamepad's state (GLFW's gamepad
// axis and button order): buttons in the game's fixed layout, element 0 the
// left stick, 1 the right stick, z the triggers from 0 at rest to 1.
void kpMapGamepad(const float* axes, const unsigned char* buttonStates, Array<float> joyx, Array<float> joyy,
                  Array<float> joyz, Array<bool> buttons);
