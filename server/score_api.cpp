#include "server/score_api.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <regex>

#include "game/world/replay_file.h"
#include "server/board_key.h"
#include "server/players.h"

using nlohmann::json;

namespace {

constexpr int kDefaultLimit = 10;
constexpr int kMaxLimit = 100;
constexpr int kPlayerRunsLimit = 1000;
constexpr int kBusyRetrySeconds = 5;

ApiResponse Json(int status, const json& body) {
    ApiResponse response;
    response.status = status;
    // Names are the players' text: invalid UTF-8 is replaced, never a failure.
    response.body = body.dump(-1, ' ', false, json::error_handler_t::replace);
    return response;
}

ApiResponse Error(int status, const std::string& why) { return Json(status, {{"error", why}}); }

std::string Header(const ApiRequest& request, const std::string& name) {
    auto found = request.headers.find(name);
    return found == request.headers.end() ? std::string() : found->second;
}

// A decimal number of at most 18 digits, or -1.
int64_t Number(const std::string& text) {
    if (text.empty() || text.size() > 18) return -1;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

json EntryJson(const BoardEntry& entry) {
    return {{"rank", entry.rank},
            {"name", entry.name},
            {"updates", entry.updates},
            {"time", kp_replay_TimeText(entry.updates)},
            {"run", entry.run}};
}

}  // namespace

ScoreApi::ScoreApi(ScoreStore& store, VerificationQueue& queue, Metrics& metrics, const ApiLimits& limits)
    : store_(store),
      queue_(queue),
      metrics_(metrics),
      postsByAddress_(limits.postBurst, limits.postEverySeconds),
      postsByKey_(limits.postBurst, limits.postEverySeconds),
      readsByAddress_(limits.readBurst, limits.readEverySeconds) {}

int ScoreApi::LevelOfBoard(uint32_t board) const {
    const std::vector<uint32_t>& levels = queue_.LevelHashes();
    for (size_t n = 0; n < levels.size(); ++n) {
        if (levels[n] == board) return static_cast<int>(n + 1);
    }
    return 0;
}

ApiResponse ScoreApi::Handle(const ApiRequest& request) {
    static const std::regex levelTop(R"(/api/levels/([0-9]{1,3})/top)");
    static const std::regex boardTop(R"(/api/boards/([0-9a-f]{8})/top)");
    static const std::regex run(R"(/api/runs/([0-9]{1,18}))");
    static const std::regex replay(R"(/api/runs/([0-9]{1,18})/replay)");
    static const std::regex playerRuns(R"(/api/players/([^/]{1,64})/runs)");
    const std::string& path = request.path;
    const bool get = request.method == "GET" || request.method == "HEAD";
    std::smatch match;
    ApiResponse response;
    std::string route;
    bool known = true;
    bool methodOk = get;
    try {
        if (path == "/api/runs") {
            route = "/api/runs";
            methodOk = request.method == "POST";
            if (methodOk) response = PostRun(request);
        } else if (!get || path.compare(0, 5, "/api/") != 0 || path == "/api/health" ||
                   readsByAddress_.Allow(request.remoteAddress)) {
            if (path == "/api/health") {
                route = path;
                if (get) response = Health();
            } else if (path == "/metrics") {
                route = path;
                if (get) response = MetricsText();
            } else if (path == "/api/boards") {
                route = path;
                if (get) response = Boards();
            } else if (std::regex_match(path, match, levelTop)) {
                route = "/api/levels/:n/top";
                const int64_t level = Number(match[1]);
                const std::vector<uint32_t>& levels = queue_.LevelHashes();
                if (!get) {
                } else if (level < 1 || level > static_cast<int64_t>(levels.size())) {
                    response = Error(404, "there are levels 1 to " + std::to_string(levels.size()));
                } else {
                    response = Top(request, levels[static_cast<size_t>(level - 1)]);
                }
            } else if (std::regex_match(path, match, boardTop)) {
                route = "/api/boards/:hash/top";
                uint32_t board = 0;
                kp_scores_ParseBoard(match[1], &board);
                if (get) response = Top(request, board);
            } else if (std::regex_match(path, match, run)) {
                route = "/api/runs/:id";
                if (get) response = Run(Number(match[1]));
            } else if (std::regex_match(path, match, replay)) {
                route = "/api/runs/:id/replay";
                if (get) response = Replay(Number(match[1]));
            } else if (std::regex_match(path, match, playerRuns)) {
                route = "/api/players/:name/runs";
                if (get) response = PlayerRuns(match[1]);
            } else {
                known = false;
            }
        } else {
            route = "reads";
            response = Error(429, "too many requests from this address: try again shortly");
            response.headers.emplace_back("Retry-After", "1");
        }
    } catch (const DatabaseUnavailable& e) {
        std::fprintf(stderr, "glimmer-scores: database unavailable: %s\n", e.what());
        response = Error(503, "the database is unavailable: try again later");
        response.headers.emplace_back("Retry-After", "10");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "glimmer-scores: %s %s: %s\n", request.method.c_str(), path.c_str(), e.what());
        response = Error(500, "the server failed on this request");
    }
    if (!known) {
        route = "unknown";
        response = Error(404, "no such route");
    } else if (!methodOk) {
        response = Error(405, "this route does not take " + request.method.substr(0, 16));
    }
    response.route = route;
    metrics_.CountRequest(route, response.status);
    return response;
}

