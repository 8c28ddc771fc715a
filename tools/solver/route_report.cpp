#include "tools/solver/route_report.h"

#include "game/world/tiles.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <sstream>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

namespace {
constexpr int kUpdatesPerSecond = 60;
constexpr int kCells = kLevelSide * kLevelSide;
constexpr int kLauncherPeriod = 120;
// What decides the rest of the game in a snapshot: the round's fields that
// decide it but the random seed (which only drives the look of falls and
// snow), and the map's changes. Without the clocks, also without the
// launchers' phases and their shots.
std::vector<int> GameView(const GameSnapshot& s, const std::vector<bool>& launcherCell, bool clocks) {
    std::vector<int> v = RoundDecides(s.round);
    for (size_t i = 0; i + 1 < s.tileChanges.size(); i += 2) {
        const int at = s.tileChanges[i];
        if (!clocks && at >= kCells && launcherCell[at - kCells]) continue;
        v.push_back(at);
        v.push_back(s.tileChanges[i + 1]);
    }
    if (clocks) v.insert(v.end(), s.movers.begin(), s.movers.end());
    return v;
}

uint64_t Hash(const std::vector<int>& v) {
    uint64_t h = 1469598103934665603ULL;
    for (int x : v) h = (h ^ static_cast<uint32_t>(x)) * 1099511628211ULL;
    return h;
}

// The hero alone, to rule out most comparisons cheaply.
uint64_t HeroKey(const c_MyApp& a) {
    uint64_t h = 1469598103934665603ULL;
    for (int v : {a.m_playerX, a.m_playerY, a.m_playerSubX, a.m_playerSubY, a.m_playerState, a.m_facing,
                  a.m_turnLatch, a.m_jumpLatch}) {
        h = (h ^ static_cast<uint32_t>(v)) * 1099511628211ULL;
    }
    return h;
}

// A script's runs and the game at the start of each (and after the last).
struct RecordedRun {
    std::vector<ScriptRun> runs;
    std::vector<int> start;               // update at which each run starts
    std::vector<GameSnapshot> snapshots;  // before each run, then after the last
    std::vector<bool> still;              // the hero stood still through the whole run
    std::vector<bool> launcherCell;                     // y * 64 + x
    bool launchers = false;
    std::vector<std::vector<int>> games, routes;        // GameView of each snapshot, with and without clocks
    std::unordered_multimap<uint64_t, size_t> byGame, byRoute;   // their hashes -> snapshot
    std::unordered_set<uint64_t> heroes;                // HeroKey of every snapshot
    // After every update t (index t + 1, index 0 the start): the hero and the game.
    std::vector<uint64_t> heroAt;
    std::vector<std::vector<int>> gameAt;
};

void Build(GameSession& session, int level) {
    session.SetKeys(0);
    session.EnterLevel(level);
    session.SetMapBaseline();
}

RecordedRun Record(GameSession& session, int level, const std::vector<ScriptRun>& runs, bool everyUpdate) {
    RecordedRun r;
    r.runs = runs;
    Build(session, level);
    int t = 0;
    c_MyApp& app = session.app();
    r.launcherCell.assign(kCells, false);
    for (int at = 0; at < kCells; ++at) {
        const int tile = session.BaselineTile(at % kLevelSide, at / kLevelSide, 0);
        r.launcherCell[at] = tile == kTileLauncherLeft || tile == kTileLauncherRight;
        r.launchers = r.launchers || r.launcherCell[at];
    }
    auto keep = [&]() {
        if (!everyUpdate) return;
        r.heroAt.push_back(HeroKey(app));
        r.gameAt.push_back(GameView(session.Save(), r.launcherCell, true));
    };
    keep();
    for (const ScriptRun& run : runs) {
        r.start.push_back(t);
        r.snapshots.push_back(session.Save());
        r.heroes.insert(HeroKey(app));
        const int x = app.m_playerX, y = app.m_playerY;
        bool still = app.m_playerState == kStand;
        for (int u = 0; u < run.updates; ++u) {
            session.StepWithKeys(run.keys);
            keep();
            still = still && app.m_playerState == kStand && app.m_playerX == x && app.m_playerY == y;
        }
        r.still.push_back(still);
        t += run.updates;
    }
    r.start.push_back(t);
    r.snapshots.push_back(session.Save());
    r.heroes.insert(HeroKey(app));
    for (size_t j = 0; j < r.snapshots.size(); ++j) {
        r.games.push_back(GameView(r.snapshots[j], r.launcherCell, true));
        r.routes.push_back(GameView(r.snapshots[j], r.launcherCell, false));
        r.byGame.emplace(Hash(r.games[j]), j);
        r.byRoute.emplace(Hash(r.routes[j]), j);
    }
    return r;
}

// A run of a shifted script and the original run it stands for (-1: none).
struct TailRun {
    ScriptRun run;
    int origin = -1;
};

// Plays `tail` from the session's current state, then lets the hero finish
// his move. The level counts as completed as soon as the game is the
// original's at the same place in the inputs (the same inputs follow), or the
// original's at the start of a run after run k (a person goes on from what he
// sees, with the same inputs as there). With launchers, the game may come
// back to the route with the launchers in another phase; the hero then counts
// as through when he lives through one more launcher period on the tail (the
// inputs after that are timed anew to the shots). True when the level is
// completed, or the hero is through.
bool Completes(GameSession& session, const RecordedRun& r, size_t k, std::vector<TailRun> tail) {
    c_MyApp& app = session.app();
    ScriptRun rest;   // no keys while the last move plays out
    rest.updates = 2 * kSlackCap;
    tail.push_back({rest, -1});
    int played = 0, backOnRoute = -1;
    auto matches = [&](const std::unordered_multimap<uint64_t, size_t>& index,
                       const std::vector<std::vector<int>>& views, const std::vector<int>& now) {
        const auto [first, last] = index.equal_range(Hash(now));
        for (auto it = first; it != last; ++it) {
            if (it->second > k && views[it->second] == now) return true;
        }
        return false;
    };
    for (const TailRun& part : tail) {
        for (int u = 1; u <= part.run.updates; ++u) {
            session.StepWithKeys(part.run.keys);
            ++played;
            if (app.m_playerState == kDying) return false;
            if (app.m_playerState == kLeaving) return app.m_lightsLeft == 0;
            if (backOnRoute >= 0 && played - backOnRoute >= kLauncherPeriod) return true;
            const uint64_t hero = HeroKey(app);
            // The original's update at this place in the inputs.
            const int aligned = part.origin < 0 ? -1 : r.start[part.origin + 1] - (part.run.updates - u);
            const bool alignedHero = aligned >= 0 && r.heroAt[aligned] == hero;
            if (!alignedHero && !r.heroes.count(hero)) continue;
            const GameSnapshot now = session.Save();
            const std::vector<int> game = GameView(now, r.launcherCell, true);
            if (alignedHero && r.gameAt[aligned] == game) return true;
            if (matches(r.byGame, r.games, game)) return true;
            if (r.launchers && backOnRoute < 0 && matches(r.byRoute, r.routes, GameView(now, r.launcherCell, false))) {
                backOnRoute = played;
            }
        }
    }
    return false;
}

// Plays the original from run `from` until update `until`.
void PlayOriginal(GameSession& session, const RecordedRun& r, size_t from, int until) {
    session.Restore(r.snapshots[from]);
    for (size_t k = from; k < r.runs.size() && r.start[k] < until; ++k) {
        session.StepWithKeys(r.runs[k].keys, std::min(r.runs[k].updates, until - r.start[k]));
    }
}

// Input k shifted by `shift` updates (negative: earlier). A person who
// presses early or late goes on from what he sees: either the next inputs
// come when they came (the input only held shorter or longer), or they move
// with it up to the next run in which the hero stands still (from k on),
// which takes the shift up (he waits less or more for the next gap). The
// likelier one is tried first: a move under way takes an early press in, a
// late one holds the hero up.
bool ShiftedCompletes(GameSession& session, const RecordedRun& r, size_t k, int shift) {
    for (bool moveRest : {shift > 0, shift <= 0}) {
        std::vector<TailRun> tail;
        if (shift > 0) {
            session.Restore(r.snapshots[k]);
            ScriptRun held;   // the keys before input k, held `shift` updates longer
            held.keys = r.runs[k - 1].keys;
            held.updates = shift;
            tail.push_back({held, -1});
        } else {
            size_t from = k - 1;
            while (r.start[from] > r.start[k] + shift) --from;
            PlayOriginal(session, r, from, r.start[k] + shift);
        }
        bool absorbed = false;
        for (size_t j = k; j < r.runs.size(); ++j) {
            ScriptRun run = r.runs[j];
            if (!absorbed && (moveRest ? r.still[j] : j == k) && run.updates > shift) {
                run.updates -= shift;
                absorbed = true;
            }
            tail.push_back({run, static_cast<int>(j)});
        }
        if ((moveRest || absorbed) && Completes(session, r, k, tail)) return true;
    }
    return false;
}

}  // namespace

