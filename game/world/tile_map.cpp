// Wrapping access to the tile map and the tile classes that movement reads.
#include "game/shell/my_app.h"
#include "game/world/tiles.h"

namespace {
// Non-negative remainder, so x = -1 is the last column.
inline int wrap(int v, int size) {
    int r = v % size;
    return r < 0 ? r + size : r;
}
// Flip blocks: "D" is solid while the count is even, "d" while it is odd.
inline bool flip_solid(int tile, int flipCount) {
    bool odd = (flipCount & 1) != 0;
    return (tile == kTileFlipEven && !odd) || (tile == kTileFlipOdd && odd);
}
}  // namespace

int c_MyApp::p_CellIndex(int x, int y) const {
    return (wrap(x, m_mapWidth) + wrap(y, m_mapHeight) * kMapRowStride) * kMapLayers;
}

int c_MyApp::p_Tile(int x, int y) const { return m_map.Get(p_CellIndex(x, y)); }

int c_MyApp::p_GetMatrix(int x, int y, int layer) {
    (void)layer;  // the neighbourhood always comes from layer 0
    int k = 1;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) m_near[k++] = p_Tile(x + dx, y + dy);
    }
    return 0;
}

int c_MyApp::p_PutBlock(int x, int y, int tile, int offsetX, int offsetY, int timer) {
    int i = p_CellIndex(x, y);
    m_map[i] = tile;
    m_map[i + 1] = offsetX;
    m_map[i + 2] = offsetY;
    m_map[i + 9] = timer;
    return 0;
}

int c_MyApp::p_Gimme(int x, int y, int layer) {
    (void)x; (void)y; (void)layer;
    return 0;
}

bool c_MyApp::p_isDeath(int tile) { return tile >= kTileSpikesFirst && tile <= kTileSpikesLast; }

bool c_MyApp::p_isFloor(int tile) {
    return tile == kTileGripBar || tile == kTileWall || tile == kTileLauncherRight || tile == kTileLauncherLeft ||
           flip_solid(tile, m_flipCount);
}

bool c_MyApp::p_isLadder(int tile) { return tile == kTileLadder; }

bool c_MyApp::p_isGripable(int tile) { return tile == kTileGripBar; }

bool c_MyApp::p_isGripableB(int tile) { return tile == kTileHandleRight || tile == kTileHandleLeft; }

bool c_MyApp::p_isSolid(int tile) {
    return tile == kTileWall || tile == kTileLauncherRight || tile == kTileLauncherLeft || flip_solid(tile, m_flipCount);
}
