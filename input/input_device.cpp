#include "input/input_device.h"

#include "host/game_host.h"

c_InputDevice* kp_input_device = nullptr;

namespace {

bool IsKeyCode(int key) { return key >= 0 && key < kKeyCount; }

bool IsFinger(int finger) { return finger >= 0 && finger < kTouchFingerCount; }

// Joystick button codes as the game names them: bit 8 set, unit in bits 5-6.
int JoyKey(int button, int unit) { return (button | kKeyJoyBase) | (unit * kJoyButtonCount); }

}  // namespace

// ---- c_JoyState ----

c_JoyState::c_JoyState() {
    gc_assign(m_joyx, Array<float>(kJoyStickCount));
    gc_assign(m_joyy, Array<float>(kJoyStickCount));
    gc_assign(m_joyz, Array<float>(kJoyStickCount));
    gc_assign(m_buttons, Array<bool>(kJoyButtonCount));
}

void c_JoyState::mark() {
    gc_mark_q(m_joyx);
    gc_mark_q(m_joyy);
    gc_mark_q(m_joyz);
    gc_mark_q(m_buttons);
}

// ---- c_InputDevice: construction ----

c_InputDevice::c_InputDevice() {
    gc_assign(m__keyDown, Array<bool>(kKeyCount));
    gc_assign(m__keyHitQueue, Array<int>(kKeyHitQueueLength));
    gc_assign(m__keyHit, Array<int>(kKeyCount));
    gc_assign(m__charQueue, Array<int>(kCharQueueLength));
    gc_assign(m__touchX, Array<float>(kTouchFingerCount));
    gc_assign(m__touchY, Array<float>(kTouchFingerCount));
}

c_InputDevice* c_InputDevice::m_new() {
    gc_assign(m__joyStates, Array<c_JoyState*>(kJoystickCount));
    for (int i = 0; i < kJoystickCount; ++i) {
        m__joyStates[i] = (new c_JoyState())->m_new();
    }
    return this;
}

void c_InputDevice::mark() {
    gc_mark_q(m__joyStates);
    gc_mark_q(m__keyDown);
    gc_mark_q(m__keyHitQueue);
    gc_mark_q(m__keyHit);
    gc_mark_q(m__charQueue);
    gc_mark_q(m__touchX);
    gc_mark_q(m__touchY);
}

// ---- Event input ----

// Codes come only from the host, which produces 1-511; anything else is
// dropped here rather than written outside the key arrays.
void c_InputDevice::p_KeyEvent(int event, int data) {
    switch (event) {
    case kEventKeyDown:
        if (!IsKeyCode(data)) break;
        // The mouse buttons, a finger, back and close say nothing about a keyboard in use.
        if (data > kKeyMouseLeft + 2 && data < kKeyTouchBase) m__touchMode = false;
        KeyDownEvent(data);
        break;
    case kEventKeyUp:
        if (IsKeyCode(data)) KeyUpEvent(data);
        break;
    case kEventKeyChar:
        if (m__charPut < kCharQueueLength) {
            m__charQueue[m__charPut] = data;
            m__charPut += 1;
        }
        break;
    default:
        break;
    }
}

// A key already down is a window-system repeat: it adds no hit. The left
// mouse button and the first finger mirror each other.
void c_InputDevice::KeyDownEvent(int key) {
    if (m__keyDown[key]) return;
    m__keyDown[key] = true;
    p_PutKeyHit(key);
    if (key == kKeyMouseLeft) {
        m__keyDown[kKeyTouchBase] = true;
        p_PutKeyHit(kKeyTouchBase);
    } else if (key == kKeyTouchBase) {
        m__keyDown[kKeyMouseLeft] = true;
        p_PutKeyHit(kKeyMouseLeft);
    }
}

void c_InputDevice::KeyUpEvent(int key) {
    if (!m__keyDown[key]) return;
    m__keyDown[key] = false;
    if (key == kKeyMouseLeft) {
        m__keyDown[kKeyTouchBase] = false;
    } else if (key == kKeyTouchBase) {
        m__keyDown[kKeyMouseLeft] = false;
    }
}

