// The input device's rules: hit counting and its queue limit, the character
// queue, mouse/touch mirroring, joystick polling, and the query range rules.
#include "input/input_device.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/game_host.h"

namespace {

// A host whose joysticks are scripted: `present` joysticks exist, each with
// the buttons listed in `pressed[unit]` held down.
class ScriptedJoystickGame : public KpGame {
public:
    int present = 0;
    std::vector<std::vector<int>> pressed = std::vector<std::vector<int>>(kJoystickCount);
    std::vector<int> polled;  // ports asked for, in order

    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                      Array<bool> buttons) override {
        polled.push_back(port);
        if (port >= present) return false;
        joyx[0] = 0.25f * (port + 1);
        joyy[1] = -0.5f;
        joyz[0] = 1.0f;
        for (int b = 0; b < buttons.Length(); ++b) buttons[b] = false;
        for (int b : pressed[port]) buttons[b] = true;
        return true;
    }
};

class InputDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousGame_ = KpGame::_game;
        KpGame::_game = &game_;
        device_ = (new c_InputDevice())->m_new();
        kp_input_SetInputDevice(device_);
    }
    void TearDown() override {
        kp_input_SetInputDevice(nullptr);
        KpGame::_game = previousGame_;
    }

    void Press(int key) { device_->p_KeyEvent(kEventKeyDown, key); }
    void Release(int key) { device_->p_KeyEvent(kEventKeyUp, key); }

    ScriptedJoystickGame game_;
    c_InputDevice* device_ = nullptr;

private:
    KpGame* previousGame_ = nullptr;
};

TEST_F(InputDeviceTest, HitQueueCountsTheFirst33DistinctPresses) {
    for (int i = 0; i < 34; ++i) Press(100 + i);
    for (int i = 0; i < 34; ++i) {
        int key = 100 + i;
        EXPECT_TRUE(kp_input_KeyDown(key)) << "key " << key;
        EXPECT_EQ(i < 33 ? 1 : 0, kp_input_KeyHit(key)) << "key " << key;
    }
    device_->p_EndUpdate();
    for (int i = 0; i < 34; ++i) EXPECT_EQ(0, kp_input_KeyHit(100 + i)) << "after the update, key " << 100 + i;
    EXPECT_TRUE(kp_input_KeyDown(133)) << "key-down state outlives the update";
}

TEST_F(InputDeviceTest, RepeatedPressAddsNoHitButPressesAfterReleaseAccumulate) {
    Press(65);
    Press(65);
    Press(65);
    EXPECT_EQ(1, kp_input_KeyHit(65)) << "window-system repeat";
    Release(65);
    Press(65);
    EXPECT_EQ(2, kp_input_KeyHit(65)) << "second press in the same update";
    EXPECT_EQ(2, device_->m__keyHitPut);
    Release(65);
    EXPECT_FALSE(kp_input_KeyDown(65));
    EXPECT_EQ(2, kp_input_KeyHit(65)) << "a release adds no hit";
}

TEST_F(InputDeviceTest, CharacterQueueHolds32PerUpdate) {
    for (int i = 0; i < 33; ++i) device_->p_KeyEvent(kEventKeyChar, 'a' + i);
    for (int i = 0; i < 32; ++i) EXPECT_EQ('a' + i, kp_input_GetChar()) << "character " << i;
    EXPECT_EQ(0, kp_input_GetChar()) << "the 33rd character is dropped";
    EXPECT_EQ(0, kp_input_GetChar());
    device_->p_EndUpdate();
    device_->p_KeyEvent(kEventKeyChar, 65573);
    EXPECT_EQ(65573, kp_input_GetChar()) << "queue reopens after the update";
}

TEST_F(InputDeviceTest, LeftButtonAndFirstFingerMirrorEachOther) {
    device_->p_MouseEvent(kEventMouseDown, 0, 12.0f, 34.0f);
    EXPECT_TRUE(kp_input_MouseDown(0));
    EXPECT_TRUE(kp_input_TouchDown(0));
    EXPECT_EQ(1, kp_input_KeyHit(1));
    EXPECT_EQ(1, kp_input_KeyHit(384));
    EXPECT_EQ(1, kp_input_TouchHit(0));
    EXPECT_EQ(12.0f, kp_input_MouseX());
    EXPECT_EQ(34.0f, kp_input_MouseY());
    EXPECT_EQ(12.0f, kp_input_TouchX(0));
    EXPECT_EQ(34.0f, kp_input_TouchY(0));

    device_->p_MouseEvent(kEventMouseUp, 0, 99.0f, 99.0f);
    EXPECT_FALSE(kp_input_KeyDown(1));
    EXPECT_FALSE(kp_input_KeyDown(384)) << "releasing the button releases finger 0";
    EXPECT_EQ(12.0f, kp_input_MouseX()) << "a release does not move the pointer";

    device_->p_EndUpdate();
    device_->p_TouchEvent(kEventTouchDown, 0, 5.0f, 6.0f);
    EXPECT_TRUE(kp_input_MouseDown(0)) << "finger 0 presses the left button";
    EXPECT_EQ(1, kp_input_MouseHit(0));
    EXPECT_EQ(5.0f, kp_input_MouseX()) << "finger 0 moves the pointer";
    device_->p_TouchEvent(kEventTouchUp, 0, 0.0f, 0.0f);
    EXPECT_FALSE(kp_input_MouseDown(0));
}

