// The host's input translation: GLFW keys to the game's key codes by meaning,
// the characters control keys type, characters beyond 16 bits, gamepads, and
// pointer positions in framebuffer pixels.
#include "host/glfw/input.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

TEST(GlfwInputTest, EveryGlfwKeyTranslatesByMeaning) {
    std::map<int, int> table = {
        {GLFW_KEY_SPACE, 32},        {GLFW_KEY_APOSTROPHE, 222},   {GLFW_KEY_COMMA, 188},        {GLFW_KEY_MINUS, 189},
        {GLFW_KEY_PERIOD, 190},      {GLFW_KEY_SLASH, 191},        {GLFW_KEY_SEMICOLON, 186},    {GLFW_KEY_EQUAL, 187},
        {GLFW_KEY_LEFT_BRACKET, 219}, {GLFW_KEY_BACKSLASH, 220},   {GLFW_KEY_RIGHT_BRACKET, 221}, {GLFW_KEY_GRAVE_ACCENT, 192},
        {GLFW_KEY_ESCAPE, 27},       {GLFW_KEY_UP, 38},            {GLFW_KEY_DOWN, 40},          {GLFW_KEY_LEFT, 37},
        {GLFW_KEY_RIGHT, 39},        {GLFW_KEY_LEFT_SHIFT, 16},    {GLFW_KEY_RIGHT_SHIFT, 16},   {GLFW_KEY_LEFT_CONTROL, 17},
        {GLFW_KEY_RIGHT_CONTROL, 17}, {GLFW_KEY_TAB, 9},           {GLFW_KEY_ENTER, 13},         {GLFW_KEY_BACKSPACE, 8},
        {GLFW_KEY_INSERT, 45},       {GLFW_KEY_DELETE, 46},        {GLFW_KEY_PAGE_UP, 33},       {GLFW_KEY_PAGE_DOWN, 34},
        {GLFW_KEY_HOME, 36},         {GLFW_KEY_END, 35}};
    for (int d = 0; d <= 9; ++d) table[GLFW_KEY_0 + d] = '0' + d;
    for (int l = 0; l < 26; ++l) table[GLFW_KEY_A + l] = 'A' + l;
    for (int f = 0; f < 12; ++f) table[GLFW_KEY_F1 + f] = 112 + f;  // F13 on, the keypad, alt and the rest: nothing
    for (int key = GLFW_KEY_UNKNOWN; key <= GLFW_KEY_LAST + 10; ++key) {
        EXPECT_EQ(TransKey(key), table.count(key) ? table[key] : 0) << "GLFW key " << key;
    }
}

TEST(GlfwInputTest, CharactersTypedByControlKeysAndBeyond16Bits) {
    std::map<int, int> typed = {{8, 8},         {9, 9},         {13, 13},       {27, 27},       {46, 127},
                                {33, 0x10021},  {34, 0x10022},  {35, 0x10023},  {36, 0x10024},  {37, 65573},
                                {38, 0x10026},  {39, 0x10027},  {40, 0x10028},  {45, 0x1002D}};
    for (int key = -1; key < 512; ++key) EXPECT_EQ(KeyToChar(key), typed.count(key) ? typed[key] : 0) << "key " << key;
    const struct { unsigned codepoint; std::vector<int> units; } cases[] = {
        {'a', {97, 0}}, {0xFFFD, {0xFFFD, 0}}, {0x110000, {0, 0}},
        {0x10025, {0xD800, 0xDC25}},  // must not read as the left arrow's character 65573
        {0x1D11E, {0xD834, 0xDD1E}}, {0x10FFFF, {0xDBFF, 0xDFFF}}};
    for (const auto& c : cases) {
        int units[2] = {0, 0};
        const int count = kpCharToUtf16(c.codepoint, units);
        EXPECT_EQ(count, int(c.units[0] != 0) + int(c.units[1] != 0)) << std::hex << c.codepoint;
        EXPECT_EQ((std::vector<int>{units[0], units[1]}), c.units) << std::hex << c.codepoint;
    }
}

struct JoyArrays {
    Array<float> x{2}, y{2}, z{2};
    Array<bool> buttons{32};
    std::vector<float> Sticks() const { return {x.Get(0), x.Get(1), y.Get(0), y.Get(1), z.Get(0), z.Get(1)}; }
};

TEST(GlfwInputTest, GamepadsFollowTheGameLayout) {
    const int layout[] = {GLFW_GAMEPAD_BUTTON_A, GLFW_GAMEPAD_BUTTON_B, GLFW_GAMEPAD_BUTTON_X, GLFW_GAMEPAD_BUTTON_Y,
                          GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, GLFW_GAMEPAD_BUTTON_BACK,
                          GLFW_GAMEPAD_BUTTON_START, GLFW_GAMEPAD_BUTTON_DPAD_LEFT, GLFW_GAMEPAD_BUTTON_DPAD_UP,
                          GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, GLFW_GAMEPAD_BUTTON_DPAD_DOWN, GLFW_GAMEPAD_BUTTON_LEFT_THUMB,
                          GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, GLFW_GAMEPAD_BUTTON_GUIDE};  // by game button 0, 1, ...
    float axes[kGamepadAxisCount] = {};
    axes[GLFW_GAMEPAD_AXIS_LEFT_X] = -0.75f;
    axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = -1;  // pushed fully up
    axes[GLFW_GAMEPAD_AXIS_RIGHT_X] = 0.5f;
    axes[GLFW_GAMEPAD_AXIS_RIGHT_Y] = 0.25f;
    axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = -1;  // at rest
    axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = 1;  // fully pressed
    for (int game = 0; game < 15; ++game) {
        JoyArrays j;
        j.buttons[31] = true;  // stale value from an earlier raw layout
        std::vector<unsigned char> states(kGamepadButtonCount, GLFW_RELEASE);
        states[static_cast<size_t>(layout[game])] = GLFW_PRESS;
        kpMapGamepad(axes, states.data(), j.x, j.y, j.z, j.buttons);
        for (int b = 0; b < 32; ++b) EXPECT_EQ(j.buttons.Get(b), b == game) << "GLFW button " << layout[game] << ", game button " << b;
        EXPECT_EQ(j.Sticks(), (std::vector<float>{-0.75f, 0.5f, 1, -0.25f, 0, 1})) << "left stick first, up positive, triggers from 0";
    }
}

TEST(GlfwInputTest, PointerScreenCoordinatesBecomeFramebufferPixels) {
    const struct { int windowW, windowH, pixelsW, pixelsH; std::vector<double> in, out; } cases[] = {
        {640, 480, 640, 480, {100, 50}, {100, 50}},   {640, 480, 1280, 960, {100, 50}, {200, 100}},  // scaled by 2
        {800, 600, 1000, 900, {80, 60}, {100, 90}},   // each axis by its own ratio
        {0, 0, 1280, 960, {100, 50}, {100, 50}}};     // minimised: no size to scale by
    for (const auto& c : cases) {
        std::vector<double> p = c.in;
        kpScreenToFramebuffer(&p[0], &p[1], c.windowW, c.windowH, c.pixelsW, c.pixelsH);
        EXPECT_EQ(p, c.out) << "window " << c.windowW << "x" << c.windowH << ", pixels " << c.pixelsW << "x" << c.pixelsH;
    }
}

}  // namespace