// A full queue drops the hit entirely, so the counts always match the queue
// that p_EndUpdate clears.
void c_InputDevice::p_PutKeyHit(int key) {
    if (m__keyHitPut == kKeyHitQueueLength) return;
    m__keyHit[key] += 1;
    m__keyHitQueue[m__keyHitPut] = key;
    m__keyHitPut += 1;
}

void c_InputDevice::p_MouseEvent(int event, int data, float x, float y) {
    switch (event) {
    case kEventMouseDown:
        if (!IsKeyCode(data + 1)) return;
        KeyDownEvent(data + 1);
        m__mouseX = x;
        m__mouseY = y;
        SetTouchPosition(0, x, y);
        break;
    case kEventMouseUp:
        if (IsKeyCode(data + 1)) KeyUpEvent(data + 1);
        break;
    case kEventMouseMove:
        m__mouseX = x;
        m__mouseY = y;
        SetTouchPosition(0, x, y);
        break;
    default:
        break;
    }
}

void c_InputDevice::p_TouchEvent(int event, int data, float x, float y) {
    int key = kKeyTouchBase + data;
    switch (event) {
    case kEventTouchDown:
        if (!IsKeyCode(key)) return;
        m__touchMode = true;
        KeyDownEvent(key);
        SetTouchPosition(data, x, y);
        break;
    case kEventTouchUp:
        if (IsKeyCode(key)) KeyUpEvent(key);
        break;
    case kEventTouchMove:
        SetTouchPosition(data, x, y);
        break;
    default:
        break;
    }
}

// Finger 0 is also the mouse pointer. Fingers beyond the position arrays keep
// their key state but have no position.
void c_InputDevice::SetTouchPosition(int finger, float x, float y) {
    if (!IsFinger(finger)) return;
    m__touchX[finger] = x;
    m__touchY[finger] = y;
    if (finger == 0) {
        m__mouseX = x;
        m__mouseY = y;
    }
}

void c_InputDevice::p_MotionEvent(int event, int data, float x, float y, float z) {
    (void)data;
    if (event != kEventMotionAccel) return;
    m__accelX = x;
    m__accelY = y;
    m__accelZ = z;
}

// ---- Update bracketing ----

// Joysticks are numbered without gaps: polling stops at the first absent one.
void c_InputDevice::p_BeginUpdate() {
    if (!KpGame::_game) return;
    for (int unit = 0; unit < m__joyStates.Length(); ++unit) {
        c_JoyState* state = m__joyStates.Get(unit);
        if (!KpGame::_game->PollJoystick(unit, state->m_joyx, state->m_joyy, state->m_joyz, state->m_buttons)) {
            break;
        }
        for (int b = 0; b < kJoyButtonCount; ++b) {
            int key = kKeyJoyBase + kJoyButtonCount * unit + b;
            if (!state->m_buttons.Get(b)) {
                m__keyDown[key] = false;
            } else if (!m__keyDown[key]) {
                m__keyDown[key] = true;
                m__touchMode = false;
                p_PutKeyHit(key);
            }
        }
    }
}

void c_InputDevice::p_EndUpdate() {
    for (int i = 0; i < m__keyHitPut; ++i) {
        m__keyHit[m__keyHitQueue[i]] = 0;
    }
    m__keyHitPut = 0;
    m__charGet = 0;
    m__charPut = 0;
}

// ---- Queries ----

bool c_InputDevice::p_KeyDown(int key) {
    if (key > 0 && key < kKeyCount) return m__keyDown[key];
    return false;
}

int c_InputDevice::p_KeyHit(int key) {
    if (key > 0 && key < kKeyCount) return m__keyHit[key];
    return 0;
}

int c_InputDevice::p_GetChar() {
    if (m__charGet < m__charPut) {
        int character = m__charQueue[m__charGet];
        m__charGet += 1;
        return character;
    }
    return 0;
}

float c_InputDevice::p_TouchX(int finger) { return IsFinger(finger) ? m__touchX[finger] : 0.0f; }

