// The score server under test: its real database (a new SQLite file per
// test, or the PostgreSQL named by GLIMMER_TEST_DATABASE, emptied per test),
// the one verifying game of the process, and the routes served over HTTP on
// a loopback port that the tests reach with a real client.
#pragma once

#include <httplib.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "game/world/replay_file.h"
#include "server/http_server.h"
#include "server/metrics.h"
#include "server/score_api.h"
#include "server/score_store.h"
#include "server/verification_queue.h"

// Replay files recorded from the committed solver scripts at build time
// (GLIMMER_SERVER_RUNS): "level01" .. "level15", and level 1 played later
// ("level01-late", "level01-slow", 10 and 30 updates slower).
std::string TestRun(const std::string& name);
Replay DecodedRun(const std::string& name);
std::string Encoded(const Replay& replay);

// The process's one verification queue (the game runs once per process).
VerificationQueue& SharedQueue();

// "sqlite" or "postgresql": the backend these tests run on.
std::string TestDatabaseKind();

struct ServerOptions {
    ApiLimits limits{1000, 0.001, 1000, 0.001};   // no limit a test meets by accident
    std::string webFolder;
    bool forwardedFor = false;
};

class ServerUnderTest {
public:
    explicit ServerUnderTest(const ServerOptions& options = {});
    ~ServerUnderTest();

    httplib::Client Client() const;
    int Port() const { return port_; }
    SqlPool& Pool() { return *pool_; }
    ScoreStore& Store() { return *store_; }
    ScoreApi& Api() { return *api_; }
    void Stop();   // the HTTP server stops after the requests under way

    // POST /api/runs with the replay's bytes, as NAME with KEY.
    httplib::Result Post(const std::string& bytes, const std::string& name, const std::string& key) const;

private:
    std::string folder_;
    std::unique_ptr<SqlPool> pool_;
    std::unique_ptr<ScoreStore> store_;
    Metrics metrics_;
    std::unique_ptr<ScoreApi> api_;
    std::unique_ptr<HttpServer> http_;
    std::thread serving_;
    int port_ = 0;
};

// A raw request written to the port as it stands (no client tidies it up);
// the whole answer as read until the server closes.
std::string RawRequest(int port, const std::string& request);
// A player key of the form the game makes, different for each n.
std::string KeyOf(int n);