ApiResponse ScoreApi::PostRun(const ApiRequest& request) {
    if (draining_) return Error(503, "the server is stopping: post again shortly");
    const std::string name = Header(request, "x-glimmer-name");
    const std::string key = Header(request, "x-glimmer-key");
    if (name.empty() || key.empty()) return Error(400, "a run needs the X-Glimmer-Name and X-Glimmer-Key headers");
    std::string problem = kp_scores_NameProblem(name);
    if (problem.empty()) problem = kp_scores_KeyProblem(key);
    if (!problem.empty()) return Error(400, problem);
    // The address first: a flood of new keys from one address is still one flood.
    if (!postsByAddress_.Allow(request.remoteAddress)) {
        ApiResponse response = Error(429, "too many runs from this address: try again later");
        response.headers.emplace_back("Retry-After", std::to_string(postsByAddress_.RetryAfter(request.remoteAddress)));
        return response;
    }
    const std::string keyHash = kp_scores_KeyHash(key);
    if (!postsByKey_.Allow(keyHash)) {
        ApiResponse response = Error(429, "too many runs from this player: try again later");
        response.headers.emplace_back("Retry-After", std::to_string(postsByKey_.RetryAfter(keyHash)));
        return response;
    }
    if (request.body.empty()) return Error(400, "the body holds no replay");
    if (request.body.size() > kMaxPostBytes) return Error(413, "a run's replay file is at most 1 MiB");
    if (!store_.NameAvailable(name, keyHash)) return Error(409, "the name \"" + name + "\" belongs to another player");
    // What the header alone refuses costs no place in the verification queue.
    ::Replay header;
    std::string why;
    if (!kp_replay_DecodeHeader(reinterpret_cast<const unsigned char*>(request.body.data()), request.body.size(), &header,
                                &why)) {
        return Error(422, "the run does not verify: " + why);
    }
    if (header.updates > kBoardMaxUpdates) {
        return Error(422, "the run does not verify: longer than the hour a board takes (" +
                              std::to_string(header.updates) + " updates)");
    }

    std::optional<std::future<RunVerdict>> pending =
        queue_.SubmitRun(std::vector<unsigned char>(request.body.begin(), request.body.end()));
    if (!pending) {
        ApiResponse response = Error(503, "the server is busy verifying other runs: try again shortly");
        response.headers.emplace_back("Retry-After", std::to_string(kBusyRetrySeconds));
        return response;
    }
    const RunVerdict verdict = pending->get();
    metrics_.ObserveVerification(verdict.cpuMillis / 1000, verdict.valid);
    ApiResponse response;
    if (!verdict.valid) {
        response = Error(422, "the run does not verify: " + verdict.reason);
        response.verifyMillis = verdict.cpuMillis;
        return response;
    }
    NewRun run;
    run.name = name;
    run.keyHash = keyHash;
    run.board = verdict.board;
    run.level = verdict.level;
    run.updates = verdict.updates;
    run.scheme = verdict.scheme;
    run.replay.assign(request.body.begin(), request.body.end());
    run.gameVersion = verdict.gameVersion;
    run.verifiedBy = kp_scores_BuildId();
    const StoreResult stored = store_.Store(run);
    switch (stored.outcome) {
        case StoreResult::kNameTaken:
            response = Error(409, "the name \"" + name + "\" belongs to another player");
            break;
        case StoreResult::kPostedByAnother:
            response = Error(409, "this run was posted before by another player");
            break;
        case StoreResult::kStored:
        case StoreResult::kAlreadyPosted:
            response = Json(stored.outcome == StoreResult::kStored ? 201 : 200,
                            {{"id", stored.run},
                             {"rank", stored.rank},
                             {"ranked", stored.ranked},
                             {"board", kp_scores_BoardText(verdict.board)},
                             {"level", verdict.level},
                             {"updates", verdict.updates},
                             {"time", kp_replay_TimeText(verdict.updates)},
                             {"best_run", stored.bestRun},
                             {"best_updates", stored.bestUpdates},
                             {"best_time", kp_replay_TimeText(stored.bestUpdates)}});
            break;
    }
    response.verifyMillis = verdict.cpuMillis;
    return response;
}

