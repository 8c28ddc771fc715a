// The tile sheet "gfx1": frame = tile value - 1. Each tile is a 16 x 16 picture placed
// at (kTileX, kTileY) in its 32 x 32 cell; the movers stand on kFloorRow like the hero.
#include <cmath>
#include <string>
#include <vector>

#include "tools/content/font_glyphs.h"
#include "tools/content/pixel_art.h"
#include "tools/content/sheets.h"

namespace content {

namespace {

using Grid = std::vector<std::string>;

const Grid kWall = {
    "IIIIIIIaIIIIIIIa",
    "IAAAAAAaIAAAAAAa",
    "IAAAAaAaIAAAAAAa",
    "IAAAAAAaIAAAIAAa",
    "IAIAAAAaIAAAAAAa",
    "IAAAAAAaIAaAAAAa",
    "IAAAAAAaIAAAAAAa",
    "aaaaaaaaaaaaaaaa",
    "IIIaIIIIIIIaIIII",
    "AAAaIAAAAAAaIAAA",
    "AAAaIAAAAIAaIAaA",
    "AIAaIAaAAAAaIAAA",
    "AAAaIAAAAAAaIAAA",
    "AAAaIAAAAAAaIAIA",
    "AAAaIAAAAAAaIAAA",
    "aaaaaaaaaaaaaaaa",
};

const Grid kLadder = {
    ".KTBK......KTBK.",
    ".KTBK......KTBK.",
    ".KTBKKKKKKKKTBK.",
    ".KTBTTTTTTTTTBK.",
    ".KTBbbbbbbbbTBK.",
    ".KTBKKKKKKKKTBK.",
    ".KTBK......KTBK.",
    ".KTBK......KTBK.",
    ".KTBK......KTBK.",
    ".KTBK......KTBK.",
    ".KTBKKKKKKKKTBK.",
    ".KTBTTTTTTTTTBK.",
    ".KTBbbbbbbbbTBK.",
    ".KTBKKKKKKKKTBK.",
    ".KTBK......KTBK.",
    ".KTBK......KTBK.",
};

const Grid kPresent = {
    "", "", "", "",
    ".....YY..YY.....",
    "....Y..YY..Y....",
    ".....YYYYYY.....",
    "...RRRRYYRRRRr..",
    "...PRRRYYRRRRr..",
    "...YYYYYYYYYYy..",
    "...yyyyyyyyyyy..",
    "...RRRRYYRRRRr..",
    "...PRRRYYRRRRr..",
    "...RRRRYYRRRRr..",
    "...rrrryyrrrrr..",
};

// Tree with placeholders: '*' star, 'o' bulb, 'G' needles, 'g' shaded needles.
const Grid kTree = {
    ".......*........",
    "......***.......",
    ".......G........",
    "......GGg.......",
    ".....GoGGg......",
    "......GGg.......",
    ".....GGGGo......",
    "....oGGGGGg.....",
    ".....GGGogg.....",
    "....GGGGGGgg....",
    "...GGoGGGGGog...",
    "....GGGGoGgg....",
    "..GoGGGGGGGGog..",
    ".GGGGGoGGGGGggg.",
    "......BBb.......",
    ".....rRRRr......",
};

const Grid kPlunger = {
    "", "",
    "....ZXXXXXx.....",
    "....xxxXxxx.....",
    ".......X........",
    ".......X........",
    ".......X........",
    ".......X........",
    "......xXx.......",
    "...RRRRRRRRRr...",
    "...RPPRRRRRRr...",
    "...RRRRYYRRRr...",
    "...RRRRYyRRRr...",
    "...rrrrrrrrrr...",
    "..bBBBBBBBBBBb..",
};

const Grid kHandleRight = {
    "", "", "",
    "...........ZXXXX",
    "...........ZxxxX",
    "............YY.X",
    "............YY..",
    "............YY..",
    "............Yy..",
    "............Yy..",
    "............Yy..",
    "............yy.X",
    "...........ZXXXX",
    "...........ZxxxX",
};

const Grid kLauncherRight = {
    "KKKKKKKKKKKKKKKK",
    "KZZZZZZZZZZZZZXK",
    "KZXXXXXXXXXXXXxK",
    "KZXZXXXXXXXXZXxK",
    "KZXXXXXXXXRRRRRK",
    "KZXXXXXXXRrKKKKK",
    "KZXXXXXXXRKEEEEE",
    "KZXXXXXXXRKEEEEE",
    "KZXXXXXXXRKEEEEE",
    "KZXXXXXXXRrKKKKK",
    "KZXXXXXXXXRRRRRK",
    "KZXXXXXXXXXXXXxK",
    "KZXZXXXXXXXXZXxK",
    "KZXXXXXXXXXXXXxK",
    "KxxxxxxxxxxxxxxK",
    "KKKKKKKKKKKKKKKK",
};

const Grid kWreath = {
    "", "",
    "......GGGG......",
    "....GGLGGgGG....",
    "...GLGRgGGGgG...",
    "..GGGg....GGRg..",
    "..GLg......GGg..",
    "..GRG......gGg..",
    "..GGg......GLg..",
    "..GgGg....gGRg..",
    "...GGRgGGgGGg...",
    "....gGGLGRGg....",
    "......RRRR......",
    ".....RrRRrR.....",
    "....Rr.RR.rR....",
};

const Grid kGarland = {
    "GgGGgGGgGGgGGgGG",
    "gGLgGgLGgGgLgGgL",
    "..R......U......",
    "..R......U......",
    ".RPR....UVU.....",
    ".RRr....UUu.....",
    "..r......u......",
    ".............Y..",
    "....Y.......YYY.",
    "...YYY.......Y..",
    "....Y...........",
};

const Grid kCandle = {
    "", "",
    ".......Y........",
    "......YOY.......",
    "......YOY.......",
    ".......b........",
    "......WWWw......",
    "......WWWw......",
    "......WWWw......",
    "......WWWw......",
    "......WWWw......",
    "......WWWw......",
    "...GgLGGGGgG....",
    "..GRGgGGRGGgG...",
    "...ggGgGgGg.....",
};

const Grid kCandyCane = {
    "", "",
    ".......WRRW.....",
    "......RW..RW....",
    "......W....R....",
    "......R....W....",
    "...........R....",
    "...........W....",
    "...........R....",
    "...........W....",
    "...........R....",
    "...........W....",
    "...........R....",
    "...........W....",
    "...........R....",
};

void placeTile(Canvas& cell, const Canvas& tile) { cell.blit(tile, kTileX, kTileY); }

Canvas gridTile(const Grid& g, bool outline, bool mirror = false) {
    Canvas t(kTileSize, kTileSize);
    drawGrid(t, 0, 0, g, mirror);
    if (outline) addOutline(t, paletteColour('K'));
    return t;
}

Canvas gripBar() {
    Canvas t(kTileSize, kTileSize);
    for (int x = 0; x < kTileSize; ++x) {
        t.set(x, 1, paletteColour('K'));
        for (int y = 2; y <= 4; ++y) {
            const bool red = ((x + y) / 2) % 2 == 0;
            t.set(x, y, paletteColour(y == 2 ? (red ? 'P' : 'W') : red ? 'R' : (y == 4 ? 'w' : 'W')));
        }
        t.set(x, 5, paletteColour('K'));
    }
    return t;
}

// Upward spikes standing on the tile's floor, sharp to a single-pixel point, on a
// dark base plate: count spikes of the given heights.
Canvas spikes(const std::vector<int>& heights, char light, char dark, char stripe) {
    Canvas t(kTileSize, kTileSize);
    const int count = int(heights.size());
    const float width = 14.0f / count;
    for (int i = 0; i < count; ++i) {
        const float cx = std::floor(1.0f + width * (i + 0.5f)) + 0.5f;
        const int h = heights[i], top = 14 - h;
        const float baseHalf = width * 0.5f - 0.4f;
        for (int y = top; y < 14; ++y) {
            const float half = (y - top + 0.5f) * baseHalf / h;
            for (int x = 0; x < kTileSize; ++x) {
                const float d = x + 0.5f - cx;
                if (std::fabs(d) > half + 0.25f) continue;
                char key = d > 0.1f ? dark : light;
                if (stripe != 0 && ((y + (d > 0.1f ? 1 : 0)) / 2) % 2 == 0) key = stripe;
                t.set(x, y, paletteColour(key));
            }
        }
    }
    for (int x = 1; x < 15; ++x) t.set(x, 14, paletteColour('x'));
    addOutline(t, paletteColour('K'));
    return t;
}

Canvas treeTile(bool lit) {
    Canvas t(kTileSize, kTileSize);
    const char bulbs[] = {'R', 'Y', 'U', 'M', 'O', 'P'};
    int bulb = 0;
    for (size_t y = 0; y < kTree.size(); ++y) {
        for (size_t x = 0; x < kTree[y].size(); ++x) {
            char k = kTree[y][x];
            if (k == '.') continue;
            if (k == '*') k = lit ? ((x == 7 && y == 1) ? 'W' : 'Y') : 'x';
            else if (k == 'o') k = lit ? bulbs[bulb++ % 6] : 'N';
            else if (k == 'G') k = lit ? ((x + y) % 5 == 0 ? 'L' : 'G') : 'g';
            else if (k == 'g') k = lit ? 'g' : 'k';
            t.set(int(x), int(y), paletteColour(k));
        }
    }
    addOutline(t, paletteColour('K'));
    return t;
}

// Flip block, solid: a gold-framed green crate. Open: only a dashed ghost of its frame.
Canvas flipBlock(bool solid) {
    Canvas t(kTileSize, kTileSize);
    for (int y = 0; y < kTileSize; ++y) {
        for (int x = 0; x < kTileSize; ++x) {
            const bool edge = x == 0 || y == 0 || x == 15 || y == 15;
            const bool frame = x <= 1 || y <= 1 || x >= 14 || y >= 14;
            if (solid) {
                char k = 'G';
                if (edge) k = 'K';
                else if (frame) k = (x <= 1 || y <= 1) ? 'Y' : 'y';
                else if ((x + y) % 6 < 2) k = 'L';
                else if (x == 2 || y == 2) k = 'g';
                t.set(x, y, paletteColour(k));
            } else if (frame && !edge && ((x + y) / 2) % 2 == 0) {
                t.set(x, y, paletteColour('L'));
            }
        }
    }
    if (solid) {
        for (int i = 5; i <= 10; ++i) {   // a little bow in the middle
            t.set(i, 7, paletteColour('R'));
            t.set(i, 8, paletteColour('r'));
        }
        t.set(6, 6, paletteColour('R'));
        t.set(9, 6, paletteColour('R'));
    }
    return t;
}

// Countdown coin: the gold part shrinks like a clock hand sweeping; frame 15's full coin
// carries a dollar sign and doubles as the "$" pick-up.
Canvas timerCoin(float fraction, bool dollar) {
    Canvas t(kTileSize, kTileSize);
    const float cx = 7.5f, cy = 7.5f, r = 6.0f;
    for (int y = 0; y < kTileSize; ++y) {
        for (int x = 0; x < kTileSize; ++x) {
            const float dx = x + 0.5f - cx - 0.5f, dy = y + 0.5f - cy - 0.5f;
            const float d = std::hypot(dx, dy);
            if (d > r) continue;
            float angle = std::atan2(dx, -dy) / (2 * 3.14159265f);
            if (angle < 0) angle += 1;
            const bool gold = angle <= fraction + 0.001f;
            char k = gold ? 'Y' : 'a';
            if (d > r - 1.2f) k = gold ? 'y' : 'k';
            else if (gold && dx + dy < -3.5f) k = 'W';
            t.set(x, y, paletteColour(k));
        }
    }
    if (dollar) {
        for (int gy = 0; gy < kGlyphAscent; ++gy)
            for (int gx = 0; gx < kGlyphW; ++gx)
                if (glyphPixel('$', gx, gy)) t.set(6 + gx, 5 + gy, paletteColour('y'));
    } else {
        t.set(8, 8, paletteColour('K'));   // clock hub
    }
    addOutline(t, paletteColour('K'));
    return t;
}

// The sliding hazard: a frosty spiked ball with speed streaks behind it. Drawn at the
// hero's reference point: centred on column 16, resting on kFloorRow.
Canvas mover(bool right) {
    Canvas c(32, 32);
    const float cx = 16.0f, cy = kFloorRow - 5.0f, r = 4.2f;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            const float d = std::hypot(dx, dy);
            const float a = std::atan2(dy, dx);
            const float spike = r + 1.8f * std::pow(std::fabs(std::cos(a * 4.0f)), 6.0f);
            if (d <= spike) {
                char k = d > r ? 'U' : (dx + dy < -2.0f ? 'W' : (dx + dy > 2.5f ? 'V' : 'w'));
                c.set(x, y, paletteColour(k));
            }
        }
    }
    c.set(17, kFloorRow - 6, paletteColour('r'));   // angry eyes
    c.set(19, kFloorRow - 6, paletteColour('r'));
    c.set(17, kFloorRow - 7, paletteColour('E'));
    c.set(19, kFloorRow - 7, paletteColour('E'));
    addOutline(c, paletteColour('K'));
    for (int i = 0; i < 3; ++i) {   // speed streaks trailing behind
        const int y = kFloorRow - 8 + i * 3;
        for (int x = 6 - i; x < 10 - i; ++x) c.set(x, y, withAlpha(paletteColour('V'), 0.8f));
    }
    return right ? c : mirrored(c);
}

