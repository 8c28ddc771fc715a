// glimmer-solve: proves levels completable and writes their input scripts and map views.
//
//   glimmer-solve [--levels A-B|N,...] [--scripts DIR] [--maps DIR] [--tiles PNG] [--maps-only] [--jobs N]
//   glimmer-solve --report [--scripts DIR] [--levels ...] [--markdown] [--no-slack] [--jobs N]
//   glimmer-solve --fairness [--scripts DIR] [--levels ...] [--csv] [--jobs N]
//   glimmer-solve --plan --levels N [--scripts DIR]
//
// For each level it prints the shortest completion found, in updates and
// seconds, writes DIR/levelNN.keys (replayed by the tests) and, with --maps,
// DIR/levelNN.png drawn with the game's tile sheet. Exit status 0 when every
// level was solved and its script replays to the exit.
//
// With --report it reads DIR/levelNN.keys instead and prints the variety
// report (route_report.h): per level the time, inputs, route features, the
// mechanics and pairings no earlier level used, the walking shares and the
// tightest input slack, then the variety rules each level from 4 on breaks;
// with --verbose first the route of each level as a person holds the keys.
// Exit status 0 when every script completes its level.
//
// With --fairness it reads the most forgiving route of each level,
// DIR/levelNN.fair.keys (or DIR/levelNN.keys where there is none), and prints
// its timing windows (fairness.h): the smallest window and where, the timed
// inputs and how many of their cues are out of view, then the goals each
// level breaks; with --csv only the lines
// level,smallest_window_updates,where,timed_inputs,cues_out_of_view.
// With --plan it prints what a person following the level's most forgiving
// route watches for and presses (human_plan.h), for tools/playtest/human_play.py.
// With --level-file it searches a route through a player's level file
// instead, for the editor that starts it: progress lines "searching: N states,
// S s" while it searches, then "route: UPDATES updates, N states, LINK" with
// the route as a replay's link text (status 0), or "no route: WHY, N states"
// (status 1); --seconds stops the search after so many seconds.
// With --fair it searches each level's most forgiving route from its fastest,
// DIR/levelNN.keys (forgiving_route.h), and writes it to DIR/levelNN.fair.keys
// when it differs, unless the route already there is at least as forgiving.
#include <sys/stat.h>
#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "game/world/level_file.h"
#include "game/world/level_map.h"
#include "tools/cli/command_line.h"
#include "tools/solver/fairness.h"
#include "tools/solver/forgiving_route.h"
#include "tools/solver/game_session.h"
#include "tools/solver/human_plan.h"
#include "tools/solver/level_solver.h"
#include "tools/solver/map_view.h"
#include "tools/solver/route_report.h"

