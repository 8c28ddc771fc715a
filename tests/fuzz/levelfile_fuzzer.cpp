// libFuzzer target: the level file reader, the packed-map reader and the
// level link text, on any bytes, and a proof read from a file played on the
// whole game. A map unpacked and packed again unpacks the same; a level file read
// and written again reads back the same level; its map keeps every rule.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/world/level_file.h"
#include "game/world/level_map.h"
#include "game/world/replay_file.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/testhost/test_game.h"

const char* const kFuzzTarget = "level file fuzzer";

namespace {

constexpr int kProofUpdatesPlayed = 600;   // longer proofs are read, not played: the target stays quick

// The game booted once; its assets are never loaded.
TestGame& Game() {
    static TestGame* game = new TestGame();
    return *game;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size) {
    std::string map;
    if (kp_level_Unpack(bytes, size, &map)) {
        Check(map.size() == static_cast<size_t>(kLevelTiles), "an unpacked map of another size");
        const std::vector<unsigned char> again = kp_level_Pack(map);
        std::string back;
        Check(kp_level_Unpack(again.data(), again.size(), &back) && back == map, "a map packed again unpacks otherwise");
    }
    LevelFile level;
    if (kp_levelfile_Decode(bytes, size, &level, nullptr)) {
        Check(kp_level_Check(level.map).empty(), "a level read whole breaks a rule");
        const std::vector<unsigned char> again = kp_levelfile_Encode(level);
        LevelFile back;
        Check(kp_levelfile_Decode(again.data(), again.size(), &back, nullptr), "a level written again is refused");
        Check(back.map == level.map && back.proof == level.proof, "a level written again reads back otherwise");
        Replay proof;
        if (kp_replay_Decode(level.proof.data(), level.proof.size(), &proof, nullptr) && proof.updates <= kProofUpdatesPlayed) {
            bool proved = false;
            Game().app().p_CheckLevelProof(level, &proved);
        }
    }
    std::vector<unsigned char> linked;
    if (kp_replay_FromLinkText(std::string(reinterpret_cast<const char*>(bytes), size), &linked)) {
        kp_levelfile_Decode(linked.data(), linked.size(), &level, nullptr);
    }
    return 0;
}
