#include "tools/solver/route_meter.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>

#include "game/world/tiles.h"

namespace {
constexpr int kPlayableWidth = 62;
constexpr double kLongFloorFraction = 0.7;
constexpr int kJumpableGap = 2;          // holes or spikes a three-tile jump clears
constexpr int kWaitUpdates = 20;         // a stand of this many updates is a deliberate wait
constexpr int kPairingUpdates = 20;      // two mechanics this close in time are a pairing
constexpr int kDodgeTiles = 6;           // a shot this close on the hero's row makes a walk a dodge
constexpr int kHitX = 12;                // tile pixels: a shot closer than this sideways...
constexpr int kHitY = 8;                 // ...and this up or down kills
constexpr int kDodgeReachY = 32;         // clear of a shot by less than two rows
constexpr int kLateWindowTimer = 240;    // plunger timer (480 = 4 s) under which less than 2 s remain
constexpr int kDropInDone = 0;

bool IsJump(int state) { return state >= kJump1 && state <= kJump3; }
bool IsSpikes(int tile) { return tile >= kTileSpikesFirst && tile <= kTileSpikesLast; }
bool IsHandle(int tile) { return tile == kTileHandleLeft || tile == kTileHandleRight; }
bool IsLauncher(int tile) { return tile == kTileLauncherLeft || tile == kTileLauncherRight; }

// The family of each mechanic: pairings are made across families (a handle
// and a jump from it are one thing). The basic moves (walk, turn, ladder
// climb, fall, jump) have none and take no part in pairings.
const char* Family(const std::string& mechanic) {
    static const std::map<std::string, const char*> families = {
        {"spike jump", "spikes"},
        {"bar", "bar"}, {"bar shuffle", "bar"}, {"catch a bar mid-jump", "bar"}, {"jump from a bar", "bar"},
        {"climb onto a bar", "bar"}, {"let down onto a bar", "bar"},
        {"handles", "handle"}, {"catch a handle", "handle"}, {"jump from a handle", "handle"},
        {"handle shuffle", "handle"},
        {"jump from a ladder", "ladder"}, {"catch a ladder mid-jump", "ladder"},
        {"plunger", "window"}, {"D wall", "window"}, {"d bridge", "window"}, {"late window", "window"},
        {"D wall and d bridge in one window", "window"}, {"two plungers cancel", "window"},
        {"line of fire", "fire"}, {"shot dodged", "fire"}, {"jump a shot", "fire"}, {"duck a shot", "fire"},
        {"dodge a shot on a ladder", "fire"}, {"stand above a shot", "fire"}, {"dodge under fire", "fire"},
        {"shield", "shield"}, {"wait", "wait"}, {"$", "$"},
    };
    const auto it = families.find(mechanic);
    return it == families.end() ? nullptr : it->second;
}

struct Hero {
    int x = 0, y = 0, subX = 0, subY = 0, state = 0;
};

}  // namespace

const char* RouteFeatureName(int feature) {
    static const char* const kNames[kFeatureCount] = {
        "spike jump", "bar", "handles", "plunger", "D wall",
        "d bridge", "late window", "line of fire", "shot dodged", "wait",
    };
    return feature >= 0 && feature < kFeatureCount ? kNames[feature] : "?";
}

int RouteMeasures::FeatureCount() const {
    int n = 0;
    for (int f = 0; f < kFeatureCount; ++f) n += (features >> f) & 1;
    return n;
}

std::string RouteMeasures::FeatureList(const char* separator) const {
    std::string out;
    for (int f = 0; f < kFeatureCount; ++f) {
        if (!(features & (1u << f))) continue;
        if (!out.empty()) out += separator;
        out += RouteFeatureName(f);
    }
    return out;
}

