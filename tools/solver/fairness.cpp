#include "tools/solver/fairness.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "game/shell/globals.h"
#include "game/world/tiles.h"

namespace {
constexpr int kSide = 64;
constexpr int kMoverWords = 10;
constexpr int kSnapMoverEntry = 6;      // a mover in a snapshot: record, type, x, y, x and y offsets
constexpr int kTileScreenPixels = 32;   // a tile on the screen at the game's zoom of 2
constexpr int kPlayOut = 240;           // updates with no key after a shifted script ends
constexpr int kCueLookBack = 60;       // a cue seen in the second before an input counts
constexpr size_t kResyncMoves = 8;      // moves after a shifted input in which the person may wait to resync
constexpr int kLauncherPeriod = 120;
constexpr int kResyncTries = 16;        // places at rest where the person tries to resync

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string KeyNames(unsigned keys) {
    std::string out;
    for (int bit = 0; bit < kScriptKeyCount; ++bit) {
        if (!(keys & (1u << bit))) continue;
        if (!out.empty()) out += "+";
        out += ScriptKeyName(bit);
    }
    return out.empty() ? "-" : out;
}

// The shots in flight of a snapshot, whatever records hold them.
std::vector<std::vector<int>> Shots(const GameSnapshot& s) {
    std::vector<std::vector<int>> shots;
    for (size_t m = 0; m + kSnapMoverEntry <= s.movers.size(); m += kSnapMoverEntry) {
        shots.emplace_back(s.movers.begin() + m + 1, s.movers.begin() + m + kSnapMoverEntry);
    }
    std::sort(shots.begin(), shots.end());
    return shots;
}

enum class Match { kNo, kAll, kMoreShots };

// Whether `a` is the game of `b`: the same in everything that decides what
// happens next, or the same but for shots of `a` that `b` does not have yet
// (fired a launcher period before `b`'s first, when the route was a period
// later there).
Match SameGame(const GameSnapshot& a, const GameSnapshot& b) {
    if (RoundDecides(a.round) != RoundDecides(b.round)) return Match::kNo;
    if (a.tileChanges != b.tileChanges) return Match::kNo;
    if (a.movers == b.movers) return Match::kAll;
    const std::vector<std::vector<int>> as = Shots(a), bs = Shots(b);
    if (as == bs) return Match::kAll;
    return std::includes(as.begin(), as.end(), bs.begin(), bs.end()) ? Match::kMoreShots : Match::kNo;
}

struct HeroAt {
    int x = 0, y = 0, state = 0, subX = 0, subY = 0;
    bool operator==(const HeroAt& o) const {
        return x == o.x && y == o.y && state == o.state && subX == o.subX && subY == o.subY;
    }
};

HeroAt Hero(const c_MyApp& a) { return {a.m_playerX, a.m_playerY, a.m_playerState, a.m_playerSubX, a.m_playerSubY}; }

// The route played once: the game before every update, the hero after it and the camera.
struct Recorded {
    std::vector<unsigned> keys;              // per update
    std::vector<GameSnapshot> before;        // before update u (index u), and after the last
    std::vector<HeroAt> hero;                // before update u, and after the last
    std::vector<float> camX, camY;           // the camera the picture of update u was drawn with
    std::vector<int> presses;                // updates at which a key goes down, after the drop-in
    std::vector<int> plungers;               // cells (y * 64 + x) of the level's plungers
    bool launchers = false;
    std::vector<int> launcherCells;          // y * 64 + x
    bool completed = false;
    std::vector<bool> clocked;               // before update u: a clock can reach the hero (see Clocked)
};

// Whether a clock can reach the hero in the game as it stands: a plunger
// runs, he is within two rows of a launcher's line of fire (up to the first
// wall, either way a flip block stands), or a shot flies within two rows.
bool Clocked(GameSession& session, const std::vector<bool>& exposed) {
    const c_MyApp& app = session.app();
    if (app.m_flipCount > 0) return true;
    const int x = app.m_playerX, y = app.m_playerY;
    if (x >= 0 && x < kSide && y >= 0 && y < kSide && exposed[y * kSide + x]) return true;
    for (int m = 0; m < kMoverRecords; ++m) {
        const int type = app.m_movers.Get(m * kMoverWords);
        if ((type == kTileMoverRight || type == kTileMoverLeft) &&
            std::abs(app.m_movers.Get(m * kMoverWords + 2) - y) <= 2) {
            return true;
        }
    }
    return false;
}

// The cells within two rows and a column of a launcher's line of fire.
std::vector<bool> ExposedCells(GameSession& session) {
    std::vector<bool> exposed(kSide * kSide, false);
    for (int at = 0; at < kSide * kSide; ++at) {
        const int x = at % kSide, y = at / kSide, tile = session.BaselineTile(x, y, 0);
        if (tile != kTileLauncherRight && tile != kTileLauncherLeft) continue;
        const int step = tile == kTileLauncherRight ? 1 : -1;
        for (int cx = x + step; cx > 0 && cx < kSide - 1; cx += step) {
            for (int dy = -2; dy <= 2; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int ex = cx + dx, ey = y + dy;
                    if (ex >= 0 && ex < kSide && ey >= 0 && ey < kSide) exposed[ey * kSide + ex] = true;
                }
            }
            if (session.BaselineTile(cx, y, 0) == kTileWall) break;
        }
    }
    return exposed;
}

