// The routes over HTTP (cpp-httplib): a pool of request threads, one log
// line per request on standard output, the browser build's folder served
// beside the routes, and a stop that finishes the requests under way.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "server/score_api.h"

struct HttpOptions {
    std::string address = "0.0.0.0";
    int port = 8080;                 // 0: any free port (BoundPort tells which)
    int threads = 16;
    std::string webFolder;           // served at "/" when set
    bool forwardedFor = false;       // the client's address is the last of X-Forwarded-For (behind a balancer)
    bool quiet = false;              // no request log
};

class HttpServer {
public:
    HttpServer(ScoreApi& api, const HttpOptions& options);
    ~HttpServer();
    // Binds the address; false (and why on standard error) when it cannot.
    bool Bind();
    int BoundPort() const { return port_; }
    // Serves until Stop(); the requests under way are finished first.
    void Serve();
    // Waits until no request has been under way for `quiet` (at most `longest`):
    // after a drain, the requests that came in have had their answers.
    void WaitQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds longest);
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int port_ = 0;
};
