// The host's translation tables: GLFW keys to key codes, the characters
// control keys type, and joystick axes and buttons fed through the mapping
// functions as a joystick would report them.
#include "host/glfw_input.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <map>

namespace {

// Every GLFW key the game's key space knows, by meaning.
std::map<int, int> ExpectedKeyTable() {
    std::map<int, int> table = {
        {GLFW_KEY_SPACE, 32},          {GLFW_KEY_APOSTROPHE, 222},   {GLFW_KEY_COMMA, 188},
        {GLFW_KEY_MINUS, 189},         {GLFW_KEY_PERIOD, 190},       {GLFW_KEY_SLASH, 191},
        {GLFW_KEY_SEMICOLON, 186},     {GLFW_KEY_EQUAL, 187},        {GLFW_KEY_LEFT_BRACKET, 219},
        {GLFW_KEY_BACKSLASH, 220},     {GLFW_KEY_RIGHT_BRACKET, 221}, {GLFW_KEY_GRAVE_ACCENT, 192},
        {GLFW_KEY_ESCAPE, 27},         {GLFW_KEY_UP, 38},            {GLFW_KEY_DOWN, 40},
        {GLFW_KEY_LEFT, 37},           {GLFW_KEY_RIGHT, 39},         {GLFW_KEY_LEFT_SHIFT, 16},
        {GLFW_KEY_RIGHT_SHIFT, 16},    {GLFW_KEY_LEFT_CONTROL, 17},  {GLFW_KEY_RIGHT_CONTROL, 17},
        {GLFW_KEY_TAB, 9},             {GLFW_KEY_ENTER, 13},         {GLFW_KEY_BACKSPACE, 8},
        {GLFW_KEY_INSERT, 45},         {GLFW_KEY_DELETE, 46},        {GLFW_KEY_PAGE_UP, 33},
        {GLFW_KEY_PAGE_DOWN, 34},      {GLFW_KEY_HOME, 36},          {GLFW_KEY_END, 35},
    };
    for (int d = 0; d <= 9; ++d) table[GLFW_KEY_0 + d] = '0' + d;
    for (int l = 0; l < 26; ++l) table[GLFW_KEY_A + l] = 'A' + l;
    const int fKeys[] = {GLFW_KEY_F1, GLFW_KEY_F2, GLFW_KEY_F3, GLFW_KEY_F4,  GLFW_KEY_F5,  GLFW_KEY_F6,
                         GLFW_KEY_F7, GLFW_KEY_F8, GLFW_KEY_F9, GLFW_KEY_F10, GLFW_KEY_F11, GLFW_KEY_F12};
    for (int i = 0; i < 12; ++i) table[fKeys[i]] = 112 + i;
    return table;
}

TEST(TransKeyTest, EveryGlfwKeyTranslatesByMeaning) {
    const std::map<int, int> table = ExpectedKeyTable();
    for (int glfwKey = -1; glfwKey <= GLFW_KEY_LAST + 10; ++glfwKey) {
        auto found = table.find(glfwKey);
        int expected = found == table.end() ? 0 : found->second;
        EXPECT_EQ(expected, TransKey(glfwKey)) << "GLFW key " << glfwKey;
    }
}

TEST(TransKeyTest, UnusedKeysGiveNothing) {
    const int unused[] = {GLFW_KEY_F13,        GLFW_KEY_F25,        GLFW_KEY_KP_0,       GLFW_KEY_KP_9,
                          GLFW_KEY_KP_ENTER,   GLFW_KEY_KP_DECIMAL, GLFW_KEY_LEFT_ALT,   GLFW_KEY_RIGHT_ALT,
                          GLFW_KEY_LEFT_SUPER, GLFW_KEY_MENU,       GLFW_KEY_CAPS_LOCK,  GLFW_KEY_NUM_LOCK,
                          GLFW_KEY_SCROLL_LOCK, GLFW_KEY_PAUSE,     GLFW_KEY_PRINT_SCREEN, GLFW_KEY_WORLD_1,
                          GLFW_KEY_UNKNOWN};
    for (int glfwKey : unused) EXPECT_EQ(0, TransKey(glfwKey)) << "GLFW key " << glfwKey;
}

TEST(KeyToCharTest, ControlKeysTypeTheirCharacters) {
    std::map<int, int> expected = {
        {8, 8},         {9, 9},         {13, 13},       {27, 27},       {46, 127},
        {33, 0x10021},  {34, 0x10022},  {35, 0x10023},  {36, 0x10024},  {37, 65573},
        {38, 0x10026},  {39, 0x10027},  {40, 0x10028},  {45, 0x1002D},
    };
    for (int key = -1; key < 512; ++key) {
        auto found = expected.find(key);
        int want = found == expected.end() ? 0 : found->second;
        EXPECT_EQ(want, KeyToChar(key)) << "key " << key;
    }
}

TEST(CharToUtf16Test, CharactersBeyond16BitsBecomeSurrogatePairs) {
    struct Case {
        unsigned codepoint;
        int count, first, second;
    };
    const Case cases[] = {
        {'a', 1, 97, 0},          {0xE9, 1, 0xE9, 0},        {0xFFFD, 1, 0xFFFD, 0},
        // U+10025 must not read as the left arrow's character 65573.
        {0x10025, 2, 0xD800, 0xDC25}, {0x1D11E, 2, 0xD834, 0xDD1E}, {0x10FFFF, 2, 0xDBFF, 0xDFFF},
        {0x110000, 0, 0, 0},
    };
    for (const Case& c : cases) {
        int units[2] = {0, 0};
        int count = kpCharToUtf16(c.codepoint, units);
        EXPECT_EQ(c.count, count) << "U+" << std::hex << c.codepoint;
        EXPECT_EQ(c.first, units[0]) << "U+" << std::hex << c.codepoint;
        EXPECT_EQ(c.second, units[1]) << "U+" << std::hex << c.codepoint;
    }
}

// Builds a button state array with the listed buttons pressed.
std::vector<unsigned char> ButtonStates(int count, std::initializer_list<int> pressed) {
    std::vector<unsigned char> states(count, GLFW_RELEASE);
    for (int b : pressed) states[b] = GLFW_PRESS;
    return states;
}

struct JoyArrays {
    Array<float> joyx{2};
    Array<float> joyy{2};
    Array<float> joyz{2};
    Array<bool> buttons{32};
};

void ExpectPair(const char* what, Array<float> pair, float first, float second) {
    EXPECT_EQ(first, pair.Get(0)) << what << "[0]";
    EXPECT_EQ(second, pair.Get(1)) << what << "[1]";
}

TEST(RawJoystickTest, AxisLayoutFollowsTheAxisCount) {
    const float axes[] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f};
    struct Case {
        int axisCount;
        float x0, x1, y0, y1, z0, z1;
    };
    // Vertical values are stored up-positive, so raw y axes appear negated.
    const Case cases[] = {
        {4, 0.1f, 0.4f, -0.2f, -0.3f, 0.0f, 0.0f},
        {5, 0.1f, 0.5f, -0.2f, -0.4f, 0.3f, 0.0f},
        {6, 0.1f, 0.4f, -0.2f, -0.5f, 0.3f, 0.6f},
        {7, 0.1f, 0.4f, -0.2f, -0.5f, 0.3f, 0.6f},
        {2, 0.1f, 0.0f, -0.2f, 0.0f, 0.0f, 0.0f},
        {0, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.axisCount << " axes");
        JoyArrays j;
        j.joyz[0] = 9.0f;
        kpMapRawJoystick(axes, c.axisCount, nullptr, 0, j.joyx, j.joyy, j.joyz, j.buttons);
        ExpectPair("joyx", j.joyx, c.x0, c.x1);
        ExpectPair("joyy", j.joyy, c.y0, c.y1);
        ExpectPair("joyz", j.joyz, c.z0, c.z1);
    }
}

