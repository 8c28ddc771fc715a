// libFuzzer target: the readers of replay files, their link text and the
// records file, on any bytes. A file read as a replay holds runs of at least
// one update adding up to its count, and written again reads back the same;
// the records kept from any file, written again, are all kept.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/shell/records_file.h"
#include "game/world/replay_file.h"
#include "tests/fuzz/fuzz_check.h"

const char* const kFuzzTarget = "replay fuzzer";

namespace {

// The keys of every update, from runs.
std::vector<unsigned> Keys(const Replay& replay) {
    std::vector<unsigned> keys;
    for (const ReplayRun& run : replay.runs) keys.insert(keys.end(), static_cast<size_t>(run.updates), run.keys);
    return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size) {
    Replay replay;
    if (kp_replay_Decode(bytes, size, &replay, nullptr)) {
        int total = 0;
        for (const ReplayRun& run : replay.runs) {
            Check(run.updates >= 1 && run.keys < 256, "a run of no update or of more than eight keys");
            total += run.updates;
        }
        Check(total == replay.updates, "the runs do not add up to the count");
        const std::vector<unsigned char> again = kp_replay_Encode(replay);
        Replay back;
        Check(kp_replay_Decode(again.data(), again.size(), &back, nullptr), "a replay written again is refused");
        Check(Keys(back) == Keys(replay) && back.level == replay.level && back.finalState == replay.finalState &&
                  back.scheme == replay.scheme && back.speed == replay.speed && back.format == replay.format,
              "a replay written again reads back otherwise");
    }
    std::vector<unsigned char> linked;
    kp_replay_FromLinkText(std::string(reinterpret_cast<const char*>(bytes), size), &linked);

    GameRecords records;
    if (kp_records_Decode(bytes, size, &records).valid) {
        const std::vector<unsigned char> again = kp_records_Encode(records);
        GameRecords back;
        const RecordsRead reread = kp_records_Decode(again.data(), again.size(), &back);
        Check(reread.valid && reread.dropped.empty(), "records kept and written again are not all kept");
        Check(kp_records_Encode(back) == again, "records kept and written again read back otherwise");
    }
    return 0;
}
