// The routes as a player, the game and a hostile client use them, over real
// HTTP on the real database: one table of requests in order, each with the
// status and a piece of the answer it must get. Later rows read what earlier
// rows stored.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>

#include "server/board_key.h"
#include "tests/server/server_fixture.h"

namespace {

struct Row {
    const char* what;
    const char* method;
    std::string path;                  // "{board1}" stands for level 1's board
    std::function<std::string()> body;
    std::string name;
    std::string key;
    int status;
    std::string contains;              // "" for any body
    std::string lacks = "";            // a piece the answer must not have
};

std::string Level1Board() { return kp_scores_BoardText(SharedQueue().LevelHashes()[0]); }

std::string Substituted(std::string text) {
    const std::string mark = "{board1}";
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark)) text.replace(at, mark.size(), Level1Board());
    return text;
}

std::function<std::string()> File(const std::string& name) {
    return [name] { return TestRun(name); };
}

// A replay changed and written again with a correct checksum: only playing it shows the fault.
std::function<std::string()> Forged(const std::string& name, std::function<void(Replay&)> change) {
    return [name, change] {
        Replay replay = DecodedRun(name);
        change(replay);
        return Encoded(replay);
    };
}

const std::string kHolly = KeyOf(1), kIvy = KeyOf(2), kOther = KeyOf(3);
const std::string kSqlName = "Bo'); DROP TABLE runs;--";

std::string Show(const std::string& text) { return text.size() > 300 ? text.substr(0, 300) + "..." : text; }

void RunRows(ServerUnderTest& server, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        httplib::Client client = server.Client();
        const std::string path = Substituted(row.path);
        const std::string body = row.body ? row.body() : std::string();
        httplib::Headers headers;
        if (!row.name.empty()) headers.emplace("X-Glimmer-Name", row.name);
        if (!row.key.empty()) headers.emplace("X-Glimmer-Key", row.key);
        const std::string method = row.method;
        httplib::Result result = method == "GET"      ? client.Get(path.c_str(), headers)
                                 : method == "POST"   ? client.Post(path.c_str(), headers, body, "application/octet-stream")
                                 : method == "DELETE" ? client.Delete(path.c_str(), headers)
                                                      : client.Put(path.c_str(), headers, body, "application/octet-stream");
        ASSERT_TRUE(result) << row.what << ": no answer (" << httplib::to_string(result.error()) << ")";
        EXPECT_EQ(result->status, row.status) << row.what << ": " << method << " " << path << " answered " << Show(result->body);
        if (!row.contains.empty()) {
            EXPECT_NE(result->body.find(Substituted(row.contains)), std::string::npos)
                << row.what << ": expected \"" << row.contains << "\" in " << Show(result->body);
        }
        if (!row.lacks.empty()) {
            EXPECT_EQ(result->body.find(row.lacks), std::string::npos)
                << row.what << ": did not expect \"" << row.lacks << "\" in " << Show(result->body);
        }
    }
}