TEST(RawJoystickTest, ButtonsKeepGlfwOrderAndUnreportedOnesKeepTheirState) {
    JoyArrays j;
    j.buttons[20] = true;
    j.buttons[3] = true;
    std::vector<unsigned char> states = ButtonStates(12, {0, 7, 11});
    kpMapRawJoystick(nullptr, 4, states.data(), 12, j.joyx, j.joyy, j.joyz, j.buttons);
    for (int b = 0; b < 32; ++b) {
        bool expected = b == 0 || b == 7 || b == 11 || b == 20;
        EXPECT_EQ(expected, j.buttons.Get(b)) << "button " << b;
    }

    std::vector<unsigned char> many = ButtonStates(40, {31, 35});
    kpMapRawJoystick(nullptr, 4, many.data(), 40, j.joyx, j.joyy, j.joyz, j.buttons);
    EXPECT_TRUE(j.buttons.Get(31));
    EXPECT_FALSE(j.buttons.Get(0)) << "reported buttons are rewritten";
}

TEST(GamepadTest, ButtonsAndSticksFollowTheGameLayout) {
    // GLFW's gamepad button order, one pressed at a time, against the layout position it must land on.
    struct Case {
        int glfwButton, layout;
    };
    const Case cases[] = {
        {GLFW_GAMEPAD_BUTTON_A, 0},           {GLFW_GAMEPAD_BUTTON_B, 1},
        {GLFW_GAMEPAD_BUTTON_X, 2},           {GLFW_GAMEPAD_BUTTON_Y, 3},
        {GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, 4}, {GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, 5},
        {GLFW_GAMEPAD_BUTTON_BACK, 6},        {GLFW_GAMEPAD_BUTTON_START, 7},
        {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, 8},   {GLFW_GAMEPAD_BUTTON_DPAD_UP, 9},
        {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, 10}, {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, 11},
        {GLFW_GAMEPAD_BUTTON_LEFT_THUMB, 12}, {GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, 13},
        {GLFW_GAMEPAD_BUTTON_GUIDE, 14},
    };
    const float rest[kGamepadAxisCount] = {0.0f, 0.0f, 0.0f, 0.0f, -1.0f, -1.0f};
    for (const Case& c : cases) {
        JoyArrays j;
        j.buttons[31] = true;  // stale value from an earlier raw layout
        std::vector<unsigned char> states = ButtonStates(kGamepadButtonCount, {c.glfwButton});
        kpMapGamepad(rest, states.data(), j.joyx, j.joyy, j.joyz, j.buttons);
        for (int b = 0; b < 32; ++b) {
            EXPECT_EQ(b == c.layout, j.buttons.Get(b))
                << "GLFW gamepad button " << c.glfwButton << " should be layout button " << c.layout
                << "; layout button " << b << " reads " << j.buttons.Get(b);
        }
    }
}

