// The deployment backend: a PostgreSQL server shared by any number of score
// servers. Statements are prepared once per connection (PQprepare) and run
// with their values bound; bytes go in binary, everything else as text.
#include <libpq-fe.h>

#include <cstring>
#include <map>

#include "server/database.h"

namespace {

constexpr Oid kByteaType = 17;
// Any fixed number: the advisory lock that lets one server at a time migrate.
constexpr long long kSchemaLock = 0x476c6d72;

// SQLSTATE classes that say the server is gone or cannot serve now.
bool UnavailableState(const char* state) {
    if (!state) return true;
    return std::strncmp(state, "08", 2) == 0 || std::strncmp(state, "53", 2) == 0 ||
           std::strncmp(state, "57P", 3) == 0 || std::strcmp(state, "40001") == 0;
}

class PostgresConnection : public SqlConnection {
public:
    explicit PostgresConnection(const std::string& url) {
        // A server that does not answer must not hold a request for long.
        // (What the address itself says comes later and wins.)
        const char* keys[] = {"connect_timeout", "dbname", nullptr};
        const char* values[] = {"5", url.c_str(), nullptr};
        connection_ = PQconnectdbParams(keys, values, 1);
        if (!connection_ || PQstatus(connection_) != CONNECTION_OK) {
            const std::string why = connection_ ? PQerrorMessage(connection_) : "out of memory";
            PQfinish(connection_);
            connection_ = nullptr;
            throw DatabaseUnavailable("postgresql: " + Trimmed(why));
        }
        PQsetNoticeProcessor(connection_, [](void*, const char*) {}, nullptr);
    }

    ~PostgresConnection() override { PQfinish(connection_); }

    SqlRows Run(const std::string& sql, const std::vector<SqlValue>& params) override {
        const std::string& name = Prepared(sql);
        std::vector<std::string> texts(params.size());
        std::vector<const char*> values(params.size(), nullptr);
        std::vector<int> lengths(params.size(), 0), formats(params.size(), 0);
        for (size_t i = 0; i < params.size(); ++i) {
            if (const auto* number = std::get_if<int64_t>(&params[i])) {
                texts[i] = std::to_string(*number);
                values[i] = texts[i].c_str();
            } else if (const auto* text = std::get_if<std::string>(&params[i])) {
                values[i] = text->c_str();
            } else if (const auto* bytes = std::get_if<SqlBytes>(&params[i])) {
                values[i] = reinterpret_cast<const char*>(bytes->data());
                lengths[i] = static_cast<int>(bytes->size());
                formats[i] = 1;
            }
        }
        PGresult* result = PQexecPrepared(connection_, name.c_str(), static_cast<int>(params.size()), values.data(),
                                          lengths.data(), formats.data(), 0);
        Check(result);
        SqlRows rows = Rows(result);
        PQclear(result);
        return rows;
    }

    void RunScript(const std::string& sql) override {
        PGresult* result = PQexec(connection_, sql.c_str());
        Check(result);
        PQclear(result);
    }

    void LockSchema() override { Run("SELECT pg_advisory_xact_lock(" + std::to_string(kSchemaLock) + ")", {}); }
    void BeginWrite() override { RunScript("BEGIN"); }
    bool Healthy() const override { return PQstatus(connection_) == CONNECTION_OK; }

private:
    static std::string Trimmed(std::string text) {
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        return text;
    }

    const std::string& Prepared(const std::string& sql) {
        auto found = names_.find(sql);
        if (found != names_.end()) return found->second;
        const std::string name = "s" + std::to_string(names_.size());
        PGresult* result = PQprepare(connection_, name.c_str(), sql.c_str(), 0, nullptr);
        Check(result);
        PQclear(result);
        return names_.emplace(sql, name).first->second;
    }

    // Throws for a failed result (and frees it).
    void Check(PGresult* result) {
        const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
        const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
        const std::string why = "postgresql: " + Trimmed(result ? PQresultErrorMessage(result) : PQerrorMessage(connection_));
        const bool unavailable = PQstatus(connection_) != CONNECTION_OK || UnavailableState(state);
        PQclear(result);
        if (unavailable) throw DatabaseUnavailable(why);
        throw DatabaseError(why);
    }

    static SqlRows Rows(PGresult* result) {
        SqlRows rows;
        const int columns = PQnfields(result);
        for (int r = 0; r < PQntuples(result); ++r) {
            std::vector<std::optional<std::string>> cells(static_cast<size_t>(columns));
            for (int c = 0; c < columns; ++c) {
                if (PQgetisnull(result, r, c)) continue;
                const char* text = PQgetvalue(result, r, c);
                if (PQftype(result, c) == kByteaType) {
                    size_t length = 0;
                    unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &length);
                    if (!bytes) throw DatabaseError("postgresql: out of memory reading bytes");
                    cells[static_cast<size_t>(c)] = std::string(reinterpret_cast<char*>(bytes), length);
                    PQfreemem(bytes);
                } else {
                    cells[static_cast<size_t>(c)] = std::string(text, static_cast<size_t>(PQgetlength(result, r, c)));
                }
            }
            rows.AddRow(std::move(cells));
        }
        return rows;
    }

    PGconn* connection_ = nullptr;
    std::map<std::string, std::string> names_;
};

}  // namespace

std::unique_ptr<SqlConnection> kp_scores_OpenPostgres(const std::string& url) {
    return std::make_unique<PostgresConnection>(url);
}