void Build(GameSession& session, int level) {
    session.SetKeys(0);
    session.EnterLevel(level);
    session.SetMapBaseline();
}

Recorded Record(GameSession& session, int level, const InputScript& script) {
    Recorded r;
    Build(session, level);
    c_MyApp& app = session.app();
    const int n = script.Updates();
    const std::vector<bool> exposed = ExposedCells(session);
    unsigned previous = 0;
    for (int u = 0; u < n; ++u) {
        const unsigned keys = script.KeysAt(u);
        r.keys.push_back(keys);
        r.clocked.push_back(Clocked(session, exposed));
        r.before.push_back(session.Save());
        r.hero.push_back(Hero(app));
        if ((keys & ~previous) != 0 && app.m_dropIn >= 0) r.presses.push_back(u);
        previous = keys;
        session.StepWithKeys(keys);
        r.camX.push_back(app.m_camX);
        r.camY.push_back(app.m_camY);
    }
    r.before.push_back(session.Save());
    r.hero.push_back(Hero(app));
    for (int at = 0; at < kSide * kSide; ++at) {
        const int tile = session.BaselineTile(at % kSide, at / kSide, 0);
        if (tile == kTilePlunger) r.plungers.push_back(at);
        if (tile == kTileLauncherRight || tile == kTileLauncherLeft) r.launcherCells.push_back(at);
        r.launchers = !r.launcherCells.empty();
    }
    r.completed = app.m_playerState == kLeaving && app.m_lightsLeft == 0;
    session.SetKeys(0);
    return r;
}

// The route as a careful person presses it: a key that goes down while the
// hero is still in the move that an earlier key started (grip to catch the
// handle a jump ends on, the jump key of the next leap) goes down with that
// earlier key instead and stays down, wherever that leaves the game the same
// at the input after it. One gesture is one input.
InputScript CarefulFormOf(GameSession& session, int level, const InputScript& script) {
    const Recorded r = Record(session, level, script);
    std::vector<unsigned> keys = r.keys;
    const int n = static_cast<int>(keys.size());
    c_MyApp& app = session.app();
    size_t kept = 0;   // the last press that stays
    for (size_t k = 1; k < r.presses.size(); ++k) {
        const int from = r.presses[kept], press = r.presses[k];
        const int to = k + 1 < r.presses.size() ? r.presses[k + 1] : n;
        const unsigned fresh = keys[press] & ~keys[press - 1];
        // All of it, or grip alone (a jump key held through a jump cannot
        // start the next one: the jump latch waits for its release).
        bool merged = false;
        for (const unsigned early : {fresh, fresh & kReplayGrip}) {
            if (early == 0 || merged) continue;
            std::vector<unsigned> trial(keys.begin() + from, keys.begin() + to);
            for (int u = from; u < press; ++u) trial[u - from] |= early;
            session.Restore(r.before[from]);
            bool same = true;
            for (int u = from; u < to && same; ++u) {
                session.StepWithKeys(trial[u - from]);
                same = app.m_playerState != kDying && (app.m_playerState != kLeaving || u + 1 == n);
            }
            if (same && SameGame(session.Save(), r.before[to]) == Match::kAll) {
                std::copy(trial.begin(), trial.end(), keys.begin() + from);
                merged = early == fresh;
                if (!merged) break;
            }
        }
        if (!merged) kept = k;
    }
    session.SetKeys(0);
    InputScript careful;
    for (unsigned k : keys) careful.Append(k);
    return careful;
}