TEST(GamepadTest, LeftStickFirstWithUpPositiveAndTriggersFromZero) {
    float axes[kGamepadAxisCount] = {};
    axes[GLFW_GAMEPAD_AXIS_LEFT_X] = -0.75f;
    axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = -1.0f;  // pushed fully up
    axes[GLFW_GAMEPAD_AXIS_RIGHT_X] = 0.5f;
    axes[GLFW_GAMEPAD_AXIS_RIGHT_Y] = 0.25f;
    axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = -1.0f;  // at rest
    axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = 1.0f;  // fully pressed
    std::vector<unsigned char> states = ButtonStates(kGamepadButtonCount, {});
    JoyArrays j;
    kpMapGamepad(axes, states.data(), j.joyx, j.joyy, j.joyz, j.buttons);
    ExpectPair("joyx", j.joyx, -0.75f, 0.5f);
    ExpectPair("joyy", j.joyy, 1.0f, -0.25f);
    ExpectPair("joyz", j.joyz, 0.0f, 1.0f);
}

TEST(PointerTest, ScreenCoordinatesBecomeFramebufferPixels) {
    struct Case {
        int windowW, windowH, pixelsW, pixelsH;
        double x, y, wantX, wantY;
    };
    const Case cases[] = {
        {640, 480, 640, 480, 100, 50, 100, 50},      // ordinary display
        {640, 480, 1280, 960, 100, 50, 200, 100},    // scaled by 2
        {800, 600, 1000, 900, 80, 60, 100, 90},      // each axis by its own ratio
        {0, 0, 1280, 960, 100, 50, 100, 50},         // minimised: no size to scale by
    };
    for (const Case& c : cases) {
        double x = c.x, y = c.y;
        kpScreenToFramebuffer(&x, &y, c.windowW, c.windowH, c.pixelsW, c.pixelsH);
        EXPECT_EQ(c.wantX, x) << "window " << c.windowW << "x" << c.windowH << ", pixels " << c.pixelsW;
        EXPECT_EQ(c.wantY, y) << "window " << c.windowW << "x" << c.windowH << ", pixels " << c.pixelsH;
    }
}

}  // namespace