void drawTileFrame(int frame, Canvas& cell) {
    switch (frame) {
    case 0: placeTile(cell, gripBar()); break;
    case 1: placeTile(cell, gridTile(kWall, false)); break;
    case 2: placeTile(cell, gridTile(kLadder, false)); break;
    case 3: placeTile(cell, gridTile(kPresent, true)); break;
    case 4: placeTile(cell, spikes({9, 9, 9}, 'Z', 'x', 0)); break;
    case 5: placeTile(cell, spikes({7, 10, 8}, 'V', 'U', 0)); break;
    case 6: placeTile(cell, spikes({6, 9, 6, 9}, 'I', 'a', 0)); break;
    case 7: placeTile(cell, spikes({10, 12, 10}, 'W', 'w', 'R')); break;
    case 8: placeTile(cell, flipBlock(true)); break;
    case 9: placeTile(cell, flipBlock(false)); break;
    case 10: placeTile(cell, gridTile(kPlunger, true)); break;
    case 11: case 12: case 13: case 14: case 15:
        placeTile(cell, timerCoin(float(frame - 10) / 5.0f, frame == 15));
        break;
    case 16: placeTile(cell, gridTile(kCandle, true)); break;
    case 17: placeTile(cell, gridTile(kCandyCane, true)); break;
    case 18: placeTile(cell, treeTile(false)); break;
    case 19: placeTile(cell, treeTile(true)); break;
    case 21: placeTile(cell, gridTile(kHandleRight, true)); break;
    case 22: placeTile(cell, gridTile(kHandleRight, true, true)); break;
    case 24: placeTile(cell, gridTile(kLauncherRight, false)); break;
    case 25: placeTile(cell, gridTile(kLauncherRight, false, true)); break;
    case 26: cell = mover(true); break;
    case 27: cell = mover(false); break;
    case 56: placeTile(cell, gridTile(kWreath, true)); break;
    case 57: placeTile(cell, gridTile(kGarland, true)); break;
    default: break;
    }
}

// Tiles that repeat seamlessly next to copies of themselves.
bool tilingRegion(int frame, int& x, int& y, int& w, int& h) {
    if (frame != 0 && frame != 1 && frame != 2) return false;
    x = kTileX;
    y = kTileY;
    w = h = kTileSize;
    return true;
}

// The lit tree's glow, drawn by the game faint and enlarged around the tree.
void drawGlow(Painter& p) {
    const float cx = kTileX + 9.0f, cy = kTileY + 8.0f;
    p.glow({0, 0, 32, 32}, [=](float x, float y) { return sdCircle(x, y, cx, cy, 1.0f); }, rgb(255, 244, 190), 13.0f);
    p.glow({0, 0, 32, 32}, [=](float x, float y) { return sdCircle(x, y, cx, cy, 0.5f); }, rgb(255, 255, 255), 6.0f);
}

}  // namespace

SheetDef tileSheet() {
    SheetSpec spec{"gfx1", 32, 32, 64, 8};
    return {spec, [spec](int level) {
                Canvas atlas = pixelAtlas(spec, level, drawTileFrame, tilingRegion);
                redrawCell(atlas, spec, level, 20, drawGlow);
                return atlas;
            }};
}

}  // namespace content