// How a shifted route failed, for naming the clock an input waits on.
struct Failure {
    bool shot = false;
    int row = -1, direction = 0;   // the shot's row and way (1 right)
    bool plungerRan = false;
    bool launcherPhase = false;    // no shot hit near the input, but the launchers' rhythm could not be met again
};

// Plays the route with press k moved by `shift` updates and says whether the
// level is still completed. Late: the keys before it stay held longer. Early:
// its keys go down then and stay down (with whatever was held) until the
// route's own press. From there the route's inputs follow in order; at the
// end of each of the next kResyncMoves moves where the hero rests, the person
// may wait to be back on the route: no wait, the early press's lead, or to the
// same point of the launchers' rhythm. Failing that, the route's inputs simply
// follow (his own rhythm) to the end.
bool ShiftedCompletes(GameSession& session, const Recorded& r, size_t k, int shift, Failure* failure) {
    c_MyApp& app = session.app();
    const int n = static_cast<int>(r.keys.size());
    const int press = r.presses[k];
    bool plunger = false;
    const auto watch = [&]() {
        for (int at : r.plungers) plunger = plunger || app.m_map.Get(app.p_CellIndex(at % kSide, at / kSide) + 9) > 0;
    };
    int now = std::min(press, press + shift) + std::abs(shift);   // updates since the build
    bool local = true;   // still in the moves after the input, where a failure is its own
    bool plungerLocal = false;
    const auto fail = [&]() {
        if (failure == nullptr) return;
        if (!local) {
            // A death far on stands for a game that never came back to the route.
            failure->plungerRan = plungerLocal;
            failure->launcherPhase = !plungerLocal && r.launchers;
            return;
        }
        failure->plungerRan = plunger;
        // The shot that hit: it was spent when it hit (its type lowered by two),
        // on the hero's row within a tile of him.
        for (int m = 0; m < kMoverRecords; ++m) {
            const int type = app.m_movers.Get(m * kMoverWords);
            const int x = app.m_movers.Get(m * kMoverWords + 1), y = app.m_movers.Get(m * kMoverWords + 2);
            if ((type == kTileLauncherRight || type == kTileLauncherLeft) && y == app.m_playerY &&
                std::abs(x - app.m_playerX) <= 1) {
                failure->shot = true;
                failure->row = y;
                failure->direction = type == kTileLauncherRight ? 1 : -1;
            }
        }
    };
    // One update; 1 completed, -1 failed, 0 going on.
    const auto step = [&](unsigned keys) {
        session.StepWithKeys(keys);
        if (!plunger) watch();
        if (app.m_playerState == kDying) return -1;
        if (app.m_playerState == kLeaving) return app.m_lightsLeft == 0 ? 1 : -1;
        return 0;
    };
    session.Restore(r.before[std::min(press, press + shift)]);
    if (shift > 0) {
        for (int i = 0; i < shift; ++i) {
            const int e = step(r.keys[press - 1]);
            if (e != 0) return e > 0 || (fail(), false);
        }
    } else {
        for (int u = press + shift; u < press; ++u) {
            const int e = step(r.keys[u] | r.keys[press]);
            if (e != 0) return e > 0 || (fail(), false);
        }
    }
    // Back on the route: with the hero at rest where the route's hero stood at
    // update `target`, he waits (holding only grip) until he is as late as the
    // route there, or a whole number of launcher periods later; the game is
    // then the route's, or goes on as the route's until it is.
    int tries = 0;
    const auto resync = [&](int target) {
        const int late = now - target;
        std::vector<int> waits;
        if (late <= 0) waits.push_back(-late);
        if (late > 0 && r.launchers) waits.push_back((kLauncherPeriod - late % kLauncherPeriod) % kLauncherPeriod);
        if (late > 0 && !r.launchers) waits.push_back(0);
        const GameSnapshot here = session.Save();
        const HeroAt rest = Hero(app);
        const bool plungerBefore = plunger;
        const unsigned restKeys = r.keys[std::max(0, target - 1)] & kReplayGrip;
        for (int wait : waits) {
            bool alive = true;
            for (int i = 0; i < wait && alive; ++i) {
                session.StepWithKeys(restKeys);
                alive = app.m_playerState != kDying && Hero(app) == rest;
            }
            Match match = alive ? SameGame(session.Save(), r.before[target]) : Match::kNo;
            // With shots the route has not fired yet, it goes on as the route
            // until the games are the same, or the level is completed.
            for (int u = target; match == Match::kMoreShots && u < n; ++u) {
                const int e = step(r.keys[u]);
                if (e != 0) {
                    match = e > 0 ? Match::kAll : Match::kNo;
                    break;
                }
                match = SameGame(session.Save(), r.before[u + 1]);
            }
            if (match == Match::kAll) return true;
            session.Restore(here);
        }
        plunger = plungerBefore;
        return false;
    };
    // The route's updates where its hero stood at each tile, to find where to take it up.
    const auto routeAt = [&](const HeroAt& hero, int around) {
        for (int d = 0; d <= 2 * kLauncherPeriod; ++d) {
            for (int t : {around - d, around + d}) {
                if (t > press && t < n && r.hero[t] == hero) return t;
            }
        }
        return -1;
    };
    for (size_t j = k; j < r.presses.size(); ++j) {
        const int from = r.presses[j], to = j + 1 < r.presses.size() ? r.presses[j + 1] : n;
        if (j >= k + kResyncMoves && local) {
            plungerLocal = plunger;
            local = false;
        }
        for (int u = from; u < to; ++u) {
            const int e = step(r.keys[u]);
            ++now;
            if (e != 0) return e > 0 || (fail(), false);
            if (!local || tries >= kResyncTries) continue;
            const HeroAt hero = Hero(app);
            if (hero.state != kStand || hero.subX != 0 || hero.subY != 0) continue;
            const int target = u + 1 == to ? to : routeAt(hero, u + 1);
            if (target < 0 || target >= n) continue;
            ++tries;
            if (resync(target)) return true;
        }
    }
    for (int v = 0; v < kPlayOut; ++v) {
        const int e = step(0);
        if (e != 0) return e > 0 || (fail(), false);
    }
    fail();
    return false;
}