struct RouteMeter::Impl {
    c_MyApp& app;
    RouteMeasures m;
    Hero prev;
    float prevDropIn = 0;
    int update = 0;
    int stillRun = 0;
    int takeOffFloor = 0;          // width of the floor the current jump left
    int windowStart = -1;          // update at which the current plunger window opened
    bool windowUsedD = false, windowUsedBridge = false;
    std::vector<int> launchers;    // y * 64 + x
    std::vector<int> plungers;
    std::vector<int> pickups;      // "$" cells not yet taken
    std::vector<std::pair<int, int>> liveMovers;   // (record, type) sliding after the last update
    std::map<std::string, std::vector<int>> when;   // mechanic -> updates it was seen

    Impl(c_MyApp& a, int level) : app(a) {
        m.level = level;
        for (int y = 0; y < kLevelSide; ++y) {
            for (int x = 0; x < kLevelSide; ++x) {
                const int tile = app.p_Tile(x, y);
                if (IsLauncher(tile)) launchers.push_back(y * kLevelSide + x);
                if (tile == kTilePlunger) plungers.push_back(y * kLevelSide + x);
                if (tile == kTileCountedPickup) pickups.push_back(y * kLevelSide + x);
            }
        }
        prev = Read();
        prevDropIn = app.m_dropIn;
    }

    Hero Read() const { return {app.m_playerX, app.m_playerY, app.m_playerSubX, app.m_playerSubY, app.m_playerState}; }
    int Tile(int x, int y) const { return app.p_Tile(x, y); }
    bool Odd() const { return (app.m_flipCount & 1) != 0; }
    bool Solid(int tile) const { return app.p_isSolid(tile); }
    bool StopsShots(int tile) const {
        return tile == kTileWall || (tile == kTileFlipEven && !Odd()) || (tile == kTileFlipOdd && Odd());
    }

    void Note(const std::string& mechanic) {
        std::vector<int>& at = when[mechanic];
        if (at.empty() || at.back() != update) at.push_back(update);
    }
    void Feature(RouteFeature f) {
        m.features |= 1u << f;
        Note(RouteFeatureName(f));
    }

    bool Standable(int x, int y) const {
        const int here = Tile(x, y), below = Tile(x, y + 1);
        if (Solid(here) || IsSpikes(here)) return false;
        return app.p_isFloor(below) || below == kTileLadder || here == kTileLadder;
    }

    // Width of the floor the hero walks along (see the header).
    int FloorWidth(int x0, int y) const {
        if (!Standable(x0, y)) return 0;
        int first = x0, last = x0;
        for (int dir : {-1, 1}) {
            int gap = 0;
            for (int x = x0 + dir; x >= 1 && x <= kLevelSide - 2; x += dir) {
                if (Solid(Tile(x, y))) break;
                if (Standable(x, y)) {
                    gap = 0;
                    (dir < 0 ? first : last) = x;
                } else if (++gap > kJumpableGap) {
                    break;
                }
            }
        }
        return last - first + 1;
    }

    bool InLineOfFire(int hx, int hy) const {
        for (int at : launchers) {
            const int lx = at % kLevelSide, ly = at / kLevelSide;
            if (ly != hy) continue;
            const int dir = Tile(lx, ly) == kTileLauncherRight ? 1 : -1;
            if ((hx - lx) * dir <= 0) continue;
            bool clear = true;
            for (int x = lx + dir; x != hx && clear; x += dir) clear = !StopsShots(Tile(x, ly));
            if (clear && !StopsShots(Tile(hx, hy))) return true;
        }
        return false;
    }

    // A live shot on the hero's row coming at him, close and unobstructed.
    bool ShotComing(const Hero& h) const {
        for (int r = 0; r < kMoverRecords; ++r) {
            const int type = app.m_movers.Get(r * 10);
            if (type != kTileMoverRight && type != kTileMoverLeft) continue;
            const int mx = app.m_movers.Get(r * 10 + 1), my = app.m_movers.Get(r * 10 + 2);
            const int dir = type == kTileMoverRight ? 1 : -1;
            if (my != h.y || (h.x - mx) * dir < 0 || std::abs(h.x - mx) > kDodgeTiles) continue;
            bool clear = true;
            for (int x = mx; x != h.x && clear; x += dir) clear = !StopsShots(Tile(x, my));
            if (clear) return true;
        }
        return false;
    }

