#include "game/shell/settings_file.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "game/world/replay_file.h"
#include "host/input_translation.h"

namespace {

constexpr const char* kMagic = "Glimmer settings";
constexpr int kVersion = 1;

// Gamepad buttons in the host's fixed layout (host/input_translation.h).
enum PadButton { kPadA, kPadB, kPadX, kPadY, kPadLeftShoulder, kPadRightShoulder, kPadBack, kPadStart,
                 kPadLeft, kPadUp, kPadRight, kPadDown, kPadLeftStick, kPadRightStick, kPadGuide };
constexpr int Pad(int button) { return kKeyJoyBase + button; }
constexpr int Letter(char c) { return c; }

struct ActionInfo {
    const char* name;
    const char* title;
    KeyBinding defaults;
};

const ActionInfo kActions[kBindActions] = {
    {"walk-left", "Walk left", {{kKeyArrowLeft, Letter('A')}, Pad(kPadLeft)}},
    {"walk-right", "Walk right", {{kKeyArrowRight, Letter('D')}, Pad(kPadRight)}},
    {"climb-up", "Climb up", {{kKeyArrowUp, Letter('W')}, Pad(kPadUp)}},
    {"climb-down", "Climb down", {{kKeyArrowDown, Letter('S')}, Pad(kPadDown)}},
    {"grip", "Grip", {{Letter('Z'), Letter('J')}, Pad(kPadA)}},
    {"jump-1", "Jump 1 (left)", {{Letter('X'), Letter('K')}, Pad(kPadB)}},
    {"jump-2", "Jump 2 (right)", {{Letter('C'), Letter('L')}, Pad(kPadX)}},
    {"pause", "Pause", {{kKeyEscape, Letter('P')}, Pad(kPadStart)}},
    {"confirm", "Confirm", {{kKeyEnter, kKeySpace}, Pad(kPadA)}},
    {"back", "Back", {{kKeyEscape, kKeyBackspace}, Pad(kPadBack)}},
};

struct Named {
    int code;
    const char* name;
};
const Named kKeyNames[] = {
    {kKeyBackspace, "Backspace"}, {kKeyTab, "Tab"},         {kKeyEnter, "Enter"},        {kKeyShift, "Shift"},
    {kKeyControl, "Ctrl"},        {kKeyEscape, "Escape"},   {kKeySpace, "Space"},        {kKeyPageUp, "Page up"},
    {kKeyPageDown, "Page down"},  {kKeyEnd, "End"},         {kKeyHome, "Home"},          {kKeyArrowLeft, "Left"},
    {kKeyArrowUp, "Up"},          {kKeyArrowRight, "Right"}, {kKeyArrowDown, "Down"},    {kKeyInsert, "Insert"},
    {kKeyDelete, "Delete"},       {kKeySemicolon, ";"},     {kKeyEquals, "="},           {kKeyComma, ","},
    {kKeyMinus, "-"},             {kKeyPeriod, "."},        {kKeySlash, "/"},            {kKeyBackquote, "`"},
    {kKeyOpenBracket, "["},       {kKeyBackslash, "\\"},    {kKeyCloseBracket, "]"},     {kKeyQuote, "'"},
};
const char* const kPadNames[] = {"Pad A",    "Pad B",     "Pad X",     "Pad Y",     "Pad LB",     "Pad RB",
                                 "Pad Back", "Pad Start", "Pad left",  "Pad up",    "Pad right",  "Pad down",
                                 "Pad L3",   "Pad R3",    "Pad Guide"};

// Each line after the bindings, its range, and where it is kept.
const SettingChoice kLines[] = {
    {"grip-mode", 0, 1, 1, "held", "toggled", nullptr, &PlayerSettings::gripToggled},
    {"speed", kSpeedSlowest, kSpeedNormal, kSpeedStep, nullptr, nullptr, &PlayerSettings::speed, nullptr},
    {"calm", 0, 1, 1, "off", "on", nullptr, &PlayerSettings::calm},
    {"touch-size", 75, 200, 25, nullptr, nullptr, &PlayerSettings::touchSize, nullptr},
    {"touch-opacity", 20, 100, 5, nullptr, nullptr, &PlayerSettings::touchOpacity, nullptr},
    {"touch-hand", 0, 1, 1, "right", "left", nullptr, &PlayerSettings::leftHanded},
    {"effects-volume", 0, 100, 10, nullptr, nullptr, &PlayerSettings::effectsVolume, nullptr},
    {"music", 0, 1, 1, "off", "on", nullptr, &PlayerSettings::music},
    {"music-volume", 0, 100, 10, nullptr, nullptr, &PlayerSettings::musicVolume, nullptr},
};

bool InRange(const SettingChoice& c, int value) { return value >= c.low && value <= c.high && (value - c.low) % c.step == 0; }

// A code a binding may hold: a keyboard key (not a mouse button) or a gamepad button of joystick 0.
bool Bindable(int code, bool pad) {
    if (pad) return code == 0 || (code >= kKeyJoyBase && code < kKeyJoyBase + kJoyButtonCount);
    return code == 0 || (code > kKeyMouseLeft + 2 && code < kKeyJoyBase);
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

}  // namespace

PlayerSettings kp_settings_Defaults(bool calm) {
    PlayerSettings settings;
    for (int a = 0; a < kBindActions; ++a) settings.bindings[a] = kActions[a].defaults;
    settings.calm = calm;
    return settings;
}

const SettingChoice* kp_settings_Choice(const char* name) {
    for (const SettingChoice& choice : kLines) {
        if (std::string(choice.name) == name) return &choice;
    }
    return nullptr;
}

const char* kp_settings_ActionName(int action) { return action >= 0 && action < kBindActions ? kActions[action].name : ""; }
const char* kp_settings_ActionTitle(int action) { return action >= 0 && action < kBindActions ? kActions[action].title : ""; }

bool kp_settings_MayShare(int a, int b) {
    const auto pair = [&](int x, int y) { return (a == x && b == y) || (a == y && b == x); };
    return pair(kBindConfirm, kBindGrip) || pair(kBindConfirm, kBindJump1) || pair(kBindConfirm, kBindJump2) ||
           pair(kBindPause, kBindBack);
}

int kp_settings_ConflictOf(const PlayerSettings& settings, int action, int code) {
    if (code == 0) return -1;
    for (int other = 0; other < kBindActions; ++other) {
        if (other == action || kp_settings_MayShare(action, other)) continue;
        const KeyBinding& b = settings.bindings[other];
        if (b.keys[0] == code || b.keys[1] == code || b.pad == code) return other;
    }
    return -1;
}

std::string kp_settings_KeyName(int code) {
    if (code == 0) return "-";
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return std::string(1, static_cast<char>(code));
    if (code >= kKeyF1 && code <= kKeyF12) return "F" + std::to_string(code - kKeyF1 + 1);
    for (const Named& named : kKeyNames) {
        if (named.code == code) return named.name;
    }
    const int button = code - kKeyJoyBase;
    if (button >= 0 && button < static_cast<int>(std::size(kPadNames))) return kPadNames[button];
    if (button >= 0 && button < kJoyButtonCount) return "Pad " + std::to_string(button);
    return "Key " + std::to_string(code);
}

std::string kp_settings_Encode(const PlayerSettings& settings) {
    std::ostringstream out;
    out << kMagic << ' ' << kVersion << '\n';
    for (int a = 0; a < kBindActions; ++a) {
        const KeyBinding& b = settings.bindings[a];
        std::ostringstream line;
        line << kActions[a].name << ' ' << b.keys[0] << ' ' << b.keys[1] << ' ' << b.pad;
        std::string text = line.str();
        text.resize(std::max<size_t>(text.size() + 1, 30), ' ');
        out << text << "# " << kp_settings_KeyName(b.keys[0]) << ", " << kp_settings_KeyName(b.keys[1])
            << "; pad: " << kp_settings_KeyName(b.pad) << '\n';
    }
    for (const SettingChoice& line : kLines) {
        out << line.name << ' ';
        if (line.flag) {
            out << (settings.*line.flag ? line.on : line.off) << '\n';
        } else {
            out << settings.*line.number << '\n';
        }
    }
    const std::string body = out.str();
    const uint32_t check = kp_replay_Crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size());
    return body + "check " + Hex(check) + "\n";
}

