#include "tools/solver/level_solver.h"

#include <cstdio>
#include <cstdint>
#include <queue>
#include <unordered_map>
#include <vector>

#include "game/world/tiles.h"

namespace {

constexpr int kLevelSide = 64;
constexpr int kStateStand = 0;
constexpr int kStateDying = 9;
constexpr int kStateLeaving = 10;
constexpr int kMaxMoveUpdates = 600;     // a move that never comes to rest is dropped
constexpr int kPlungerBucket = 40;       // plunger countdowns closer than this count as one state

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
        {kScriptLeft, 0, 1, false, false},
        {kScriptRight, 0, 1, false, false},
        {kScriptUp, 0, 1, false, false},
        {kScriptDown, 0, 1, false, false},
        {kScriptJumpLeft | kScriptLeft, 0, 1, false, false},
        {kScriptJumpRight | kScriptRight, 0, 1, false, false},
        {0, 0, 1, false, false},  // let go (or stand for an update)
        {kScriptLeft | kScriptGrip, kScriptGrip, 1, true, false},
        {kScriptRight | kScriptGrip, kScriptGrip, 1, true, false},
        {kScriptUp | kScriptGrip, kScriptGrip, 1, true, false},
        {kScriptDown | kScriptGrip, kScriptGrip, 1, true, false},
        {kScriptJumpLeft | kScriptLeft | kScriptGrip, kScriptGrip, 1, true, false},
        {kScriptJumpRight | kScriptRight | kScriptGrip, kScriptGrip, 1, true, false},
        {kScriptGrip, kScriptGrip, 1, true, false},   // take hold
        {0, 0, 8, false, true},
        {0, 0, 30, false, true},
        {kScriptGrip, kScriptGrip, 8, true, true},
        {kScriptGrip, kScriptGrip, 30, true, true},
    };
    return moves;
}

struct Node {
    GameSnapshot snapshot;
    int parent = -1;
    int move = -1;
    int moveUpdates = 0;
    int time = 0;
    bool completion = false;   // the move entered the exit
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
};

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
    return facts;
}

// The state a search tells apart: hero tile, facing, grip where it matters,
// trees lit and the plunger's time left.
uint64_t StateKey(c_MyApp& app, unsigned keys, const LevelFacts& facts) {
    uint64_t h = 1469598103934665603ULL;
    h = Mix(h, static_cast<uint64_t>(app.m_playerX));
    h = Mix(h, static_cast<uint64_t>(app.m_playerY));
    h = Mix(h, static_cast<uint64_t>(app.m_facing + 2));
    const bool gripMatters = IsGripTile(app.p_Tile(app.m_playerX, app.m_playerY));
    h = Mix(h, gripMatters && (keys & kScriptGrip) ? 1 : 0);
    uint64_t lit = 0;
    for (size_t k = 0; k < facts.treeCells.size(); ++k) {
        const int at = facts.treeCells[k];
        const int tile = app.p_Tile(at % kLevelSide, at / kLevelSide);
        if (tile != kTileTreeUnlit && tile != kTileCountedPickup) lit |= 1ULL << k;
    }
    h = Mix(h, lit);
    for (int at : facts.plungerCells) {
        const int timer = app.m_map.Get(app.p_CellIndex(at % kLevelSide, at / kLevelSide) + 9);
        h = Mix(h, static_cast<uint64_t>((timer + kPlungerBucket - 1) / kPlungerBucket));
    }
    h = Mix(h, static_cast<uint64_t>(app.m_flipCount & 1));
    return h;
}

// Nothing under the hero holds him: his next update starts a fall unless he grips.
bool InMidAir(c_MyApp& app) {
    const int x = app.m_playerX, y = app.m_playerY;
    const int here = app.p_Tile(x, y), below = app.p_Tile(x, y + 1);
    return !app.p_isFloor(below) && !app.p_isLadder(below) && !app.p_isLadder(here) && !IsGripTile(here);
}

bool PlungerRunning(c_MyApp& app, const LevelFacts& facts) {
    for (int at : facts.plungerCells) {
        if (app.m_map.Get(app.p_CellIndex(at % kLevelSide, at / kLevelSide) + 9) > 0) return true;
    }
    return false;
}

bool GripNear(c_MyApp& app) {
    for (int dy = -2; dy <= 1; ++dy) {
        for (int dx = -3; dx <= 3; ++dx) {
            if (IsGripTile(app.p_Tile(app.m_playerX + dx, app.m_playerY + dy))) return true;
        }
    }
    return false;
}

enum class MoveEnd { kRest, kDead, kExit, kStuck };

