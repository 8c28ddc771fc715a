#include "game/world/level_map.h"

#include <algorithm>
#include <cstdio>

#include "game/world/level_hash.h"
#include "game/world/range_coder.h"

namespace {

constexpr int kMaxRun = 52;
constexpr char kWall = '2';
constexpr char kEmpty = '0';
constexpr char kStart = 'S';
constexpr char kExit = 'X';
constexpr char kTree = 'x';
constexpr char kCountedPickup = '$';
constexpr int kProblemsPerEdge = 1;    // an edge's first gap is enough to show where

char CountLetter(int n) { return static_cast<char>(n <= 26 ? 64 + n : 70 + n); }
bool IsCountLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
int CountOf(char c) { return c <= 'Z' ? c - 64 : c - 70; }
bool IsSpikes(char c) { return c >= '5' && c <= '8'; }
bool IsLauncher(char c) { return c == '{' || c == '}'; }

std::string Where(int x, int y) { return " (column " + std::to_string(x) + ", row " + std::to_string(y) + ")"; }

}  // namespace

const std::vector<LevelTileKind>& kp_level_TileKinds() {
    static const std::vector<LevelTileKind> kinds = {
        {'0', "empty"},          {'2', "wall"},           {'1', "grip bar"},        {'3', "ladder"},
        {'(', "handle, left"},   {')', "handle, right"},  {'5', "spikes"},          {'6', "spikes 2"},
        {'7', "spikes 3"},       {'8', "spikes 4"},       {'x', "tree"},            {'$', "gift"},
        {'4', "bonus"},          {'S', "start"},          {'X', "exit"},            {'P', "plunger"},
        {'D', "D block"},        {'d', "d block"},        {'{', "launcher, left"},  {'}', "launcher, right"},
        {'B', "decoration"},     {'b', "decoration 2"},
    };
    return kinds;
}

bool kp_level_IsTile(char code) {
    for (const LevelTileKind& kind : kp_level_TileKinds()) {
        if (kind.code == code) return true;
    }
    return false;
}

std::string kp_level_Encode(const std::string& map) {
    std::string coded;
    size_t i = 0;
    while (i < map.size()) {
        const char c = map[i];
        int n = 1;
        while (i + n < map.size() && map[i + n] == c && n < kMaxRun) ++n;
        coded += CountLetter(n);
        coded += c;
        i += static_cast<size_t>(n);
    }
    return coded;
}

bool kp_level_Decode(const std::string& coded, std::string* map) {
    map->clear();
    for (size_t i = 0; i < coded.size(); ++i) {
        const char c = coded[i];
        if (c == ' ') continue;
        if (!IsCountLetter(c) || i + 1 >= coded.size() || !kp_level_IsTile(coded[i + 1])) return false;
        const int n = CountOf(c);
        if (static_cast<int>(map->size()) + n > kLevelTiles) return false;
        map->append(static_cast<size_t>(n), coded[++i]);
    }
    return static_cast<int>(map->size()) == kLevelTiles;
}

namespace {

constexpr int kKindBits = 5;   // 22 tile kinds in a binary tree of 32 leaves

// The map coder's predictions, shared by packing and unpacking so that both adapt alike.
struct MapModel {
    uint16_t sameLeft[2][2][2];        // the left and the upper tile agree; the cell before was a repeat; the upper-left agrees
    uint16_t sameAbove[2];             // the cell before was the same as the one above it
    uint16_t kind[1 << kKindBits];     // the tree of kind indexes
    MapModel() {
        for (auto& a : sameLeft) for (auto& b : a) for (uint16_t& p : b) p = kRangeEven;
        for (uint16_t& p : sameAbove) p = kRangeEven;
        for (uint16_t& p : kind) p = kRangeEven;
    }
};

int KindIndex(char code) {
    const std::vector<LevelTileKind>& kinds = kp_level_TileKinds();
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i].code == code) return static_cast<int>(i);
    }
    return -1;
}