InputScript HeldForm(GameSession& session, int level, const InputScript& script) {
    RecordedRun r = Record(session, level, script.Runs(), false);
    c_MyApp& app = session.app();
    std::vector<ScriptRun>& runs = r.runs;
    for (size_t k = 0; k + 1 < runs.size(); ++k) {
        const unsigned keys = runs[k].keys, next = runs[k + 1].keys;
        if (keys == 0 || keys == next || (next & ~keys) != 0) continue;
        // Where the hero comes to rest within the next run.
        session.Restore(r.snapshots[k + 1]);
        int rest = 0;
        while (rest < runs[k + 1].updates && app.m_playerState != kStand) {
            session.StepWithKeys(next);
            ++rest;
        }
        // All of it, up to the rest, or half as long (a jump key let go in the air).
        for (int hold : {runs[k + 1].updates, rest, rest / 2}) {
            if (hold == 0) continue;
            session.Restore(r.snapshots[k]);
            session.StepWithKeys(keys, runs[k].updates + hold);
            session.StepWithKeys(next, runs[k + 1].updates - hold);
            if (GameView(session.Save(), r.launcherCell, true) != GameView(r.snapshots[k + 2], r.launcherCell, true)) {
                continue;
            }
            runs[k].updates += hold;
            runs[k + 1].updates -= hold;
            break;
        }
    }
    InputScript held;
    for (const ScriptRun& run : runs) held.Append(run.keys, run.updates);
    return held;
}

