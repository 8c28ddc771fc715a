#include "tools/solver/forgiving_route.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/game_ids.h"
#include "game/world/tiles.h"
#include "tools/solver/fairness.h"
#include "tools/solver/level_solver.h"

namespace {

constexpr int kSide = 64;
constexpr int kLauncherPeriod = 120;
constexpr int kAfterWorst = 120;     // updates after the worst input whose windows count too
constexpr int kRegionMargin = 3;     // tiles round the stretch of the route where refuges are looked for

std::vector<unsigned> KeysOf(const InputScript& script) {
    std::vector<unsigned> keys;
    for (const ScriptRun& run : script.Runs()) keys.insert(keys.end(), run.updates, run.keys);
    return keys;
}

InputScript ScriptOf(const std::vector<unsigned>& keys) {
    InputScript script;
    for (unsigned k : keys) script.Append(k);
    return script;
}

// A place where the route's hero rests (standing, hanging or on a ladder,
// holding nothing but grip) from update `arrive` until the press at `press`:
// the end of every move but those that run on into the next (a person may
// stop at any of them).
struct Rest {
    int arrive = 0, press = 0;
    int x = 0, y = 0;
    bool plunger = false;   // a plunger runs there: the game cannot be met again later
};

// The route played once from the build: the game before every update, and its rests.
struct Played {
    std::vector<GameSnapshot> before;
    std::vector<Rest> rests;
    std::vector<int> heroX, heroY;
    bool completed = false;
};

bool PlungerRuns(GameSession& session) {
    c_MyApp& app = session.app();
    for (int at = 0; at < kSide * kSide; ++at) {
        if (session.BaselineTile(at % kSide, at / kSide, 0) == kTilePlunger &&
            app.m_map.Get(app.p_CellIndex(at % kSide, at / kSide) + 9) > 0) {
            return true;
        }
    }
    return false;
}

Played Play(GameSession& session, int level, const std::vector<unsigned>& keys) {
    Played p;
    session.SetKeys(0);
    session.EnterLevel(level);
    session.SetMapBaseline();
    c_MyApp& app = session.app();
    int restFrom = -1;   // the update since which the hero rests where he stands
    for (size_t u = 0; u < keys.size(); ++u) {
        p.before.push_back(session.Save());
        p.heroX.push_back(app.m_playerX);
        p.heroY.push_back(app.m_playerY);
        const unsigned held = u > 0 ? keys[u - 1] : 0;
        const bool still = app.m_playerState == kStand && app.m_playerSubX == 0 && app.m_playerSubY == 0 &&
                           app.m_dropIn >= 0;
        const bool same = u > 0 && p.heroX[u - 1] == app.m_playerX && p.heroY[u - 1] == app.m_playerY;
        if (!still) {
            restFrom = -1;
        } else if (restFrom < 0 || !same || (held & ~kReplayGrip) != 0) {
            restFrom = static_cast<int>(u);
        }
        if (restFrom >= 0 && (keys[u] & ~held) != 0) {
            p.rests.push_back({restFrom, static_cast<int>(u), app.m_playerX, app.m_playerY, PlungerRuns(session)});
        }
        session.StepWithKeys(keys[u]);
        if (app.m_playerState == kDying) break;
    }
    p.before.push_back(session.Save());
    p.completed = app.m_playerState == kLeaving && app.m_lightsLeft == 0 && p.before.size() == keys.size() + 1;
    session.SetKeys(0);
    return p;
}

bool Solid(int tile) { return tile == kTileWall || tile == kTileLauncherLeft || tile == kTileLauncherRight; }
bool Spikes(int tile) { return tile >= kTileSpikesFirst && tile <= kTileSpikesLast; }

// Whether a shot can fly through tile (x, y): on a launcher's row, on its
// firing side, with no wall between (flip blocks may stand open).
bool InLineOfFire(GameSession& session, int x, int y) {
    for (int lx = 0; lx < kSide; ++lx) {
        const int tile = session.BaselineTile(lx, y, 0);
        if (tile != kTileLauncherLeft && tile != kTileLauncherRight) continue;
        const int step = tile == kTileLauncherRight ? 1 : -1;
        if ((x - lx) * step <= 0) continue;
        bool walled = false;
        for (int cx = lx + step; cx != x && !walled; cx += step) walled = session.BaselineTile(cx, y, 0) == kTileWall;
        if (!walled) return true;
    }
    return false;
}

// Tiles out of every line of fire where the hero can stand still (a floor
// below, or a ladder), near the stretch of the route from update `from` to
// `to`, nearest to the route's hero at update `nearUpdate` first; the route's own
// rests are left out (waits there are tried on their own).
std::vector<int> Refuges(GameSession& session, const Played& p, int from, int to, int nearUpdate, size_t most) {
    int x0 = kSide, x1 = -1, y0 = kSide, y1 = -1;
    for (int u = from; u <= to && u < static_cast<int>(p.heroX.size()); ++u) {
        x0 = std::min(x0, p.heroX[u]), x1 = std::max(x1, p.heroX[u]);
        y0 = std::min(y0, p.heroY[u]), y1 = std::max(y1, p.heroY[u]);
    }
    std::vector<int> cells;
    for (int y = std::max(1, y0 - kRegionMargin); y <= std::min(kSide - 2, y1 + kRegionMargin); ++y) {
        for (int x = std::max(1, x0 - kRegionMargin); x <= std::min(kSide - 2, x1 + kRegionMargin); ++x) {
            const int here = session.BaselineTile(x, y, 0), below = session.BaselineTile(x, y + 1, 0);
            if (Solid(here) || Spikes(here) || here == kTilePlunger || here == kTileExit) continue;
            if (here == kTileFlipEven || here == kTileFlipOdd || here == kTileGripBar) continue;
            const bool stands = here == kTileLadder || Solid(below) || below == kTileLadder || below == kTileGripBar;
            if (!stands || InLineOfFire(session, x, y)) continue;
            bool rested = false;
            for (const Rest& r : p.rests) rested = rested || (r.x == x && r.y == y && r.press >= from && r.press <= to);
            if (!rested) cells.push_back(y * kSide + x);
        }
    }
    const int nx = p.heroX[nearUpdate], ny = p.heroY[nearUpdate];
    std::sort(cells.begin(), cells.end(), [&](int a, int b) {
        return std::abs(a % kSide - nx) + std::abs(a / kSide - ny) < std::abs(b % kSide - nx) + std::abs(b / kSide - ny);
    });
    if (cells.size() > most) cells.resize(most);
    return cells;
}

// The smallest window, less a launcher period for every timed input whose
// cue is out of view: a route that brings the beat on the screen counts first.
int Score(const FairnessReport& r) { return r.SmallestWindow() - kLauncherPeriod * r.cuesOutOfView; }

struct Candidate {
    std::vector<unsigned> keys;
    int score = 0;
    std::string what;
};

// Keeps `trial` when it completes the level and its windows from `from` to
// `to` beat the best so far.
void Consider(GameSession& session, int level, std::vector<unsigned> trial, int from, int to, std::string what,
              Candidate* best) {
    std::string why;
    if (!ReplayLevelScript(session, level, ScriptOf(trial), &why)) return;
    const FairnessReport r = MeasureFairness(session, level, ScriptOf(trial), from, to, best->score + 1);
    if (!r.completed || Score(r) <= best->score) return;
    best->keys = std::move(trial);
    best->score = Score(r);
    best->what = std::move(what);
}

std::string Describe(const char* format, int a, int b, int c, int d) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

}  // namespace