// Whether a point of the map (in tile pixels of 16) is on the default view as
// the camera stood for update u.
bool InView(const Recorded& r, int u, float mapX, float mapY) {
    const float x = 2.0f * mapX - r.camX[u], y = 2.0f * mapY - r.camY[u];
    return x >= 0 && x < kp_Glimmer_jscrw && y >= 0 && y < kp_Glimmer_jscrh;
}

// The launcher that fires along `row` in `direction`, nearest behind column x.
int LauncherColumn(GameSession& session, int row, int direction, int x) {
    const int tile = direction > 0 ? kTileLauncherRight : kTileLauncherLeft;
    for (int cx = x; cx >= 0 && cx < kSide; cx -= direction) {
        if (session.BaselineTile(cx, row, 0) == tile) return cx;
    }
    return -1;
}

// The launchers that fire in the same updates as the one at `cell`, it
// among them: every launcher counts up from a start phase of its own (set by
// its place on the map, layer 9 of the built map) and fires when it wraps, so
// those that start at the same phase keep one beat.
std::vector<int> SameBeat(GameSession& session, const Recorded& r, int cell) {
    const int phase = session.BaselineTile(cell % kSide, cell / kSide, 9);
    std::vector<int> beat;
    for (int at : r.launcherCells) {
        if (session.BaselineTile(at % kSide, at / kSide, 9) == phase) beat.push_back(at);
    }
    return beat;
}

