// What every host's input translation shares: the characters key presses
// type and the joystick layout the game reads. The codes it translates into
// are host/key_codes.h.
#pragma once

#include "host/key_codes.h"
#include "runtime/array.h"

// ---- Characters ----

// Character a key-down of a translated key also queues; 0 for none.
int KeyToChar(int key);
// The UTF-16 units a typed character is queued as: one, a surrogate pair
// beyond 16 bits, or none for a value that is not a character. Returns the count.
int kpCharToUtf16(unsigned codepoint, int units[2]);

// ---- Joysticks ----


// Stores the two sticks' values of one axis (element 0 the first stick, 1 the second).
void kpSetStickPair(Array<float> pair, float first, float second);
// A stick's y as the game reads it, positive up, from a system's positive down.
inline float kpStickUp(float downPositive) { return 0.0f - downPositive; }
