#include "game/world/level_hash.h"

#include "game/world/level_store.h"

namespace {

constexpr uint32_t kFnvBasis = 2166136261u;

// FNV-1a over the four bytes of each value, low byte first.
uint32_t Add(uint32_t hash, int32_t value) {
    for (int i = 0; i < 4; ++i) {
        hash ^= (static_cast<uint32_t>(value) >> (8 * i)) & 0xffu;
        hash *= 16777619u;
    }
    return hash;
}

uint32_t AddText(uint32_t hash, const String& text) {
    hash = Add(hash, text.Length());
    for (int i = 0; i < text.Length(); ++i) hash = Add(hash, text[i]);
    return hash;
}

// The level sets that builds writing the first format of records shipped
// with: the set's hash, then each level's.
struct EarlierSet {
    uint32_t set;
    uint32_t levels[kLevelCount];
};
constexpr EarlierSet kEarlierSets[] = {
    // The first build keeping records: levels 4-15 before their redesign.
    {0x8dd79f77u, {0x1591e70du, 0x8e2313d1u, 0xdc57a229u, 0xa87914aeu, 0x018bb720u, 0xd98c4a33u, 0xaaf195bau,
                   0x0d41a9ceu, 0xfe35da73u, 0x07c439f8u, 0xcead95e2u, 0x93415f59u, 0xb84812b0u, 0x1469152au,
                   0x13aee1cdu}},
    // The redesigned levels 4-15, the last set of the first format.
    {0x9e5d7669u, {0x1591e70du, 0x8e2313d1u, 0xdc57a229u, 0xd7f36d44u, 0x2a1a1e88u, 0x6525653cu, 0x4ae0ba7du,
                   0x57c29f92u, 0xa62677dfu, 0x27ef58b7u, 0x216772c0u, 0x88fb1b26u, 0x601ce042u, 0xa73ecc61u,
                   0x68201d1au}},
};

}  // namespace

uint32_t kp_Glimmer_LevelTextHash(const String& text) { return AddText(kFnvBasis, text); }

uint32_t kp_Glimmer_LevelHash(int n) {
    if (n < 1 || n > kLevelCount) return 0;
    return kp_Glimmer_LevelTextHash(kp_Levels_FetchLevel(n));
}

uint32_t kp_Glimmer_LevelSetHash() {
    uint32_t hash = kFnvBasis;
    for (int n = 1; n <= kLevelCount; ++n) hash = AddText(hash, kp_Levels_FetchLevel(n));
    return hash;
}

bool kp_Glimmer_EarlierLevelHash(uint32_t levelSet, int n, uint32_t* hash) {
    if (n < 1 || n > kLevelCount) return false;
    if (levelSet == kp_Glimmer_LevelSetHash()) {
        *hash = kp_Glimmer_LevelHash(n);
        return true;
    }
    for (const EarlierSet& earlier : kEarlierSets) {
        if (earlier.set != levelSet) continue;
        *hash = earlier.levels[n - 1];
        return true;
    }
    return false;
}
