#include "host/glfw/input.h"

#include <GLFW/glfw3.h>

#include <algorithm>

#include "host/glfw/game.h"

namespace {

constexpr int kMouseButtonCount = 3;    // left, right, middle
constexpr int kRawAxisCount = 6;        // axes read from a raw joystick

void SendKey(int event, int data) {
    if (KpGame::_game) KpGame::_game->KeyEvent(event, data);
}

// GLFW reports the pointer in screen coordinates; the game works in pixels.
void SendMouse(GLFWwindow* window, int event, int data, double x, double y) {
    int windowWidth = 0, windowHeight = 0, framebufferWidth = 0, framebufferHeight = 0;
    glfwGetWindowSize(window, &windowWidth, &windowHeight);
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    kpScreenToFramebuffer(&x, &y, windowWidth, windowHeight, framebufferWidth, framebufferHeight);
    if (KpGame::_game) KpGame::_game->MouseEvent(event, data, static_cast<float>(x), static_cast<float>(y));
}

// A repeat takes the press path: the device adds no hit for a key already
// down, but a control key queues its character again.
void OnKey(GLFWwindow* window, int glfwKey, int scancode, int action, int mods) {
    (void)window;
    (void)scancode;
    (void)mods;
    int key = TransKey(glfwKey);
    if (key == 0) return;
    if (action == GLFW_RELEASE) {
        SendKey(kEventKeyUp, key);
        return;
    }
    if (action != GLFW_PRESS && action != GLFW_REPEAT) return;
    SendKey(kEventKeyDown, key);
    int character = KeyToChar(key);
    if (character != 0) SendKey(kEventKeyChar, character);
    // The game still sees F11; the host switches modes after the event batch.
    if (glfwKey == GLFW_KEY_F11 && action == GLFW_PRESS && KpGlfwGame::_glfwGame) {
        KpGlfwGame::_glfwGame->RequestFullscreenToggle();
    }
}

void OnChar(GLFWwindow* window, unsigned int codepoint) {
    (void)window;
    int units[2] = {0, 0};
    int count = kpCharToUtf16(codepoint, units);
    for (int i = 0; i < count; ++i) SendKey(kEventKeyChar, units[i]);
}

void OnMouseButton(GLFWwindow* window, int button, int action, int mods) {
    (void)mods;
    if (button < 0 || button >= kMouseButtonCount) return;
    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    if (action == GLFW_RELEASE) {
        SendMouse(window, kEventMouseUp, button, x, y);
    } else if (action == GLFW_PRESS) {
        SendMouse(window, kEventMouseDown, button, x, y);
    }
}

void OnCursorPos(GLFWwindow* window, double x, double y) {
    SendMouse(window, kEventMouseMove, -1, x, y);
}

// The window stays open: the application decides what the close key means.
void OnWindowClose(GLFWwindow* window) {
    SendKey(kEventKeyDown, kKeyClose);
    SendKey(kEventKeyUp, kKeyClose);
    glfwSetWindowShouldClose(window, GLFW_FALSE);
}

}  // namespace

// ---- Keys ----

int TransKey(int glfwKey) {
    if (glfwKey >= GLFW_KEY_0 && glfwKey <= GLFW_KEY_9) return glfwKey;
    if (glfwKey >= GLFW_KEY_A && glfwKey <= GLFW_KEY_Z) return glfwKey;
    if (glfwKey >= GLFW_KEY_F1 && glfwKey <= GLFW_KEY_F12) return kKeyF1 + (glfwKey - GLFW_KEY_F1);
    switch (glfwKey) {
    case GLFW_KEY_SPACE: return kKeySpace;
    case GLFW_KEY_APOSTROPHE: return kKeyQuote;
    case GLFW_KEY_COMMA: return kKeyComma;
    case GLFW_KEY_MINUS: return kKeyMinus;
    case GLFW_KEY_PERIOD: return kKeyPeriod;
    case GLFW_KEY_SLASH: return kKeySlash;
    case GLFW_KEY_SEMICOLON: return kKeySemicolon;
    case GLFW_KEY_EQUAL: return kKeyEquals;
    case GLFW_KEY_LEFT_BRACKET: return kKeyOpenBracket;
    case GLFW_KEY_BACKSLASH: return kKeyBackslash;
    case GLFW_KEY_RIGHT_BRACKET: return kKeyCloseBracket;
    case GLFW_KEY_GRAVE_ACCENT: return kKeyBackquote;
    case GLFW_KEY_ESCAPE: return kKeyEscape;
    case GLFW_KEY_UP: return kKeyArrowUp;
    case GLFW_KEY_DOWN: return kKeyArrowDown;
    case GLFW_KEY_LEFT: return kKeyArrowLeft;
    case GLFW_KEY_RIGHT: return kKeyArrowRight;
    case GLFW_KEY_LEFT_SHIFT:
    case GLFW_KEY_RIGHT_SHIFT: return kKeyShift;
    case GLFW_KEY_LEFT_CONTROL:
    case GLFW_KEY_RIGHT_CONTROL: return kKeyControl;
    case GLFW_KEY_TAB: return kKeyTab;
    case GLFW_KEY_ENTER: return kKeyEnter;
    case GLFW_KEY_BACKSPACE: return kKeyBackspace;
    case GLFW_KEY_INSERT: return kKeyInsert;
    case GLFW_KEY_DELETE: return kKeyDelete;
    case GLFW_KEY_PAGE_UP: return kKeyPageUp;
    case GLFW_KEY_PAGE_DOWN: return kKeyPageDown;
    case GLFW_KEY_HOME: return kKeyHome;
    case GLFW_KEY_END: return kKeyEnd;
    default: return 0;
    }
}

