// Keyboard codes of the input device's key space that the hosts translate to
// and type characters for. Letters and digits are their ASCII capitals.
#pragma once

constexpr int kKeyBackspace = 8;
constexpr int kKeyTab = 9;
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kKeyPageUp = 33;   // then page down, end, home, left, up, right,
constexpr int kKeyArrowDown = 40;  // down: the navigation run
constexpr int kKeyInsert = 45;
constexpr int kKeyDelete = 46;
constexpr int kKeyF1 = 112;      // F1-F12 follow in order
constexpr int kKeyF10 = 121;
constexpr int kKeyF11 = 122;
constexpr int kKeyF12 = 123;