// Whether the beat of the launcher at `cell` was on the view during the second
// before update u (what the person reacts to): the tile of a launcher of that
// beat, or one of its shots in flight (a shot on its row, going its way, with
// no other launcher of that way between them). Launchers of other beats tell
// nothing about this one: each keeps its own phase.
bool BeatSeen(GameSession& session, const Recorded& r, int u, int cell) {
    constexpr float kCentre = 8.0f;   // half a tile, in tile pixels
    for (int at : SameBeat(session, r, cell)) {
        const int lx = at % kSide, ly = at / kSide;
        const int tile = session.BaselineTile(lx, ly, 0);
        const int direction = tile == kTileLauncherRight ? 1 : -1;
        const int shotType = direction > 0 ? kTileMoverRight : kTileMoverLeft;
        for (int v = std::max(0, u - kCueLookBack); v <= u; ++v) {
            if (InView(r, v, 16.0f * lx + kCentre, 16.0f * ly + kCentre)) return true;
            const GameSnapshot& s = r.before[v + 1];   // the shots drawn in update v
            for (size_t m = 0; m + kSnapMoverEntry <= s.movers.size(); m += kSnapMoverEntry) {
                if (s.movers[m + 1] != shotType || s.movers[m + 3] != ly) continue;
                const int sx = s.movers[m + 2];
                if ((sx - lx) * direction < 0 || LauncherColumn(session, ly, direction, sx) != lx) continue;
                if (InView(r, v, 16.0f * sx + s.movers[m + 4] + kCentre, 16.0f * ly + kCentre)) return true;
            }
        }
    }
    return false;
}

// Names the input's clock and says whether the view shows it.
void FindCue(GameSession& session, const Recorded& r, const Failure& f, InputWindow* w) {
    const int u = w->update;
    if (f.shot) {
        w->clock = WindowClock::kLauncher;
        w->clockY = f.row;
        w->clockX = LauncherColumn(session, f.row, f.direction, w->x);
        // While a plunger runs, its countdown (always in view) tells when its
        // flip blocks let the shots through.
        w->cueInView = f.plungerRan || (w->clockX >= 0 && BeatSeen(session, r, u, w->clockY * kSide + w->clockX));
        return;
    }
    if (f.launcherPhase) {
        // The launcher nearest the hero stands for the rhythm he could not meet again.
        w->clock = WindowClock::kLauncher;
        int bestDistance = 1 << 30;
        for (int at = 0; at < kSide * kSide; ++at) {
            const int tile = session.BaselineTile(at % kSide, at / kSide, 0);
            if (tile != kTileLauncherRight && tile != kTileLauncherLeft) continue;
            const int d = std::abs(at % kSide - w->x) + std::abs(at / kSide - w->y);
            if (d < bestDistance) bestDistance = d, w->clockX = at % kSide, w->clockY = at / kSide;
        }
        w->cueInView = BeatSeen(session, r, u, w->clockY * kSide + w->clockX);
        return;
    }
    if (f.plungerRan) {
        // The game draws the running plunger beside the pause button, in the
        // frame its tile shows (game_round.cpp): its state is always in view.
        w->clock = WindowClock::kPlunger;
        int bestDistance = 1 << 30;
        for (int at : r.plungers) {
            const int d = std::abs(at % kSide - w->x) + std::abs(at / kSide - w->y);
            if (d < bestDistance) bestDistance = d, w->clockX = at % kSide, w->clockY = at / kSide;
        }
        w->cueInView = true;
        return;
    }
    w->clock = WindowClock::kNone;
    w->cueInView = true;
}

bool StartInFire(GameSession& session) {
    const c_MyApp& app = session.app();
    const int sx = app.m_playerX, sy = app.m_playerY;
    for (int x = 0; x < kSide; ++x) {
        const int tile = session.BaselineTile(x, sy, 0);
        if (tile != kTileLauncherRight && tile != kTileLauncherLeft) continue;
        const int step = tile == kTileLauncherRight ? 1 : -1;
        if ((sx - x) * step <= 0) continue;
        bool blocked = false;
        for (int cx = x + step; cx != sx; cx += step) {
            const int t = session.BaselineTile(cx, sy, 0);
            blocked = blocked || t == kTileWall || t == kTileFlipEven;   // no plunger runs at the start
        }
        if (!blocked) return true;
    }
    return false;
}

}  // namespace

