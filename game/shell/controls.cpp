// Game keys from the keyboard, joystick 0 and its first stick, and the
// on-screen buttons that record an image and test the pointer against it.
#include "game/shell/my_app.h"
#include "input/input_device.h"

namespace {
constexpr float kStickThreshold = 0.4f;   // a stick counts only beyond this, strictly
constexpr int kMaxKeysPerGameKey = 4;
constexpr int kMaxButtonsPerGameKey = 3;
constexpr int kNone = -1;                  // ends a list

// Keyboard keys and gamepad buttons feeding one game key.
struct GameKeySources {
    int gameKey;
    int keys[kMaxKeysPerGameKey];
    int buttons[kMaxButtonsPerGameKey];
};

constexpr GameKeySources kGameKeys[] = {
    {kGameKeyUp, {kKeyArrowUp, kKeyW, kNone, kNone}, {kPadUp, kNone, kNone}},
    {kGameKeyLeft, {kKeyArrowLeft, kKeyA, kNone, kNone}, {kPadLeft, kNone, kNone}},
    {kGameKeyRight, {kKeyArrowRight, kKeyD, kNone, kNone}, {kPadRight, kNone, kNone}},
    {kGameKeyDown, {kKeyArrowDown, kKeyS, kNone, kNone}, {kPadDown, kNone, kNone}},
    {kGameKeyAction, {kKeyZ, kKeyJ, kKeySpace, kKeyEnter}, {kPadA, kNone, kNone}},
    {kGameKeyJump1, {kKeyX, kKeyK, kKeyControl, kNone}, {kPadB, kNone, kNone}},
    {kGameKeyJump2, {kKeyC, kKeyL, kKeyShift, kNone}, {kPadX, kNone, kNone}},
    {kGameKeyAction4, {kKeyV, kKeyI, kNone, kNone}, {kPadY, kNone, kNone}},
    {kGameKeyAction5, {kKeyB, kKeyU, kNone, kNone}, {kPadLeftShoulder, kNone, kNone}},
    {kGameKeyCredits, {kKeyN, kKeyO, kNone, kNone}, {kPadRightShoulder, kNone, kNone}},
    {kGameKeyBack, {kKeyEscape, kKeyDelete, kKeyBackspace, kNone}, {kPadBack, kPadStart, kPadGuide}},
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
        if (code != kNone && kp_input_KeyDown(code)) return true;
    }
    const int joyBase = kKeyJoyBase + kJoyButtonCount * unit;
    for (int button : sources->buttons) {
        if (button != kNone && kp_input_KeyDown(joyBase + button)) return true;
    }
    if (key == kGameKeyBack) {
        if (m_keys[kVirtualBackA] != 0 || m_keys[kVirtualBackB] != 0 || m_keys[kVirtualKeyBack] != 0) return true;
    } else if (m_keys[key] != 0) {
        return true;
    }
    if (useStick == 1) {
        const float sx = kp_input_JoyX(0, unit);
        const float sy = kp_input_JoyY(0, unit);
        switch (key) {
            case kGameKeyUp: return sy > kStickThreshold;
            case kGameKeyLeft: return sx < -kStickThreshold;
            case kGameKeyRight: return sx > kStickThreshold;
            case kGameKeyDown: return sy < -kStickThreshold;
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
    return p_Button(kImageButtons, x, y, frame);
}

int c_MyApp::p_Button97(float x, float y, int frame) {
    return p_Button(kImageIcons, x, y, frame);
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
