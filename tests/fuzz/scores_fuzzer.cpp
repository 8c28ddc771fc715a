// libFuzzer target: the score server's request handling, on any request.
// The bytes are a request: a method chosen by the first byte, the path up to
// the first newline, header lines up to an empty line, then the body (a
// replay, for a post); the routes run on a real SQLite file and the real
// verifying game. Whatever comes in, the answer is one of the statuses the
// routes document (never 500), and a JSON answer parses.
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "server/score_api.h"
#include "tests/fuzz/fuzz_check.h"

const char* const kFuzzTarget = "scores fuzzer";

namespace {

struct Server {
    std::unique_ptr<SqlPool> pool;
    std::unique_ptr<ScoreStore> store;
    VerificationQueue queue{4};
    Metrics metrics;
    std::unique_ptr<ScoreApi> api;

    Server() {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("glimmer-scores-fuzz-" + std::to_string(getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        pool = SqlPool::Open("sqlite:" + (folder / "scores.db").string(), 2);
        store = std::make_unique<ScoreStore>(*pool);
        store->Migrate();
        api = std::make_unique<ScoreApi>(*store, queue, metrics, ApiLimits{1e9, 1e-9, 1e9, 1e-9});
    }
};

Server& TheServer() {
    static Server* server = new Server();
    return *server;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* bytes, size_t size) {
    if (size == 0) return 0;
    static const char* const kMethods[] = {"GET", "POST", "PUT", "DELETE", "HEAD", "OPTIONS", "PATCH", "GET"};
    ApiRequest request;
    request.method = kMethods[bytes[0] & 7];
    request.remoteAddress = "127.0.0.1";
    const std::string text(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    size_t at = text.find('\n');
    const std::string target = text.substr(0, at);
    const size_t question = target.find('?');
    request.path = target.substr(0, question);
    if (question != std::string::npos) {
        // name=value pairs split on '&', as the HTTP server hands them over decoded.
        std::string query = target.substr(question + 1);
        for (size_t start = 0; start <= query.size();) {
            const size_t end = std::min(query.find('&', start), query.size());
            const std::string pair = query.substr(start, end - start);
            const size_t equals = pair.find('=');
            request.query.emplace(pair.substr(0, equals), equals == std::string::npos ? "" : pair.substr(equals + 1));
            start = end + 1;
        }
    }
    while (at != std::string::npos) {
        const size_t next = text.find('\n', at + 1);
        const std::string line = text.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
        at = next;
        if (line.empty()) break;
        const size_t colon = line.find(": ");
        if (colon != std::string::npos) request.headers[line.substr(0, colon)] = line.substr(colon + 2);
    }
    if (at != std::string::npos) request.body = text.substr(at + 1);

    const ApiResponse response = TheServer().api->Handle(request);
    static const std::set<int> kDocumented = {200, 201, 400, 404, 405, 409, 413, 422, 429, 503};
    Check(kDocumented.count(response.status) == 1, "status " + std::to_string(response.status) + " for " +
                                                       request.method + " " + request.path + ": " + response.body);
    if (response.contentType == "application/json") {
        Check(nlohmann::json::accept(response.body), "an answer that is not JSON: " + response.body);
    }
    return 0;
}