LevelReport ReportLevel(GameSession& session, int level, const InputScript& script, bool withSlack) {
    LevelReport report;
    report.measures = MeasureScript(session.app(), level, script,
                                    [&](unsigned keys) { session.StepWithKeys(keys); });
    if (!report.measures.completed) {
        report.error = "the script does not complete the level";
        return report;
    }
    const InputScript held = HeldForm(session, level, script);
    unsigned before = 0;
    for (const ScriptRun& run : held.Runs()) {
        for (unsigned bits = run.keys & ~before; bits != 0; bits &= bits - 1) ++report.inputs;
        before = run.keys;
    }
    if (!withSlack) return report;

    const RecordedRun r = Record(session, level, held.Runs(), true);
    report.slackMeasured = true;
    // Only the tightest input is reported: an input's search stops once its
    // window is as wide as the tightest one found so far, which starts at a
    // narrow bound that widens only when every input passes it.
    for (const int bound : {kHumaneSlack + 2, 2 * kSlackCap}) {
        report.tightest = InputSlack();
        report.tightest.later = bound;
        for (size_t k = 1; k < r.runs.size(); ++k) {
            if (r.snapshots[k].round.m_dropIn < 0) continue;   // still in the drop-in
            InputSlack s;
            s.update = r.start[k];
            s.keys = r.runs[k].keys;
            const int earliest = std::min(kSlackCap, r.runs[k - 1].updates - 1);
            bool earlierDone = false, laterDone = false;
            while (s.Width() < report.tightest.Width() && !(earlierDone && laterDone)) {
                if (!earlierDone) {
                    earlierDone = s.earlier >= earliest || !ShiftedCompletes(session, r, k, -(s.earlier + 1));
                    if (!earlierDone) ++s.earlier;
                }
                if (!laterDone && s.Width() < report.tightest.Width()) {
                    laterDone = s.later >= kSlackCap || !ShiftedCompletes(session, r, k, s.later + 1);
                    if (!laterDone) ++s.later;
                }
            }
            if (s.Width() < report.tightest.Width()) report.tightest = s;
        }
        if (report.tightest.Width() < bound) break;
    }
    session.SetKeys(0);
    return report;
}

namespace {
std::string KeyNames(unsigned keys);
}  // namespace

std::string RouteText(GameSession& session, int level, const InputScript& script) {
    const InputScript held = HeldForm(session, level, script);
    Build(session, level);
    c_MyApp& app = session.app();
    std::string out;
    int t = 0;
    char line[160];
    for (const ScriptRun& run : held.Runs()) {
        std::snprintf(line, sizeof line, "%6.2f s  %-22s at (%d, %d) state %d\n", t / 60.0, KeyNames(run.keys).c_str(),
                      app.m_playerX, app.m_playerY, app.m_playerState);
        out += line;
        session.StepWithKeys(run.keys, run.updates);
        t += run.updates;
    }
    session.SetKeys(0);
    return out;
}

