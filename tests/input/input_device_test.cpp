// The input device's rules: hit counting and its queue limit, the character
// queue, mouse/touch mirroring, joystick polling, and the ranges of codes.
#include "input/input_device.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/headless/game.h"

namespace {

// Joysticks as a test scripts them: `present` joysticks exist, each with the
// buttons listed in `pressed[unit]` held down; the ports polled are noted.
struct ScriptedJoysticks {
    int present = 0;
    std::vector<std::vector<int>> pressed = std::vector<std::vector<int>>(kJoystickCount);
    std::vector<int> polled;  // ports asked for, in order

    bool Poll(int port, Array<float> joyx, Array<float> joyy, Array<bool> buttons) {
        polled.push_back(port);
        if (port >= present) return false;
        joyx[0] = 0.25f * (port + 1);
        joyy[1] = -0.5f;
        for (int b = 0; b < buttons.Length(); ++b) buttons[b] = false;
        for (int b : pressed[port]) buttons[b] = true;
        return true;
    }
};

class InputDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        KpGame::_game = &game;
        game.SetJoysticks([this](int port, Array<float> joyx, Array<float> joyy, Array<float>, Array<bool> buttons) {
            return joysticks.Poll(port, joyx, joyy, buttons);
        });
        kp_input_SetInputDevice(device);
    }
    void TearDown() override {
        kp_input_SetInputDevice(nullptr);
        KpGame::_game = previous;
    }
    void Key(int event, int key) { device->p_KeyEvent(event, key); }

    KpGame* previous = KpGame::_game;
    ScriptedJoysticks joysticks;
    KpHeadlessGame game;
    c_InputDevice* device = (new c_InputDevice())->m_new();
};

TEST_F(InputDeviceTest, HitsAndCharactersPerUpdate) {
    for (int key = 100; key < 134; ++key) Key(kEventKeyDown, key);
    for (int key = 100; key < 134; ++key) {
        EXPECT_TRUE(kp_input_KeyDown(key)) << key;
        EXPECT_EQ(kp_input_KeyHit(key), key < 133 ? 1 : 0) << "only the first 33 distinct presses count; key " << key;
    }
    for (int i = 0; i < 33; ++i) Key(kEventKeyChar, 'a' + i);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(kp_input_GetChar(), 'a' + i) << "character " << i;
    EXPECT_EQ(kp_input_GetChar(), 0) << "the 33rd character is dropped";
    device->p_EndUpdate();
    EXPECT_EQ(kp_input_KeyHit(100), 0) << "the end of the update clears hits";
    EXPECT_TRUE(kp_input_KeyDown(133)) << "and leaves keys down";
    Key(kEventKeyChar, 65573);
    EXPECT_EQ(kp_input_GetChar(), 65573) << "the queue reopens after the update";
    for (int event : {kEventKeyDown, kEventKeyDown, kEventKeyUp, kEventKeyDown, kEventKeyUp}) Key(event, 65);
    EXPECT_EQ(kp_input_KeyHit(65), 2) << "a repeated down adds no hit, a press after a release does";
    EXPECT_FALSE(kp_input_KeyDown(65));
}

TEST_F(InputDeviceTest, LeftButtonAndFirstFingerMirrorEachOther) {
    device->p_MouseEvent(kEventMouseDown, 0, 12, 34);
    EXPECT_EQ((std::vector<float>{float(kp_input_KeyHit(1)), float(kp_input_KeyHit(384)), float(kp_input_TouchDown(0)),
                                  kp_input_MouseX(), kp_input_MouseY(), kp_input_TouchX(0), kp_input_TouchY(0)}),
              (std::vector<float>{1, 1, 1, 12, 34, 12, 34}));
    device->p_MouseEvent(kEventMouseUp, 0, 99, 99);
    EXPECT_FALSE(kp_input_KeyDown(384)) << "releasing the button releases finger 0";
    EXPECT_EQ(kp_input_MouseX(), 12) << "a release does not move the pointer";
    device->p_EndUpdate();
    device->p_TouchEvent(kEventTouchDown, 0, 5, 6);
    EXPECT_EQ((std::vector<float>{float(kp_input_MouseHit(0)), kp_input_MouseX()}), (std::vector<float>{1, 5})) << "finger 0 is the left button";
    device->p_MouseEvent(kEventMouseDown, 2, 3, 4);
    device->p_TouchEvent(kEventTouchDown, 3, 7, 8);
    device->p_TouchEvent(kEventTouchMove, 3, 9, 10);
    EXPECT_EQ((std::vector<float>{float(kp_input_KeyDown(3)), kp_input_TouchX(0), kp_input_TouchY(3), kp_input_MouseX()}),
              (std::vector<float>{1, 3, 10, 3})) << "every mouse press moves finger 0; only finger 0 moves the pointer";
}

