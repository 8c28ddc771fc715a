// The browser's background requests: the page's fetch (emscripten's Fetch
// API). A URL that is a path goes to the page's own origin.
#include <emscripten/fetch.h>

#include <cstring>
#include <map>

#include "host/http_client.h"

namespace {

// Requests under way and their answers, by ticket; fetch calls back between updates.
struct Pending {
    std::vector<std::string> headerText;   // kept alive for the fetch: name, value, ...
    std::vector<const char*> headers;
    std::vector<unsigned char> body;
    bool done = false;
    HttpAnswer answer;
};
std::map<int, Pending> g_pending;
int g_lastTicket = 0;

void Finished(emscripten_fetch_t* fetch) {
    const int ticket = static_cast<int>(reinterpret_cast<intptr_t>(fetch->userData));
    const auto found = g_pending.find(ticket);
    if (found != g_pending.end()) {
        Pending& pending = found->second;
        pending.done = true;
        pending.answer.status = fetch->status;
        if (fetch->status == 0) pending.answer.error = "no server answered";
        if (fetch->data && fetch->numBytes > 0) {
            pending.answer.body.assign(fetch->data, fetch->data + fetch->numBytes);
        }
    }
    emscripten_fetch_close(fetch);
}

}  // namespace

int kp_http_Send(const HttpRequest& request) {
    const int ticket = ++g_lastTicket;
    Pending& pending = g_pending[ticket];
    for (const auto& [name, value] : request.headers) {
        pending.headerText.push_back(name);
        pending.headerText.push_back(value);
    }
    for (const std::string& text : pending.headerText) pending.headers.push_back(text.c_str());
    pending.headers.push_back(nullptr);
    pending.body = request.body;
    emscripten_fetch_attr_t attr;
    emscripten_fetch_attr_init(&attr);
    std::strncpy(attr.requestMethod, request.method.c_str(), sizeof attr.requestMethod - 1);
    attr.attributes = EMSCRIPTEN_FETCH_LOAD_TO_MEMORY;
    attr.onsuccess = Finished;
    attr.onerror = Finished;
    attr.timeoutMSecs = static_cast<unsigned long>(request.timeoutSeconds) * 1000;
    attr.userData = reinterpret_cast<void*>(static_cast<intptr_t>(ticket));
    attr.requestHeaders = pending.headers.data();
    if (!pending.body.empty()) {
        attr.requestData = reinterpret_cast<const char*>(pending.body.data());
        attr.requestDataSize = pending.body.size();
    }
    emscripten_fetch(&attr, request.url.c_str());
    return ticket;
}

bool kp_http_Take(int ticket, HttpAnswer* answer) {
    const auto found = g_pending.find(ticket);
    if (found == g_pending.end() || !found->second.done) return false;
    *answer = std::move(found->second.answer);
    g_pending.erase(found);
    return true;
}

// No request blocks in a page.
HttpAnswer kp_http_Exchange(const HttpRequest&) {
    HttpAnswer answer;
    answer.error = "no blocking requests in the browser";
    return answer;
}