InputScript MostForgivingRoute(GameSession& session, int level, const InputScript& route, std::string* log) {
    std::vector<unsigned> keys = KeysOf(route);
    SolverOptions local;
    local.maxStates = kForgivingSearchStates;
    session.SetKeys(0);
    session.EnterLevel(level);
    session.SetMapBaseline();
    bool launchers = false;
    for (int at = 0; at < kSide * kSide; ++at) {
        const int tile = session.BaselineTile(at % kSide, at / kSide, 0);
        launchers = launchers || tile == kTileLauncherLeft || tile == kTileLauncherRight;
    }
    for (int round = 0; round < kForgivingRounds; ++round) {
        const FairnessReport report = MeasureFairness(session, level, ScriptOf(keys));
        if (!report.completed || report.smallest < 0) break;
        const InputWindow worst = report.inputs[report.smallest];
        if (worst.Width() >= kForgivingEnough && report.cuesOutOfView == 0) break;
        // The worst input: the narrowest, or else the first whose cue is out of view.
        InputWindow target = worst;
        if (worst.Width() >= kForgivingEnough) {
            for (const InputWindow& w : report.inputs) {
                if (w.timed && !w.cueInView) {
                    target = w;
                    break;
                }
            }
        }
        const Played played = Play(session, level, keys);
        if (!played.completed) break;
        std::vector<Rest> places, rejoins;
        for (const Rest& r : played.rests) {
            if (r.press <= target.update) places.push_back(r);
            if (r.arrive > target.update && !r.plunger && rejoins.size() < kForgivingRejoins &&
                !InLineOfFire(session, r.x, r.y)) {
                rejoins.push_back(r);
            }
        }
        if (places.size() > kForgivingPlaces) places.erase(places.begin(), places.end() - kForgivingPlaces);
        // The windows from the earliest place on, as the route stands, up to
        // two seconds past the worst input or the last place it may be met again.
        const int from = places.empty() ? target.update : places.front().press;
        int to = target.update + kAfterWorst;
        for (const Rest& r : rejoins) to = std::max(to, r.press + kAfterWorst);
        Candidate best;
        best.score = Score(MeasureFairness(session, level, ScriptOf(keys), from, to));
        const int before = best.score;

        // A longer wait at one of the places the route rests.
        for (const Rest& at : places) {
            for (int wait = kForgivingStep; wait < kForgivingLongest; wait += kForgivingStep) {
                std::vector<unsigned> trial(keys.begin(), keys.begin() + at.press);
                trial.insert(trial.end(), wait, keys[at.press - 1]);
                trial.insert(trial.end(), keys.begin() + at.press, keys.end());
                Consider(session, level, std::move(trial), from, to + wait,
                         Describe("wait %d updates at (%d %d), %d", wait, at.x, at.y, at.press), &best);
            }
        }

        // A stop at a refuge the route passes by: the fastest way there from
        // one of the last places it rests, a wait, and the fastest way on to
        // a place after the worst input where the route rests out of the line
        // of fire, met at the same point of the launchers' period (or of the
        // route, on a level without launchers).
        const size_t starts = std::min<size_t>(places.size(), kForgivingDetourStarts);
        for (size_t s = places.size() - starts; s < places.size(); ++s) {
            const Rest& start = places[s];
            const int nearUpdate = std::min(target.update, static_cast<int>(played.heroX.size()) - 1);
            const int last = rejoins.empty() ? target.update + kAfterWorst : rejoins.back().press;
            for (int cell : Refuges(session, played, start.press, last, nearUpdate, kForgivingRefuges)) {
                GameSnapshot there = played.before[start.press];
                there.round.m_playerX = cell % kSide;
                there.round.m_playerY = cell / kSide;
                there.keys = 0;
                const SolveResult toRefuge =
                    SolveToWayPoint(session, level, played.before[start.press], start.press, there, false, local);
                if (!toRefuge.solved) continue;
                const int arrive = start.press + toRefuge.updates;
                const std::vector<unsigned> way = KeysOf(toRefuge.script);
                const unsigned restKeys = way.empty() ? 0 : way.back() & kReplayGrip;
                for (int wait = 0; wait < kLauncherPeriod; wait += kForgivingStep) {
                    session.Restore(toRefuge.end);
                    bool alive = true;
                    for (int i = 0; i < wait && alive; ++i) {
                        session.StepWithKeys(restKeys);
                        alive = session.app().m_playerState == kStand && session.app().m_playerX == cell % kSide &&
                                session.app().m_playerY == cell / kSide;
                    }
                    if (!alive) break;
                    const GameSnapshot waited = session.Save();
                    for (const Rest& rejoin : rejoins) {
                        const SolveResult on = SolveToWayPoint(session, level, waited, arrive + wait,
                                                               played.before[rejoin.press], true, local);
                        if (!on.solved) continue;
                        // Met again at the route's update `meet` of its rest there, `align` updates later.
                        const int there = arrive + wait + on.updates;
                        int meet = rejoin.press, align = 0;
                        if (launchers) {
                            int bestAlign = 1 << 30;
                            for (int m = rejoin.arrive; m <= rejoin.press; ++m) {
                                const int a = ((m - there) % kLauncherPeriod + kLauncherPeriod) % kLauncherPeriod;
                                if (a < bestAlign) bestAlign = a, meet = m;
                            }
                            align = bestAlign;
                        }
                        std::vector<unsigned> trial(keys.begin(), keys.begin() + start.press);
                        trial.insert(trial.end(), way.begin(), way.end());
                        trial.insert(trial.end(), wait, restKeys);
                        const std::vector<unsigned> onKeys = KeysOf(on.script);
                        trial.insert(trial.end(), onKeys.begin(), onKeys.end());
                        trial.insert(trial.end(), align, keys[std::max(0, meet - 1)] & kReplayGrip);
                        trial.insert(trial.end(), keys.begin() + meet, keys.end());
                        const int shift = there + align - meet;
                        Consider(session, level, std::move(trial), start.press, to + shift,
                                 Describe("stop at (%d %d) for %d updates, on from %d", cell % kSide, cell / kSide,
                                          wait, start.press),
                                 &best);
                        break;
                    }
                }
            }
        }
        if (best.keys.empty()) break;
        keys = best.keys;
        if (log) {
            char line[240];
            std::snprintf(line, sizeof line, "level %d: %s (smallest window there %d -> %d)\n", level,
                          best.what.c_str(), before, best.score);
            *log += line;
        }
    }
    return ScriptOf(keys);
}
