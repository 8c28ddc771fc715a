// The key codes, each named once: every host translates its window
// system's keys, buttons and fingers into them, the input device keeps their
// state (input/input_device.h), and the game reads them by these names.
//
// One space of kKeyCount codes: mouse buttons 1-3, keyboard keys by the codes
// below (letters and digits are their ASCII capitals), joystick u's button b
// at kKeyJoyBase + 32u + b, touch finger n at kKeyTouchBase + n, the back key
// and the window's close request.
#pragma once

// ---- The space, and its sizes ----
constexpr int kKeyCount = 512;
constexpr int kJoystickCount = 4;
constexpr int kJoyButtonCount = 32;        // per joystick, from kKeyJoyBase + 32u
constexpr int kJoyStickCount = 2;
constexpr int kTouchFingerCount = 32;

// ---- Mouse buttons, joysticks, fingers, back and close ----
constexpr int kKeyMouseLeft = 1;
constexpr int kKeyMouseRight = 2;
constexpr int kKeyMouseMiddle = 3;
constexpr int kKeyJoyBase = 256;
constexpr int kKeyTouchBase = 384;
constexpr int kKeyBack = 416;
constexpr int kKeyClose = 432;

// The buttons of a recognised gamepad in the game's fixed layout, as joystick
// buttons (kKeyJoyBase + 32u + button): each host maps its pads onto these.
enum KpGamepadButton : int {
    kPadA, kPadB, kPadX, kPadY, kPadLeftShoulder, kPadRightShoulder, kPadBack, kPadStart,
    kPadLeft, kPadUp, kPadRight, kPadDown, kPadLeftStick, kPadRightStick, kPadGuide,
};
constexpr int kGamepadButtonCount = 15;

// ---- Keyboard ----
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

// Letters and digits: their ASCII capitals.
enum KpLetterKey : int {
    kKeyA = 'A', kKeyB, kKeyC, kKeyD, kKeyE, kKeyF, kKeyG, kKeyH, kKeyI, kKeyJ, kKeyK, kKeyL, kKeyM,
    kKeyN, kKeyO, kKeyP, kKeyQ, kKeyR, kKeyS, kKeyT, kKeyU, kKeyV, kKeyW, kKeyX, kKeyY, kKeyZ,
};
enum KpDigitKey : int { kKey0 = '0', kKey1, kKey2, kKey3, kKey4, kKey5, kKey6, kKey7, kKey8, kKey9 };
