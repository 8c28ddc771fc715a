#include "server/migrations.h"

#include <ctime>
#include <set>

namespace {

// Never edit a migration that has shipped: add the next number instead.
const std::vector<Migration> kMigrations = {
    {1, "players, boards, runs and each player's best run per board",
     R"(
CREATE TABLE players (
    id @ID@,
    name TEXT NOT NULL,
    name_key TEXT NOT NULL UNIQUE,
    key_hash TEXT NOT NULL UNIQUE,
    created_at BIGINT NOT NULL
);
CREATE TABLE boards (
    hash TEXT PRIMARY KEY,
    level INTEGER NOT NULL,
    created_at BIGINT NOT NULL
);
CREATE TABLE runs (
    id @ID@,
    player_id BIGINT NOT NULL REFERENCES players (id),
    board_hash TEXT NOT NULL REFERENCES boards (hash),
    updates INTEGER NOT NULL,
    scheme INTEGER NOT NULL,
    replay @BYTES@ NOT NULL,
    replay_hash TEXT NOT NULL UNIQUE,
    game_version TEXT NOT NULL,
    verified_by TEXT NOT NULL,
    verified_at BIGINT NOT NULL,
    posted_at BIGINT NOT NULL,
    refused_reason TEXT,
    refused_by TEXT,
    refused_at BIGINT
);
CREATE INDEX runs_by_player ON runs (player_id, board_hash, updates);
CREATE TABLE board_bests (
    board_hash TEXT NOT NULL REFERENCES boards (hash),
    player_id BIGINT NOT NULL REFERENCES players (id),
    run_id BIGINT NOT NULL REFERENCES runs (id),
    updates INTEGER NOT NULL,
    PRIMARY KEY (board_hash, player_id)
);
CREATE INDEX board_bests_by_time ON board_bests (board_hash, updates, run_id);
)"},
};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

}  // namespace

const std::vector<Migration>& kp_scores_Migrations() { return kMigrations; }

std::string kp_scores_MigrationSql(const Migration& migration, const std::string& kind) {
    const bool sqlite = kind == "sqlite";
    std::string sql = Replaced(migration.sql, "@ID@",
                               sqlite ? "INTEGER PRIMARY KEY AUTOINCREMENT" : "BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY");
    return Replaced(sql, "@BYTES@", sqlite ? "BLOB" : "BYTEA");
}

int kp_scores_Migrate(SqlConnection& connection, const std::string& kind) {
    SqlTransaction transaction(connection);
    connection.LockSchema();
    connection.RunScript(
        "CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY, name TEXT NOT NULL, "
        "applied_at BIGINT NOT NULL)");
    std::set<int> applied;
    const SqlRows rows = connection.Run("SELECT version FROM schema_migrations");
    for (size_t r = 0; r < rows.Size(); ++r) applied.insert(static_cast<int>(rows.Int(r, 0)));
    for (int number : applied) {
        if (number > kMigrations.back().number) {
            throw DatabaseError("the database has schema version " + std::to_string(number) +
                                ", newer than this server knows (" + std::to_string(kMigrations.back().number) + ")");
        }
    }
    int count = 0;
    for (const Migration& migration : kMigrations) {
        if (applied.count(migration.number)) continue;
        connection.RunScript(kp_scores_MigrationSql(migration, kind));
        connection.Run("INSERT INTO schema_migrations (version, name, applied_at) VALUES ($1, $2, $3)",
                       {int64_t{migration.number}, std::string(migration.name), static_cast<int64_t>(std::time(nullptr))});
        ++count;
    }
    transaction.Commit();
    return count;
}
