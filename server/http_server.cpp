#include "server/http_server.h"

#include <httplib.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// When the request being answered on this thread came in.
thread_local Clock::time_point requestStart;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Log lines carry the path only up to a bounded length, with anything
// unprintable escaped: a hostile path cannot forge or flood the log.
std::string Printable(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size() && i < 200; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x21 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            out += escaped;
        }
    }
    if (text.size() > 200) out += "...";
    return out;
}

std::string Timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace

struct HttpServer::Impl {
    ScoreApi& api;
    HttpOptions options;
    httplib::Server server;
    std::mutex mutex;
    bool stopRequested = false;
    bool serving = false;
    int active = 0;                      // requests being answered
    Clock::time_point lastActivity = Clock::now();

    void Began() {
        std::lock_guard<std::mutex> lock(mutex);
        ++active;
        lastActivity = Clock::now();
    }
    void Ended() {
        std::lock_guard<std::mutex> lock(mutex);
        if (active > 0) --active;
        lastActivity = Clock::now();
    }

    Impl(ScoreApi& scoreApi, const HttpOptions& given) : api(scoreApi), options(given) {}

    std::string ClientAddress(const httplib::Request& request) const {
        if (options.forwardedFor && request.has_header("X-Forwarded-For")) {
            const std::string chain = request.get_header_value("X-Forwarded-For");
            const size_t comma = chain.rfind(',');
            std::string last = comma == std::string::npos ? chain : chain.substr(comma + 1);
            while (!last.empty() && last.front() == ' ') last.erase(last.begin());
            if (!last.empty()) return last;
        }
        return request.remote_addr;
    }

    void Answer(const httplib::Request& request, httplib::Response& response) {
        ApiRequest in;
        in.method = request.method;
        in.path = request.path;
        for (const auto& [name, value] : request.params) in.query.emplace(name, value);
        for (const auto& [name, value] : request.headers) in.headers[Lower(name)] = value;
        in.body = request.body;
        in.remoteAddress = ClientAddress(request);
        const ApiResponse out = api.Handle(in);
        response.status = out.status;
        for (const auto& [name, value] : out.headers) response.set_header(name, value);
        if (out.verifyMillis >= 0) {
            char timing[48];
            std::snprintf(timing, sizeof timing, "verify;dur=%.2f", out.verifyMillis);
            response.set_header("Server-Timing", timing);
        }
        response.set_content(out.body, out.contentType.c_str());
    }

    void Log(const httplib::Request& request, const httplib::Response& response) const {
        if (options.quiet) return;
        const double millis = std::chrono::duration<double, std::milli>(Clock::now() - requestStart).count();
        std::string verify = "-";
        const std::string timing = response.get_header_value("Server-Timing");
        if (timing.compare(0, 11, "verify;dur=") == 0) verify = timing.substr(11) + "ms";
        std::printf("%s %s %s %s %d %.1fms verify %s\n", Timestamp().c_str(), ClientAddress(request).c_str(),
                    Printable(request.method).c_str(), Printable(request.path).c_str(), response.status, millis,
                    verify.c_str());
        std::fflush(stdout);
    }
};

HttpServer::HttpServer(ScoreApi& api, const HttpOptions& options) : impl_(new Impl(api, options)) {
    httplib::Server& server = impl_->server;
    const int threads = options.threads < 1 ? 1 : options.threads;
    server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
    // A larger body than a run's replay can be is refused (413) before it is read whole.
    server.set_payload_max_length(kMaxPostBytes + 1);
    // Answers go out at once: without it the body waits on the client's delayed acknowledgement.
    server.set_tcp_nodelay(true);
    server.set_read_timeout(10, 0);
    server.set_write_timeout(10, 0);
    server.set_pre_routing_handler([this](const httplib::Request&, httplib::Response&) {
        requestStart = Clock::now();
        impl_->Began();
        return httplib::Server::HandlerResponse::Unhandled;
    });
    if (!options.webFolder.empty()) {
        server.set_mount_point("/", options.webFolder);
        server.set_file_extension_and_mimetype_mapping("wasm", "application/wasm");
        server.set_file_extension_and_mimetype_mapping("data", "application/octet-stream");
    }
    auto answer = [this](const httplib::Request& request, httplib::Response& response) { impl_->Answer(request, response); };
    server.Get(".*", answer);
    server.Post(".*", answer);
    server.Put(".*", answer);
    server.Delete(".*", answer);
    server.Patch(".*", answer);
    server.Options(".*", answer);
    server.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
        impl_->Log(request, response);
        impl_->Ended();
    });
}

HttpServer::~HttpServer() = default;

bool HttpServer::Bind() {
    httplib::Server& server = impl_->server;
    if (impl_->options.port == 0) {
        port_ = server.bind_to_any_port(impl_->options.address.c_str());
    } else {
        port_ = server.bind_to_port(impl_->options.address.c_str(), impl_->options.port) ? impl_->options.port : -1;
    }
    if (port_ <= 0) {
        std::fprintf(stderr, "glimmer-scores: cannot listen on %s port %d\n", impl_->options.address.c_str(),
                     impl_->options.port);
        return false;
    }
    return true;
}

void HttpServer::Serve() {
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        if (impl_->stopRequested) return;
        impl_->serving = true;
    }
    impl_->server.listen_after_bind();
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->serving = false;
}

void HttpServer::WaitQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds longest) {
    const Clock::time_point until = Clock::now() + longest;
    while (Clock::now() < until) {
        {
            std::lock_guard<std::mutex> lock(impl_->mutex);
            if (impl_->active == 0 && Clock::now() - impl_->lastActivity >= quiet) return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// The library's stop does nothing before its listening loop runs: a stop
// asked for in that moment waits for the loop (or for Serve not to start it).
void HttpServer::Stop() {
    bool serving = false;
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        impl_->stopRequested = true;
        serving = impl_->serving;
    }
    while (serving && !impl_->server.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::lock_guard<std::mutex> lock(impl_->mutex);
        serving = impl_->serving;
    }
    impl_->server.stop();
}
