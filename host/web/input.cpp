#include "host/web/input.h"

#include <emscripten.h>

#include <cstring>
#include <iterator>

#include "host/input_translation.h"
#include "host/web/game.h"

namespace {

constexpr int kFunctionKeys = 12;
constexpr int kFirstPrintable = 32;
constexpr int kDeleteCharacter = 127;

// Named keys by KeyboardEvent.code; letters, digits and F1-F12 are parsed.
struct NamedKey {
    const char* code;
    int key;
};
constexpr NamedKey kNamedKeys[] = {
    {"Space", kKeySpace},
    {"Quote", kKeyQuote},
    {"Comma", kKeyComma},
    {"Minus", kKeyMinus},
    {"Period", kKeyPeriod},
    {"Slash", kKeySlash},
    {"Semicolon", kKeySemicolon},
    {"Equal", kKeyEquals},
    {"BracketLeft", kKeyOpenBracket},
    {"Backslash", kKeyBackslash},
    {"BracketRight", kKeyCloseBracket},
    {"Backquote", kKeyBackquote},
    {"Escape", kKeyEscape},
    {"ArrowUp", kKeyArrowUp},
    {"ArrowDown", kKeyArrowDown},
    {"ArrowLeft", kKeyArrowLeft},
    {"ArrowRight", kKeyArrowRight},
    {"ShiftLeft", kKeyShift},
    {"ShiftRight", kKeyShift},
    {"ControlLeft", kKeyControl},
    {"ControlRight", kKeyControl},
    {"Tab", kKeyTab},
    {"Enter", kKeyEnter},
    {"Backspace", kKeyBackspace},
    {"Insert", kKeyInsert},
    {"Delete", kKeyDelete},
    {"PageUp", kKeyPageUp},
    {"PageDown", kKeyPageDown},
    {"Home", kKeyHome},
    {"End", kKeyEnd},
};

// Browser mouse buttons 0 left, 1 middle, 2 right; the host's 0 left, 1 right, 2 middle.
constexpr int kMouseButtons[] = {0, 2, 1};

// The standard gamepad's button for each button of the game's layout: A, B,
// X, Y, the shoulders, back, start, the d-pad left, up, right, down, the
// stick buttons and the guide button.
constexpr int kStandardLayout[kGamepadButtonCount] = {0, 1, 2, 3, 4, 5, 8, 9, 14, 12, 15, 13, 10, 11, 16};
constexpr int kLeftTrigger = 6;
constexpr int kRightTrigger = 7;

float lastMouseX = 0;
float lastMouseY = 0;

KpWebGame* Game(void* user) { return static_cast<KpWebGame*>(user); }

// The one Unicode character a key types, or 0 ("Enter", "ArrowLeft" and dead keys name no character).
unsigned TypedCharacter(const char* key) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(key);
    unsigned c = p[0];
    int length = 1;
    if (c >= 0xf0) {
        c &= 0x07;
        length = 4;
    } else if (c >= 0xe0) {
        c &= 0x0f;
        length = 3;
    } else if (c >= 0xc0) {
        c &= 0x1f;
        length = 2;
    }
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xc0) != 0x80) return 0;
        c = (c << 6) | (p[i] & 0x3f);
    }
    if (p[length] != 0 || c < kFirstPrintable || c == kDeleteCharacter) return 0;
    return c;
}

// The page keeps the browser's own function keys (reload, developer tools)
// except the game's F10 and F11, and shortcuts with Ctrl or Cmd on letters.
bool GameOwnsKey(int key, const EmscriptenKeyboardEvent* e) {
    if (key >= kKeyF1 && key <= kKeyF12) return key == kKeyF10 || key == kKeyF11;
    const bool letterOrDigit = (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
    return !(e->metaKey || (e->ctrlKey && letterOrDigit));
}

// A repeat takes the press path, as on the desktop: no new hit, but a control
// key queues its character again. Returning true keeps the page from scrolling.
EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* e, void* user) {
    KpWebGame* game = Game(user);
    game->NoteEvent();
    const int key = kpWebKeyCode(e->code);
    if (key == 0) return EM_FALSE;
    game->KeyEvent(kEventKeyDown, key);
    int character = KeyToChar(key);
    if (character != 0) game->KeyEvent(kEventKeyChar, character);
    if (!e->ctrlKey && !e->metaKey && !e->altKey) {
        int units[2] = {0, 0};
        const int count = kpCharToUtf16(TypedCharacter(e->key), units);
        for (int i = 0; i < count && units[0] != 0; ++i) game->KeyEvent(kEventKeyChar, units[i]);
    }
    // A key press lets the page ask for fullscreen.
    if (key == kKeyF11 && !e->repeat) EM_ASM({ if (Module.toggleFullscreen) Module.toggleFullscreen(); });
    return GameOwnsKey(key, e);
}

