// Characters that key presses type, shared by every host's input translation.
#pragma once

// Character a key-down of a translated key also queues; 0 for none.
int KeyToChar(int key);
// The UTF-16 units a typed character is queued as: one, a surrogate pair
// beyond 16 bits, or none for a value that is not a character. Returns the count.
int kpCharToUtf16(unsigned codepoint, int units[2]);