ApiResponse ScoreApi::Top(const ApiRequest& request, uint32_t board) {
    int64_t limit = kDefaultLimit;
    auto given = request.query.find("limit");
    if (given != request.query.end()) {
        limit = Number(given->second);
        if (limit < 1 || limit > kMaxLimit) return Error(400, "limit is a number from 1 to " + std::to_string(kMaxLimit));
    }
    json runs = json::array();
    for (const BoardEntry& entry : store_.Top(board, static_cast<int>(limit))) runs.push_back(EntryJson(entry));
    json body = {{"board", kp_scores_BoardText(board)}, {"level", LevelOfBoard(board)}, {"runs", runs}};
    auto player = request.query.find("player");
    if (player != request.query.end()) {
        const std::optional<BoardEntry> entry = store_.PlayerOnBoard(board, player->second);
        body["player"] = entry ? EntryJson(*entry) : json(nullptr);
    }
    return Json(200, body);
}

ApiResponse ScoreApi::Boards() {
    json boards = json::array();
    for (const BoardSummary& board : store_.Boards()) {
        json entry = {{"board", kp_scores_BoardText(board.board)},
                      {"level", LevelOfBoard(board.board)},
                      {"opened_as_level", board.level},
                      {"players", board.players}};
        const std::vector<BoardEntry> first = store_.Top(board.board, 1);
        entry["first"] = first.empty() ? json(nullptr) : EntryJson(first.front());
        boards.push_back(entry);
    }
    return Json(200, {{"boards", boards}});
}

namespace {

json RunJson(const StoredRun& run) {
    json body = {{"id", run.id},
                 {"name", run.name},
                 {"board", kp_scores_BoardText(run.board)},
                 {"updates", run.updates},
                 {"time", kp_replay_TimeText(run.updates)},
                 {"scheme", run.scheme},
                 {"game_version", run.gameVersion},
                 {"verified_by", run.verifiedBy},
                 {"verified_at", run.verifiedAt},
                 {"posted_at", run.postedAt},
                 {"rank", run.rank > 0 ? json(run.rank) : json(nullptr)}};
    if (!run.refusedReason.empty()) {
        body["refused"] = {{"reason", run.refusedReason}, {"by", run.refusedBy}, {"at", run.refusedAt}};
    }
    return body;
}

}  // namespace

ApiResponse ScoreApi::Run(int64_t id) {
    const std::optional<StoredRun> run = store_.Run(id);
    if (!run) return Error(404, "no run " + std::to_string(id));
    json body = RunJson(*run);
    body["level"] = LevelOfBoard(run->board);
    return Json(200, body);
}

ApiResponse ScoreApi::Replay(int64_t id) {
    const std::optional<SqlBytes> bytes = store_.Replay(id);
    if (!bytes) return Error(404, "no run " + std::to_string(id));
    ApiResponse response;
    response.contentType = "application/octet-stream";
    response.body.assign(bytes->begin(), bytes->end());
    response.headers.emplace_back("Content-Disposition",
                                  "attachment; filename=\"run" + std::to_string(id) + ".glimmer-replay\"");
    return response;
}

ApiResponse ScoreApi::PlayerRuns(const std::string& name) {
    const std::optional<std::string> known = store_.PlayerName(name);
    if (!known) return Error(404, "no player of that name");
    json runs = json::array();
    for (const StoredRun& run : store_.PlayerRuns(name, kPlayerRunsLimit)) {
        json entry = RunJson(run);
        entry.erase("name");
        entry["level"] = LevelOfBoard(run.board);
        runs.push_back(entry);
    }
    return Json(200, {{"name", *known}, {"runs", runs}});
}

ApiResponse ScoreApi::Health() {
    try {
        store_.Ping();
    } catch (const std::exception& e) {
        return Json(503, {{"status", "unavailable"}, {"error", "the database does not answer"}});
    }
    return Json(200, {{"status", draining_ ? "stopping" : "ok"}, {"queue", queue_.Waiting()}});
}

ApiResponse ScoreApi::MetricsText() {
    std::vector<std::pair<std::string, std::pair<std::string, double>>> gauges = {
        {"glimmer_verification_queue_length", {"Runs waiting for verification.", static_cast<double>(queue_.Waiting())}},
        {"glimmer_stopping", {"1 once the server stops taking runs.", draining_ ? 1.0 : 0.0}},
    };
    try {
        gauges.push_back({"glimmer_runs_stored", {"Runs in the database.", static_cast<double>(store_.RunCount())}});
        gauges.push_back({"glimmer_database_up", {"1 while the database answers.", 1.0}});
    } catch (const std::exception&) {
        gauges.push_back({"glimmer_database_up", {"1 while the database answers.", 0.0}});
    }
    ApiResponse response;
    response.contentType = "text/plain; version=0.0.4";
    response.body = metrics_.Text(gauges);
    return response;
}
