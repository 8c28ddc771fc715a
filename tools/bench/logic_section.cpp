#include "tools/bench/logic_section.h"

#include <algorithm>
#include <vector>

#include "game/world/level_file.h"
#include "game/world/level_hash.h"
#include "game/world/level_map.h"
#include "game/world/level_store.h"
#include "runtime/gc.h"
#include "tools/bench/figures.h"

namespace {

constexpr int kWarmupUpdates = 600;
constexpr int kHourUpdates = 60 * 60 * 60;
constexpr int kUpdatesPerMinute = 60 * 60;
constexpr double kMicrosPerSecond = 1e6;
constexpr int kListLevels = 5;
constexpr int kListProofUpdates = 35000;   // a proof of nearly ten minutes each

}  // namespace

void LogicSection(GameDriver& driver, const LogicOptions& options) {
    for (int i = 0; i < kWarmupUpdates; ++i) driver.PlayStep();
    std::vector<double> micros;
    std::vector<double> records;
    micros.reserve(static_cast<size_t>(options.updates));
    const double wallStart = WallSeconds();
    const double cpuStart = ThreadCpuSeconds();
    for (int i = 0; i < options.updates; ++i) {
        const double start = ThreadCpuSeconds();
        driver.PlayStep();
        micros.push_back((ThreadCpuSeconds() - start) * kMicrosPerSecond);
        records.push_back(driver.app().m_drawCount / kDrawRecordFloats);
    }
    const double wall = WallSeconds() - wallStart;
    const double cpu = ThreadCpuSeconds() - cpuStart;
    BenchFigure("logic_updates_per_s_wall", options.updates / wall, "updates/s");
    BenchFigure("logic_updates_per_s_cpu", options.updates / cpu, "updates/s");
    BenchFigure("logic_update_median", Median(micros), "us");
    BenchFigure("logic_update_p99", Percentile(micros, 99), "us");
    BenchFigure("logic_records", Median(records), "records/update");
    BenchFigure("logic_movers_level", driver.app().m_level, "level");

    std::vector<double> pass;
    for (int i = 0; i < options.mapPasses; ++i) {
        const double start = ThreadCpuSeconds();
        driver.MapPass();
        pass.push_back((ThreadCpuSeconds() - start) * kMicrosPerSecond);
    }
    BenchFigure("logic_map_pass_median", Median(pass), "us");
    BenchFigure("logic_map_pass_p99", Percentile(pass, 99), "us");
}

void CollectorSection(GameDriver& driver, const LogicOptions& options) {
    BenchHost& host = driver.host();
    gc_collect_all();
    host.ResetCollectorFigures();
    std::vector<double> live;
    double longestFirstMinute = 0;
    const double start = WallSeconds();
    for (int minute = 0; minute < options.soakMinutes; ++minute) {
        // A death rebuilds the level once a minute, as play would.
        if (minute > 0) driver.app().p_GetLevel(driver.app().m_level);
        for (int i = 0; i < kUpdatesPerMinute; ++i) driver.PlayStep();
        live.push_back(gc_alloced_bytes);
        if (minute == 0) longestFirstMinute = host.LongestCollectMicros();
    }
    const double wall = WallSeconds() - start;
    BenchFigure("gc_soak_simulated", options.soakMinutes, "min");
    BenchFigure("gc_soak_wall", wall, "s");
    BenchFigure("gc_live_bytes_first_minute", live.front(), "bytes");
    BenchFigure("gc_live_bytes_last_minute", live.back(), "bytes");
    BenchFigure("gc_live_bytes_max", *std::max_element(live.begin(), live.end()), "bytes");
    BenchFigure("gc_live_bytes_growth", live.back() - live.front(), "bytes");
    BenchFigure("gc_max_alloced_bytes", gc_max_alloced_bytes, "bytes");
    BenchFigure("gc_longest_step", host.LongestCollectMicros(), "us");
    BenchFigure("gc_longest_step_first_minute", longestFirstMinute, "us");
    BenchFigure("gc_steps", static_cast<double>(host.CollectSteps()), "steps");
}

