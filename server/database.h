// The database behind the score server: one interface over an embedded
// SQLite file and a PostgreSQL server, so the same queries, the same schema
// and the same numbered migrations run on both.
//
// Queries are written once with numbered parameters ($1, $2, ...) and always
// run as prepared statements, cached per connection; values are bound, never
// pasted into the text. A connection serves one thread at a time: the pool
// lends them out. Any failure to reach the database (a server stopped, a file
// that cannot be opened or is locked for too long) is DatabaseUnavailable,
// which the routes answer with 503.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <utility>
#include <string>
#include <variant>
#include <vector>

using SqlBytes = std::vector<unsigned char>;
// A bound parameter: NULL, an integer, text or bytes.
using SqlValue = std::variant<std::nullptr_t, int64_t, std::string, SqlBytes>;

// The database cannot be reached or did not answer in time.
class DatabaseUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// A statement the database refused (a fault of the server, not of the database's health).
class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The rows a statement returned; cells are NULL or their bytes (integers as decimal text).
class SqlRows {
public:
    size_t Size() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }
    bool IsNull(size_t row, size_t column) const { return !rows_.at(row).at(column).has_value(); }
    int64_t Int(size_t row, size_t column) const;       // 0 for NULL
    std::string Text(size_t row, size_t column) const;  // "" for NULL
    SqlBytes Bytes(size_t row, size_t column) const;

    void AddRow(std::vector<std::optional<std::string>> cells) { rows_.push_back(std::move(cells)); }

private:
    std::vector<std::vector<std::optional<std::string>>> rows_;
};

// One open connection to the database.
class SqlConnection {
public:
    virtual ~SqlConnection() = default;
    // Runs one statement with its parameters as a prepared statement.
    virtual SqlRows Run(const std::string& sql, const std::vector<SqlValue>& params = {}) = 0;
    // Runs statements without parameters, one after another (migrations).
    virtual void RunScript(const std::string& sql) = 0;
    // Takes the lock that serialises schema changes among servers sharing the database.
    virtual void LockSchema() = 0;
    // Starts a transaction that will write (taking SQLite's write lock at once).
    virtual void BeginWrite() = 0;
    // False once the connection is known to be lost; the pool then opens a new one.
    virtual bool Healthy() const = 0;
};

// A transaction on a connection: rolled back unless committed.
class SqlTransaction {
public:
    explicit SqlTransaction(SqlConnection& connection);
    ~SqlTransaction();
    void Commit();

private:
    SqlConnection& connection_;
    bool open_ = true;
};

class SqlPool;

// A connection lent by the pool, given back when the lease ends.
class SqlLease {
public:
    SqlLease(SqlPool* pool, std::unique_ptr<SqlConnection> connection);
    SqlLease(SqlLease&& other) noexcept;
    ~SqlLease();
    SqlConnection& operator*() { return *connection_; }
    SqlConnection* operator->() { return connection_.get(); }
    bool Reused() const { return reused_; }      // lent before, so possibly dead since
    // The connection failed to reach the database: it is dropped, and with it
    // every idle one, which most likely lost the same server.
    void MarkBroken() { broken_ = true; }

private:
    friend class SqlPool;
    SqlPool* pool_;
    std::unique_ptr<SqlConnection> connection_;
    bool reused_ = false;
    bool broken_ = false;
};

// The database: its kind and a pool of connections opened as needed.
class SqlPool {
public:
    // "sqlite:FILE" (or a path ending in .db / .sqlite) or "postgresql://..." (also "postgres://").
    static std::unique_ptr<SqlPool> Open(const std::string& url, int maxConnections);

    const std::string& Kind() const { return kind_; }     // "sqlite" or "postgresql"
    // Lends a connection, opening one when none is idle and fewer than the maximum exist.
    SqlLease Acquire();
    // Runs `work` on a lent connection. A database that restarted leaves the
    // idle connections dead: when a reused one finds the database gone, the
    // work runs once more on a new connection. (Writes may run twice only
    // where running them again is harmless: a run is stored once by its hash.)
    template <typename Work>
    auto With(Work&& work) -> decltype(work(std::declval<SqlConnection&>())) {
        for (int attempt = 0;; ++attempt) {
            SqlLease lease = Acquire();
            try {
                return work(*lease);
            } catch (const DatabaseUnavailable&) {
                lease.MarkBroken();
                if (!lease.Reused() || attempt > 0) throw;
            }
        }
    }

private:
    friend class SqlLease;
    SqlPool(std::string kind, std::string target, int maxConnections);
    std::unique_ptr<SqlConnection> Connect();
    void GiveBack(std::unique_ptr<SqlConnection> connection, bool broken);

    std::string kind_;
    std::string target_;
    int maxConnections_;
    int open_ = 0;
    std::vector<std::unique_ptr<SqlConnection>> idle_;
    std::mutex mutex_;
    std::condition_variable returned_;
};

// The backends (sqlite_database.cpp, postgres_database.cpp).
std::unique_ptr<SqlConnection> kp_scores_OpenSqlite(const std::string& file);
std::unique_ptr<SqlConnection> kp_scores_OpenPostgres(const std::string& url);
