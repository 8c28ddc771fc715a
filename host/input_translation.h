// What every host's input translation shares: the keyboard codes of the input
// device's key space by name, the characters key presses type, and the
// joystick layout the game reads (input/input_device.h holds the key space).
#pragma once

#include "input/input_device.h"
#include "runtime/array.h"

// ---- Keyboard codes ----
// Letters and digits are their ASCII capitals ('A', '0').
constexpr int kKeyBackspace = 8;
constexpr int kKeyTab = 9;
constexpr int kKeyEnter = 13;
constexpr int kKeyShift = 16;
constexpr int kKeyControl = 17;
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyPageUp = 33;   // the navigation run: page up, page down, end, home,
constexpr int kKeyPageDown = 34;  // left, up, right, down
constexpr int kKeyEnd = 35;
constexpr int kKeyHome = 36;
constexpr int kKeyArrowLeft = 37;
constexpr int kKeyArrowUp = 38;
constexpr int kKeyArrowRight = 39;
constexpr int kKeyArrowDown = 40;
constexpr int kKeyInsert = 45;
constexpr int kKeyDelete = 46;
constexpr int kKeyF1 = 112;       // F1-F12 follow in order
constexpr int kKeyF10 = 121;
constexpr int kKeyF11 = 122;
constexpr int kKeyF12 = 123;
constexpr int kKeySemicolon = 186;
constexpr int kKeyEquals = 187;
constexpr int kKeyComma = 188;
constexpr int kKeyMinus = 189;
constexpr int kKeyPeriod = 190;
constexpr int kKeySlash = 191;
constexpr int kKeyBackquote = 192;
constexpr int kKeyOpenBracket = 219;
constexpr int kKeyBackslash = 220;
constexpr int kKeyCloseBracket = 221;
constexpr int kKeyQuote = 222;

// ---- Characters ----

// Character a key-down of a translated key also queues; 0 for none.
int KeyToChar(int key);
// The UTF-16 units a typed character is queued as: one, a surrogate pair
// beyond 16 bits, or none for a value that is not a character. Returns the count.
int kpCharToUtf16(unsigned codepoint, int units[2]);

// ---- Joysticks ----

// The buttons of a recognised gamepad in the game's fixed layout: A, B, X, Y,
// the shoulders, back, start, the d-pad left, up, right, down, the stick
// buttons and the guide button.
constexpr int kGamepadButtonCount = 15;

// Stores the two sticks' values of one axis (element 0 the first stick, 1 the second).
void kpSetStickPair(Array<float> pair, float first, float second);
// A stick's y as the game reads it, positive up, from a system's positive down.
inline float kpStickUp(float downPositive) { return 0.0f - downPositive; }