// Plays one move from the current state; returns how it ended and its length.
MoveEnd PlayMove(GameSession& session, const Move& move, int* updates) {
    c_MyApp& app = session.app();
    session.StepWithKeys(move.first);
    int n = 1;
    session.SetKeys(move.hold);
    for (;;) {
        const int state = app.m_playerState;
        if (state == kStateDying) return MoveEnd::kDead;
        if (state == kStateLeaving) {
            *updates = n;
            return MoveEnd::kExit;
        }
        if (state == kStateStand && n >= move.minUpdates) break;
        if (n >= kMaxMoveUpdates) return MoveEnd::kStuck;
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
            if (app.m_playerState == kStateLeaving && update < total) {
                if (why) *why = "reached the exit early, at update " + std::to_string(update);
                session.SetKeys(0);
                return false;
            }
            if (app.m_playerState == kStateDying) {
                if (why) *why = "the hero died at update " + std::to_string(update);
                session.SetKeys(0);
                return false;
            }
        }
    }
    session.SetKeys(0);
    if (app.m_playerState != kStateLeaving) {
        if (why) *why = "the script ended with the hero in state " + std::to_string(app.m_playerState);
        return false;
    }
    if (app.m_lightsLeft != 0) {
        if (why) *why = std::to_string(app.m_lightsLeft) + " trees left unlit";
        return false;
    }
    return true;
}

SolveResult SolveLevel(GameSession& session, int level, const SolverOptions& options) {
    SolveResult result;
    c_MyApp& app = session.app();
    InputScript prefix;
    const int dropIn = EnterAndDropIn(session, level, &prefix);
    session.SetMapBaseline();
    const LevelFacts facts = ReadFacts(session);
    result.trees = static_cast<int>(facts.treeCells.size());

    std::vector<Node> nodes;
    nodes.push_back({session.Save(), -1, -1, 0, dropIn});
    using Entry = std::pair<int, int>;   // time, node
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    std::unordered_map<uint64_t, int> best;
    best[StateKey(app, 0, facts)] = dropIn;
    open.push({dropIn, 0});
    int goal = -1;
    const std::vector<Move>& moves = Moves();

    while (!open.empty()) {
        const auto [time, index] = open.top();
        open.pop();
        if (nodes[index].completion) {   // the cheapest completion comes out first
            goal = index;
            break;
        }
        session.Restore(nodes[index].snapshot);
        if (best[StateKey(app, session.Keys(), facts)] < time) continue;
        if (++result.statesExpanded > options.maxStates) break;
        if (options.trace) {
            std::fprintf(stderr, "t=%d at (%d,%d) facing %d keys %u\n", time, app.m_playerX, app.m_playerY,
                         app.m_facing, session.Keys());
        }
        const bool gripNear = GripNear(app);
        // Waiting only changes anything while a clock runs: launchers, or a pressed plunger.
        const bool timed = facts.hasLaunchers || PlungerRunning(app, facts);
        const GameSnapshot parent = nodes[index].snapshot;
        bool restored = true;
        // In mid-air every move without grip is the same fall: try only one of them.
        const bool midAir = InMidAir(app);
        const bool onGrip = IsGripTile(app.p_Tile(app.m_playerX, app.m_playerY));
        for (int m = 0; m < static_cast<int>(moves.size()); ++m) {
            const Move& move = moves[m];
            if (move.needsGrip && !gripNear) continue;
            if (move.timed && !timed) continue;
            if (move.timed && (move.hold & kScriptGrip) && !onGrip) continue;
            if (midAir && !(move.first & kScriptGrip) && m != kLetGoMove) continue;
            if (!restored) session.Restore(parent);
            restored = false;
            int updates = 0;
            const MoveEnd end = PlayMove(session, move, &updates);
            if (end == MoveEnd::kDead || end == MoveEnd::kStuck) continue;
            const int t = time + updates;
            if (end == MoveEnd::kExit) {
                Node done;
                done.parent = index;
                done.move = m;
                done.moveUpdates = updates;
                done.time = t;
                done.completion = true;
                nodes.push_back(std::move(done));
                open.push({t, static_cast<int>(nodes.size()) - 1});
                continue;
            }
            if (options.trace) {
                std::fprintf(stderr, "  move %d -> (%d,%d) facing %d after %d updates\n", m, app.m_playerX,
                             app.m_playerY, app.m_facing, updates);
            }
            const uint64_t key = StateKey(app, session.Keys(), facts);
            auto it = best.find(key);
            if (it != best.end() && it->second <= t) continue;
            best[key] = t;
            nodes.push_back({session.Save(), index, m, updates, t, false});
            open.push({t, static_cast<int>(nodes.size()) - 1});
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
        std::fprintf(stderr, "level %d: %d states, %zu nodes\n", level, result.statesExpanded, nodes.size());
    }
    return result;
}