EM_BOOL OnKeyUp(int, const EmscriptenKeyboardEvent* e, void* user) {
    KpWebGame* game = Game(user);
    game->NoteEvent();
    const int key = kpWebKeyCode(e->code);
    if (key == 0) return EM_FALSE;
    game->KeyEvent(kEventKeyUp, key);
    return GameOwnsKey(key, e);
}

EM_BOOL OnMouseMove(int, const EmscriptenMouseEvent* e, void* user) {
    KpWebGame* game = Game(user);
    game->NoteEvent();
    game->CanvasPixels(e->targetX, e->targetY, &lastMouseX, &lastMouseY);
    game->MouseEvent(kEventMouseMove, -1, lastMouseX, lastMouseY);
    return EM_FALSE;
}

EM_BOOL OnMouseDown(int, const EmscriptenMouseEvent* e, void* user) {
    KpWebGame* game = Game(user);
    game->NoteEvent();
    if (e->button >= std::size(kMouseButtons)) return EM_FALSE;
    game->CanvasPixels(e->targetX, e->targetY, &lastMouseX, &lastMouseY);
    game->MouseEvent(kEventMouseDown, kMouseButtons[e->button], lastMouseX, lastMouseY);
    return EM_FALSE;
}

// Listened for on the whole window, so a button released off the canvas is
// released in the game too, where the pointer was last seen on the canvas.
EM_BOOL OnMouseUp(int, const EmscriptenMouseEvent* e, void* user) {
    KpWebGame* game = Game(user);
    game->NoteEvent();
    if (e->button >= std::size(kMouseButtons)) return EM_FALSE;
    game->MouseEvent(kEventMouseUp, kMouseButtons[e->button], lastMouseX, lastMouseY);
    return EM_FALSE;
}

// Browsers number touches with identifiers of their own; the game's fingers
// are 0..31, the lowest free one given to each new touch, so finger 0 (which
// the input device mirrors as the left mouse button) is the first finger down.
constexpr int kFingers = 32;   // the input device's fingers
int fingerTouch[kFingers];
bool fingerUsed[kFingers];

int FingerOf(int identifier, bool claim) {
    for (int n = 0; n < kFingers; ++n) {
        if (fingerUsed[n] && fingerTouch[n] == identifier) return n;
    }
    if (!claim) return -1;
    for (int n = 0; n < kFingers; ++n) {
        if (!fingerUsed[n]) {
            fingerUsed[n] = true;
            fingerTouch[n] = identifier;
            return n;
        }
    }
    return -1;
}

// Every changed touch of the event, as a down, move or up of its finger.
// Returning true keeps the browser from also making mouse events of the
// touch (a tap would count twice), and from scrolling or zooming the page.
EM_BOOL OnTouch(int eventType, const EmscriptenTouchEvent* e, void* user) {
    KpWebGame* game = Game(user);
    game->NoteEvent();
    for (int i = 0; i < e->numTouches; ++i) {
        const EmscriptenTouchPoint& t = e->touches[i];
        if (!t.isChanged) continue;
        const int finger = FingerOf(t.identifier, eventType == EMSCRIPTEN_EVENT_TOUCHSTART);
        if (finger < 0) continue;
        float x = 0;
        float y = 0;
        game->CanvasPixels(t.targetX, t.targetY, &x, &y);
        switch (eventType) {
        case EMSCRIPTEN_EVENT_TOUCHSTART: game->TouchEvent(kEventTouchDown, finger, x, y); break;
        case EMSCRIPTEN_EVENT_TOUCHMOVE: game->TouchEvent(kEventTouchMove, finger, x, y); break;
        default:
            game->TouchEvent(kEventTouchMove, finger, x, y);
            game->TouchEvent(kEventTouchUp, finger, x, y);
            fingerUsed[finger] = false;
            break;
        }
    }
    return EM_TRUE;
}