TEST(Routes, PostedRunsVerifiedStoredAndReadBack) {
    ServerUnderTest server;
    const std::vector<Row> rows = {
        {"a valid run of level 1 is ranked first", "POST", "/api/runs", File("level01"), "Holly", kHolly, 201,
         R"("id":1,"level":1,"rank":1,"ranked":true)"},
        {"the same run again is answered with the run kept before", "POST", "/api/runs", File("level01"), "Holly", kHolly, 200,
         R"("id":1,)"},
        {"a slower run of the same player is kept but not ranked", "POST", "/api/runs", File("level01-slow"), "Holly", kHolly,
         201, R"("rank":1,"ranked":false)"},
        {"another player's slower run ranks second", "POST", "/api/runs", File("level01-late"), "Ivy", kIvy, 201,
         R"("rank":2,"ranked":true)"},
        {"a run posted by one player cannot be posted by another", "POST", "/api/runs", File("level01"), "Ivy", kIvy, 409,
         "posted before by another player"},
        {"a name belongs to its key, whatever its case", "POST", "/api/runs", File("level02"), "hOLLY", kOther, 409,
         "belongs to another player"},
        {"quotes and SQL in a name are only text", "POST", "/api/runs", File("level02"), kSqlName, kOther, 201,
         R"("level":2,"rank":1)"},
        {"a run of level 3 opens its board", "POST", "/api/runs", File("level03"), "Ivy", kIvy, 201, R"("level":3,"rank":1)"},

        {"one byte edited", "POST", "/api/runs",
         [] {
             std::string bytes = TestRun("level02");
             bytes[30] = static_cast<char>(bytes[30] ^ 0x55);
             return bytes;
         },
         "Ivy", kIvy, 422, "does not verify: damaged or edited"},
        {"cut short", "POST", "/api/runs", [] { return TestRun("level02").substr(0, 40); }, "Ivy", kIvy, 422,
         "does not verify"},
        {"random bytes", "POST", "/api/runs", [] { return std::string(300, '\x9c') + "GLRP"; }, "Ivy", kIvy, 422,
         "does not verify"},
        {"keys held back, checksum made anew", "POST", "/api/runs",
         Forged("level02", [](Replay& r) { for (ReplayRun& run : r.runs) run.keys = 0; }), "Ivy", kIvy, 422,
         "do not reach the exit"},
        {"a faster time claimed by cutting the last keys", "POST", "/api/runs",
         Forged("level02",
                [](Replay& r) {
                    r.updates -= r.runs.back().updates;
                    r.runs.pop_back();
                }),
         "Ivy", kIvy, 422, "do not reach the exit"},
        {"a final state that the run does not reach", "POST", "/api/runs",
         Forged("level02", [](Replay& r) { r.finalState ^= 1; }), "Ivy", kIvy, 422, "not the recorded"},
        {"a run of level 2 that claims to be level 1", "POST", "/api/runs",
         Forged("level02",
                [](Replay& r) {
                    r.level = 1;
                    r.levelHash = DecodedRun("level01").levelHash;
                }),
         "Ivy", kIvy, 422, "does not verify: level 1"},
        {"made on another version of the level", "POST", "/api/runs", Forged("level02", [](Replay& r) { r.levelHash ^= 1; }),
         "Ivy", kIvy, 422, "made on another version of level 2"},
        {"a level known by its hash alone", "POST", "/api/runs", Forged("level02", [](Replay& r) { r.level = 0; }), "Ivy",
         kIvy, 422, "hash alone"},
        {"played at half speed", "POST", "/api/runs", Forged("level02", [](Replay& r) { r.speed = 50; }), "Ivy", kIvy, 422,
         "50 % of the normal speed"},
        {"an hour of standing still", "POST", "/api/runs",
         Forged("level01",
                [](Replay& r) {
                    r.runs = {{0, kBoardMaxUpdates}};
                    r.updates = kBoardMaxUpdates;
                }),
         "Ivy", kIvy, 422, "216000 updates do not reach the exit"},
        {"longer than an hour", "POST", "/api/runs",
         Forged("level01",
                [](Replay& r) {
                    r.runs = {{0, kBoardMaxUpdates + 1}};
                    r.updates = kBoardMaxUpdates + 1;
                }),
         "Ivy", kIvy, 422, "longer than the hour a board takes"},
        {"no body", "POST", "/api/runs", nullptr, "Ivy", kIvy, 400, "no replay"},
        {"more than a replay can be", "POST", "/api/runs", [] { return std::string(kMaxPostBytes + 2, 'x'); }, "Ivy",
         kIvy, 413, ""},
        {"no name", "POST", "/api/runs", File("level04"), "", kIvy, 400, "X-Glimmer-Name"},
        {"no key", "POST", "/api/runs", File("level04"), "Ivy", "", 400, "X-Glimmer-Key"},
        // The name and key rules themselves: Players.NameRules; here, that posts obey them.
        {"a name with a control character", "POST", "/api/runs", File("level04"), "Iv\x01y", kIvy, 400, "printable"},

        {"level 1's board in order", "GET", "/api/levels/1/top", nullptr, "", "", 200,
         R"({"board":"{board1}","level":1,"runs":[{"name":"Holly","rank":1,"run":1,"time":"0:01.85","updates":111},{"name":"Ivy","rank":2)"},
        {"a limit of one", "GET", "/api/levels/1/top?limit=1", nullptr, "", "", 200, R"("name":"Holly")", "Ivy"},
        {"the board by its hash, with a player's place", "GET", "/api/boards/{board1}/top?player=ivy", nullptr, "", "", 200,
         R"("player":{"name":"Ivy","rank":2)"},
        {"a player not on the board", "GET", "/api/boards/{board1}/top?player=nobody", nullptr, "", "", 200,
         R"("player":null)"},
        {"the name with SQL, as written", "GET", "/api/levels/2/top", nullptr, "", "", 200,
         R"("name":"Bo'); DROP TABLE runs;--")"},
        {"a board nobody has posted to is empty", "GET", "/api/boards/00000000/top", nullptr, "", "", 200,
         R"("level":0,"runs":[])"},
        {"limit 0", "GET", "/api/levels/1/top?limit=0", nullptr, "", "", 400, "limit"},
        {"limit not a number", "GET", "/api/levels/1/top?limit=1e3", nullptr, "", "", 400, "limit"},
        {"level 0", "GET", "/api/levels/0/top", nullptr, "", "", 404, "levels 1 to 15"},
        {"level 16", "GET", "/api/levels/16/top", nullptr, "", "", 404, "levels 1 to 15"},
        {"a board key not of hex digits", "GET", "/api/boards/1591E70D/top", nullptr, "", "", 404, "no such route"},
        {"one run as stored", "GET", "/api/runs/1", nullptr, "", "", 200, R"("verified_by":"glimmer-scores )"},
        {"no run", "GET", "/api/runs/999", nullptr, "", "", 404, "no run 999"},
        {"a run's replay", "GET", "/api/runs/1/replay", nullptr, "", "", 200, "GLRP"},
        {"no run's replay", "GET", "/api/runs/99999999999/replay", nullptr, "", "", 404, "no run"},
        {"a player's runs, the best with its place and the slower without", "GET", "/api/players/holly/runs", nullptr, "",
         "", 200, R"("name":"Holly","runs":[{"board":"{board1}","game_version":"1.0.0","id":1,"level":1,)"},
        {"the slower run has no place", "GET", "/api/players/Holly/runs", nullptr, "", "", 200, R"("rank":null)"},
        {"no such player", "GET", "/api/players/nobody/runs", nullptr, "", "", 404, "no player"},
        {"every board", "GET", "/api/boards", nullptr, "", "", 200, R"("board":"{board1}","first":{"name":"Holly")"},
        {"health", "GET", "/api/health", nullptr, "", "", 200, R"("status":"ok")"},
        {"metrics by route and status", "GET", "/metrics", nullptr, "", "", 200,
         R"(glimmer_requests_total{route="/api/runs",status="422"} 12)"},
        {"metrics of what is stored", "GET", "/metrics", nullptr, "", "", 200, "glimmer_runs_stored 5"},
        {"runs cannot be deleted", "DELETE", "/api/runs/1", nullptr, "", "", 405, "does not take DELETE"},
        {"boards cannot be written", "PUT", "/api/levels/1/top", nullptr, "", "", 405, ""},
        {"no such route", "GET", "/api/nowhere", nullptr, "", "", 404, "no such route"},
    };
    RunRows(server, rows);
    // The replay comes back byte for byte.
    httplib::Result replay = server.Client().Get("/api/runs/1/replay");
    ASSERT_TRUE(replay);
    EXPECT_EQ(replay->body, TestRun("level01"));
}

TEST(Routes, FloodsAreRefusedPerAddressAndPerKey) {
    ServerOptions options;
    options.limits = ApiLimits{3, 3600, 5, 3600};
    options.forwardedFor = true;
    ServerUnderTest server(options);
    const std::vector<std::pair<std::string, std::string>> posts = {
        // (address, key): the key's fourth post is refused, from any address;
        // an address's fourth post is refused, with any key.
        {"10.0.0.1", KeyOf(10)}, {"10.0.0.2", KeyOf(10)}, {"10.0.0.3", KeyOf(10)}, {"10.0.0.4", KeyOf(10)},
        {"10.0.0.9", KeyOf(11)}, {"10.0.0.9", KeyOf(12)}, {"10.0.0.9", KeyOf(13)}, {"10.0.0.9", KeyOf(14)},
    };
    const std::vector<int> expected = {400, 400, 400, 429, 400, 400, 400, 429};
    for (size_t i = 0; i < posts.size(); ++i) {
        httplib::Headers headers = {{"X-Forwarded-For", "192.0.2.1, " + posts[i].first},
                                    {"X-Glimmer-Name", "Flood" + std::to_string(i)},
                                    {"X-Glimmer-Key", posts[i].second}};
        // An empty body is refused after the limits are counted: no verification is spent.
        httplib::Result result = server.Client().Post("/api/runs", headers, "", "application/octet-stream");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, expected[i]) << "post " << i << " from " << posts[i].first << ": " << result->body;
        if (expected[i] == 429) {
            EXPECT_FALSE(result->get_header_value("Retry-After").empty()) << "post " << i;
        }
    }
    for (int i = 0; i < 6; ++i) {
        httplib::Result result = server.Client().Get("/api/levels/1/top", {{"X-Forwarded-For", "10.0.0.7"}});
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, i < 5 ? 200 : 429) << "read " << i;
    }
    // Health stays reachable for the balancer's checks.
    httplib::Result health = server.Client().Get("/api/health", {{"X-Forwarded-For", "10.0.0.7"}});
    ASSERT_TRUE(health);
    EXPECT_EQ(health->status, 200);
}

