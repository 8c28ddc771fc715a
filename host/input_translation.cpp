#include "host/input_translation.h"

namespace {

constexpr int kCharDelete = 127;
// Navigation keys type a character outside the Unicode range they share with
// printable text: the key code with this bit set.
constexpr int kNavigationCharBit = 0x10000;

// UTF-16 surrogate pairs for characters beyond 16 bits.
constexpr unsigned kFirstSupplementary = 0x10000;
constexpr unsigned kHighSurrogate = 0xD800;
constexpr unsigned kLowSurrogate = 0xDC00;
constexpr unsigned kSurrogateBits = 0x3FF;
constexpr unsigned kLastCodepoint = 0x10FFFF;

}  // namespace

int KeyToChar(int key) {
    switch (key) {
    case kKeyBackspace:
    case kKeyTab:
    case kKeyEnter:
    case kKeyEscape:
        return key;
    case kKeyDelete:
        return kCharDelete;
    default:
        break;
    }
    if ((key >= kKeyPageUp && key <= kKeyArrowDown) || key == kKeyInsert) return key | kNavigationCharBit;
    return 0;
}

// Queued as UTF-16, like the strings the game builds from them; a codepoint
// beyond 16 bits would otherwise read as a navigation key's character.
int kpCharToUtf16(unsigned codepoint, int units[2]) {
    if (codepoint > kLastCodepoint) return 0;
    if (codepoint < kFirstSupplementary) {
        units[0] = static_cast<int>(codepoint);
        return 1;
    }
    unsigned offset = codepoint - kFirstSupplementary;
    units[0] = static_cast<int>(kHighSurrogate | (offset >> 10));
    units[1] = static_cast<int>(kLowSurrogate | (offset & kSurrogateBits));
    return 2;
}

void kpSetStickPair(Array<float> pair, float first, float second) {
    if (pair.Length() > 0) pair[0] = first;
    if (pair.Length() > 1) pair[1] = second;
}
