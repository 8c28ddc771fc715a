// The game keys from keyboard, joystick 0 and its stick, and the strict
// pointer test of on-screen buttons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/input_device.h"
#include "tests/game/shell_harness.h"

namespace {

struct KeyCase {
    int gameKey;
    std::vector<int> sources;  // key codes that alone make the game key true
};

const std::vector<KeyCase>& KeyTable() {
    static const std::vector<KeyCase> table = {
        {0, {38, 87, 265}},         {3, {37, 65, 264}},       {5, {39, 68, 266}},
        {8, {40, 83, 267}},         {10, {90, 74, 32, 13, 256}}, {11, {88, 75, 17, 257}},
        {12, {67, 76, 16, 258}},    {13, {86, 73, 259}},      {14, {66, 85, 260}},
        {15, {78, 79, 261}},        {99, {27, 46, 8, 262, 263, 270}},
    };
    return table;
}

class ShellControls : public testing::Test {
protected:
    c_MyApp& app() { return h_.app(); }
    void SetDown(int code, bool down) { kp_input_device->m__keyDown[code] = down; }
    bool AnyGameKey() {
        for (const KeyCase& c : KeyTable()) {
            if (app().p_PlayKey(c.gameKey)) return true;
        }
        return false;
    }
    ShellHarness h_;
};

TEST_F(ShellControls, EverySourceFeedsOnlyItsGameKey) {
    ASSERT_FALSE(AnyGameKey());
    for (const KeyCase& c : KeyTable()) {
        for (int code : c.sources) {
            SetDown(code, true);
            for (const KeyCase& other : KeyTable()) {
                EXPECT_EQ(app().p_PlayKey(other.gameKey), other.gameKey == c.gameKey)
                    << "code " << code << " and game key " << other.gameKey;
            }
            SetDown(code, false);
        }
    }
}

TEST_F(ShellControls, KeysOutsideTheTableAreAlwaysUp) {
    for (const KeyCase& c : KeyTable()) {
        for (int code : c.sources) SetDown(code, true);
    }
    for (int i = 0; i < 20; ++i) app().m_keys[i] = 2;
    for (int key : {1, 2, 4, 6, 7, 9, 16, 17, 18, 98, 100, -1}) {
        EXPECT_FALSE(app().p_PlayKey(key)) << "game key " << key;
    }
}

TEST_F(ShellControls, VirtualKeysFeedTheirGameKeys) {
    app().m_keys[5] = 1;
    EXPECT_TRUE(app().p_PlayKey(5));
    app().m_keys[5] = 0;
    for (int slot : {16, 17, 19}) {
        app().m_keys[slot] = 1;
        EXPECT_TRUE(app().p_PlayKey(99)) << "virtual key " << slot;
        app().m_keys[slot] = 0;
    }
    EXPECT_FALSE(app().p_PlayKey(99));
}

struct StickCase {
    float x, y;
    int gameKey;  // -1: no direction
};

TEST_F(ShellControls, StickCountsStrictlyBeyond04) {
    const StickCase cases[] = {
        {0.0f, 0.4f, -1}, {0.0f, 0.41f, 0}, {0.0f, -0.4f, -1}, {0.0f, -0.41f, 8},
        {0.4f, 0.0f, -1}, {0.41f, 0.0f, 5}, {-0.4f, 0.0f, -1}, {-0.41f, 0.0f, 3},
    };
    c_JoyState* joy = kp_input_device->m__joyStates.Get(0);
    for (const StickCase& c : cases) {
        joy->m_joyx[0] = c.x;
        joy->m_joyy[0] = c.y;
        for (int key : {0, 3, 5, 8}) {
            EXPECT_EQ(app().p_PlayKey(key), key == c.gameKey)
                << "stick (" << c.x << ", " << c.y << ") game key " << key;
        }
        EXPECT_FALSE(app().p_PlayKey2(c.gameKey < 0 ? 0 : c.gameKey, 0, 0)) << "stick off";
    }
    joy->m_joyy[0] = 0.7f;
    EXPECT_FLOAT_EQ(app().p_StickY(0, 0), -0.7f) << "the first stick's vertical value is negated";
    joy->m_joyy[1] = 0.3f;
    EXPECT_FLOAT_EQ(app().p_StickY(1, 0), 0.3f);
}

TEST_F(ShellControls, HoldingBothKeysOfAPairAndReleasingClearsTheLatch) {
    h_.FinishLoading();
    h_.host().KeyDown(39);
    h_.host().KeyDown(68);
    h_.Step();
    EXPECT_EQ(app().m_keyLatch, 1);
    EXPECT_EQ(app().m_menuSel, 1) << "one press moves the selection once";
    h_.host().KeyUp(39);
    h_.Step();
    EXPECT_EQ(app().m_keyLatch, 1) << "D is still held";
    EXPECT_EQ(app().m_menuSel, 1);
    h_.host().KeyUp(68);
    h_.Step();
    EXPECT_EQ(app().m_keyLatch, 0);
}

struct EdgeCase {
    int x, y;
    int hit;
};

TEST_F(ShellControls, ButtonBoxIsStrictAndWorksWithoutItsImage) {
    // A slot whose file does not exist still records its cell size.
    app().p_LoadImg(50, String("no/such/button"), 20, 10, 1, 1);
    ASSERT_EQ(app().m_images.Get(50), nullptr);
    app().m_hdScale = 1.0f;
    app().m_imageInfo[150] = 20;
    app().m_imageInfo[151] = 10;
    app().p_SetSize(2.0f);  // a 40 x 20 box about (100, 100)
    const EdgeCase cases[] = {
        {100, 100, 1}, {120, 100, 0}, {119, 100, 1}, {80, 100, 0},  {81, 100, 1},
        {100, 110, 0}, {100, 109, 1}, {100, 90, 0},  {100, 91, 1},  {119, 109, 1},
    };
    for (const EdgeCase& c : cases) {
        app().m_pointerDown = 1;
        app().m_touchX[0] = c.x;
        app().m_touchY[0] = c.y;
        EXPECT_EQ(app().p_Button(50, 100.0f, 100.0f, 0), c.hit) << "touch at " << c.x << "," << c.y;
        EXPECT_EQ(app().m_buttonHit, c.hit);
        EXPECT_EQ(app().p_Button0(50, 100.0f, 100.0f, 0), c.hit == 1);
    }
    app().m_pointerDown = 0;
    app().m_touchX[0] = 100;
    app().m_touchY[0] = 100;
    EXPECT_EQ(app().p_Button(50, 100.0f, 100.0f, 0), 0) << "no pointer down";

    // Any of the ten touches counts for p_Button, only touch 0 for p_Button0.
    app().m_pointerDown = 1;
    app().m_touchX[0] = -3717;
    app().m_touchY[0] = -3717;
    app().m_touchX[9] = 100;
    app().m_touchY[9] = 100;
    EXPECT_EQ(app().p_Button(50, 100.0f, 100.0f, 0), 1);
    EXPECT_FALSE(app().p_Button0(50, 100.0f, 100.0f, 0));
    const std::vector<DrawRecord> drawn = h_.RecordsOfKind(50);
    EXPECT_FALSE(drawn.empty()) << "the button records its image";
}

}  // namespace
