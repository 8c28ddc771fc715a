#include "tools/solver/level_solver.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <queue>
#include <unordered_map>
#include <vector>

#include "game/world/tiles.h"

namespace {
constexpr int kMaxMoveUpdates = 600;     // a move that never comes to rest is dropped
constexpr int kWalkUpdates = 8;          // the fastest ways across a column, up a row and down a row
constexpr int kClimbUpdates = 8;
constexpr int kDropUpdates = 4;
constexpr int kPlungerBucket = 40;       // plunger countdowns closer than this count as one state
constexpr int kLauncherPeriod = 120;     // every launcher fires once in this many updates
// Launcher phases closer than this count as one state. It must stay below the
// shortest wait move (8 updates): with coarser buckets a wait lands in the state
// it started from and is pruned, so a hop that has to let one shot pass first
// is found only by long detours.
constexpr int kPhaseBucket = 8;
constexpr int kNearFire = 2;             // rows above and below a line of fire where its phase matters
constexpr int kLastMover = 250;
constexpr int kMoverRecord = 10;
constexpr int kMoverRight = 27;
constexpr int kMoverLeft = 28;

// One move: keys for the first update, keys held after it, and a minimum length.
struct Move {
    unsigned first = 0;
    unsigned hold = 0;
    int minUpdates = 1;
    bool needsGrip = false;   // offered only near grip bars and handles
    bool timed = false;       // offered only in levels with clocks (launchers, plungers)
};

constexpr int kLetGoMove = 6;   // no key at all: the one move tried in mid-air

const std::vector<Move>& Moves() {
    static const std::vector<Move> moves = {
        {kReplayLeft, 0, 1, false, false},
        {kReplayRight, 0, 1, false, false},
        {kReplayUp, 0, 1, false, false},
        {kReplayDown, 0, 1, false, false},
        {kReplayJump1 | kReplayLeft, 0, 1, false, false},
        {kReplayJump2 | kReplayRight, 0, 1, false, false},
        {0, 0, 1, false, false},  // let go (or stand for an update)
        {kReplayLeft | kReplayGrip, kReplayGrip, 1, true, false},
        {kReplayRight | kReplayGrip, kReplayGrip, 1, true, false},
        {kReplayUp | kReplayGrip, kReplayGrip, 1, true, false},
        {kReplayDown | kReplayGrip, kReplayGrip, 1, true, false},
        {kReplayJump1 | kReplayLeft | kReplayGrip, kReplayGrip, 1, true, false},
        {kReplayJump2 | kReplayRight | kReplayGrip, kReplayGrip, 1, true, false},
        {kReplayGrip, kReplayGrip, 1, true, false},   // take hold
        {0, 0, 8, false, true},
        {0, 0, 30, false, true},
        {kReplayGrip, kReplayGrip, 8, true, true},
        {kReplayGrip, kReplayGrip, 30, true, true},
    };
    return moves;
}

enum class MoveEnd { kRest, kDead, kExit, kStuck };

struct Node {
    GameSnapshot snapshot;
    int parent = -1;
    int move = -1;
    int moveUpdates = 0;
    int time = 0;
    bool completion = false;   // the move entered the exit
    uint64_t lit = 0;          // trees lit, one bit per tree of LevelFacts
    bool calm = false;         // no clock runs: a move's outcome depends on the hero alone
    uint64_t key = 0;          // the key it was kept under (clocked states)
    uint64_t clockKey = 0;     // its place and clocks, however it was kept
    bool clocked = false;      // a clock matters where it stands: under fire, or a plunger running
};

// What a move did when no clock ran; it holds for any trees lit, so a search
// can reuse it instead of playing the move again.
struct Outcome {
    MoveEnd end = MoveEnd::kRest;
    int updates = 0;
    int x = 0, y = 0, facing = 1, turnLatch = 0, jumpLatch = 0, animCounter = 0;
    unsigned keys = 0;
    uint64_t treesTouched = 0;
};

bool IsGripTile(int tile) { return tile == kTileGripBar || tile == kTileHandleLeft || tile == kTileHandleRight; }

uint64_t Mix(uint64_t h, uint64_t v) {
    h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h;
}

// Counted trees and pick-ups of the level as built, and its clocks.
struct LevelFacts {
    std::vector<int> treeCells;   // y * 64 + x
    std::vector<int> plungerCells;
    bool hasLaunchers = false;
    bool flipsMoveFire = false;   // some flip block opens or closes a line of fire
    // Cells from which the hero can be hit, per flip parity: the launchers'
    // lines up to the first tile that stops a shot, widened by kNearFire.
    std::vector<bool> exposed[2] = {std::vector<bool>(kLevelSide * kLevelSide, false),
                                    std::vector<bool>(kLevelSide * kLevelSide, false)};
};

bool StopsShots(int tile, bool odd) {
    return tile == kTileWall || (tile == kTileFlipEven && !odd) || (tile == kTileFlipOdd && odd);
}

LevelFacts ReadFacts(GameSession& session) {
    LevelFacts facts;
    for (int y = 0; y < kLevelSide; ++y) {
        for (int x = 0; x < kLevelSide; ++x) {
            const int tile = session.app().p_Tile(x, y);
            if (tile == kTileTreeUnlit || tile == kTileCountedPickup) facts.treeCells.push_back(y * kLevelSide + x);
            if (tile == kTilePlunger) facts.plungerCells.push_back(y * kLevelSide + x);
            if (tile == kTileLauncherLeft || tile == kTileLauncherRight) facts.hasLaunchers = true;
        }
    }
    for (int y = 0; y < kLevelSide; ++y) {
        for (int x = 0; x < kLevelSide; ++x) {
            const int tile = session.app().p_Tile(x, y);
            if (tile != kTileLauncherLeft && tile != kTileLauncherRight) continue;
            const int step = tile == kTileLauncherRight ? 1 : -1;
            for (int odd = 0; odd < 2; ++odd) {
                for (int cx = x; cx >= 0 && cx < kLevelSide; cx += step) {
                    if (cx != x && StopsShots(session.app().p_Tile(cx, y), odd != 0)) break;
                    for (int dy = -kNearFire; dy <= kNearFire; ++dy) {
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int ex = cx + dx, ey = y + dy;
                            if (ex >= 0 && ex < kLevelSide && ey >= 0 && ey < kLevelSide) {
                                facts.exposed[odd][ey * kLevelSide + ex] = true;
                            }
                        }
                    }
                }
            }
        }
    }
    facts.flipsMoveFire = facts.exposed[0] != facts.exposed[1];
    return facts;
}



