// glimmer-scores-bench: the score server's figures that need no HTTP load
// (scores_bench.sh adds the loaded ones): verification throughput against
// the headless update speed, a database filled with stored runs, and the
// storage a run takes. One figure per line, "name value unit".
//
//   glimmer-scores-bench verify [--seconds S] RUNS-DIR
//   glimmer-scores-bench fill --database URL --runs N RUNS-DIR
//   glimmer-scores-bench size --database URL
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "game/shell/my_app.h"
#include "host/headless/game.h"
#include "server/board_key.h"
#include "server/database.h"
#include "server/players.h"
#include "server/score_store.h"
#include "server/verification_queue.h"
#include "tools/cli/command_line.h"

namespace {

constexpr const char* kUsage =
    "usage: glimmer-scores-bench verify [--seconds S] RUNS-DIR\n"
    "       glimmer-scores-bench fill --database URL --runs N RUNS-DIR\n"
    "       glimmer-scores-bench size --database URL\n"
    "verify: runs verified per second of the verifier's CPU on the replays in RUNS-DIR,\n"
    "against the same runs played as plain headless updates; fill: N stored runs of\n"
    "those replays (made unique) for N / 5 players; size: bytes stored per run.\n";

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

std::vector<std::vector<unsigned char>> ReadRuns(const std::string& folder) {
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        // The committed solver runs: levelNN.glimmer-replay.
        if (name.size() == 22 && name.compare(0, 5, "level") == 0 && entry.path().extension() == ".glimmer-replay") {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    std::vector<std::vector<unsigned char>> runs;
    for (const auto& path : paths) {
        std::ifstream in(path, std::ios::binary);
        runs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (runs.empty()) {
        std::fprintf(stderr, "glimmer-scores-bench: no levelNN.glimmer-replay in %s\n", folder.c_str());
        std::exit(1);
    }
    return runs;
}

void Figure(const char* name, double value, const char* unit) { std::printf("%s %.6g %s\n", name, value, unit); }

int Verify(double seconds, const std::string& folder) {
    const std::vector<std::vector<unsigned char>> runs = ReadRuns(folder);
    VerificationQueue queue(64);
    // The limit: the same runs played through the game's own update on the
    // headless host (watching them, as the Records screen does), updates per CPU second.
    const RunVerdict plain = queue.Submit([&runs, seconds](RunVerifier& verifier) {
        RunVerdict result;
        double cpu = 0;
        long long updates = 0, played = 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < until) {
            for (const auto& bytes : runs) {
                if (!verifier.App().p_WatchReplay(bytes, kScreenMenu)) std::exit(1);
                // The watch is prepared (the run checked) first; the plain play follows.
                while (!verifier.App().m_watching) verifier.Host().StepWithoutRender();
                const double start = ThreadCpuSeconds();
                int steps = 0;
                while (verifier.App().m_watching) {
                    verifier.Host().StepWithoutRender();
                    ++steps;
                }
                cpu += ThreadCpuSeconds() - start;
                updates += steps;
                ++played;
            }
        }
        result.updates = static_cast<int>(updates / played);
        result.cpuMillis = cpu * 1000;
        result.level = static_cast<int>(played);
        result.reason = std::to_string(updates);
        return result;
    })->get();
    const double plainUpdates = std::stod(plain.reason);
    const double plainUpdatesPerSecond = plainUpdates / (plain.cpuMillis / 1000);
    const double meanUpdates = plainUpdates / plain.level;

    // The server's way: decode, find the level, play it through the round.
    long long verified = 0, verifiedUpdates = 0;
    double cpu = 0;
    const auto start = std::chrono::steady_clock::now();
    const auto until = start + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
        std::vector<std::future<RunVerdict>> pending;
        for (const auto& bytes : runs) pending.push_back(std::move(*queue.SubmitRun(bytes)));
        for (auto& verdict : pending) {
            const RunVerdict judged = verdict.get();
            if (!judged.valid) {
                std::fprintf(stderr, "glimmer-scores-bench: a committed run does not verify: %s\n", judged.reason.c_str());
                return 1;
            }
            cpu += judged.cpuMillis / 1000;
            verifiedUpdates += judged.updates;
            ++verified;
        }
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double limit = plainUpdatesPerSecond / meanUpdates;
    std::printf("# %zu committed runs, %.0f updates on average\n", runs.size(), meanUpdates);
    Figure("headless_updates_per_cpu_second", plainUpdatesPerSecond, "updates/s");
    Figure("headless_limit_runs_per_core_second", limit, "runs/s");
    Figure("verify_runs_per_core_second", verified / cpu, "runs/s");
    Figure("verify_updates_per_cpu_second", verifiedUpdates / cpu, "updates/s");
    Figure("verify_share_of_limit", 100 * (verified / cpu) / limit, "%");
    Figure("verify_runs_per_wall_second", verified / wall, "runs/s");
    Figure("verify_cpu_per_run", 1000 * cpu / verified, "ms");
    return 0;
}

int Fill(const std::string& url, long long count, const std::string& folder) {
    const std::vector<std::vector<unsigned char>> runs = ReadRuns(folder);
    std::unique_ptr<SqlPool> pool = SqlPool::Open(url, 1);
    ScoreStore(*pool).Migrate();
    VerificationQueue queue(4);   // only for this build's level hashes
    const std::vector<uint32_t>& levels = queue.LevelHashes();
    std::vector<int> updates;
    for (const auto& bytes : runs) {
        Replay replay;
        kp_replay_Decode(bytes.data(), bytes.size(), &replay, nullptr);
        updates.push_back(replay.updates);
    }
    const long long players = std::max(1LL, count / 5);
    std::mt19937 random(1234);
    SqlLease db = pool->Acquire();
    const auto start = std::chrono::steady_clock::now();
    for (long long first = 0; first < count; first += 2000) {
        SqlTransaction transaction(*db);
        for (long long i = first; i < std::min(count, first + 2000); ++i) {
            const long long player = i % players + 1;
            if (i < players) {
                char name[32];
                std::snprintf(name, sizeof name, "Player%lld", player);
                char key[80];
                std::snprintf(key, sizeof key, "%064lld", player);
                db->Run("INSERT INTO players (name, name_key, key_hash, created_at) VALUES ($1, $2, $3, $4)",
                        {std::string(name), kp_scores_NameKey(name), std::string(key), int64_t{0}});
            }
            const size_t level = static_cast<size_t>(random() % runs.size());
            SqlBytes replay = runs[level];
            // Each stored run unique, as runs of different players are; the
            // size stays that of the committed run.
            for (int b = 0; b < 8; ++b) replay[18 + b % 4] ^= static_cast<unsigned char>((i >> (8 * b)) & 0xff);
            const std::string board = kp_scores_BoardText(levels[level]);
            db->Run("INSERT INTO boards (hash, level, created_at) VALUES ($1, $2, $3) ON CONFLICT DO NOTHING",
                    {board, static_cast<int64_t>(level + 1), int64_t{0}});
            char hash[80];
            std::snprintf(hash, sizeof hash, "bench%059lld", i);
            db->Run("INSERT INTO runs (player_id, board_hash, updates, scheme, replay, replay_hash, game_version, "
                    "verified_by, verified_at, posted_at) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10)",
                    {player, board, static_cast<int64_t>(updates[level] + static_cast<int>(random() % 600)), int64_t{1},
                     replay, std::string(hash), std::string("1.0.0"), std::string(kp_scores_BuildId()), int64_t{0},
                     int64_t{0}});
        }
        transaction.Commit();
    }
    {
        SqlTransaction transaction(*db);
        db->Run("DELETE FROM board_bests");
        db->Run("INSERT INTO board_bests (board_hash, player_id, run_id, updates) SELECT board_hash, player_id, id, updates "
                "FROM (SELECT board_hash, player_id, id, updates, row_number() OVER (PARTITION BY board_hash, player_id "
                "ORDER BY updates, id) AS n FROM runs WHERE refused_reason IS NULL) AS ranked WHERE ranked.n = 1");
        transaction.Commit();
    }
    db->RunScript("ANALYZE");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("# %lld runs of %lld players stored in %.1f s\n", count, players, seconds);
    Figure("stored_runs", static_cast<double>(db->Run("SELECT count(*) FROM runs").Int(0, 0)), "runs");
    return 0;
}

int Size(const std::string& url) {
    std::unique_ptr<SqlPool> pool = SqlPool::Open(url, 1);
    SqlLease db = pool->Acquire();
    const double runs = static_cast<double>(db->Run("SELECT count(*) FROM runs").Int(0, 0));
    double bytes = 0;
    if (pool->Kind() == "sqlite") {
        db->RunScript("PRAGMA wal_checkpoint(TRUNCATE)");
        bytes = static_cast<double>(db->Run("SELECT page_count * page_size FROM pragma_page_count(), pragma_page_size()").Int(0, 0));
    } else {
        db->RunScript("VACUUM ANALYZE");
        bytes = static_cast<double>(db->Run("SELECT pg_database_size(current_database())").Int(0, 0));
    }
    const double replay = static_cast<double>(db->Run("SELECT avg(length(replay)) FROM runs").Int(0, 0));
    Figure("database_bytes", bytes, "bytes");
    Figure("database_bytes_per_run", runs > 0 ? bytes / runs : 0, "bytes");
    Figure("replay_bytes_per_run", replay, "bytes");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ToolCommandLine commandLine(argc, argv, kUsage);
    double seconds = 5;
    std::string database;
    long long runs = 100000;
    while (commandLine.NextOption()) {
        if (commandLine.Is("--seconds")) {
            seconds = std::atof(commandLine.Value().c_str());
        } else if (commandLine.Is("--database")) {
            database = commandLine.Value();
        } else if (commandLine.Is("--runs")) {
            runs = std::atoll(commandLine.Value().c_str());
        } else {
            commandLine.RefuseOption();
        }
    }
    const std::vector<std::string>& operands = commandLine.Operands(1, 2);
    try {
        if (operands[0] == "verify" && operands.size() == 2) return Verify(seconds, operands[1]);
        if (operands[0] == "fill" && operands.size() == 2 && !database.empty()) return Fill(database, runs, operands[1]);
        if (operands[0] == "size" && operands.size() == 1 && !database.empty()) return Size(database);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "glimmer-scores-bench: %s\n", e.what());
        return 1;
    }
    commandLine.Refuse("unknown command or missing operands");
}