namespace {

std::string KeyNames(unsigned keys) {
    std::string out;
    for (int bit = 0; bit < kScriptKeyCount; ++bit) {
        if (!(keys & (1u << bit))) continue;
        if (!out.empty()) out += "+";
        out += ScriptKeyName(bit);
    }
    return out.empty() ? "release" : out;
}

std::string Join(const std::vector<std::string>& items, const char* separator) {
    std::string out;
    for (const std::string& s : items) out += (out.empty() ? "" : separator) + s;
    return out;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string SlackText(const LevelReport& r) {
    if (!r.slackMeasured) return "-";
    const InputSlack& s = r.tightest;
    if (s.Width() >= 2 * kSlackCap) return Format("%d+", 2 * kSlackCap);
    return Format("%d (%s at %.1f s: -%d/+%d)", s.Width(), KeyNames(s.keys).c_str(),
                  s.update / static_cast<double>(kUpdatesPerSecond), s.earlier, s.later);
}

}  // namespace

std::string ReportTable(const std::vector<LevelReport>& levels, bool markdown) {
    std::string out;
    if (markdown) {
        out += "| level | time | inputs | route features | new mechanics and pairings | plain walking | long floors | slack |\n";
        out += "|---|---|---|---|---|---|---|---|\n";
    }
    for (const LevelReport& r : levels) {
        const RouteMeasures& m = r.measures;
        std::vector<std::string> fresh = m.newMechanics;
        fresh.insert(fresh.end(), m.newPairings.begin(), m.newPairings.end());
        if (!r.error.empty()) {
            out += Format(markdown ? "| %d | %s |||||||\n" : "level %2d: %s\n", m.level, r.error.c_str());
            continue;
        }
        if (markdown) {
            out += Format("| %d | %.1f s | %d | %s (%d) | %s | %.0f %% | %.0f %% | %s |\n", m.level, m.Seconds(),
                          r.inputs, m.FeatureList().c_str(), m.FeatureCount(), Join(fresh, "; ").c_str(),
                          100 * m.PlainShare(), 100 * m.LongFloorShare(), SlackText(r).c_str());
        } else {
            out += Format("level %2d  %5.1f s  %3d inputs  plain %3.0f %%  long floors %3.0f %%  slack %s\n", m.level,
                          m.Seconds(), r.inputs, 100 * m.PlainShare(), 100 * m.LongFloorShare(),
                          SlackText(r).c_str());
            out += "          features (" + std::to_string(m.FeatureCount()) + "): " + m.FeatureList() + "\n";
            out += "          new: " + (fresh.empty() ? std::string("-") : Join(fresh, "; ")) + "\n";
        }
    }
    return out;
}

std::string ReportToLine(const LevelReport& r) {
    const RouteMeasures& m = r.measures;
    std::vector<std::string> mechanics(m.mechanics.begin(), m.mechanics.end());
    std::vector<std::string> pairings(m.pairings.begin(), m.pairings.end());
    return Format("%d\t%d\t%d\t%d\t%d\t%d\t%u\t%d\t%d\t%d\t%u\t%d\t%d\t", m.level, m.completed, m.updates,
                  m.controlUpdates, m.plainWalk, m.longFloorWalk, m.features, r.inputs, r.slackMeasured,
                  r.tightest.update, r.tightest.keys, r.tightest.earlier, r.tightest.later) +
           Join(mechanics, "|") + "\t" + Join(pairings, "|") + "\t" + r.error;
}

bool ReportFromLine(const std::string& line, LevelReport* r) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) fields.push_back(field);
    if (fields.size() < 15) return false;
    RouteMeasures& m = r->measures;
    int completed = 0, measured = 0;
    if (std::sscanf(line.c_str(), "%d\t%d\t%d\t%d\t%d\t%d\t%u\t%d\t%d\t%d\t%u\t%d\t%d", &m.level, &completed,
                    &m.updates, &m.controlUpdates, &m.plainWalk, &m.longFloorWalk, &m.features, &r->inputs,
                    &measured, &r->tightest.update, &r->tightest.keys, &r->tightest.earlier,
                    &r->tightest.later) != 13) {
        return false;
    }
    m.completed = completed != 0;
    r->slackMeasured = measured != 0;
    for (int list : {13, 14}) {
        std::istringstream names(fields[list]);
        while (std::getline(names, field, '|')) (list == 13 ? m.mechanics : m.pairings).insert(field);
    }
    r->error = fields.size() > 15 ? fields[15] : "";
    return true;
}