bool PlungerRunning(c_MyApp& app, const LevelFacts& facts) {
    for (int at : facts.plungerCells) {
        if (app.m_map.Get(app.p_CellIndex(at % kLevelSide, at / kLevelSide) + 9) > 0) return true;
    }
    return false;
}


// Plays one move from the current state; returns how it ended and its length.
// Plays one move from the current state; returns how it ended and its length.
// `visited` gets the hero's cell at the start of every update of the move
// (where the update's pick-ups and trees are taken).
MoveEnd PlayMove(GameSession& session, const Move& move, int* updates, std::vector<int>* visited) {
    c_MyApp& app = session.app();
    auto note = [&]() {
        const int cell = app.m_playerY * kLevelSide + app.m_playerX;
        if (visited->empty() || visited->back() != cell) visited->push_back(cell);
    };
    note();
    session.StepWithKeys(move.first);
    int n = 1;
    session.SetKeys(move.hold);
    for (;;) {
        const int state = app.m_playerState;
        if (state == kDying) return MoveEnd::kDead;
        if (state == kLeaving) {
            *updates = n;
            return MoveEnd::kExit;
        }
        if (state == kStand && n >= move.minUpdates) break;
        if (n >= kMaxMoveUpdates) return MoveEnd::kStuck;
        note();
        session.Step();
        ++n;
    }
    // At rest on spikes the next update kills.
    if (app.p_isDeath(app.p_Tile(app.m_playerX, app.m_playerY))) return MoveEnd::kDead;
    *updates = n;
    return MoveEnd::kRest;
}

void AppendMoveKeys(InputScript& script, const Move& move, int updates) {
    script.Append(move.first, 1);
    script.Append(move.hold, updates - 1);
}

// Builds the level and lets the drop-in run out with no key held.
int EnterAndDropIn(GameSession& session, int level, InputScript* script) {
    session.SetKeys(0);
    session.EnterLevel(level);
    int n = 0;
    while (session.app().m_dropIn < 0) {
        session.Step();
        ++n;
    }
    if (script) script->Append(0, n);
    return n;
}

}  // namespace