    int RunningPlungers(int* timer) const {
        int n = 0;
        for (int at : plungers) {
            const int t = app.m_map.Get(app.p_CellIndex(at % kLevelSide, at / kLevelSide) + 9);
            if (t > 0) {
                ++n;
                *timer = t;
            }
        }
        return n;
    }

    void Observe(unsigned keys) {
        ++update;
        const Hero cur = Read();
        const bool control = prevDropIn == kDropInDone;
        const bool grip = (keys & kReplayGrip) != 0;
        const int move = cur.state != kStand ? cur.state : prev.state;
        const int wasOn = Tile(prev.x, prev.y), isOn = Tile(cur.x, cur.y);
        const bool hangingBefore = (wasOn == kTileGripBar || IsHandle(wasOn)) && grip;
        m.updates = update;
        if (control) ++m.controlUpdates;

        // Moves and walking shares.
        if (move == kWalk) {
            Note("walk");
            if (hangingBefore) {
                Note(wasOn == kTileGripBar ? "bar shuffle" : "handle shuffle");
            } else {
                const bool dodge = ShotComing(prev) || ShotComing(cur);
                if (dodge) Note("dodge under fire");
                if (control && !dodge) ++m.plainWalk;
                if (control && FloorWidth(prev.x, prev.y) > kLongFloorFraction * kPlayableWidth) ++m.longFloorWalk;
            }
        }
        if (move == kTurn) Note("turn");
        if (move == kFall) Note("fall");
        if ((move == kClimbUp || move == kClimbDown) &&
            (wasOn == kTileLadder || Tile(prev.x, prev.y + 1) == kTileLadder)) {
            Note("ladder climb");
        }
        if (move == kClimbUp && wasOn == kTileGripBar && grip) Note("climb onto a bar");
        if (move == kClimbDown && Tile(prev.x, prev.y + 1) == kTileGripBar && grip) Note("let down onto a bar");
        if (IsJump(move)) {
            Note("jump");
            if (prev.state == kStand) takeOffFloor = FloorWidth(prev.x, prev.y);
            if (control && takeOffFloor > kLongFloorFraction * kPlayableWidth) ++m.longFloorWalk;
            for (int dy = 0; dy <= 2; ++dy) {
                if (IsSpikes(Tile(cur.x, cur.y + dy))) Feature(kFeatureSpikeJump);
            }
        }
        // Starting and ending jumps.
        if (prev.state == kStand && cur.state == kJump1) {
            if (wasOn == kTileLadder && !app.p_isFloor(Tile(prev.x, prev.y + 1))) Note("jump from a ladder");
            if (IsHandle(wasOn) && grip) Note("jump from a handle");
            if (wasOn == kTileGripBar && grip) Note("jump from a bar");
        }
        if (IsJump(prev.state) && cur.state == kStand && prev.state != kJump3) {
            const int below = Tile(cur.x, cur.y + 1);
            if ((isOn == kTileLadder || below == kTileLadder) && !app.p_isFloor(below)) Note("catch a ladder mid-jump");
            if (isOn == kTileGripBar && grip) Note("catch a bar mid-jump");
        }
        if (IsHandle(isOn) && grip && cur.state == kStand && !(IsHandle(wasOn) && prev.x == cur.x && prev.y == cur.y)) {
            Note("catch a handle");
        }

        // The ten route features.
        if (wasOn == kTileGripBar && grip) Feature(kFeatureBar);
        if (IsHandle(wasOn) && grip) Feature(kFeatureHandles);
        if (isOn == kTilePlunger) Feature(kFeaturePlunger);
        const bool inD = isOn == kTileFlipEven;
        const bool onBridge = Tile(cur.x, cur.y + 1) == kTileFlipOdd && Odd() && (cur.state == kStand || move == kWalk);
        if (inD) Feature(kFeatureDWall);
        if (onBridge) Feature(kFeatureDBridge);
        int timer = 0;
        const int running = RunningPlungers(&timer);
        if (running == 0) windowStart = -1;
        if (running == 1 && windowStart < 0) {
            windowStart = update;
            windowUsedD = windowUsedBridge = false;
        }
        if ((inD || onBridge) && running == 1) {
            windowUsedD = windowUsedD || inD;
            windowUsedBridge = windowUsedBridge || onBridge;
            if (windowUsedD && windowUsedBridge) Note("D wall and d bridge in one window");
            if (timer < kLateWindowTimer && isOn != kTilePlunger) Feature(kFeatureLateWindow);
        }
        if (app.m_flipCount >= 2) Note("two plungers cancel");
        if (InLineOfFire(cur.x, cur.y)) Feature(kFeatureLineOfFire);
        ObserveShots(cur, move, isOn);
        const bool still = move == kStand && prev.x == cur.x && prev.y == cur.y;
        stillRun = still && control ? stillRun + 1 : 0;
        if (stillRun >= kWaitUpdates) Feature(kFeatureWait);

        // Pick-ups.
        for (auto it = pickups.begin(); it != pickups.end();) {
            if (Tile(*it % kLevelSide, *it / kLevelSide) != kTileCountedPickup) {
                Note("$");
                it = pickups.erase(it);
            } else {
                ++it;
            }
        }
        if (app.m_playerState == 10 && app.m_lightsLeft == 0) m.completed = true;
        prev = cur;
        prevDropIn = app.m_dropIn;
    }