// The neighbours a cell is told from; outside the map they are walls.
struct Neighbours {
    char left, above, upperLeft;
};
Neighbours NeighboursOf(const std::string& map, int i) {
    const int x = i % kLevelSide, y = i / kLevelSide;
    const auto at = [&map](int j) { return map[static_cast<size_t>(j)]; };
    return {x > 0 ? at(i - 1) : kWall, y > 0 ? at(i - kLevelSide) : kWall,
            x > 0 && y > 0 ? at(i - kLevelSide - 1) : kWall};
}

}  // namespace

std::vector<unsigned char> kp_level_Pack(const std::string& map) {
    std::vector<unsigned char> out;
    if (static_cast<int>(map.size()) != kLevelTiles) return out;
    MapModel model;
    RangeEncoder coder(&out);
    int repeat = 0, aboveBefore = 0;
    for (int i = 0; i < kLevelTiles; ++i) {
        const Neighbours n = NeighboursOf(map, i);
        const char c = map[static_cast<size_t>(i)];
        const int same = c == n.left;
        coder.Bit(model.sameLeft[n.left == n.above][repeat][n.left == n.upperLeft], same);
        repeat = same;
        if (same) continue;
        if (n.above != n.left) {
            const int above = c == n.above;
            coder.Bit(model.sameAbove[aboveBefore], above);
            aboveBefore = above;
            if (above) continue;
        }
        const int kind = std::max(0, KindIndex(c));
        for (int node = 1, b = kKindBits - 1; b >= 0; --b) {
            const int bit = (kind >> b) & 1;
            coder.Bit(model.kind[node], bit);
            node = node * 2 + bit;
        }
    }
    coder.Finish();
    return out;
}

bool kp_level_Unpack(const unsigned char* bytes, size_t size, std::string* map) {
    map->assign(static_cast<size_t>(kLevelTiles), kEmpty);
    MapModel model;
    RangeDecoder coder(bytes, size);
    const std::vector<LevelTileKind>& kinds = kp_level_TileKinds();
    int repeat = 0, aboveBefore = 0;
    for (int i = 0; i < kLevelTiles; ++i) {
        const Neighbours n = NeighboursOf(*map, i);
        char& c = (*map)[static_cast<size_t>(i)];
        repeat = coder.Bit(model.sameLeft[n.left == n.above][repeat][n.left == n.upperLeft]);
        if (repeat) {
            c = n.left;
            continue;
        }
        if (n.above != n.left) {
            aboveBefore = coder.Bit(model.sameAbove[aboveBefore]);
            if (aboveBefore) {
                c = n.above;
                continue;
            }
        }
        int node = 1;
        for (int b = 0; b < kKindBits; ++b) node = node * 2 + coder.Bit(model.kind[node]);
        const int kind = node - (1 << kKindBits);
        // A kind past the table, or one a repeat would have coded, is no map this packer makes.
        if (kind >= static_cast<int>(kinds.size())) return false;
        const char code = kinds[static_cast<size_t>(kind)].code;
        if (code == n.left || code == n.above) return false;
        c = code;
    }
    return coder.ReadWhole();
}

uint32_t kp_level_Hash(const std::string& map) {
    return kp_Glimmer_LevelTextHash(String(map.c_str(), static_cast<int>(map.size())));
}

