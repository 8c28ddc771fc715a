// Every stored run of this build's levels played again with this build: a
// run that no longer verifies leaves its board but is kept, marked with the
// reason and the build; a run refused before that verifies again returns.
// Runs of levels this build does not have (an earlier version of a changed
// level) cannot be played by it and stay as they stand, on their own boards.
// Nothing is deleted.
#pragma once

#include <cstdio>

#include "server/score_store.h"
#include "server/verification_queue.h"

struct ReverifySummary {
    long long checked = 0;
    long long valid = 0;
    long long refused = 0;
    long long newlyRefused = 0;
    long long restored = 0;
    long long otherLevels = 0;   // runs of boards whose level this build does not have, left as they stand
};

// Writes a line per run whose standing changed to `log` (when not null).
ReverifySummary kp_scores_Reverify(ScoreStore& store, VerificationQueue& queue, std::FILE* log);
