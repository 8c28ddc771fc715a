#include "tests/server/server_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string TestRun(const std::string& name) {
    const std::string path = std::string(GLIMMER_SERVER_RUNS) + "/" + name + ".glimmer-replay";
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("no test run " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Replay DecodedRun(const std::string& name) {
    const std::string bytes = TestRun(name);
    Replay replay;
    if (!kp_replay_Decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &replay, nullptr)) {
        throw std::runtime_error("test run " + name + " does not decode");
    }
    return replay;
}

std::string Encoded(const Replay& replay) {
    const std::vector<unsigned char> bytes = kp_replay_Encode(replay);
    return std::string(bytes.begin(), bytes.end());
}

VerificationQueue& SharedQueue() {
    static VerificationQueue* queue = new VerificationQueue(8);
    return *queue;
}

std::string TestDatabaseKind() { return Env("GLIMMER_TEST_DATABASE").empty() ? "sqlite" : "postgresql"; }

std::string KeyOf(int n) {
    std::string key = "testkey-" + std::to_string(n) + "-";
    while (key.size() < 40) key += static_cast<char>('a' + key.size() % 26);
    return key;
}

ServerUnderTest::ServerUnderTest(const ServerOptions& options) {
    std::string url = Env("GLIMMER_TEST_DATABASE");
    if (url.empty()) {
        folder_ = (std::filesystem::temp_directory_path() / ("glimmer-scores-test-" + std::to_string(getpid()))).string();
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        url = "sqlite:" + folder_ + "/scores.db";
    }
    pool_ = SqlPool::Open(url, 8);
    if (pool_->Kind() == "postgresql") {
        SqlLease connection = pool_->Acquire();
        connection->RunScript("DROP SCHEMA public CASCADE; CREATE SCHEMA public;");
    }
    store_ = std::make_unique<ScoreStore>(*pool_);
    store_->Migrate();
    api_ = std::make_unique<ScoreApi>(*store_, SharedQueue(), metrics_, options.limits);
    HttpOptions http;
    http.address = "127.0.0.1";
    http.port = 0;
    http.threads = 4;
    http.quiet = true;
    http.webFolder = options.webFolder;
    http.forwardedFor = options.forwardedFor;
    http_ = std::make_unique<HttpServer>(*api_, http);
    if (!http_->Bind()) throw std::runtime_error("the test server cannot listen");
    port_ = http_->BoundPort();
    serving_ = std::thread([this] { http_->Serve(); });
}

ServerUnderTest::~ServerUnderTest() {
    Stop();
    http_.reset();
    store_.reset();
    pool_.reset();
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
}

void ServerUnderTest::Stop() {
    if (!serving_.joinable()) return;
    http_->Stop();
    serving_.join();
}

httplib::Client ServerUnderTest::Client() const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(300, 0);  // an hour-long run takes seconds to play, more on a busy machine
    return client;
}

httplib::Result ServerUnderTest::Post(const std::string& bytes, const std::string& name, const std::string& key) const {
    httplib::Headers headers;
    if (!name.empty()) headers.emplace("X-Glimmer-Name", name);
    if (!key.empty()) headers.emplace("X-Glimmer-Key", key);
    return Client().Post("/api/runs", headers, bytes, "application/octet-stream");
}

std::string RawRequest(int port, const std::string& request) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        shutdown(fd, SHUT_WR);
        char buffer[4096];
        ssize_t got = 0;
        while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) answer.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return answer;
}