TEST_F(InputDeviceTest, OtherButtonsAndFingersDoNotMirror) {
    device_->p_MouseEvent(kEventMouseDown, 1, 1.0f, 2.0f);
    device_->p_MouseEvent(kEventMouseDown, 2, 3.0f, 4.0f);
    EXPECT_TRUE(kp_input_KeyDown(2));
    EXPECT_TRUE(kp_input_KeyDown(3));
    EXPECT_FALSE(kp_input_TouchDown(0));
    EXPECT_EQ(3.0f, kp_input_TouchX(0)) << "every mouse press moves finger 0";

    device_->p_TouchEvent(kEventTouchDown, 3, 7.0f, 8.0f);
    EXPECT_TRUE(kp_input_TouchDown(3));
    EXPECT_EQ(7.0f, kp_input_TouchX(3));
    EXPECT_EQ(3.0f, kp_input_MouseX()) << "only finger 0 moves the pointer";
    device_->p_TouchEvent(kEventTouchMove, 3, 9.0f, 10.0f);
    EXPECT_EQ(10.0f, kp_input_TouchY(3));

    device_->p_MouseEvent(kEventMouseMove, -1, 50.0f, 60.0f);
    EXPECT_EQ(50.0f, kp_input_MouseX());
    EXPECT_EQ(60.0f, kp_input_TouchY(0));
}

TEST_F(InputDeviceTest, JoystickPollingStopsAtTheFirstAbsentJoystick) {
    game_.present = 0;
    device_->p_BeginUpdate();
    EXPECT_EQ(std::vector<int>{0}, game_.polled) << "no joystick: only port 0 is asked";
    for (int key = 256; key < 384; ++key) ASSERT_FALSE(kp_input_KeyDown(key)) << "key " << key;

    game_.polled.clear();
    game_.present = 2;
    game_.pressed[0] = {0, 31};
    game_.pressed[1] = {3};
    device_->p_BeginUpdate();
    EXPECT_EQ((std::vector<int>{0, 1, 2}), game_.polled);
    EXPECT_TRUE(kp_input_JoyDown(0, 0));
    EXPECT_TRUE(kp_input_KeyDown(287));
    EXPECT_TRUE(kp_input_JoyDown(3, 1));
    EXPECT_EQ(1, kp_input_JoyHit(3, 1));
    EXPECT_EQ(0.25f, kp_input_JoyX(0, 0));
    EXPECT_EQ(0.5f, kp_input_JoyX(0, 1));
    EXPECT_EQ(-0.5f, kp_input_JoyY(1, 1));

    // Held buttons add no further hits; released ones go up.
    game_.pressed[0] = {0};
    device_->p_BeginUpdate();
    EXPECT_EQ(1, kp_input_JoyHit(0, 0)) << "held across two polls in one update";
    EXPECT_FALSE(kp_input_KeyDown(287));
    device_->p_EndUpdate();
    device_->p_BeginUpdate();
    EXPECT_TRUE(kp_input_JoyDown(0, 0));
    EXPECT_EQ(0, kp_input_JoyHit(0, 0)) << "still held in the next update";
}

TEST_F(InputDeviceTest, JoystickButtonCodes) {
    struct Case {
        int button, unit, code;
    };
    const Case cases[] = {{0, 0, 256}, {0, 1, 288}, {5, 3, 357}, {31, 3, 383}, {14, 0, 270}};
    for (const Case& c : cases) {
        Press(c.code);
        EXPECT_TRUE(kp_input_JoyDown(c.button, c.unit)) << "JoyDown(" << c.button << ", " << c.unit << ") should read code " << c.code;
        EXPECT_EQ(1, kp_input_JoyHit(c.button, c.unit)) << "JoyHit(" << c.button << ", " << c.unit << ") should read code " << c.code;
        Release(c.code);
        EXPECT_FALSE(kp_input_JoyDown(c.button, c.unit)) << "code " << c.code;
    }
    Press(511);
    EXPECT_FALSE(kp_input_JoyDown(0, 8)) << "code 512 does not exist";
    EXPECT_FALSE(kp_input_JoyDown(-1, 0)) << "negative button";
}

