#include "server/reverify.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr int kBatch = 200;

RunVerdict Judge(VerificationQueue& queue, const RunToCheck& run) {
    for (;;) {
        std::optional<std::future<RunVerdict>> pending = queue.SubmitRun(run.replay, run.board);
        if (pending) return pending->get();
        // Sharing the queue with posts: wait for room rather than skip a run.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

ReverifySummary kp_scores_Reverify(ScoreStore& store, VerificationQueue& queue, std::FILE* log) {
    ReverifySummary summary;
    int64_t after = 0;
    for (;;) {
        const std::vector<RunToCheck> runs = store.RunsAfter(after, kBatch);
        if (runs.empty()) break;
        for (const RunToCheck& run : runs) {
            after = run.id;
            const std::vector<uint32_t>& levels = queue.LevelHashes();
            if (std::find(levels.begin(), levels.end(), run.board) == levels.end()) {
                ++summary.otherLevels;
                continue;
            }
            ++summary.checked;
            const RunVerdict verdict = Judge(queue, run);
            if (verdict.valid) {
                ++summary.valid;
                if (!run.refused) continue;
                ++summary.restored;
                store.MarkRun(run, std::nullopt, kp_scores_BuildId());
                if (log) std::fprintf(log, "run %lld: verifies again, back on its board\n", static_cast<long long>(run.id));
            } else {
                ++summary.refused;
                if (run.refused) continue;
                ++summary.newlyRefused;
                store.MarkRun(run, verdict.reason, kp_scores_BuildId());
                if (log) {
                    std::fprintf(log, "run %lld: no longer verifies, off its board: %s\n", static_cast<long long>(run.id),
                                 verdict.reason.c_str());
                }
            }
        }
    }
    return summary;
}
