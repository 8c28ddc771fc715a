#include "server/score_store.h"

#include <openssl/evp.h>

#include <ctime>

#include "server/board_key.h"
#include "server/migrations.h"
#include "server/players.h"

namespace {

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

// The replay's SHA-256 in hex: one run, posted once.
std::string ReplayHash(const SqlBytes& replay) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(replay.data(), replay.size(), digest, &length, EVP_sha256(), nullptr);
    static const char* const kHex = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}

uint32_t BoardOf(const std::string& text) {
    uint32_t board = 0;
    kp_scores_ParseBoard(text, &board);
    return board;
}

constexpr const char* kRunColumns =
    "SELECT r.id, p.name, r.board_hash, bo.level, r.updates, r.scheme, r.game_version, r.verified_by, r.verified_at, "
    "r.posted_at, r.refused_reason, r.refused_by, r.refused_at, b.updates FROM runs r "
    "JOIN players p ON p.id = r.player_id JOIN boards bo ON bo.hash = r.board_hash "
    "LEFT JOIN board_bests b ON b.run_id = r.id ";

StoredRun RunFromRow(const SqlRows& rows, size_t r) {
    StoredRun run;
    run.id = rows.Int(r, 0);
    run.name = rows.Text(r, 1);
    run.board = BoardOf(rows.Text(r, 2));
    run.level = static_cast<int>(rows.Int(r, 3));
    run.updates = static_cast<int>(rows.Int(r, 4));
    run.scheme = static_cast<int>(rows.Int(r, 5));
    run.gameVersion = rows.Text(r, 6);
    run.verifiedBy = rows.Text(r, 7);
    run.verifiedAt = rows.Int(r, 8);
    run.postedAt = rows.Int(r, 9);
    run.refusedReason = rows.Text(r, 10);
    run.refusedBy = rows.Text(r, 11);
    run.refusedAt = rows.Int(r, 12);
    return run;
}

}  // namespace

int ScoreStore::Migrate() {
    return pool_.With([&](SqlConnection& db) -> int {
        return kp_scores_Migrate(db, pool_.Kind());
    });
}

void ScoreStore::Ping() {
    return pool_.With([&](SqlConnection& db) -> void {
        db.Run("SELECT 1");
    });
}

bool ScoreStore::NameAvailable(const std::string& name, const std::string& keyHash) {
    return pool_.With([&](SqlConnection& db) -> bool {
        const SqlRows rows = db.Run("SELECT key_hash FROM players WHERE name_key = $1", {kp_scores_NameKey(name)});
        return rows.Empty() || rows.Text(0, 0) == keyHash;
    });
}

int ScoreStore::RankOf(SqlConnection& connection, uint32_t board, int updates, int64_t run) {
    const SqlRows rows = connection.Run(
        "SELECT count(*) FROM board_bests WHERE board_hash = $1 AND (updates < $2 OR (updates = $2 AND run_id < $3))",
        {kp_scores_BoardText(board), int64_t{updates}, run});
    return static_cast<int>(rows.Int(0, 0)) + 1;
}