TEST_F(InputDeviceTest, QueriesOutsideTheirRangesGiveNothing) {
    for (int key = 0; key < 512; ++key) Press(key);
    EXPECT_FALSE(kp_input_KeyDown(0)) << "code 0 is never reported";
    EXPECT_EQ(0, kp_input_KeyHit(0));
    EXPECT_FALSE(kp_input_KeyDown(512));
    EXPECT_FALSE(kp_input_KeyDown(-1));
    EXPECT_TRUE(kp_input_MouseDown(510));
    EXPECT_FALSE(kp_input_MouseDown(511));
    EXPECT_FALSE(kp_input_MouseDown(-1));
    EXPECT_TRUE(kp_input_TouchDown(-383));
    EXPECT_TRUE(kp_input_TouchDown(127));
    EXPECT_FALSE(kp_input_TouchDown(128));
    EXPECT_FALSE(kp_input_TouchDown(-384));
    EXPECT_EQ(0.0f, kp_input_TouchX(32));
    EXPECT_EQ(0.0f, kp_input_TouchY(-1));
    EXPECT_EQ(0.0f, kp_input_JoyX(2, 0));
    EXPECT_EQ(0.0f, kp_input_JoyY(0, 4));
    EXPECT_EQ(0.0f, kp_input_JoyX(0, -1));
}

TEST_F(InputDeviceTest, EventsWithCodesOutside0To511AreIgnored) {
    Press(512);
    Press(-5);
    Release(600);
    device_->p_MouseEvent(kEventMouseDown, 511, 1.0f, 1.0f);
    device_->p_TouchEvent(kEventTouchDown, 128, 2.0f, 2.0f);
    device_->p_TouchEvent(kEventTouchMove, 40, 3.0f, 3.0f);
    device_->p_TouchEvent(kEventTouchMove, -1, 3.0f, 3.0f);
    EXPECT_EQ(0, device_->m__keyHitPut) << "no hits recorded";
    EXPECT_EQ(0.0f, kp_input_MouseX()) << "an ignored press does not move the pointer";

    device_->p_TouchEvent(kEventTouchDown, 40, 4.0f, 4.0f);
    EXPECT_TRUE(kp_input_KeyDown(424)) << "finger 40 has a key code but no position";
    EXPECT_EQ(0.0f, kp_input_MouseX());
}

TEST_F(InputDeviceTest, AccelerometerAndKeyboardSwitch) {
    device_->p_MotionEvent(kEventMotionAccel, 0, 0.5f, -0.25f, 1.0f);
    device_->p_MotionEvent(kEventTouchMove, 0, 9.0f, 9.0f, 9.0f);
    EXPECT_EQ(0.5f, kp_input_AccelX());
    EXPECT_EQ(-0.25f, kp_input_AccelY());
    EXPECT_EQ(1.0f, kp_input_AccelZ());

    EXPECT_EQ(1, kp_input_EnableKeyboard());
    EXPECT_TRUE(game_.KeyboardEnabled());
    EXPECT_EQ(1, kp_input_DisableKeyboard());
    EXPECT_FALSE(game_.KeyboardEnabled());
}

TEST_F(InputDeviceTest, DeviceSurvivesCollectionThroughItsGlobal) {
    Press(70);
    device_->p_KeyEvent(kEventKeyChar, 'q');
    gc_set_root_marker([] { gc_mark_q(kp_input_device); });
    for (int i = 0; i < 3; ++i) gc_collect_all();
    gc_flush_free(0x7fffffff);  // destroy all garbage now (a sanitizer build sees any use after it)
    EXPECT_TRUE(kp_input_KeyDown(70));
    EXPECT_EQ('q', kp_input_GetChar());
    EXPECT_EQ(0.0f, kp_input_JoyX(1, 3)) << "joystick states are still reachable";
    gc_set_root_marker(nullptr);
}

TEST(InputDeviceGlobalTest, QueriesWithoutADeviceGiveNothing) {
    kp_input_SetInputDevice(nullptr);
    EXPECT_FALSE(kp_input_KeyDown(65));
    EXPECT_EQ(0, kp_input_GetChar());
    EXPECT_EQ(0.0f, kp_input_JoyX(0, 0));
}

}  // namespace