    void ObserveShots(const Hero& cur, int move, int isOn) {
        std::vector<std::pair<int, int>> live;
        size_t before = 0;   // walks liveMovers along with the records
        for (int r = 0; r < kMoverRecords; ++r) {
            while (before < liveMovers.size() && liveMovers[before].first < r) ++before;
            const bool wasLive = before < liveMovers.size() && liveMovers[before].first == r;
            const int type = app.m_movers.Get(r * 10);
            const int mx = app.m_movers.Get(r * 10 + 1), my = app.m_movers.Get(r * 10 + 2);
            if (type == kTileMoverRight || type == kTileMoverLeft) {
                live.push_back({r, type});
                const int dx = 16 * (mx - cur.x) + app.m_movers.Get(r * 10 + 3) - cur.subX;
                const int dy = 16 * (my - cur.y) - cur.subY;
                if (std::abs(dx) < kHitX && std::abs(dy) >= kHitY && std::abs(dy) < kDodgeReachY) {
                    Feature(kFeatureShotDodged);
                    if (isOn == kTileLadder) {
                        Note("dodge a shot on a ladder");
                    } else if (dy > 0) {
                        Note(IsJump(move) ? "jump a shot" : "stand above a shot");
                    } else {
                        Note("duck a shot");
                    }
                }
            } else if (type <= 0 && wasLive) {
                // Stopped in its own tile, which the offset carry may have left behind.
                const int back = liveMovers[before].second == kTileMoverRight ? -1 : 1;
                if (Tile(mx, my) == kTileFlipOdd || Tile(mx + back, my) == kTileFlipOdd) Note("shield");
            }
        }
        liveMovers.swap(live);
    }

    RouteMeasures Finish() const {
        RouteMeasures out = m;
        for (const auto& [name, at] : when) out.mechanics.insert(name);
        for (auto a = when.begin(); a != when.end(); ++a) {
            const char* family = Family(a->first);
            if (family == nullptr) continue;
            for (auto b = std::next(a); b != when.end(); ++b) {
                const char* other = Family(b->first);
                if (other == nullptr || std::string(family) == other) continue;
                // Two sorted lists: is any pair of their updates close?
                size_t i = 0, j = 0;
                bool close = false;
                while (i < a->second.size() && j < b->second.size() && !close) {
                    const int d = a->second[i] - b->second[j];
                    close = std::abs(d) < kPairingUpdates;
                    if (d < 0) ++i; else ++j;
                }
                if (close) out.pairings.insert(a->first + " + " + b->first);
            }
        }
        return out;
    }
};