TEST_F(InputDeviceTest, JoystickPollingStopsAtTheFirstAbsentJoystick) {
    device->p_BeginUpdate();
    EXPECT_EQ(joysticks.polled, std::vector<int>{0}) << "no joystick: only port 0 is asked";
    for (int key = 256; key < 384; ++key) ASSERT_FALSE(kp_input_KeyDown(key)) << key;
    joysticks.polled.clear();
    joysticks.present = 2;
    joysticks.pressed[0] = {0, 31};
    joysticks.pressed[1] = {5};
    device->p_BeginUpdate();
    EXPECT_EQ(joysticks.polled, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ((std::vector<bool>{kp_input_KeyDown(256), kp_input_KeyDown(287), kp_input_KeyDown(293), kp_input_JoyDown(5, 1)}),
              (std::vector<bool>{true, true, true, true})) << "joystick u button b is code 256 + 32u + b";
    EXPECT_EQ((std::vector<float>{kp_input_JoyX(0, 0), kp_input_JoyX(0, 1), kp_input_JoyY(1, 1)}), (std::vector<float>{0.25f, 0.5f, -0.5f}));
    joysticks.pressed[0] = {0};
    device->p_BeginUpdate();
    EXPECT_EQ(kp_input_JoyHit(0, 0), 1) << "held across two polls in one update";
    EXPECT_FALSE(kp_input_KeyDown(287)) << "released";
    device->p_EndUpdate();
    device->p_BeginUpdate();
    EXPECT_EQ(kp_input_JoyHit(0, 0), 0) << "still held in the next update";
    Key(kEventKeyDown, 357);
    EXPECT_TRUE(kp_input_JoyDown(5, 3)) << "code 357";
}

TEST_F(InputDeviceTest, CodesOutsideTheirRangesGiveAndTakeNothing) {
    for (int key : {512, -5}) Key(kEventKeyDown, key);
    device->p_MouseEvent(kEventMouseDown, 511, 1, 1);
    device->p_TouchEvent(kEventTouchDown, 128, 2, 2);
    device->p_TouchEvent(kEventTouchMove, -1, 3, 3);
    EXPECT_EQ(device->m__keyHitPut, 0) << "no hits recorded";
    EXPECT_EQ(kp_input_MouseX(), 0) << "an ignored press does not move the pointer";
    device->p_TouchEvent(kEventTouchDown, 40, 4, 4);
    EXPECT_TRUE(kp_input_KeyDown(424)) << "finger 40 has a key code but no position";
    for (int key = 0; key < 512; ++key) Key(kEventKeyDown, key);
    EXPECT_EQ((std::vector<bool>{kp_input_KeyDown(0), kp_input_KeyDown(512), kp_input_KeyDown(-1), kp_input_MouseDown(511),
                                 kp_input_TouchDown(128)}), (std::vector<bool>(5, false))) << "queries outside their ranges";
    EXPECT_EQ((std::vector<float>{kp_input_TouchX(32), kp_input_JoyX(2, 0), kp_input_JoyX(0, 4)}), (std::vector<float>(3, 0)));
    device->p_MotionEvent(kEventMotionAccel, 0, 0.5f, -0.25f, 1);
    EXPECT_EQ((std::vector<float>{kp_input_AccelX(), kp_input_AccelY(), kp_input_AccelZ()}), (std::vector<float>{0.5f, -0.25f, 1}));
    kp_input_DisableKeyboard();
    EXPECT_FALSE(game.KeyboardEnabled());
}

TEST_F(InputDeviceTest, DeviceSurvivesCollectionThroughItsGlobal) {
    Key(kEventKeyDown, 70);
    Key(kEventKeyChar, 'q');
    gc_set_root_marker([] { gc_mark_q(kp_input_device); });
    for (int i = 0; i < 3; ++i) gc_collect_all();
    gc_flush_free(0x7fffffff);  // destroy all garbage now (a sanitizer build sees any use after it)
    EXPECT_TRUE(kp_input_KeyDown(70));
    EXPECT_EQ(kp_input_GetChar(), 'q');
    EXPECT_EQ(kp_input_JoyX(1, 3), 0) << "joystick states are still reachable";
    gc_set_root_marker(nullptr);
    kp_input_SetInputDevice(nullptr);
    EXPECT_FALSE(kp_input_KeyDown(70)) << "without a device queries give nothing";
}

}  // namespace