StoreResult ScoreStore::Store(const NewRun& run) {
    return pool_.With([&](SqlConnection& db) -> StoreResult {
        SqlTransaction transaction(db);
        StoreResult result;
        const int64_t now = Now();
        const std::string nameKey = kp_scores_NameKey(run.name);
        const std::string board = kp_scores_BoardText(run.board);

        // The player: the key's, renamed when it posts with another free name; or a new one.
        int64_t player = 0;
        SqlRows rows = db.Run("SELECT id, name FROM players WHERE key_hash = $1", {run.keyHash});
        if (!rows.Empty()) {
            player = rows.Int(0, 0);
            if (rows.Text(0, 1) != run.name) {
                const SqlRows owner = db.Run("SELECT id FROM players WHERE name_key = $1", {nameKey});
                if (!owner.Empty() && owner.Int(0, 0) != player) {
                    result.outcome = StoreResult::kNameTaken;
                    return result;
                }
                db.Run("UPDATE players SET name = $1, name_key = $2 WHERE id = $3", {run.name, nameKey, player});
            }
        } else {
            rows = db.Run(
                "INSERT INTO players (name, name_key, key_hash, created_at) VALUES ($1, $2, $3, $4) "
                "ON CONFLICT DO NOTHING RETURNING id",
                {run.name, nameKey, run.keyHash, now});
            if (rows.Empty()) {
                // Either the name is another key's, or this key's first two runs
                // arrived at once (through two servers) and the other made the player.
                rows = db.Run("SELECT id FROM players WHERE key_hash = $1", {run.keyHash});
                if (rows.Empty()) {
                    result.outcome = StoreResult::kNameTaken;
                    return result;
                }
            }
            player = rows.Int(0, 0);
        }

        db.Run("INSERT INTO boards (hash, level, created_at) VALUES ($1, $2, $3) ON CONFLICT DO NOTHING",
               {board, int64_t{run.level}, now});
        const std::string replayHash = ReplayHash(run.replay);
        rows = db.Run(
            "INSERT INTO runs (player_id, board_hash, updates, scheme, replay, replay_hash, game_version, verified_by, "
            "verified_at, posted_at) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10) ON CONFLICT DO NOTHING RETURNING id",
            {player, board, int64_t{run.updates}, int64_t{run.scheme}, run.replay, replayHash, run.gameVersion, run.verifiedBy,
             now, now});
        if (rows.Empty()) {
            const SqlRows before = db.Run("SELECT id, player_id FROM runs WHERE replay_hash = $1", {replayHash});
            if (before.Empty() || before.Int(0, 1) != player) {
                result.outcome = StoreResult::kPostedByAnother;
                return result;
            }
            result.outcome = StoreResult::kAlreadyPosted;
            result.run = before.Int(0, 0);
        } else {
            result.run = rows.Int(0, 0);
            db.Run(
                "INSERT INTO board_bests (board_hash, player_id, run_id, updates) VALUES ($1, $2, $3, $4) "
                "ON CONFLICT (board_hash, player_id) DO UPDATE SET run_id = excluded.run_id, updates = excluded.updates "
                "WHERE excluded.updates < board_bests.updates",
                {board, player, result.run, int64_t{run.updates}});
        }
        rows = db.Run("SELECT run_id, updates FROM board_bests WHERE board_hash = $1 AND player_id = $2", {board, player});
        if (!rows.Empty()) {
            result.bestRun = rows.Int(0, 0);
            result.bestUpdates = static_cast<int>(rows.Int(0, 1));
            result.ranked = result.bestRun == result.run;
            result.rank = RankOf(db, run.board, result.bestUpdates, result.bestRun);
        }
        transaction.Commit();
        return result;
    });
}

std::vector<BoardEntry> ScoreStore::Top(uint32_t board, int limit) {
    return pool_.With([&](SqlConnection& db) -> std::vector<BoardEntry> {
        const SqlRows rows = db.Run(
            "SELECT p.name, b.updates, b.run_id FROM board_bests b JOIN players p ON p.id = b.player_id "
            "WHERE b.board_hash = $1 ORDER BY b.updates, b.run_id LIMIT $2",
            {kp_scores_BoardText(board), int64_t{limit}});
        std::vector<BoardEntry> entries;
        for (size_t r = 0; r < rows.Size(); ++r) {
            entries.push_back({static_cast<int>(r + 1), rows.Text(r, 0), static_cast<int>(rows.Int(r, 1)), rows.Int(r, 2)});
        }
        return entries;
    });
}

std::optional<BoardEntry> ScoreStore::PlayerOnBoard(uint32_t board, const std::string& name) {
    return pool_.With([&](SqlConnection& db) -> std::optional<BoardEntry> {
        const SqlRows rows = db.Run(
            "SELECT p.name, b.updates, b.run_id FROM board_bests b JOIN players p ON p.id = b.player_id "
            "WHERE b.board_hash = $1 AND p.name_key = $2",
            {kp_scores_BoardText(board), kp_scores_NameKey(name)});
        if (rows.Empty()) return std::nullopt;
        BoardEntry entry{0, rows.Text(0, 0), static_cast<int>(rows.Int(0, 1)), rows.Int(0, 2)};
        entry.rank = RankOf(db, board, entry.updates, entry.run);
        return entry;
    });
}

std::optional<std::string> ScoreStore::PlayerName(const std::string& name) {
    return pool_.With([&](SqlConnection& db) -> std::optional<std::string> {
        const SqlRows rows = db.Run("SELECT name FROM players WHERE name_key = $1", {kp_scores_NameKey(name)});
        if (rows.Empty()) return std::nullopt;
        return rows.Text(0, 0);
    });
}