EM_BOOL OnFocus(int, const EmscriptenFocusEvent*, void* user) {
    Game(user)->SetFocused(true);
    return EM_FALSE;
}

EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void* user) {
    Game(user)->SetFocused(false);
    return EM_FALSE;
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* e, void* user) {
    Game(user)->SetHidden(e->hidden);
    return EM_FALSE;
}

// A reload or a closed tab: the game suspends, and so saves, as when the page is hidden.
const char* OnBeforeUnload(int, const void*, void* user) {
    Game(user)->SetHidden(true);
    return nullptr;  // no question to the player
}

EM_BOOL OnFullscreen(int, const EmscriptenFullscreenChangeEvent*, void* user) {
    Game(user)->NoteEvent();
    return EM_FALSE;
}

}  // namespace

int kpWebKeyCode(const char* code) {
    const size_t length = std::strlen(code);
    if (length == 4 && std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z') return code[3];
    if (length == 6 && std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9') return code[5];
    if ((length == 2 || length == 3) && code[0] == 'F' && code[1] >= '1' && code[1] <= '9') {
        int n = code[1] - '0';
        if (length == 3) {
            if (code[2] < '0' || code[2] > '9') return 0;
            n = n * 10 + (code[2] - '0');
        }
        return n <= kFunctionKeys ? kKeyF1 + n - 1 : 0;
    }
    for (const NamedKey& named : kNamedKeys) {
        if (std::strcmp(code, named.code) == 0) return named.key;
    }
    return 0;
}

void kpInstallWebInputCallbacks(KpWebGame* game) {
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(window, game, EM_TRUE, OnKeyDown);
    emscripten_set_keyup_callback(window, game, EM_TRUE, OnKeyUp);
    emscripten_set_mousedown_callback("#canvas", game, EM_TRUE, OnMouseDown);
    emscripten_set_mousemove_callback("#canvas", game, EM_TRUE, OnMouseMove);
    emscripten_set_mouseup_callback(window, game, EM_TRUE, OnMouseUp);
    emscripten_set_touchstart_callback("#canvas", game, EM_TRUE, OnTouch);
    emscripten_set_touchmove_callback("#canvas", game, EM_TRUE, OnTouch);
    emscripten_set_touchend_callback("#canvas", game, EM_TRUE, OnTouch);
    emscripten_set_touchcancel_callback("#canvas", game, EM_TRUE, OnTouch);
    emscripten_set_focus_callback(window, game, EM_TRUE, OnFocus);
    emscripten_set_blur_callback(window, game, EM_TRUE, OnBlur);
    emscripten_set_visibilitychange_callback(game, EM_TRUE, OnVisibility);
    emscripten_set_beforeunload_callback(game, OnBeforeUnload);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, game, EM_TRUE, OnFullscreen);
}

void kpMapWebGamepad(const EmscriptenGamepadEvent& pad, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                     Array<bool> buttons) {
    auto axis = [&](int i) { return i < pad.numAxes ? static_cast<float>(pad.axis[i]) : 0.0f; };
    auto analog = [&](int i) { return i < pad.numButtons ? static_cast<float>(pad.analogButton[i]) : 0.0f; };
    auto down = [&](int i) { return i < pad.numButtons && pad.digitalButton[i] != 0; };
    // The browser reports down as positive; the game's sticks read up as positive.
    kpSetStickPair(joyx, axis(0), axis(2));
    kpSetStickPair(joyy, kpStickUp(axis(1)), kpStickUp(axis(3)));
    if (std::strcmp(pad.mapping, "standard") == 0) {
        kpSetStickPair(joyz, analog(kLeftTrigger), analog(kRightTrigger));
        // The whole layout is rewritten, so nothing stale survives.
        for (int i = 0; i < buttons.Length(); ++i) {
            buttons[i] = i < kGamepadButtonCount && down(kStandardLayout[i]);
        }
        return;
    }
    kpSetStickPair(joyz, axis(4), axis(5));
    for (int i = 0; i < buttons.Length() && i < kJoyButtonCount; ++i) buttons[i] = down(i);
}
