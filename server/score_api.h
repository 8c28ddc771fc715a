// The score server's routes, apart from any HTTP library: a request in, a
// response out. The HTTP server (http_server.h) and the fuzz target feed it.
//
//   POST /api/runs                     a replay's bytes; X-Glimmer-Name, X-Glimmer-Key
//   GET  /api/levels/N/top?limit=K     level N of this build's fifteen
//   GET  /api/boards/HASH/top?limit=K  any board (&player=NAME adds that player's place)
//   GET  /api/boards                   every board
//   GET  /api/runs/ID                  one run, as stored
//   GET  /api/runs/ID/replay           its replay's bytes
//   GET  /api/players/NAME/runs        a player's runs and places
//   GET  /api/health                   200 while the database answers
//   GET  /metrics                      Prometheus text
#pragma once

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "server/metrics.h"
#include "server/rate_limit.h"
#include "server/score_store.h"
#include "server/verification_queue.h"

// The largest body a post may have: a replay of the hour a board takes is far smaller.
constexpr size_t kMaxPostBytes = 1 << 20;

struct ApiRequest {
    std::string method;
    std::string path;                                 // decoded, without the query
    std::multimap<std::string, std::string> query;    // decoded
    std::map<std::string, std::string> headers;       // names in lower case
    std::string body;
    std::string remoteAddress;
};

struct ApiResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string route;             // the route's pattern, for logs and metrics
    double verifyMillis = -1;      // CPU time of the verification, when one ran
};

struct ApiLimits {
    double postBurst = 10;         // posts at once, per key and per address
    double postEverySeconds = 6;   // then one per this many seconds
    double readBurst = 200;        // reads at once, per address
    double readEverySeconds = 0.01;
};

class ScoreApi {
public:
    ScoreApi(ScoreStore& store, VerificationQueue& queue, Metrics& metrics, const ApiLimits& limits = {});

    ApiResponse Handle(const ApiRequest& request);
    // From now on posts are answered 503: the server is stopping.
    void Drain() { draining_ = true; }

private:
    ApiResponse PostRun(const ApiRequest& request);
    ApiResponse Top(const ApiRequest& request, uint32_t board);
    ApiResponse Boards();
    ApiResponse Run(int64_t id);
    ApiResponse Replay(int64_t id);
    ApiResponse PlayerRuns(const std::string& name);
    ApiResponse Health();
    ApiResponse MetricsText();
    int LevelOfBoard(uint32_t board) const;   // this build's number of the level, 0 when none

    ScoreStore& store_;
    VerificationQueue& queue_;
    Metrics& metrics_;
    RateLimiter postsByAddress_;
    RateLimiter postsByKey_;
    RateLimiter readsByAddress_;
    std::atomic<bool> draining_{false};
};