std::vector<StoredRun> ScoreStore::PlayerRuns(const std::string& name, int limit) {
    return pool_.With([&](SqlConnection& db) -> std::vector<StoredRun> {
        const SqlRows rows = db.Run(std::string(kRunColumns) +
                                                 "WHERE p.name_key = $1 ORDER BY bo.level, r.board_hash, r.updates, r.id LIMIT $2",
                                             {kp_scores_NameKey(name), int64_t{limit}});
        std::vector<StoredRun> runs;
        for (size_t r = 0; r < rows.Size(); ++r) {
            runs.push_back(RunFromRow(rows, r));
            if (!rows.IsNull(r, 13)) runs.back().rank = RankOf(db, runs.back().board, runs.back().updates, runs.back().id);
        }
        return runs;
    });
}

std::optional<StoredRun> ScoreStore::Run(int64_t id) {
    return pool_.With([&](SqlConnection& db) -> std::optional<StoredRun> {
        const SqlRows rows = db.Run(std::string(kRunColumns) + "WHERE r.id = $1", {id});
        if (rows.Empty()) return std::nullopt;
        StoredRun run = RunFromRow(rows, 0);
        if (!rows.IsNull(0, 13)) run.rank = RankOf(db, run.board, run.updates, run.id);
        return run;
    });
}

std::optional<SqlBytes> ScoreStore::Replay(int64_t id) {
    return pool_.With([&](SqlConnection& db) -> std::optional<SqlBytes> {
        const SqlRows rows = db.Run("SELECT replay FROM runs WHERE id = $1", {id});
        if (rows.Empty()) return std::nullopt;
        return rows.Bytes(0, 0);
    });
}

std::vector<BoardSummary> ScoreStore::Boards() {
    return pool_.With([&](SqlConnection& db) -> std::vector<BoardSummary> {
        const SqlRows rows = db.Run(
            "SELECT bo.hash, bo.level, count(b.player_id) FROM boards bo LEFT JOIN board_bests b ON b.board_hash = bo.hash "
            "GROUP BY bo.hash, bo.level ORDER BY bo.level, bo.hash");
        std::vector<BoardSummary> boards;
        for (size_t r = 0; r < rows.Size(); ++r) {
            boards.push_back({BoardOf(rows.Text(r, 0)), static_cast<int>(rows.Int(r, 1)), static_cast<int>(rows.Int(r, 2)), {}});
        }
        return boards;
    });
}

int64_t ScoreStore::RunCount() {
    return pool_.With([&](SqlConnection& db) -> int64_t {
        return db.Run("SELECT count(*) FROM runs").Int(0, 0);
    });
}

std::vector<RunToCheck> ScoreStore::RunsAfter(int64_t afterId, int limit) {
    return pool_.With([&](SqlConnection& db) -> std::vector<RunToCheck> {
        const SqlRows rows = db.Run(
            "SELECT id, player_id, board_hash, replay, refused_reason FROM runs WHERE id > $1 ORDER BY id LIMIT $2",
            {afterId, int64_t{limit}});
        std::vector<RunToCheck> runs;
        for (size_t r = 0; r < rows.Size(); ++r) {
            runs.push_back({rows.Int(r, 0), rows.Int(r, 1), BoardOf(rows.Text(r, 2)), rows.Bytes(r, 3), !rows.IsNull(r, 4)});
        }
        return runs;
    });
}

void ScoreStore::MarkRun(const RunToCheck& run, const std::optional<std::string>& reason, const std::string& build) {
    return pool_.With([&](SqlConnection& db) -> void {
        SqlTransaction transaction(db);
        const std::string board = kp_scores_BoardText(run.board);
        if (reason) {
            db.Run("UPDATE runs SET refused_reason = $1, refused_by = $2, refused_at = $3 WHERE id = $4",
                   {*reason, build, Now(), run.id});
        } else {
            db.Run("UPDATE runs SET refused_reason = NULL, refused_by = NULL, refused_at = NULL WHERE id = $1", {run.id});
        }
        // The player's best on the board: the fastest of the runs still believed.
        db.Run("DELETE FROM board_bests WHERE board_hash = $1 AND player_id = $2", {board, run.player});
        db.Run(
            "INSERT INTO board_bests (board_hash, player_id, run_id, updates) SELECT board_hash, player_id, id, updates "
            "FROM runs WHERE board_hash = $1 AND player_id = $2 AND refused_reason IS NULL ORDER BY updates, id LIMIT 1",
            {board, run.player});
        transaction.Commit();
    });
}