// Holds the verifying game until released, as a long run would.
class HeldQueue {
public:
    HeldQueue() {
        auto pending = SharedQueue().Submit([this](RunVerifier&) {
            started_.set_value();
            release_.get_future().wait();
            return RunVerdict();
        });
        held_ = std::move(*pending);
        started_.get_future().wait();
    }
    ~HeldQueue() { Release(); }
    void Release() {
        if (released_) return;
        released_ = true;
        release_.set_value();
        held_.wait();
    }

private:
    std::promise<void> started_, release_;
    std::future<RunVerdict> held_;
    bool released_ = false;
};

TEST(Routes, AFullVerificationQueueAnswersBusy) {
    ServerUnderTest server;
    std::vector<std::future<RunVerdict>> waiting;
    {
        HeldQueue held;
        while (auto pending = SharedQueue().Submit([](RunVerifier&) { return RunVerdict(); })) {
            waiting.push_back(std::move(*pending));
        }
        EXPECT_EQ(SharedQueue().Waiting(), 8u);
        httplib::Result busy = server.Post(TestRun("level01"), "Holly", kHolly);
        ASSERT_TRUE(busy);
        EXPECT_EQ(busy->status, 503) << busy->body;
        EXPECT_NE(busy->body.find("busy"), std::string::npos) << busy->body;
        EXPECT_EQ(busy->get_header_value("Retry-After"), "5");
        httplib::Result metrics = server.Client().Get("/metrics");
        ASSERT_TRUE(metrics);
        EXPECT_NE(metrics->body.find("glimmer_verification_queue_length 8"), std::string::npos) << metrics->body;
    }
    for (auto& verdict : waiting) verdict.wait();
    httplib::Result later = server.Post(TestRun("level01"), "Holly", kHolly);
    ASSERT_TRUE(later);
    EXPECT_EQ(later->status, 201) << later->body;
}