bool ReplayLevelScript(GameSession& session, int level, const InputScript& script, std::string* why) {
    session.SetKeys(0);
    session.EnterLevel(level);
    c_MyApp& app = session.app();
    const int total = script.Updates();
    int update = 0;
    for (const ScriptRun& run : script.Runs()) {
        for (int i = 0; i < run.updates; ++i) {
            session.StepWithKeys(run.keys);
            ++update;
            if (app.m_playerState == kLeaving && update < total) {
                if (why) *why = "reached the exit early, at update " + std::to_string(update);
                session.SetKeys(0);
                return false;
            }
            if (app.m_playerState == kDying) {
                if (why) *why = "the hero died at update " + std::to_string(update);
                session.SetKeys(0);
                return false;
            }
        }
    }
    session.SetKeys(0);
    if (app.m_playerState != kLeaving) {
        if (why) *why = "the script ended with the hero in state " + std::to_string(app.m_playerState);
        return false;
    }
    if (app.m_lightsLeft != 0) {
        if (why) *why = std::to_string(app.m_lightsLeft) + " trees left unlit";
        return false;
    }
    return true;
}

namespace {

uint64_t LitMask(c_MyApp& app, const LevelFacts& facts) {
    uint64_t lit = 0;
    for (size_t k = 0; k < facts.treeCells.size(); ++k) {
        const int at = facts.treeCells[k];
        const int tile = app.p_Tile(at % kLevelSide, at / kLevelSide);
        if (tile != kTileTreeUnlit && tile != kTileCountedPickup) lit |= 1ULL << k;
    }
    return lit;
}

uint64_t KeyOf(int x, int y, int facing, bool gripHeld, uint64_t lit, uint64_t clocks) {
    uint64_t h = 1469598103934665603ULL;
    for (uint64_t v : {static_cast<uint64_t>(x), static_cast<uint64_t>(y), static_cast<uint64_t>(facing + 2),
                       static_cast<uint64_t>(gripHeld), lit, clocks}) {
        h = Mix(h, v);
    }
    return h;
}

// The plunger's time left (in buckets) and the flip parity, as one number.
uint64_t ClockState(c_MyApp& app, const LevelFacts& facts) {
    uint64_t h = static_cast<uint64_t>(app.m_flipCount & 1);
    for (int at : facts.plungerCells) {
        const int timer = app.m_map.Get(app.p_CellIndex(at % kLevelSide, at / kLevelSide) + 9);
        h = Mix(h, static_cast<uint64_t>((timer + kPlungerBucket - 1) / kPlungerBucket));
    }
    return h;
}

// Whether the launchers' phase matters where the hero stands: in reach of a
// line of fire as the flip blocks stand, near a shot still in flight, or
// while a plunger runs whose end will move flip blocks in a line of fire.
bool UnderFire(c_MyApp& app, const LevelFacts& facts) {
    if (!facts.hasLaunchers) return false;
    const int x = app.m_playerX, y = app.m_playerY;
    if (facts.flipsMoveFire && PlungerRunning(app, facts)) return true;
    if (facts.exposed[app.m_flipCount & 1][y * kLevelSide + x]) return true;
    for (int k = 0; k <= kLastMover; ++k) {
        const int type = app.m_movers.Get(k * kMoverRecord);
        if ((type == kMoverRight || type == kMoverLeft) &&
            std::abs(app.m_movers.Get(k * kMoverRecord + 2) - y) <= kNearFire) {
            return true;
        }
    }
    return false;
}

// Under fire, where the hero stands is told apart by the launchers' phase too
// (they all fire every 120 updates), so that waiting for a gap is a move. Out
// of reach the earliest arrival stands for all: a later one is the same
// arrival with a wait, which can as well be made where the shots reach.
uint64_t KeyOfApp(c_MyApp& app, unsigned keys, const LevelFacts& facts, int time) {
    const bool gripHeld = IsGripTile(app.p_Tile(app.m_playerX, app.m_playerY)) && (keys & kReplayGrip);
    uint64_t clocks = ClockState(app, facts);
    if (UnderFire(app, facts)) {
        clocks = Mix(clocks, static_cast<uint64_t>((time % kLauncherPeriod) / kPhaseBucket));
        // How many shots are in flight: the phase alone does not tell when
        // flip blocks have let some through.
        uint64_t shots = 0;
        for (int k = 0; k <= kLastMover; ++k) {
            const int type = app.m_movers.Get(k * kMoverRecord);
            shots += type == kMoverRight || type == kMoverLeft;
        }
        clocks = Mix(clocks, shots);
    }
    return KeyOf(app.m_playerX, app.m_playerY, app.m_facing, gripHeld, LitMask(app, facts), clocks);
}

// Tile classes on the level as built, for a given flip parity (the map's
// walls, ladders and bars never change; only trees and pick-ups do).
struct StaticMap {
    GameSession* session;
    int Tile(int x, int y) const {
        x = (x % kLevelSide + kLevelSide) % kLevelSide;
        y = (y % kLevelSide + kLevelSide) % kLevelSide;
        return session->BaselineTile(x, y, 0);
    }
};

bool FloorTile(int tile, bool odd) {
    return tile == kTileGripBar || tile == kTileWall || tile == kTileLauncherLeft || tile == kTileLauncherRight ||
           (tile == kTileFlipEven && !odd) || (tile == kTileFlipOdd && odd);
}


}  // namespace