bool kp_settings_Decode(const std::string& text, bool calm, PlayerSettings* out) {
    const PlayerSettings defaults = kp_settings_Defaults(calm);
    *out = defaults;
    const size_t checkAt = text.rfind("check ");
    if (checkAt == std::string::npos || (checkAt > 0 && text[checkAt - 1] != '\n')) return false;
    const std::string checkText = text.substr(checkAt + 6);
    const uint32_t check = kp_replay_Crc32(reinterpret_cast<const unsigned char*>(text.data()), checkAt);
    if (checkText != Hex(check) + "\n" && checkText != Hex(check)) return false;

    std::istringstream lines(text.substr(0, checkAt));
    std::string line;
    if (!std::getline(lines, line) || line != std::string(kMagic) + " " + std::to_string(kVersion)) return false;
    PlayerSettings read = defaults;
    while (std::getline(lines, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string name, value;
        if (!(words >> name)) continue;
        bool known = false;
        for (int a = 0; a < kBindActions && !known; ++a) {
            if (name != kActions[a].name) continue;
            known = true;
            KeyBinding& b = read.bindings[a];
            if (!(words >> b.keys[0] >> b.keys[1] >> b.pad)) return false;
            if (!Bindable(b.keys[0], false) || !Bindable(b.keys[1], false) || !Bindable(b.pad, true)) return false;
        }
        for (const SettingChoice& line : kLines) {
            if (known || name != line.name) continue;
            known = true;
            if (!(words >> value)) return false;
            if (line.flag) {
                if (value != line.on && value != line.off) return false;
                read.*line.flag = value == line.on;
            } else {
                char* end = nullptr;
                const long number = std::strtol(value.c_str(), &end, 10);
                if (value.empty() || *end != '\0' || !InRange(line, static_cast<int>(number))) return false;
                read.*line.number = static_cast<int>(number);
            }
        }
    }
    for (int a = 0; a < kBindActions; ++a) {
        const KeyBinding& b = read.bindings[a];
        for (int code : {b.keys[0], b.keys[1], b.pad}) {
            if (kp_settings_ConflictOf(read, a, code) >= 0) return false;
        }
    }
    *out = read;
    return true;
}