TEST(Routes, AStoppingServerFinishesTheRunsUnderWayAndTakesNoNew) {
    ServerUnderTest server;
    HeldQueue held;
    auto underWay = std::async(std::launch::async, [&server] { return server.Post(TestRun("level02"), "Holly", kHolly); });
    while (SharedQueue().Waiting() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    server.Api().Drain();
    httplib::Result refused = server.Post(TestRun("level03"), "Holly", kHolly);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 503) << refused->body;
    EXPECT_NE(refused->body.find("stopping"), std::string::npos) << refused->body;
    auto stopping = std::async(std::launch::async, [&server] { server.Stop(); });
    held.Release();
    stopping.wait();
    httplib::Result accepted = underWay.get();
    ASSERT_TRUE(accepted) << "the run under way got no answer";
    EXPECT_EQ(accepted->status, 201) << accepted->body;
    EXPECT_EQ(server.Store().RunCount(), 1);
}

TEST(Routes, TheWebFolderAndNothingBesideIt) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("glimmer-web-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "site");
    std::ofstream(folder / "site" / "index.html") << "<title>Glimmer</title>";
    std::ofstream(folder / "secret.txt") << "not for the web";
    {
        ServerOptions options;
        options.webFolder = (folder / "site").string();
        ServerUnderTest server(options);
        httplib::Result index = server.Client().Get("/");
        ASSERT_TRUE(index);
        EXPECT_EQ(index->status, 200);
        EXPECT_EQ(index->body, "<title>Glimmer</title>");
        httplib::Result api = server.Client().Get("/api/health");
        ASSERT_TRUE(api);
        EXPECT_EQ(api->status, 200) << "the routes beside the web folder";
        for (const char* path : {"/../secret.txt", "/%2e%2e/secret.txt", "/..%2fsecret.txt", "/site/../../secret.txt",
                                 "//../secret.txt", "/.%2e/secret.txt"}) {
            const std::string answer = RawRequest(server.Port(), std::string("GET ") + path + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
            EXPECT_EQ(answer.find("not for the web"), std::string::npos) << path << " left the web folder: " << answer;
            EXPECT_EQ(answer.find("HTTP/1.1 200"), std::string::npos) << path << ": " << answer;
        }
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
