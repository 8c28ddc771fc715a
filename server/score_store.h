// The boards' data on the database: players, boards, runs and each player's
// best run per board, read and written only through prepared statements.
// Every write is one transaction, committed before it is answered.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/database.h"

// A run as it is kept.
struct StoredRun {
    int64_t id = 0;
    std::string name;
    uint32_t board = 0;
    int level = 0;                 // the level's number when the board was opened
    int updates = 0;
    int scheme = 1;
    std::string gameVersion;
    std::string verifiedBy;
    int64_t verifiedAt = 0;        // seconds since 1970
    int64_t postedAt = 0;
    std::string refusedReason;     // set when a later build no longer verifies it
    std::string refusedBy;
    int64_t refusedAt = 0;
    int rank = 0;                  // its place on its board; 0 when it is not the player's best there
};

struct BoardEntry {
    int rank = 0;
    std::string name;
    int updates = 0;
    int64_t run = 0;
};

struct BoardSummary {
    uint32_t board = 0;
    int level = 0;
    int players = 0;
    std::optional<BoardEntry> first;
};

// A verified run to keep.
struct NewRun {
    std::string name;
    std::string keyHash;
    uint32_t board = 0;
    int level = 0;
    int updates = 0;
    int scheme = 1;
    SqlBytes replay;
    std::string gameVersion;
    std::string verifiedBy;
};

struct StoreResult {
    enum Outcome { kStored, kAlreadyPosted, kNameTaken, kPostedByAnother } outcome = kStored;
    int64_t run = 0;          // the run stored (or posted before by the same player)
    bool ranked = false;      // it is now the player's best on the board
    int rank = 0;             // the player's place on the board, with the best run
    int bestUpdates = 0;
    int64_t bestRun = 0;
};

// A stored run as reverification reads it.
struct RunToCheck {
    int64_t id = 0;
    int64_t player = 0;
    uint32_t board = 0;
    SqlBytes replay;
    bool refused = false;
};

class ScoreStore {
public:
    explicit ScoreStore(SqlPool& pool) : pool_(pool) {}

    int Migrate();                                  // the migrations this database lacks; how many ran
    void Ping();                                    // throws DatabaseUnavailable when the database does not answer
    // False when the name belongs to another key (checked before a run is verified).
    bool NameAvailable(const std::string& name, const std::string& keyHash);
    StoreResult Store(const NewRun& run);

    std::vector<BoardEntry> Top(uint32_t board, int limit);
    std::optional<BoardEntry> PlayerOnBoard(uint32_t board, const std::string& name);
    std::optional<std::string> PlayerName(const std::string& name);   // as the player wrote it
    std::vector<StoredRun> PlayerRuns(const std::string& name, int limit);
    std::optional<StoredRun> Run(int64_t id);
    std::optional<SqlBytes> Replay(int64_t id);
    std::vector<BoardSummary> Boards();
    int64_t RunCount();

    // Reverification: the runs after `afterId` in order, a few at a time.
    std::vector<RunToCheck> RunsAfter(int64_t afterId, int limit);
    // Marks a run refused by `build` (or valid again) and puts its player's best on its board right.
    void MarkRun(const RunToCheck& run, const std::optional<std::string>& reason, const std::string& build);

private:
    int RankOf(SqlConnection& connection, uint32_t board, int updates, int64_t run);
    SqlPool& pool_;
};
