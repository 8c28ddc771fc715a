// The player's settings file: the controls as bound, the assists and the
// comfort settings. It is kept beside the state file (whose text it never
// touches) and written atomically through the same path, as the records are.
//
// The file is text, one setting to a line, so that a player can read it; a
// "#" starts a comment, which the game writes after each binding with the
// names of its keys:
//
//   Glimmer settings 1
//   walk-left 37 65 264           # Left, A; pad: D-pad left
//   ...                           (one line per action, ActionName order)
//   grip-mode held                held | toggled
//   speed 100                     50..100 in steps of 10: the game's speed in percent
//   calm off                      off | on: flashing and fast-pulsing effects calmed
//   touch-size 100                75..200 in steps of 25: the on-screen controls' size in percent
//   touch-opacity 35              20..100 in steps of 5: their opacity in percent
//   touch-hand right              right | left: which side the jump and grip buttons take
//   effects-volume 100            0..100 in steps of 10
//   music off                     off | on
//   music-volume 70               0..100 in steps of 10
//   check 1a2b3c4d                CRC-32 (as in PNG and zip) of every byte before this line
//
// A binding is two keyboard key codes and one gamepad button code of the input
// device's key space (0 for none). A line the game does not know is skipped,
// so that a file of a later version 1 still reads; a missing one keeps its
// default. A file whose check does not match, of another version, with a
// value out of its range or bindings in conflict is damaged: the game resets
// it to the defaults and says so.
#pragma once

#include <string>

// The actions a player binds, in the file's and the Controls screen's order.
enum BindAction {
    kBindWalkLeft,
    kBindWalkRight,
    kBindClimbUp,
    kBindClimbDown,
    kBindGrip,
    kBindJump1,
    kBindJump2,
    kBindPause,
    kBindConfirm,
    kBindBack,
    kBindActions,
};

constexpr int kBindKeys = 2;   // keyboard keys per action

struct KeyBinding {
    int keys[kBindKeys] = {0, 0};   // key codes, 0 for none
    int pad = 0;                    // a gamepad button's key code, 0 for none
};

constexpr int kSpeedNormal = 100;   // percent; less is the game-speed assist
constexpr int kSpeedSlowest = 50;
constexpr int kSpeedStep = 10;

struct PlayerSettings {
    KeyBinding bindings[kBindActions];
    bool gripToggled = false;   // grip switched on and off by presses, not held
    int speed = kSpeedNormal;
    bool calm = false;
    int touchSize = 100;
    int touchOpacity = 35;
    bool leftHanded = false;    // the on-screen buttons at the left, the pad at the right
    int effectsVolume = 100;
    bool music = false;
    int musicVolume = 70;
};

// A setting besides the bindings, as the file names it, with its range.
struct SettingChoice {
    const char* name;
    int low, high, step;           // a number's range and step; a switch is 0..1
    const char* off;               // a switch's words in the file for 0 and 1; null for a number
    const char* on;
    int PlayerSettings::*number;   // where it is kept: one of the two
    bool PlayerSettings::*flag;

    int Get(const PlayerSettings& s) const { return flag ? (s.*flag ? 1 : 0) : s.*number; }
    void Set(PlayerSettings& s, int value) const {
        if (flag) s.*flag = value != 0; else s.*number = value;
    }
};
// The choice the file names `name` ("speed"); null for none.
const SettingChoice* kp_settings_Choice(const char* name);

// The defaults; `calm` where the system asks for reduced motion.
PlayerSettings kp_settings_Defaults(bool calm);

// The action's name in the file ("walk-left") and on the screen ("Walk left").
const char* kp_settings_ActionName(int action);
const char* kp_settings_ActionTitle(int action);

// Two actions may share a key only when they never act at once: confirm with
// grip or a jump (the menus take those as confirm), pause with back.
bool kp_settings_MayShare(int actionA, int actionB);
// The action other than `action` that `code` is bound to and may not share
// with it; -1 when there is none.
int kp_settings_ConflictOf(const PlayerSettings& settings, int action, int code);

// The name of a key or gamepad button code as the Controls screen shows it.
std::string kp_settings_KeyName(int code);

std::string kp_settings_Encode(const PlayerSettings& settings);
// Reads a file's text; false (and `out` the defaults for `calm`) for a damaged one.
bool kp_settings_Decode(const std::string& text, bool calm, PlayerSettings* out);