RouteMeter::RouteMeter(c_MyApp& app, int level) : impl_(new Impl(app, level)) {}
RouteMeter::~RouteMeter() { delete impl_; }
void RouteMeter::Observe(unsigned keysHeld) { impl_->Observe(keysHeld); }
RouteMeasures RouteMeter::Finish() const { return impl_->Finish(); }

RouteMeasures MeasureScript(c_MyApp& app, int level, const InputScript& script,
                            const std::function<void(unsigned keys)>& step) {
    step(0);   // releases whatever the last level left held, before the build
    app.m_level = level;
    app.p_GetLevel(level);
    RouteMeter meter(app, level);
    for (const ScriptRun& run : script.Runs()) {
        for (int i = 0; i < run.updates && app.m_playerState != 9; ++i) {
            step(run.keys);
            meter.Observe(run.keys);
        }
    }
    return meter.Finish();
}

void CompareWithEarlier(std::vector<RouteMeasures>* levels) {
    std::set<std::string> mechanics, pairings;
    for (RouteMeasures& m : *levels) {
        m.newMechanics.clear();
        m.newPairings.clear();
        for (const std::string& name : m.mechanics) {
            if (!mechanics.count(name)) m.newMechanics.push_back(name);
        }
        for (const std::string& pair : m.pairings) {
            const size_t plus = pair.find(" + ");
            if (pairings.count(pair) || !mechanics.count(pair.substr(0, plus)) || !mechanics.count(pair.substr(plus + 3))) {
                continue;
            }
            m.newPairings.push_back(pair);
        }
        mechanics.insert(m.mechanics.begin(), m.mechanics.end());
        pairings.insert(m.pairings.begin(), m.pairings.end());
    }
}

std::vector<std::string> VarietyFaults(const std::vector<RouteMeasures>& levels, int first) {
    constexpr double kMaxPlain = 0.5, kMaxLongFloor = 0.3;
    constexpr int kMinFeatures = 3;
    constexpr double kFirstMin = 7, kFirstMax = 15, kLastMin = 40, kLastMax = 70;
    std::vector<std::string> faults;
    auto fault = [&](int level, const std::string& what) {
        faults.push_back("level " + std::to_string(level) + ": " + what);
    };
    std::map<unsigned, int> sets;
    bool breather = false;
    for (size_t i = 0; i < levels.size(); ++i) {
        const RouteMeasures& m = levels[i];
        if (m.level < first) continue;
        if (!m.completed) fault(m.level, "the route does not reach the exit");
        if (m.PlainShare() > kMaxPlain) fault(m.level, "plain walking " + std::to_string(m.PlainShare()));
        if (m.LongFloorShare() > kMaxLongFloor) fault(m.level, "long-floor walking " + std::to_string(m.LongFloorShare()));
        if (m.FeatureCount() < kMinFeatures) fault(m.level, "only " + std::to_string(m.FeatureCount()) + " route features");
        const auto [same, fresh] = sets.emplace(m.features, m.level);
        if (!fresh) fault(m.level, "the same route features as level " + std::to_string(same->second));
        if (m.newMechanics.empty() && m.newPairings.empty()) fault(m.level, "no mechanic or pairing of its own");
        if (m.level == first && (m.Seconds() < kFirstMin || m.Seconds() > kFirstMax)) {
            fault(m.level, "takes " + std::to_string(m.Seconds()) + " s");
        }
        if (m.level == kLevelCount && (m.Seconds() < kLastMin || m.Seconds() > kLastMax)) {
            fault(m.level, "takes " + std::to_string(m.Seconds()) + " s");
        }
        if (i > 0 && m.level > first && m.updates < levels[i - 1].updates) breather = true;
    }
    if (!breather) fault(first, "times rise in a straight line: no shorter level after a longer one");
    return faults;
}