void kpScreenToFramebuffer(double* x, double* y, int windowWidth, int windowHeight, int framebufferWidth,
                           int framebufferHeight) {
    if (windowWidth <= 0 || windowHeight <= 0 || framebufferWidth <= 0 || framebufferHeight <= 0) return;
    *x *= static_cast<double>(framebufferWidth) / windowWidth;
    *y *= static_cast<double>(framebufferHeight) / windowHeight;
}

void kpInstallGlfwInputCallbacks(GLFWwindow* window) {
    glfwSetKeyCallback(window, OnKey);
    glfwSetCharCallback(window, OnChar);
    glfwSetMouseButtonCallback(window, OnMouseButton);
    glfwSetCursorPosCallback(window, OnCursorPos);
    glfwSetWindowCloseCallback(window, OnWindowClose);
}

// ---- Joysticks ----

// Axis layout by the number of axes reported: with four the second stick's y
// is axis 2, with five axes 3 and 4 trade places, otherwise x, y, z pairs.
void kpMapRawJoystick(const float* axes, int axisCount, const unsigned char* buttonStates, int buttonCount,
                      Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons) {
    float a[kRawAxisCount] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    int readAxes = axes ? std::clamp(axisCount, 0, kRawAxisCount) : 0;
    std::copy(axes, axes + readAxes, a);
    if (axisCount == 4) {
        kpSetStickPair(joyx, a[0], a[3]);
        kpSetStickPair(joyy, kpStickUp(a[1]), kpStickUp(a[2]));
        kpSetStickPair(joyz, 0.0f, 0.0f);
    } else if (axisCount == 5) {
        kpSetStickPair(joyx, a[0], a[4]);
        kpSetStickPair(joyy, kpStickUp(a[1]), kpStickUp(a[3]));
        kpSetStickPair(joyz, a[2], a[5]);
    } else {
        kpSetStickPair(joyx, a[0], a[3]);
        kpSetStickPair(joyy, kpStickUp(a[1]), kpStickUp(a[4]));
        kpSetStickPair(joyz, a[2], a[5]);
    }
    int readButtons = buttonStates ? std::min({buttonCount, kJoyButtonCount, buttons.Length()}) : 0;
    for (int i = 0; i < readButtons; ++i) {
        buttons[i] = buttonStates[i] == GLFW_PRESS;
    }
}

namespace {

// GLFW gamepad button for each button of the game's layout.
constexpr int kGamepadLayout[kGamepadButtonCount] = {
    GLFW_GAMEPAD_BUTTON_A,           GLFW_GAMEPAD_BUTTON_B,          GLFW_GAMEPAD_BUTTON_X,
    GLFW_GAMEPAD_BUTTON_Y,           GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER,
    GLFW_GAMEPAD_BUTTON_BACK,        GLFW_GAMEPAD_BUTTON_START,      GLFW_GAMEPAD_BUTTON_DPAD_LEFT,
    GLFW_GAMEPAD_BUTTON_DPAD_UP,     GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, GLFW_GAMEPAD_BUTTON_DPAD_DOWN,
    GLFW_GAMEPAD_BUTTON_LEFT_THUMB,  GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, GLFW_GAMEPAD_BUTTON_GUIDE,
};

// Gamepad triggers rest at -1; the game's z values rest at 0.
float Trigger(float glfwValue) { return (glfwValue + 1.0f) * 0.5f; }

}  // namespace

void kpMapGamepad(const float* axes, const unsigned char* buttonStates, Array<float> joyx, Array<float> joyy,
                  Array<float> joyz, Array<bool> buttons) {
    kpSetStickPair(joyx, axes[GLFW_GAMEPAD_AXIS_LEFT_X], axes[GLFW_GAMEPAD_AXIS_RIGHT_X]);
    kpSetStickPair(joyy, kpStickUp(axes[GLFW_GAMEPAD_AXIS_LEFT_Y]), kpStickUp(axes[GLFW_GAMEPAD_AXIS_RIGHT_Y]));
    kpSetStickPair(joyz, Trigger(axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER]), Trigger(axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER]));
    // The whole layout is rewritten, so nothing stale survives a switch from
    // the raw layout (for instance after a mapping update).
    for (int i = 0; i < buttons.Length(); ++i) {
        buttons[i] = i < kGamepadButtonCount && buttonStates[kGamepadLayout[i]] == GLFW_PRESS;
    }
}

// GLFW checks presence on every call, so a controller plugged in while the
// game runs is picked up by the next update.
bool KpGlfwGame::PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                              Array<bool> buttons) {
    int jid = GLFW_JOYSTICK_1 + port;
    if (port < 0 || jid > GLFW_JOYSTICK_LAST || !glfwJoystickPresent(jid)) return false;
    GLFWgamepadstate state{};
    if (glfwJoystickIsGamepad(jid) && glfwGetGamepadState(jid, &state)) {
        kpMapGamepad(state.axes, state.buttons, joyx, joyy, joyz, buttons);
        return true;
    }
    int axisCount = 0;
    int buttonCount = 0;
    const float* axes = glfwGetJoystickAxes(jid, &axisCount);
    const unsigned char* buttonStates = glfwGetJoystickButtons(jid, &buttonCount);
    // Unplugged between the presence test and the reads.
    if (!axes || !buttonStates) return false;
    kpMapRawJoystick(axes, axisCount, buttonStates, buttonCount, joyx, joyy, joyz, buttons);
    return true;
}