SolveResult SolveLevel(GameSession& session, int level, const SolverOptions& options) {
    SolveResult result;
    c_MyApp& app = session.app();
    InputScript prefix;
    const int dropIn = EnterAndDropIn(session, level, &prefix);
    session.SetMapBaseline();
    const LevelFacts facts = ReadFacts(session);
    result.trees = static_cast<int>(facts.treeCells.size());
    const StaticMap map{&session};
    std::vector<int> treeIndexOfCell(kLevelSide * kLevelSide, -1);
    for (size_t k = 0; k < facts.treeCells.size(); ++k) treeIndexOfCell[facts.treeCells[k]] = static_cast<int>(k);
    std::vector<bool> specialCell(kLevelSide * kLevelSide, false);   // exit and plunger: never cached
    for (int at : facts.plungerCells) specialCell[at] = true;
    for (int at = 0; at < kLevelSide * kLevelSide; ++at) {
        if (map.Tile(at % kLevelSide, at / kLevelSide) == kTileExit) specialCell[at] = true;
    }

    std::vector<Node> nodes;
    {
        Node root;
        root.snapshot = session.Save();
        root.time = dropIn;
        root.lit = LitMask(app, facts);
        root.calm = !facts.hasLaunchers && !PlungerRunning(app, facts);
        root.key = root.clockKey = KeyOfApp(app, 0, facts, dropIn);
        root.clocked = UnderFire(app, facts) || PlungerRunning(app, facts);
        nodes.push_back(std::move(root));
    }
    // Searched cheapest-first by time plus a lower bound of the time still
    // needed (A*): every move costs at least 8 updates per column crossed, 8
    // per row climbed and 4 per row dropped, so the route from a tile must
    // take at least that distance to each unlit tree and from there to the
    // exit. The bound never overestimates and never drops by more than a
    // move costs, so the first completion out is still the fastest.
    int exitCell = -1;
    for (int at = 0; at < kLevelSide * kLevelSide; ++at) {
        if (map.Tile(at % kLevelSide, at / kLevelSide) == kTileExit) exitCell = at;
    }
    auto distance = [](int from, int to) {
        const int dx = std::abs(to % kLevelSide - from % kLevelSide);
        const int up = from / kLevelSide - to / kLevelSide;
        return std::max({kWalkUpdates * dx, kClimbUpdates * up, -kDropUpdates * up});
    };
    std::vector<int> treeToExit;
    for (int at : facts.treeCells) treeToExit.push_back(exitCell < 0 ? 0 : distance(at, exitCell));
    auto estimate = [&](const Node& n) {
        if (exitCell < 0 || n.completion) return 0;
        const int here = n.snapshot.round.m_playerY * kLevelSide + n.snapshot.round.m_playerX;
        int bound = distance(here, exitCell);
        for (size_t k = 0; k < facts.treeCells.size(); ++k) {
            if (!(n.lit & (1ULL << k))) bound = std::max(bound, distance(here, facts.treeCells[k]) + treeToExit[k]);
        }
        return bound;
    };
    using Entry = std::pair<int, int>;   // time + bound, node
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    auto push = [&](Node&& node) {
        const int priority = node.time + estimate(node);
        nodes.push_back(std::move(node));
        open.push({priority, static_cast<int>(nodes.size()) - 1});
    };
    std::unordered_map<uint64_t, int> best;
    std::unordered_map<uint64_t, Outcome> outcomes;
    best[KeyOfApp(app, 0, facts, dropIn)] = dropIn;
    open.push({dropIn + estimate(nodes[0]), 0});
    int goal = -1;
    const std::vector<Move>& moves = Moves();
    std::vector<int> visited;

    while (!open.empty()) {
        const int index = open.top().second;
        const int time = nodes[index].time;
        open.pop();
        if (nodes[index].completion) {   // the cheapest completion comes out first
            goal = index;
            break;
        }
        const GameSnapshot parent = nodes[index].snapshot;
        const uint64_t parentLit = nodes[index].lit;
        const bool calm = nodes[index].calm;
        const int x = parent.round.m_playerX, y = parent.round.m_playerY, facing = parent.round.m_facing;
        const bool odd = (parent.round.m_flipCount & 1) != 0;
        const int here = map.Tile(x, y);
        const bool onGrip = IsGripTile(here);
        const uint64_t parentKey = KeyOf(x, y, facing, onGrip && (parent.keys & kReplayGrip), parentLit,
                                         calm ? static_cast<uint64_t>(odd) : 0);
        auto bestIt = best.find(parentKey);
        if (calm && bestIt != best.end() && bestIt->second < time) continue;
        if (++result.statesExpanded > options.maxStates) break;
        if (options.trace) std::fprintf(stderr, "t=%d at (%d,%d) facing %d keys %u\n", time, x, y, facing, parent.keys);

        bool gripNear = false;
        for (int dy = -2; dy <= 1; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) gripNear = gripNear || IsGripTile(map.Tile(x + dx, y + dy));
        }
        const int below = map.Tile(x, y + 1);
        // In mid-air every move without grip is the same fall: try only one of them.
        const bool midAir = !FloorTile(below, odd) && below != kTileLadder && here != kTileLadder && !onGrip;
        // Waiting only changes anything while a clock runs: launchers, or a pressed plunger.
        const bool timed = !calm;
        const uint64_t context = Mix(Mix(Mix(Mix(Mix(Mix(static_cast<uint64_t>(x), y), facing + 2),
                                                 parent.keys & kReplayGrip), parent.round.m_turnLatch),
                                         parent.round.m_jumpLatch), odd);
        bool live = false;   // the session holds the parent's state
        bool restoredOnce = false;
        for (int m = 0; m < static_cast<int>(moves.size()); ++m) {
            const Move& move = moves[m];
            if (move.needsGrip && !gripNear) continue;
            if (move.timed && !timed) continue;
            if (move.timed && (move.hold & kReplayGrip) && !onGrip) continue;
            if (midAir && !(move.first & kReplayGrip) && m != kLetGoMove) continue;

            const uint64_t cacheKey = Mix(context, static_cast<uint64_t>(m) + 1000);
            auto cached = calm ? outcomes.find(cacheKey) : outcomes.end();
            if (cached != outcomes.end()) {
                const Outcome& o = cached->second;
                if (o.end != MoveEnd::kRest) continue;
                const int t = time + o.updates;
                const uint64_t lit = parentLit | o.treesTouched;
                const bool gripHeld = IsGripTile(map.Tile(o.x, o.y)) && (o.keys & kReplayGrip);
                const uint64_t key = KeyOf(o.x, o.y, o.facing, gripHeld, lit, static_cast<uint64_t>(odd));
                auto it = best.find(key);
                if (it != best.end() && it->second <= t) continue;
                best[key] = t;
                Node child;
                child.snapshot = parent;
                RoundState& round = child.snapshot.round;
                round.m_playerX = o.x;
                round.m_playerY = o.y;
                round.m_playerSubX = 0;
                round.m_playerSubY = 0;
                round.m_playerState = kStand;
                round.m_facing = o.facing;
                round.m_animCounter = o.animCounter;
                round.m_jumpLatch = o.jumpLatch;
                round.m_turnLatch = o.turnLatch;
                int unlit = 0;
                for (size_t k = 0; k < facts.treeCells.size(); ++k) {
                    if (!(lit & (1ULL << k))) {
                        ++unlit;
                    } else if (!(parentLit & (1ULL << k))) {
                        const int at = facts.treeCells[k];
                        const int was = map.Tile(at % kLevelSide, at / kLevelSide);
                        child.snapshot.tileChanges.insert(child.snapshot.tileChanges.end(),
                                                          {at, was == kTileTreeUnlit ? kTileTreeLit : kTileEmpty});
                    }
                }
                round.m_lightsLeft = unlit;
                round.m_lightsCounting = unlit;
                child.snapshot.keys = o.keys;
                child.parent = index;
                child.move = m;
                child.moveUpdates = o.updates;
                child.time = t;
                child.lit = lit;
                child.calm = true;
                push(std::move(child));
                continue;
            }

            if (!live) {
                session.Restore(parent);
                if (!restoredOnce && !calm) {
                    // Clocked states are told apart by their clocks as well.
                    auto it = best.find(nodes[index].key);
                    if (it != best.end() && it->second < time) break;
                }
                restoredOnce = true;
            }
            live = false;
            int updates = 0;
            visited.clear();
            const MoveEnd end = PlayMove(session, move, &updates, &visited);
            uint64_t touched = 0;
            bool special = false;
            for (int cell : visited) {
                if (treeIndexOfCell[cell] >= 0) touched |= 1ULL << treeIndexOfCell[cell];
                special = special || specialCell[cell];
            }
            const bool calmAfter = !facts.hasLaunchers && !PlungerRunning(app, facts);
            if (calm && calmAfter && !special && end != MoveEnd::kExit) {
                Outcome o;
                o.end = end;
                o.updates = updates;
                o.x = app.m_playerX;
                o.y = app.m_playerY;
                o.facing = app.m_facing;
                o.turnLatch = app.m_turnLatch;
                o.jumpLatch = app.m_jumpLatch;
                o.animCounter = app.m_animCounter;
                o.keys = session.Keys();
                o.treesTouched = touched;
                outcomes[cacheKey] = o;
            }
            if (end == MoveEnd::kDead || end == MoveEnd::kStuck) continue;
            const int t = time + updates;
            if (end == MoveEnd::kExit) {
                Node done;
                done.parent = index;
                done.move = m;
                done.moveUpdates = updates;
                done.time = t;
                done.completion = true;
                push(std::move(done));
                continue;
            }
            if (options.trace) {
                std::fprintf(stderr, "  move %d -> (%d,%d) facing %d after %d updates\n", m, app.m_playerX,
                             app.m_playerY, app.m_facing, updates);
            }
            const uint64_t clockKey = KeyOfApp(app, session.Keys(), facts, t);
            // A wait that leaves the hero where he was with the clocks in the
            // same bucket is kept by its exact time: waiting for a gap between
            // shots needs finer steps than the buckets.
            const bool waitedInBucket = move.timed && clockKey == nodes[index].clockKey;
            // Where no clock matters a wait only makes the same arrival later:
            // it can as well be made where the clocks do matter.
            if (waitedInBucket && !nodes[index].clocked) continue;
            const uint64_t key = waitedInBucket ? Mix(clockKey, static_cast<uint64_t>(t)) : clockKey;
            auto it = best.find(key);
            if (it != best.end() && it->second <= t) continue;
            best[key] = t;
            Node child;
            child.key = key;
            child.clockKey = clockKey;
            child.snapshot = session.Save();
            child.parent = index;
            child.move = m;
            child.moveUpdates = updates;
            child.time = t;
            child.lit = LitMask(app, facts);
            child.calm = calmAfter;
            child.clocked = UnderFire(app, facts) || PlungerRunning(app, facts);
            push(std::move(child));
        }
    }
    session.SetKeys(0);
    if (goal < 0) {
        result.message = result.statesExpanded > options.maxStates ? "search limit reached" : "no way to the exit";
        return result;
    }

    // The moves back from the completion, then their keys in order.
    std::vector<int> path;
    for (int at = goal; at > 0; at = nodes[at].parent) path.push_back(at);
    result.script = prefix;
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        AppendMoveKeys(result.script, moves[nodes[*it].move], nodes[*it].moveUpdates);
    }
    result.solved = true;
    result.updates = result.script.Updates();
    std::string why;
    result.verified = ReplayLevelScript(session, level, result.script, &why);
    if (!result.verified) result.message = "replay failed: " + why;
    if (options.verbose) {
        std::fprintf(stderr, "level %d: %d states, %zu nodes, %zu outcomes kept\n", level, result.statesExpanded,
                     nodes.size(), outcomes.size());
    }
    return result;
}
