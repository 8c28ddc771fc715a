// The embedded backend: one SQLite file, written through its write-ahead log
// with every commit synced, so a run answered "accepted" survives the
// server's death. Statements are prepared once per connection and kept.
#include <sqlite3.h>

#include <map>
#include <regex>

#include "server/database.h"

namespace {

// How long a statement waits for another connection's write lock.
constexpr int kBusyMillis = 10000;

// "$3" becomes SQLite's numbered parameter "?3".
std::string NumberedParameters(const std::string& sql) {
    static const std::regex parameter(R"(\$([0-9]+))");
    return std::regex_replace(sql, parameter, "?$1");
}

class SqliteConnection : public SqlConnection {
public:
    explicit SqliteConnection(const std::string& file) {
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
            const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            db_ = nullptr;
            throw DatabaseUnavailable("cannot open " + file + ": " + why);
        }
        sqlite3_busy_timeout(db_, kBusyMillis);
        sqlite3_extended_result_codes(db_, 1);
        RunScript("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;");
    }

    ~SqliteConnection() override {
        for (auto& entry : statements_) sqlite3_finalize(entry.second);
        sqlite3_close(db_);
    }

    SqlRows Run(const std::string& sql, const std::vector<SqlValue>& params) override {
        sqlite3_stmt* statement = Prepared(sql);
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        for (size_t i = 0; i < params.size(); ++i) Bind(statement, static_cast<int>(i + 1), params[i]);
        SqlRows rows;
        for (;;) {
            const int step = sqlite3_step(statement);
            if (step == SQLITE_DONE) break;
            if (step != SQLITE_ROW) {
                const std::string why = sqlite3_errmsg(db_);
                sqlite3_reset(statement);
                Fail(step, why);
            }
            const int columns = sqlite3_column_count(statement);
            std::vector<std::optional<std::string>> cells(static_cast<size_t>(columns));
            for (int c = 0; c < columns; ++c) {
                if (sqlite3_column_type(statement, c) == SQLITE_NULL) continue;
                const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, c));
                cells[static_cast<size_t>(c)] = std::string(data ? data : "", static_cast<size_t>(sqlite3_column_bytes(statement, c)));
            }
            rows.AddRow(std::move(cells));
        }
        sqlite3_reset(statement);
        return rows;
    }

    void RunScript(const std::string& sql) override {
        char* message = nullptr;
        const int result = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
        const std::string why = message ? message : "";
        sqlite3_free(message);
        if (result != SQLITE_OK) Fail(result, why);
    }

    // One writer at a time: the write transaction itself is the lock.
    void LockSchema() override {}
    void BeginWrite() override { RunScript("BEGIN IMMEDIATE"); }
    bool Healthy() const override { return true; }

private:
    sqlite3_stmt* Prepared(const std::string& sql) {
        auto found = statements_.find(sql);
        if (found != statements_.end()) return found->second;
        sqlite3_stmt* statement = nullptr;
        const std::string text = NumberedParameters(sql);
        const int result = sqlite3_prepare_v3(db_, text.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
        if (result != SQLITE_OK) Fail(result, sqlite3_errmsg(db_));
        statements_.emplace(sql, statement);
        return statement;
    }

    static void Bind(sqlite3_stmt* statement, int index, const SqlValue& value) {
        if (const auto* number = std::get_if<int64_t>(&value)) {
            sqlite3_bind_int64(statement, index, *number);
        } else if (const auto* text = std::get_if<std::string>(&value)) {
            sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
        } else if (const auto* bytes = std::get_if<SqlBytes>(&value)) {
            sqlite3_bind_blob(statement, index, bytes->data(), static_cast<int>(bytes->size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_null(statement, index);
        }
    }

    // Locks held too long, a file that cannot be read or written, a full disk:
    // the database is unavailable. Anything else is a refused statement.
    [[noreturn]] static void Fail(int result, const std::string& why) {
        switch (result & 0xff) {
            case SQLITE_BUSY:
            case SQLITE_LOCKED:
            case SQLITE_IOERR:
            case SQLITE_CANTOPEN:
            case SQLITE_FULL:
            case SQLITE_READONLY:
            case SQLITE_PROTOCOL:
                throw DatabaseUnavailable("sqlite: " + why);
            default:
                throw DatabaseError("sqlite: " + why);
        }
    }

    sqlite3* db_ = nullptr;
    std::map<std::string, sqlite3_stmt*> statements_;
};

}  // namespace

std::unique_ptr<SqlConnection> kp_scores_OpenSqlite(const std::string& file) {
    return std::make_unique<SqliteConnection>(file);
}