InputScript CarefulForm(GameSession& session, int level, const InputScript& script) {
    return CarefulFormOf(session, level, script);
}

int FairWindowGoal(int level) { return level <= kFairFirstLevelsLast ? kFairWindowFirstLevels : kFairWindow; }

std::string FairnessReport::Where() const {
    if (smallest < 0) return "-";
    const InputWindow& w = inputs[smallest];
    return Format("%s at %.1f s, (%d %d)", KeyNames(w.keys).c_str(), w.update / 60.0, w.x, w.y);
}

FairnessReport MeasureFairness(GameSession& session, int level, const InputScript& script, int from, int to,
                               int stopBelow) {
    FairnessReport report;
    report.level = level;
    report.updates = script.Updates();
    const Recorded r = Record(session, level, CarefulFormOf(session, level, script));
    report.completed = r.completed;
    if (!r.completed) {
        report.error = "the route does not complete the level";
        return report;
    }
    Build(session, level);
    report.startInFire = StartInFire(session);
    for (size_t k = 0; k < r.presses.size(); ++k) {
        if (r.presses[k] < from || r.presses[k] > to) continue;
        InputWindow w;
        w.update = r.presses[k];
        w.keys = r.keys[w.update];
        w.x = r.hero[w.update].x;
        w.y = r.hero[w.update].y;
        // Where no clock can reach the hero from a second before the input to
        // the end of the moves after it, a press at any time leads on the same
        // way: it keeps the widest window without being played.
        const int calmFrom = std::max(0, w.update - kWindowSide);
        const size_t last = std::min(k + kResyncMoves + 1, r.presses.size());
        const int calmTo = last < r.presses.size() ? r.presses[last] : static_cast<int>(r.keys.size());
        if (std::none_of(r.clocked.begin() + calmFrom, r.clocked.begin() + calmTo, [](bool c) { return c; })) {
            w.later = kWindowSide;
            report.inputs.push_back(w);
            if (report.smallest < 0 || w.Width() < report.inputs[report.smallest].Width()) {
                report.smallest = static_cast<int>(report.inputs.size()) - 1;
            }
            continue;
        }
        Failure edge;
        bool clockBound = false;
        while (w.later < kWindowSide) {
            Failure f;
            if (!ShiftedCompletes(session, r, k, w.later + 1, &f)) {
                edge = f;
                clockBound = true;
                break;
            }
            ++w.later;
        }
        // Earlier, but not before the keys last changed (the input before it,
        // a release, or the drop-in's end).
        int before = k > 0 ? r.presses[k - 1] : r.presses[0] - 1;
        for (int u = w.update - 1; u > before; --u) {
            if (r.keys[u] != r.keys[u - 1]) {
                before = u;
                break;
            }
        }
        const int earliest = std::min(kWindowSide, w.update - before - 1);
        while (w.earlier < earliest) {
            Failure f;
            if (!ShiftedCompletes(session, r, k, -(w.earlier + 1), &f)) {
                // A press while the hero still moves may change that move: no clock in it.
                const HeroAt& then = r.hero[w.update - w.earlier - 1];
                if (!clockBound && then.state == kStand && then.subX == 0 && then.subY == 0) {
                    edge = f;
                    clockBound = true;
                }
                break;
            }
            ++w.earlier;
        }
        if (clockBound) FindCue(session, r, edge, &w);
        w.timed = clockBound && w.clock != WindowClock::kNone;
        if (w.timed) {
            ++report.timedInputs;
            report.cuesOutOfView += !w.cueInView;
            report.lastTimedUpdate = w.update;
        }
        if (report.smallest < 0 || w.Width() < report.inputs[report.smallest].Width()) {
            report.smallest = static_cast<int>(report.inputs.size());
        }
        report.inputs.push_back(w);
        if (w.Width() < stopBelow) break;
    }
    session.SetKeys(0);
    return report;
}