float c_InputDevice::p_TouchY(int finger) { return IsFinger(finger) ? m__touchY[finger] : 0.0f; }

c_JoyState* c_InputDevice::p_GetJoyState(int unit) {
    if (unit < 0 || unit >= m__joyStates.Length()) return nullptr;
    return m__joyStates.Get(unit);
}

int c_InputDevice::p_SetKeyboardEnabled(bool enabled) {
    if (KpGame::_game) KpGame::_game->SetKeyboardEnabled(enabled);
    return 1;
}

// ---- Module functions ----

int kp_input_SetInputDevice(c_InputDevice* device) {
    gc_assign(kp_input_device, device);
    return 0;
}

bool kp_input_KeyDown(int key) { return kp_input_device ? kp_input_device->p_KeyDown(key) : false; }

int kp_input_KeyHit(int key) { return kp_input_device ? kp_input_device->p_KeyHit(key) : 0; }

int kp_input_GetChar() { return kp_input_device ? kp_input_device->p_GetChar() : 0; }

bool kp_input_MouseDown(int button) {
    if (button < 0 || button > kKeyCount - 2) return false;
    return kp_input_KeyDown(button + 1);
}

int kp_input_MouseHit(int button) {
    if (button < 0 || button > kKeyCount - 2) return 0;
    return kp_input_KeyHit(button + 1);
}

float kp_input_MouseX() { return kp_input_device ? kp_input_device->p_MouseX() : 0.0f; }

float kp_input_MouseY() { return kp_input_device ? kp_input_device->p_MouseY() : 0.0f; }

bool kp_input_TouchDown(int finger) {
    if (finger < -kKeyTouchBase || finger > kKeyCount - 1 - kKeyTouchBase) return false;
    return kp_input_KeyDown(kKeyTouchBase + finger);
}

int kp_input_TouchHit(int finger) {
    if (finger < -kKeyTouchBase || finger > kKeyCount - 1 - kKeyTouchBase) return 0;
    return kp_input_KeyHit(kKeyTouchBase + finger);
}

float kp_input_TouchX(int finger) { return kp_input_device ? kp_input_device->p_TouchX(finger) : 0.0f; }

float kp_input_TouchY(int finger) { return kp_input_device ? kp_input_device->p_TouchY(finger) : 0.0f; }

bool kp_input_JoyDown(int button, int unit) { return kp_input_KeyDown(JoyKey(button, unit)); }

int kp_input_JoyHit(int button, int unit) { return kp_input_KeyHit(JoyKey(button, unit)); }

namespace {

// A stick value of joystick `unit`; 0 for a stick or unit that does not exist.
float JoyAxis(Array<float> c_JoyState::*axis, int index, int unit) {
    if (!kp_input_device || index < 0 || index >= kJoyStickCount) return 0.0f;
    c_JoyState* state = kp_input_device->p_GetJoyState(unit);
    return state ? (state->*axis).Get(index) : 0.0f;
}

}  // namespace

float kp_input_JoyX(int index, int unit) { return JoyAxis(&c_JoyState::m_joyx, index, unit); }

float kp_input_JoyY(int index, int unit) { return JoyAxis(&c_JoyState::m_joyy, index, unit); }

float kp_input_JoyZ(int index, int unit) { return JoyAxis(&c_JoyState::m_joyz, index, unit); }

float kp_input_AccelX() { return kp_input_device ? kp_input_device->p_AccelX() : 0.0f; }

float kp_input_AccelY() { return kp_input_device ? kp_input_device->p_AccelY() : 0.0f; }

float kp_input_AccelZ() { return kp_input_device ? kp_input_device->p_AccelZ() : 0.0f; }

bool kp_input_TouchMode() { return kp_input_device != nullptr && kp_input_device->p_TouchMode(); }

int kp_input_EnableKeyboard() { return kp_input_device ? kp_input_device->p_SetKeyboardEnabled(true) : 0; }

int kp_input_DisableKeyboard() { return kp_input_device ? kp_input_device->p_SetKeyboardEnabled(false) : 0; }
