// The input state a game reads during an update: keys, mouse buttons, touch
// fingers and joystick buttons folded into one key space of 512 codes, their
// hit counts, a queue of typed characters, pointer and accelerometer
// positions, and four joystick states polled from the host.
//
// Key codes are host/key_codes.h's. Hits and characters are visible only
// during the update in which they arrived.
#pragma once

#include "host/key_codes.h"
#include "runtime/array.h"
#include "runtime/object.h"

// Sizes of the queues.
constexpr int kKeyHitQueueLength = 33;
constexpr int kCharQueueLength = 32;

// One joystick's two sticks (element 0 first stick, 1 second) and its buttons,
// as last polled from the host.
class c_JoyState : public Object {
public:
    Array<float> m_joyx;
    Array<float> m_joyy;
    Array<float> m_joyz;
    Array<bool> m_buttons;

    c_JoyState();
    c_JoyState* m_new() { return this; }
    void mark() override;
};

// Keyboard, mouse, touch, joystick and accelerometer state fed by host events.
class c_InputDevice : public Object {
public:
    Array<c_JoyState*> m__joyStates;
    Array<bool> m__keyDown;
    int m__keyHitPut = 0;
    Array<int> m__keyHitQueue;
    Array<int> m__keyHit;
    int m__charGet = 0;
    int m__charPut = 0;
    Array<int> m__charQueue;
    float m__mouseX = 0.0f;
    float m__mouseY = 0.0f;
    Array<float> m__touchX;
    Array<float> m__touchY;
    float m__accelX = 0.0f;
    float m__accelY = 0.0f;
    float m__accelZ = 0.0f;
    // True from a finger's touch until a keyboard key or joystick button is
    // pressed: the player is playing by touch (mouse input changes nothing).
    bool m__touchMode = false;

    c_InputDevice();
    c_InputDevice* m_new();  // creates the four joystick states

    // Event input, with the host event codes (1 KeyDown ... 10 MotionAccel).
    void p_KeyEvent(int event, int data);
    void p_PutKeyHit(int key);
    void p_MouseEvent(int event, int data, float x, float y);
    void p_TouchEvent(int event, int data, float x, float y);
    void p_MotionEvent(int event, int data, float x, float y, float z);

    // Update bracketing: joysticks are polled before, hits and characters cleared after.
    void p_BeginUpdate();
    void p_EndUpdate();

    // Queries; out-of-range arguments give false, 0 or 0.0.
    bool p_KeyDown(int key);
    int p_KeyHit(int key);
    int p_GetChar();   // next typed character, 0 when none is left
    float p_MouseX() { return m__mouseX; }
    float p_MouseY() { return m__mouseY; }
    float p_TouchX(int finger);
    float p_TouchY(int finger);
    float p_AccelX() { return m__accelX; }
    float p_AccelY() { return m__accelY; }
    float p_AccelZ() { return m__accelZ; }
    bool p_TouchMode() { return m__touchMode; }
    c_JoyState* p_GetJoyState(int unit);  // null outside 0-3
    int p_SetKeyboardEnabled(bool enabled);

    void mark() override;

private:
    void KeyDownEvent(int key);
    void KeyUpEvent(int key);
    void SetTouchPosition(int finger, float x, float y);
};

// The device the kp_input_* functions read; set by the framework at start.
extern c_InputDevice* kp_input_device;
int kp_input_SetInputDevice(c_InputDevice* device);

// The game's view of the device. With no device every query gives false/0.
bool kp_input_KeyDown(int key);
int kp_input_KeyHit(int key);
int kp_input_GetChar();
bool kp_input_MouseDown(int button = 0);
int kp_input_MouseHit(int button = 0);
float kp_input_MouseX();
float kp_input_MouseY();
bool kp_input_TouchDown(int finger = 0);
int kp_input_TouchHit(int finger = 0);
float kp_input_TouchX(int finger = 0);
float kp_input_TouchY(int finger = 0);
bool kp_input_JoyDown(int button, int unit = 0);
int kp_input_JoyHit(int button, int unit = 0);
float kp_input_JoyX(int index = 0, int unit = 0);
float kp_input_JoyY(int index = 0, int unit = 0);
float kp_input_JoyZ(int index = 0, int unit = 0);
float kp_input_AccelX();
float kp_input_AccelY();
float kp_input_AccelZ();
bool kp_input_TouchMode();
int kp_input_EnableKeyboard();
int kp_input_DisableKeyboard();