namespace {

constexpr int kUpdatesPerSecond = 60;

constexpr const char* kUsage =
    "usage: glimmer-solve [--levels A-B|N,...] [--scripts DIR] [--maps DIR] [--tiles PNG]\n"
    "                     [--maps-only] [--jobs N] [--max-states N] [--verbose] [--trace]\n"
    "       glimmer-solve --report [--scripts DIR] [--levels ...] [--markdown] [--no-slack] [--jobs N]\n"
    "       glimmer-solve --fairness [--scripts DIR] [--levels ...] [--csv] [--jobs N]\n"
    "       glimmer-solve --fair [--scripts DIR] [--levels ...] [--jobs N]\n"
    "       glimmer-solve --plan --levels N [--scripts DIR]\n"
    "       glimmer-solve --level-file FILE [--seconds N] [--max-states N]\n"
    "Proves levels completable (default 1-15), writes DIR/levelNN.keys for each\n"
    "and, with --maps, pictures of the maps drawn with the tile sheet PNG.\n"
    "With --report, measures the scripts in DIR instead (the variety report);\n"
    "with --fairness, the timing windows of the most forgiving routes in DIR;\n"
    "with --fair, searches the most forgiving routes from the fastest ones in DIR\n"
    "and writes DIR/levelNN.fair.keys where they differ, keeping a route already\n"
    "there that is at least as forgiving.\n"
    "With --level-file, searches a route through a player's level file and prints\n"
    "it as a replay's link text (progress lines while it searches).\n";

constexpr int kFirstVariedLevel = 4;

struct Options {
    std::vector<int> levels;
    std::string scripts = ".";
    std::string maps;
    std::string tiles;
    int jobs = 1;
    int maxStates = 0;   // 0: the solver's own limit
    bool verbose = false;
    bool trace = false;
    bool mapsOnly = false;
    bool report = false;
    bool markdown = false;
    bool slack = true;
    bool fairness = false;
    bool csv = false;
    bool fair = false;
    bool plan = false;
    std::string levelFile;
    double seconds = 0;   // 0: no time limit
};

bool ParseLevels(const std::string& text, std::vector<int>* out) {
    size_t at = 0;
    while (at < text.size()) {
        size_t comma = text.find(',', at);
        if (comma == std::string::npos) comma = text.size();
        const std::string part = text.substr(at, comma - at);
        const size_t dash = part.find('-');
        const int a = std::atoi(part.substr(0, dash).c_str());
        const int b = dash == std::string::npos ? a : std::atoi(part.substr(dash + 1).c_str());
        if (a < 1 || b > 15 || a > b) return false;
        for (int n = a; n <= b; ++n) out->push_back(n);
        at = comma + 1;
    }
    return !out->empty();
}

std::string LevelFile(const std::string& dir, int level, const char* extension) {
    char name[32];
    std::snprintf(name, sizeof name, "/level%02d.%s", level, extension);
    return dir + name;
}

// Solves one level in this process and prints its line; true on a verified proof.
bool SolveOne(int level, const Options& options) {
    GameSession& session = GameSession::Instance();
    if (session.app().m_screen != kScreenPlaying && !session.StartGameFromMenu()) {
        std::printf("level %2d: the game did not start from the menu\n", level);
        return false;
    }
    if (options.mapsOnly) {
        std::string error;
        const bool drawn = RenderLevelMap(session, level, options.tiles, LevelFile(options.maps, level, "png"), &error);
        if (!drawn) std::printf("level %2d map view: %s\n", level, error.c_str());
        return drawn;
    }
    SolverOptions solverOptions;
    solverOptions.verbose = options.verbose;
    solverOptions.trace = options.trace;
    if (options.maxStates > 0) solverOptions.maxStates = options.maxStates;
    const SolveResult result = SolveLevel(session, level, solverOptions);
    if (!options.maps.empty()) {
        std::string error;
        if (!RenderLevelMap(session, level, options.tiles, LevelFile(options.maps, level, "png"), &error)) {
            std::fprintf(stderr, "level %d map view: %s\n", level, error.c_str());
        }
    }
    if (!result.solved || !result.verified) {
        std::printf("level %2d: NOT PROVED (%s; %d states)\n", level, result.message.c_str(), result.statesExpanded);
        std::fflush(stdout);
        return false;
    }
    result.script.Save(LevelFile(options.scripts, level, "keys"));
    std::printf("level %2d: %d trees, completed in %d updates (%.2f s), %d states searched\n", level, result.trees,
                result.updates, result.updates / static_cast<double>(kUpdatesPerSecond), result.statesExpanded);
    std::fflush(stdout);
    return true;
}

bool Readable(const std::string& path) {
#ifdef _WIN32
    return _access(path.c_str(), 4) == 0;
#else
    return access(path.c_str(), R_OK) == 0;
#endif
}

void MakeFolder(const std::string& path) {
#ifdef _WIN32
    _mkdir(path.c_str());
#else
    mkdir(path.c_str(), 0755);
#endif
}

#ifdef _WIN32
// Windows has no fork: the levels are worked on one after the other in this
// process (the editor's route search, which the Windows game starts, is one
// level anyway).
bool ForEachLevel(const Options& options, const std::function<bool(int, std::string*)>& work,
                  std::map<int, std::string>* texts = nullptr) {
    bool allGood = true;
    for (int level : options.levels) {
        std::string text;
        allGood = work(level, &text) && allGood;
        if (texts) (*texts)[level] = text;
    }
    return allGood;
}
#else
// Runs `work` for each level in its own process, a few at a time (the game is
// one global program). What a child writes to its text comes back in `texts`
// by level, through a file of the parent's. True when every child succeeded.
bool ForEachLevel(const Options& options, const std::function<bool(int, std::string*)>& work,
                  std::map<int, std::string>* texts = nullptr) {
    auto textFile = [](int level) {
        return "/tmp/glimmer-solve-" + std::to_string(getpid()) + "-" + std::to_string(level) + ".txt";
    };
    auto keep = [&](int level, const std::string& text) {
        if (texts) (*texts)[level] = text;
    };
    // Later levels are larger searches: started first, they do not leave one
    // job running alone at the end.
    std::vector<int> order = options.levels;
    if (options.jobs > 1) std::sort(order.begin(), order.end(), std::greater<int>());
    bool allGood = true;
    size_t next = 0;
    std::map<pid_t, int> running;
    while (next < order.size() || !running.empty()) {
        if (next < order.size() && static_cast<int>(running.size()) < options.jobs) {
            const int level = order[next++];
            const std::string file = textFile(level);
            if (std::fflush(stdout) != 0) return false;
            const pid_t child = fork();
            if (child == 0) {
                std::string text;
                const bool good = work(level, &text);
                std::ofstream(file) << text;
                std::fflush(stdout);
                _exit(good ? 0 : 1);
            }
            if (child < 0) {
                std::string text;
                allGood = work(level, &text) && allGood;
                keep(level, text);
            } else {
                running[child] = level;
            }
            continue;
        }
        int status = 0;
        const pid_t done = wait(&status);
        if (done <= 0) break;
        const int level = running[done];
        running.erase(done);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) allGood = false;
        std::ifstream in(textFile(level));
        keep(level, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        std::remove(textFile(level).c_str());
    }
    return allGood;
}
#endif

// The variety report of the scripts in options.scripts.
int Report(const Options& options) {
    std::map<int, std::string> texts;
    const bool allRead = ForEachLevel(options, [&](int level, std::string* text) {
        GameSession& session = GameSession::Instance();
        if (session.app().m_screen != kScreenPlaying && !session.StartGameFromMenu()) return false;
        InputScript script;
        LevelReport report;
        report.measures.level = level;
        if (!script.Load(LevelFile(options.scripts, level, "keys"), &report.error)) {
            *text = ReportToLine(report);
            return false;
        }
        report = ReportLevel(session, level, script, options.slack);
        *text = ReportToLine(report);
        if (options.verbose) {
            std::printf("level %d route:\n%s", level, RouteText(session, level, script).c_str());
            if (std::fflush(stdout) != 0) return false;
        }
        return report.error.empty();
    }, &texts);
    std::vector<LevelReport> reports;
    for (int level : options.levels) {
        LevelReport report;
        report.measures.level = level;
        if (!ReportFromLine(texts[level], &report)) report.error = "not measured";
        reports.push_back(report);
    }
    std::vector<RouteMeasures> measures;
    for (const LevelReport& r : reports) measures.push_back(r.measures);
    CompareWithEarlier(&measures);
    for (size_t i = 0; i < reports.size(); ++i) reports[i].measures = measures[i];
    std::fputs(ReportTable(reports, options.markdown).c_str(), stdout);
    if (!options.markdown) {
        const std::vector<std::string> faults = VarietyFaults(measures, kFirstVariedLevel);
        std::printf("variety rules (levels %d on): %s\n", kFirstVariedLevel, faults.empty() ? "all kept" : "broken");
        for (const std::string& f : faults) std::printf("  %s\n", f.c_str());
    }
    return allRead ? 0 : 1;
}

// Searches the most forgiving route of each level from its fastest and writes
// DIR/levelNN.fair.keys where it differs (and removes a stale one where not);
// a route already there that is at least as forgiving is kept.
int Forgive(const Options& options) {
    return ForEachLevel(options, [&](int level, std::string*) {
        GameSession& session = GameSession::Instance();
        if (session.app().m_screen != kScreenPlaying && !session.StartGameFromMenu()) return false;
        InputScript fastest;
        std::string error;
        if (!fastest.Load(LevelFile(options.scripts, level, "keys"), &error)) {
            std::printf("level %2d: %s\n", level, error.c_str());
            return false;
        }
        std::string log;
        const InputScript route = MostForgivingRoute(session, level, fastest, &log);
        const FairnessReport report = MeasureFairness(session, level, route);
        const std::string fair = LevelFile(options.scripts, level, "fair.keys");
        // A route composed by hand (several waits at once) can be more forgiving
        // than the search finds: it is kept unless the search beats it.
        InputScript kept;
        if (Readable(fair) && kept.Load(fair, &error)) {
            const FairnessReport keptReport = MeasureFairness(session, level, kept);
            if (keptReport.completed && keptReport.SmallestWindow() >= report.SmallestWindow()) {
                std::printf("%slevel %2d: smallest window %d updates (%s), the route in %s kept: the search found %d\n",
                            log.c_str(), level, keptReport.SmallestWindow(), keptReport.Where().c_str(), fair.c_str(),
                            report.SmallestWindow());
                std::fflush(stdout);
                return true;
            }
        }
        if (route.ToText() == fastest.ToText()) {
            std::remove(fair.c_str());
        } else {
            route.Save(fair);
        }
        std::printf("%slevel %2d: smallest window %d updates (%s)%s\n", log.c_str(), level, report.SmallestWindow(),
                    report.Where().c_str(), route.ToText() == fastest.ToText() ? ", the fastest route" : "");
        std::fflush(stdout);
        return report.completed;
    }) ? 0 : 1;
}

// The most forgiving route of a level: DIR/levelNN.fair.keys, or DIR/levelNN.keys.
std::string ForgivingRoute(const Options& options, int level) {
    const std::string fair = LevelFile(options.scripts, level, "fair.keys");
    return Readable(fair) ? fair : LevelFile(options.scripts, level, "keys");
}

// The plans of the levels' most forgiving routes, one after the other.
int Plan(const Options& options) {
    GameSession& session = GameSession::Instance();
    if (!session.StartGameFromMenu()) return 1;
    for (int level : options.levels) {
        InputScript script;
        std::string error;
        if (!script.Load(ForgivingRoute(options, level), &error)) {
            std::fprintf(stderr, "level %d: %s\n", level, error.c_str());
            return 1;
        }
        std::fputs(HumanPlan(session, level, script).c_str(), stdout);
    }
    return 0;
}

// The fairness table of the most forgiving routes in options.scripts.
int Fairness(const Options& options) {
    std::map<int, std::string> texts;
    const bool allRead = ForEachLevel(options, [&](int level, std::string* text) {
        GameSession& session = GameSession::Instance();
        if (session.app().m_screen != kScreenPlaying && !session.StartGameFromMenu()) return false;
        FairnessReport report;
        report.level = level;
        InputScript script;
        if (!script.Load(ForgivingRoute(options, level), &report.error)) {
            *text = FairnessToLine(report);
            return false;
        }
        report = MeasureFairness(session, level, script);
        *text = FairnessToLine(report);
        return report.error.empty();
    }, &texts);
    std::vector<FairnessReport> reports;
    std::vector<std::string> faults;
    for (int level : options.levels) {
        FairnessReport report;
        report.level = level;
        if (!FairnessFromLine(texts[level], &report)) report.error = "not measured";
        reports.push_back(report);
        for (const std::string& f : FairnessFaults(report)) faults.push_back(f);
    }
    std::fputs(FairnessTable(reports, options.csv).c_str(), stdout);
    if (options.verbose) {
        for (const FairnessReport& r : reports) {
            for (const InputWindow& w : r.inputs) {
                if (w.Width() > 2 * kWindowSide && !w.timed) continue;
                std::printf("level %2d  %5.1f s  (%2d %2d)  keys %3u  window %2d (-%d/+%d)  %s", r.level,
                            w.update / 60.0, w.x, w.y, w.keys, w.Width(), w.earlier, w.later,
                            w.timed ? (w.clock == WindowClock::kPlunger ? "plunger" : "launcher") : "-");
                if (w.timed) std::printf(" (%d %d)", w.clockX, w.clockY);
                std::printf("%s\n", w.timed && !w.cueInView ? ", cue out of view" : "");
            }
        }
    }
    if (!options.csv) {
        std::printf("fairness goals: %s\n", faults.empty() ? "all kept" : "broken");
        for (const std::string& f : faults) std::printf("  %s\n", f.c_str());
    }
    return allRead ? 0 : 1;
}

// A route through a player's level file, printed for the editor that asked
// (the protocol is in the comment at the top).
int SolveLevelFile(const Options& options) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const auto seconds = [&start]() { return std::chrono::duration<double>(Clock::now() - start).count(); };
    std::ifstream in(options.levelFile, std::ios::binary);
    std::vector<unsigned char> bytes;
    std::vector<char> block(kLevelFileMaxBytes + 1);
    if (in) in.read(block.data(), static_cast<std::streamsize>(block.size()));
    bytes.assign(block.begin(), block.begin() + in.gcount());
    ::LevelFile level;
    std::string why;
    if (bytes.empty() || !kp_levelfile_Decode(bytes.data(), bytes.size(), &level, &why)) {
        std::printf("no route: %s, 0 states\n", bytes.empty() ? "the level file cannot be read" : why.c_str());
        return 1;
    }
    std::printf("searching: 0 states, 0.0 s\n");
    std::fflush(stdout);
    GameSession& session = GameSession::Instance();
    c_MyApp& app = session.app();
    app.m_playerMap = level.map;
    app.m_playerPlay = PlayerLevelPlay();
    app.m_playerPlay.hash = kp_level_Hash(level.map);
    if (!session.StartGameFromMenu()) {
        std::printf("no route: the game did not start, 0 states\n");
        return 1;
    }
    SolverOptions solverOptions;
    if (options.maxStates > 0) solverOptions.maxStates = options.maxStates;
    double shown = 0;
    solverOptions.keepGoing = [&](int states) {
        const double now = seconds();
        if (options.seconds > 0 && now >= options.seconds) return false;
        if (now - shown >= 0.25) {
            shown = now;
            std::printf("searching: %d states, %.1f s\n", states, now);
            // Nobody reads any more: the editor stopped the search or its game
            // is gone. Where a broken pipe raises no signal (Windows), that
            // failed write is the only word of it.
            if (std::fflush(stdout) != 0) return false;
        }
        return true;
    };
    const SolveResult result = SolveLevel(session, 0, solverOptions);
    if (!result.solved || !result.verified) {
        const std::string reason = result.message == "stopped"
                                       ? "none found within " + std::to_string(static_cast<int>(options.seconds)) + " s"
                                       : result.message;
        std::printf("no route: %s, %d states\n", reason.c_str(), result.statesExpanded);
        return 1;
    }
    // The route as play records it: a replay of level 0 naming this level's hash.
    Replay run;
    run.level = 0;
    for (const ScriptRun& step : result.script.Runs()) run.Append(step.keys, step.updates);
    if (!app.p_RecordReplay(&run)) {
        std::printf("no route: the route found does not reach the exit when played again, %d states\n",
                    result.statesExpanded);
        return 1;
    }
    std::printf("route: %d updates, %d states, %s\n", run.updates, result.statesExpanded,
                kp_replay_LinkText(kp_replay_Encode(run)).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    ToolCommandLine commandLine(argc, argv, kUsage);
    while (commandLine.NextOption()) {
        if (commandLine.Is("--levels") || commandLine.Is("--level")) {
            if (!ParseLevels(commandLine.Value(), &options.levels)) commandLine.Refuse("bad level list");
        } else if (commandLine.Is("--scripts")) {
            options.scripts = commandLine.Value();
        } else if (commandLine.Is("--maps")) {
            options.maps = commandLine.Value();
        } else if (commandLine.Is("--tiles")) {
            options.tiles = commandLine.Value();
        } else if (commandLine.Is("--jobs") || commandLine.Is("-j")) {
            options.jobs = std::max(1, std::atoi(commandLine.Value().c_str()));
        } else if (commandLine.Is("--max-states")) {
            options.maxStates = std::max(1, std::atoi(commandLine.Value().c_str()));
        } else if (commandLine.Is("--report")) {
            options.report = true;
        } else if (commandLine.Is("--markdown")) {
            options.markdown = true;
        } else if (commandLine.Is("--fairness")) {
            options.fairness = true;
        } else if (commandLine.Is("--csv")) {
            options.csv = true;
        } else if (commandLine.Is("--plan")) {
            options.plan = true;
        } else if (commandLine.Is("--level-file")) {
            options.levelFile = commandLine.Value();
        } else if (commandLine.Is("--seconds")) {
            options.seconds = std::max(0.0, std::atof(commandLine.Value().c_str()));
        } else if (commandLine.Is("--fair")) {
            options.fair = true;
        } else if (commandLine.Is("--no-slack")) {
            options.slack = false;
        } else if (commandLine.Is("--maps-only")) {
            options.mapsOnly = true;
        } else if (commandLine.Is("--trace")) {
            options.trace = true;
        } else if (commandLine.Is("--verbose") || commandLine.Is("-v")) {
            options.verbose = true;
        } else {
            commandLine.RefuseOption();
        }
    }
    commandLine.Operands(0, 0);
    if (options.levels.empty()) ParseLevels("1-15", &options.levels);

    if (!options.levelFile.empty()) return SolveLevelFile(options);
    if (options.report) return Report(options);
    if (options.fairness) return Fairness(options);
    if (options.plan) return Plan(options);
    if (options.fair) return Forgive(options);
    MakeFolder(options.scripts);
    if (!options.maps.empty()) MakeFolder(options.maps);
    const bool allProved = ForEachLevel(options, [&](int level, std::string*) { return SolveOne(level, options); });
    return allProved ? 0 : 1;
}
