// Translation of page input into host events: keys by their position on the
// keyboard (the same table as the desktop's), mouse buttons, positions and
// touches in canvas pixels, focus, visibility and fullscreen changes, and gamepads in
// the game's fixed layout.
#pragma once

#include <emscripten/html5.h>

#include "runtime/array.h"

class KpWebGame;

// Key code of the input device for a KeyboardEvent.code ("KeyA", "ArrowLeft"); 0 when the key is not used.
int kpWebKeyCode(const char* code);
// Installs the key, mouse, touch, focus, visibility and fullscreen callbacks of the page.
void kpInstallWebInputCallbacks(KpWebGame* game);
// Fills the joystick arrays from a pad as the browser reports it. A pad in the
// browser's standard mapping gets the desktop's gamepad layout (buttons in the
// game's fixed order, element 0 the left stick, 1 the right stick, z the
// triggers from 0 to 1); any other pad its buttons in the browser's order and
// its first four axes as the two sticks. Both sticks read positive when pushed up.
void kpMapWebGamepad(const EmscriptenGamepadEvent& pad, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                     Array<bool> buttons);