std::vector<std::string> FairnessFaults(const FairnessReport& r) {
    std::vector<std::string> faults;
    const std::string name = "level " + std::to_string(r.level) + ": ";
    if (!r.error.empty()) return {name + r.error};
    if (r.SmallestWindow() < FairWindowGoal(r.level)) {
        faults.push_back(name + Format("smallest window %d updates (%s), under %d", r.SmallestWindow(),
                                       r.Where().c_str(), FairWindowGoal(r.level)));
    }
    for (const InputWindow& w : r.inputs) {
        if (w.timed && !w.cueInView) {
            faults.push_back(name + Format("the %s input at %.1f s waits on the %s at (%d, %d), out of view",
                                           KeyNames(w.keys).c_str(), w.update / 60.0,
                                           w.clock == WindowClock::kPlunger ? "plunger" : "launcher", w.clockX,
                                           w.clockY));
        }
    }
    if (r.startInFire) faults.push_back(name + "the start lies in a line of fire");
    if (r.lastTimedUpdate > kFairReplayUpdates) {
        faults.push_back(name + Format("a death at the last timed input replays %.1f s", r.lastTimedUpdate / 60.0));
    }
    return faults;
}

std::string FairnessTable(const std::vector<FairnessReport>& reports, bool csv) {
    std::string out;
    if (csv) {
        out += "level,smallest_window_updates,where,timed_inputs,cues_out_of_view\n";
    } else {
        out += "level  time     inputs  smallest window                                timed  out of view  replay  start\n";
    }
    for (const FairnessReport& r : reports) {
        if (!r.error.empty()) {
            out += csv ? Format("%d,,%s,,\n", r.level, r.error.c_str()) : Format("%5d  %s\n", r.level, r.error.c_str());
            continue;
        }
        if (csv) {
            out += Format("%d,%d,%s,%d,%d\n", r.level, r.SmallestWindow(), r.Where().c_str(), r.timedInputs,
                          r.cuesOutOfView);
        } else {
            out += Format("%5d  %5.1f s  %6d  %3d  %-41s  %5d  %11d  %5.1f s  %s\n", r.level, r.updates / 60.0,
                          static_cast<int>(r.inputs.size()), r.SmallestWindow(), r.Where().c_str(), r.timedInputs, r.cuesOutOfView,
                          r.lastTimedUpdate / 60.0, r.startInFire ? "in fire" : "safe");
        }
    }
    return out;
}

std::string FairnessToLine(const FairnessReport& r) {
    std::string line = Format("%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%s\t", r.level, r.completed, r.updates, r.smallest,
                              r.timedInputs, r.cuesOutOfView, r.lastTimedUpdate, r.startInFire,
                              static_cast<int>(r.inputs.size()), r.error.c_str());
    for (const InputWindow& w : r.inputs) {
        line += Format("%d %u %d %d %d %d %d %d %d %d %d;", w.update, w.keys, w.x, w.y, w.earlier, w.later, w.timed,
                       static_cast<int>(w.clock), w.clockX, w.clockY, w.cueInView);
    }
    return line;
}

bool FairnessFromLine(const std::string& line, FairnessReport* r) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) fields.push_back(field);
    if (fields.size() < 10) return false;
    int completed = 0, fire = 0, count = 0;
    if (std::sscanf(line.c_str(), "%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d", &r->level, &completed, &r->updates,
                    &r->smallest, &r->timedInputs, &r->cuesOutOfView, &r->lastTimedUpdate, &fire, &count) != 9) {
        return false;
    }
    r->completed = completed != 0;
    r->startInFire = fire != 0;
    r->error = fields[9];
    r->inputs.clear();
    std::istringstream windows(fields.size() > 10 ? fields[10] : "");
    while (std::getline(windows, field, ';')) {
        InputWindow w;
        int timed = 0, clock = 0, seen = 0;
        if (std::sscanf(field.c_str(), "%d %u %d %d %d %d %d %d %d %d %d", &w.update, &w.keys, &w.x, &w.y,
                        &w.earlier, &w.later, &timed, &clock, &w.clockX, &w.clockY, &seen) != 11) {
            return false;
        }
        w.timed = timed != 0;
        w.clock = static_cast<WindowClock>(clock);
        w.cueInView = seen != 0;
        r->inputs.push_back(w);
    }
    return static_cast<int>(r->inputs.size()) == count;
}
