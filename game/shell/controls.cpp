// Game keys from the keyboard, joystick 0 and its first stick, and the
// on-screen buttons that record an image and test the pointer against it.
#include "game/shell/my_app.h"
#include "input/input_device.h"

namespace {
constexpr float kStickThreshold = 0.4f;   // a stick counts only beyond this, strictly
constexpr int kTouchSlots = 10;
constexpr int kMaxKeysPerGameKey = 4;

// Keyboard keys and joystick buttons feeding one game key; -1 ends a list.
struct GameKeySources {
    int gameKey;
    int keys[kMaxKeysPerGameKey];
    int buttons[3];
};

constexpr GameKeySources kGameKeys[] = {
    {0, {38, 87, -1, -1}, {9, -1, -1}},       // up: up arrow, W
    {3, {37, 65, -1, -1}, {8, -1, -1}},       // left: left arrow, A
    {5, {39, 68, -1, -1}, {10, -1, -1}},      // right: right arrow, D
    {8, {40, 83, -1, -1}, {11, -1, -1}},      // down: down arrow, S
    {10, {90, 74, 32, 13}, {0, -1, -1}},      // hold / confirm: Z, J, space, enter
    {11, {88, 75, 17, -1}, {1, -1, -1}},      // first jump: X, K, control
    {12, {67, 76, 16, -1}, {2, -1, -1}},      // second jump: C, L, shift
    {13, {86, 73, -1, -1}, {3, -1, -1}},      // V, I
    {14, {66, 85, -1, -1}, {4, -1, -1}},      // B, U
    {15, {78, 79, -1, -1}, {5, -1, -1}},      // credits: N, O
    {99, {27, 46, 8, -1}, {6, 7, 14}},        // back: escape, delete, backspace
};

const GameKeySources* FindGameKey(int key) {
    for (const GameKeySources& entry : kGameKeys) {
        if (entry.gameKey == key) return &entry;
    }
    return nullptr;
}
}  // namespace

bool c_MyApp::p_PlayKey(int key) {
    return p_PlayKey2(key, 1, 0);
}

bool c_MyApp::p_PlayKey2(int key, int useStick, int unit) {
    const GameKeySources* sources = FindGameKey(key);
    if (sources == nullptr) return false;
    for (int code : sources->keys) {
        if (code >= 0 && kp_input_KeyDown(code)) return true;
    }
    const int joyBase = kKeyJoyBase + 32 * unit;
    for (int button : sources->buttons) {
        if (button >= 0 && kp_input_KeyDown(joyBase + button)) return true;
    }
    if (key == 99) {
        if (m_keys[16] != 0 || m_keys[17] != 0 || m_keys[19] != 0) return true;
    } else if (m_keys[key] != 0) {
        return true;
    }
    if (useStick == 1) {
        const float sx = kp_input_JoyX(0, unit);
        const float sy = kp_input_JoyY(0, unit);
        switch (key) {
            case 0: return sy > kStickThreshold;
            case 3: return sx < -kStickThreshold;
            case 5: return sx > kStickThreshold;
            case 8: return sy < -kStickThreshold;
            default: break;
        }
    }
    return false;
}

float c_MyApp::p_StickX(int axis, int unit) {
    return kp_input_JoyX(axis, unit);
}

float c_MyApp::p_StickY(int axis, int unit) {
    const float value = kp_input_JoyY(axis, unit);
    return axis == 0 ? -value : value;
}

int c_MyApp::p_Button(int slot, float x, float y, int frame) {
    p_DrawImg(slot, x, y, frame);
    const float halfW = m_hdScale * m_imageInfo[3 * slot] * m_sizeX * 0.5f;
    const float halfH = m_hdScale * m_imageInfo[3 * slot + 1] * m_sizeY * 0.5f;
    int hit = 0;
    if (m_pointerDown > 0) {
        for (int n = 0; n < kTouchSlots && hit == 0; ++n) {
            const float tx = static_cast<float>(m_touchX[n]);
            const float ty = static_cast<float>(m_touchY[n]);
            if (tx > x - halfW && tx < x + halfW && ty > y - halfH && ty < y + halfH) hit = 1;
        }
    }
    m_buttonHit = hit;
    return hit;
}

int c_MyApp::p_Button95(float x, float y, int frame) {
    return p_Button(95, x, y, frame);
}

int c_MyApp::p_Button97(float x, float y, int frame) {
    return p_Button(97, x, y, frame);
}

bool c_MyApp::p_Button0(int slot, float x, float y, int frame) {
    p_DrawImg(slot, x, y, frame);
    const float halfW = m_hdScale * m_imageInfo[3 * slot] * m_sizeX * 0.5f;
    const float halfH = m_hdScale * m_imageInfo[3 * slot + 1] * m_sizeY * 0.5f;
    const float tx = static_cast<float>(m_touchX[0]);
    const float ty = static_cast<float>(m_touchY[0]);
    const bool hit = m_pointerDown > 0 && tx > x - halfW && tx < x + halfW && ty > y - halfH && ty < y + halfH;
    m_buttonHit = hit ? 1 : 0;
    return hit;
}
