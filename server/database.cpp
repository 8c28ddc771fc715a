#include "server/database.h"

#include <chrono>
#include <cstdlib>

namespace {

// How long a request waits for a connection of a busy pool before the
// database counts as unavailable.
constexpr auto kAcquireWait = std::chrono::seconds(10);

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

int64_t SqlRows::Int(size_t row, size_t column) const {
    const std::optional<std::string>& cell = rows_.at(row).at(column);
    return cell ? std::strtoll(cell->c_str(), nullptr, 10) : 0;
}

std::string SqlRows::Text(size_t row, size_t column) const {
    const std::optional<std::string>& cell = rows_.at(row).at(column);
    return cell ? *cell : std::string();
}

SqlBytes SqlRows::Bytes(size_t row, size_t column) const {
    const std::optional<std::string>& cell = rows_.at(row).at(column);
    return cell ? SqlBytes(cell->begin(), cell->end()) : SqlBytes();
}

SqlTransaction::SqlTransaction(SqlConnection& connection) : connection_(connection) { connection_.BeginWrite(); }

SqlTransaction::~SqlTransaction() {
    if (!open_) return;
    try {
        connection_.RunScript("ROLLBACK");
    } catch (const std::exception&) {
        // A lost connection has no transaction left to roll back.
    }
}

void SqlTransaction::Commit() {
    connection_.RunScript("COMMIT");
    open_ = false;
}

SqlLease::SqlLease(SqlPool* pool, std::unique_ptr<SqlConnection> connection)
    : pool_(pool), connection_(std::move(connection)) {}

SqlLease::SqlLease(SqlLease&& other) noexcept
    : pool_(other.pool_), connection_(std::move(other.connection_)), reused_(other.reused_), broken_(other.broken_) {}

SqlLease::~SqlLease() {
    if (connection_) pool_->GiveBack(std::move(connection_), broken_);
}

std::unique_ptr<SqlPool> SqlPool::Open(const std::string& url, int maxConnections) {
    std::string kind, target;
    if (StartsWith(url, "postgresql://") || StartsWith(url, "postgres://")) {
        kind = "postgresql";
        target = url;
    } else if (StartsWith(url, "sqlite:")) {
        kind = "sqlite";
        target = url.substr(7);
    } else {
        throw DatabaseError("unknown database \"" + url + "\" (sqlite:FILE or postgresql://...)");
    }
    if (target.empty()) throw DatabaseError("no database file or address in \"" + url + "\"");
    std::unique_ptr<SqlPool> pool(new SqlPool(kind, target, maxConnections < 1 ? 1 : maxConnections));
    pool->Acquire();  // fails now, not at the first request, when it cannot be opened
    return pool;
}

SqlPool::SqlPool(std::string kind, std::string target, int maxConnections)
    : kind_(std::move(kind)), target_(std::move(target)), maxConnections_(maxConnections) {}

std::unique_ptr<SqlConnection> SqlPool::Connect() {
    return kind_ == "sqlite" ? kp_scores_OpenSqlite(target_) : kp_scores_OpenPostgres(target_);
}

SqlLease SqlPool::Acquire() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!returned_.wait_for(lock, kAcquireWait, [this] { return !idle_.empty() || open_ < maxConnections_; })) {
        throw DatabaseUnavailable("no database connection became free");
    }
    if (!idle_.empty()) {
        std::unique_ptr<SqlConnection> connection = std::move(idle_.back());
        idle_.pop_back();
        SqlLease lease(this, std::move(connection));
        lease.reused_ = true;
        return lease;
    }
    ++open_;
    lock.unlock();
    try {
        return SqlLease(this, Connect());
    } catch (...) {
        lock.lock();
        --open_;
        returned_.notify_one();
        throw;
    }
}

void SqlPool::GiveBack(std::unique_ptr<SqlConnection> connection, bool broken) {
    std::vector<std::unique_ptr<SqlConnection>> dropped;
    std::lock_guard<std::mutex> lock(mutex_);
    if (broken) {
        open_ -= static_cast<int>(idle_.size());
        dropped.swap(idle_);
    }
    if (!broken && connection->Healthy()) {
        idle_.push_back(std::move(connection));
    } else {
        --open_;  // dropped: the next lease opens a fresh one
    }
    returned_.notify_all();
}