void ReplaySection(GameDriver& driver) {
    // An hour of level 1 standing still: it never reaches the exit, so the
    // whole hour is played before the game says so.
    Replay idle;
    idle.level = 1;
    idle.levelHash = kp_Glimmer_LevelHash(1);
    idle.Append(0, kHourUpdates);
    c_MyApp& app = driver.app();
    const double wallStart = WallSeconds();
    if (!app.p_WatchReplay(kp_replay_Encode(idle), kScreenMenu)) return;
    std::vector<double> micros;
    while (app.m_screen == kScreenPreparing) {
        const double start = ThreadCpuSeconds();
        driver.host().StepWithoutRender();
        micros.push_back((ThreadCpuSeconds() - start) * kMicrosPerSecond);
    }
    BenchFigure("replay_hour_prepare_updates", static_cast<double>(micros.size()), "updates");
    BenchFigure("replay_hour_prepare_wall", WallSeconds() - wallStart, "s");
    BenchFigure("replay_hour_update_median", Median(micros), "us");
    BenchFigure("replay_hour_update_max", *std::max_element(micros.begin(), micros.end()), "us");
}

void LevelsListSection(GameDriver& driver) {
    // Five player's levels whose proofs stand still for nearly ten minutes:
    // the list of levels plays them all before it can say they prove nothing.
    c_MyApp& app = driver.app();
    std::string map;
    kp_level_Decode(kp_Levels_FetchLevel(1).ToCString(), &map);
    for (int n = 0; n < kListLevels; ++n) {
        Replay still;
        still.level = 0;
        still.levelHash = kp_level_Hash(map);
        still.Append(0, kListProofUpdates + n);
        LevelFile level;
        level.name = "Still " + std::to_string(n);
        level.map = map;
        level.proof = kp_replay_Encode(still);
        kp_app_SaveBeside("levels/still-" + std::to_string(n) + ".glimmer-level", kp_levelfile_Encode(level));
    }
    const double wallStart = WallSeconds();
    double start = ThreadCpuSeconds();
    app.m_screen = kScreenLevels;
    app.p_LoadPlayerLevels();
    BenchFigure("levels_list_load", (ThreadCpuSeconds() - start) * kMicrosPerSecond, "us");
    const auto checking = [&app] {
        return std::any_of(app.m_playerLevels.begin(), app.m_playerLevels.end(),
                           [](const PlayerLevel& level) { return level.checking; });
    };
    std::vector<double> micros;
    while (checking()) {
        start = ThreadCpuSeconds();
        driver.host().StepWithoutRender();
        micros.push_back((ThreadCpuSeconds() - start) * kMicrosPerSecond);
    }
    BenchFigure("levels_list_check_updates", static_cast<double>(micros.size()), "updates");
    BenchFigure("levels_list_check_wall", WallSeconds() - wallStart, "s");
    BenchFigure("levels_list_update_median", Median(micros), "us");
    BenchFigure("levels_list_update_max", *std::max_element(micros.begin(), micros.end()), "us");
    app.m_screen = kScreenMenu;
}

void LevelImportSection(GameDriver& driver) {
    c_MyApp& app = driver.app();
    std::string map;
    kp_level_Decode(kp_Levels_FetchLevel(1).ToCString(), &map);
    Replay still;
    still.level = 0;
    still.levelHash = kp_level_Hash(map);
    still.Append(0, kListProofUpdates - 1);
    LevelFile level;
    level.name = "Imported still";
    level.map = map;
    level.proof = kp_replay_Encode(still);
    double start = ThreadCpuSeconds();
    bool proved = false;
    app.p_CheckLevelProof(level, &proved);
    BenchFigure("levels_import_whole_proof", (ThreadCpuSeconds() - start) * kMicrosPerSecond, "us");

    app.m_screen = kScreenLevels;
    const double wallStart = WallSeconds();
    start = ThreadCpuSeconds();
    String line;
    app.p_ImportLevel(kp_levelfile_Encode(level), &line);
    BenchFigure("levels_import_call", (ThreadCpuSeconds() - start) * kMicrosPerSecond, "us");
    std::vector<double> micros;
    while (app.p_LevelImportPending()) {
        start = ThreadCpuSeconds();
        driver.host().StepWithoutRender();
        micros.push_back((ThreadCpuSeconds() - start) * kMicrosPerSecond);
    }
    BenchFigure("levels_import_updates", static_cast<double>(micros.size()), "updates");
    BenchFigure("levels_import_wall", WallSeconds() - wallStart, "s");
    BenchFigure("levels_import_update_median", micros.empty() ? 0 : Median(micros), "us");
    BenchFigure("levels_import_update_max", micros.empty() ? 0 : *std::max_element(micros.begin(), micros.end()), "us");
    app.m_screen = kScreenMenu;
}