std::vector<LevelProblem> kp_level_Check(const std::string& map) {
    std::vector<LevelProblem> problems;
    if (static_cast<int>(map.size()) != kLevelTiles) {
        problems.push_back({"the map has " + std::to_string(map.size()) + " tiles, not 64 x 64"});
        return problems;
    }
    const auto at = [&map](int x, int y) { return map[static_cast<size_t>(y * kLevelSide + x)]; };
    for (int i = 0; i < kLevelTiles; ++i) {
        if (!kp_level_IsTile(map[static_cast<size_t>(i)])) {
            const int x = i % kLevelSide, y = i / kLevelSide;
            problems.push_back({"a tile the game does not know" + Where(x, y), x, y});
            return problems;
        }
    }

    // The edges: the hero must never reach the map's seam.
    struct Edge {
        const char* name;
        int x0, y0, dx, dy;
    };
    const Edge edges[] = {{"top", 0, 0, 1, 0},
                          {"bottom", 0, kLevelSide - 1, 1, 0},
                          {"left", 0, 0, 0, 1},
                          {"right", kLevelSide - 1, 0, 0, 1}};
    for (const Edge& edge : edges) {
        int shown = 0;
        for (int k = 0; k < kLevelSide && shown < kProblemsPerEdge; ++k) {
            const int x = edge.x0 + k * edge.dx, y = edge.y0 + k * edge.dy;
            if (at(x, y) == kWall) continue;
            problems.push_back({std::string("the ") + edge.name + " edge needs a wall" + Where(x, y), x, y});
            ++shown;
        }
    }
    for (int x = 1; x < kLevelSide - 1; ++x) {
        if (IsSpikes(at(x, kLevelSpikeRow))) continue;
        problems.push_back({"row 62 must be spikes" + Where(x, kLevelSpikeRow), x, kLevelSpikeRow});
        break;
    }

    int starts = 0, exits = 0, trees = 0, counted = 0, launchers = 0;
    int startX = -1, startY = -1, exitX = -1, exitY = -1, lastLauncherX = -1, lastLauncherY = -1;
    for (int y = 0; y < kLevelSide; ++y) {
        for (int x = 0; x < kLevelSide; ++x) {
            const char c = at(x, y);
            if (c == kStart && ++starts == 2) startX = x, startY = y;
            if (c == kExit && ++exits == 2) exitX = x, exitY = y;
            if (c == kTree) ++trees;
            if (c == kTree || c == kCountedPickup) ++counted;
            if (IsLauncher(c) && ++launchers > kLevelMaxLaunchers && lastLauncherX < 0) lastLauncherX = x, lastLauncherY = y;
        }
    }
    if (starts == 0) problems.push_back({"no start: place one S"});
    if (starts > 1) problems.push_back({std::to_string(starts) + " starts: keep one" + Where(startX, startY), startX, startY});
    if (exits == 0) problems.push_back({"no exit: place one X"});
    if (exits > 1) problems.push_back({std::to_string(exits) + " exits: keep one" + Where(exitX, exitY), exitX, exitY});
    if (trees == 0) problems.push_back({"no tree: place at least one"});
    if (counted > kLevelMaxTrees) {
        problems.push_back({std::to_string(counted) + " trees and gifts: at most " + std::to_string(kLevelMaxTrees)});
    }
    if (launchers > kLevelMaxLaunchers) {
        problems.push_back({std::to_string(launchers) + " launchers: at most " + std::to_string(kLevelMaxLaunchers),
                            lastLauncherX, lastLauncherY});
    }
    return problems;
}

std::string kp_level_NewMap() {
    std::string map(static_cast<size_t>(kLevelTiles), kEmpty);
    const auto set = [&map](int x, int y, char c) { map[static_cast<size_t>(y * kLevelSide + x)] = c; };
    for (int k = 0; k < kLevelSide; ++k) {
        set(k, 0, kWall);
        set(k, kLevelSide - 1, kWall);
        set(0, k, kWall);
        set(kLevelSide - 1, k, kWall);
    }
    for (int x = 1; x < kLevelSide - 1; ++x) set(x, kLevelSpikeRow, static_cast<char>('5' + (x - 1) % 4));
    // A floor in the middle of the map with the start, a tree and the exit on it.
    constexpr int kFloorRow = 20;
    constexpr int kFloorFrom = 24;
    constexpr int kFloorTo = 40;
    for (int x = kFloorFrom; x <= kFloorTo; ++x) set(x, kFloorRow, kWall);
    set(28, kFloorRow - 1, kStart);
    set(32, kFloorRow - 1, kTree);
    set(36, kFloorRow - 1, kExit);
    return map;
}
