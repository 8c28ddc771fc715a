// Requests over HTTP that never hold the game's update: each one is sent in
// the background (a worker thread on the desktop and on Windows, the page's
// fetch in the browser) and its answer is taken by polling, once an update.
//
//   Linux     libcurl          host/posix/http_exchange.cpp, run by host/http_worker.cpp
//   Windows   WinHTTP          host/win32/http_exchange.cpp, run by host/http_worker.cpp
//   browser   fetch            host/web/http_client.cpp
#pragma once

#include <string>
#include <utility>
#include <vector>

struct HttpRequest {
    std::string method = "GET";
    std::string url;                                           // absolute, or a path of the page's own origin (browser)
    std::vector<std::pair<std::string, std::string>> headers;
    std::vector<unsigned char> body;
    int timeoutSeconds = 20;
};

struct HttpAnswer {
    int status = 0;                      // the HTTP status; 0 when no server answered
    std::vector<unsigned char> body;
    std::string error;                   // why there is no answer, when status is 0
};

// Starts a request in the background; its ticket, above 0.
int kp_http_Send(const HttpRequest& request);
// The answer of a ticket once it is in (true; the ticket is then forgotten);
// false while it is under way, or for a ticket it does not know.
bool kp_http_Take(int ticket, HttpAnswer* answer);

// One request, answered before it returns (the worker's own, on the desktop).
HttpAnswer kp_http_Exchange(const HttpRequest& request);
