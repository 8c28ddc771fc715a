// Pipkin, the hero: a young elf in a red hat and green coat, built from a few
// palette grids (head, body) and posed with pixel-line limbs, then outlined.
#include <cstdlib>
#include <vector>

#include "tools/content/pixel_art.h"
#include "tools/content/sheets.h"

namespace content {

namespace {

const std::vector<std::string> kHeadSide = {
    "....rRRr..",
    "..rRRRRRR.",
    ".rRRRRRRRr",
    "WWwWWWWWWW",
    "WW.bSSSSSS",
    "...bSSSSES",
    "...bSSSSCS",
    "....sSSSs.",
};
const std::vector<std::string> kHeadHappy = {
    "....rRRr..",
    "..rRRRRRR.",
    ".rRRRRRRRr",
    "WWwWWWWWWW",
    "WW.bSSSSSS",
    "...bSSSSEs",
    "...bSSSCSS",
    "....sSSrr.",
};
const std::vector<std::string> kHeadBack = {
    "...WW....",
    "..rRRR...",
    ".rRRRRR..",
    "wWWWWWWW.",
    ".BTTTBBB.",
    ".BBBBBBb.",
    ".SBBBBBS.",
    "..bBBBb..",
};
const std::vector<std::string> kBodySide = {
    ".gGGGL.",
    "gGGGGLG",
    "gGGGGLG",
    "bbbbYbb",
    "gGGGGGG",
    "WWWWWWW",
};
const std::vector<std::string> kBodyBack = {
    ".gGGGg.",
    "gGGGGGg",
    "gGGgGGg",
    "bbbbbbb",
    "gGGgGGg",
    "WWWWWWW",
};
const std::vector<std::string> kBootSide = {"BB.", "bBB"};
const std::vector<std::string> kBootBack = {"BB", "bb"};
const std::vector<std::string> kBootDown = {"B", "B", "b"};   // toes pointing down

struct P2 {
    int x = 0, y = 0;
};

enum class View { Side, Back };
enum class Feet { Flat, Dangling };

// One pose. Hands are relative to the shoulders, feet to the standing hip, all in pixels.
struct Pose {
    int bodyX = 0, bodyY = 0;
    int headX = 0, headY = 0;
    P2 backHand{-1, 4}, frontHand{1, 4};
    P2 backFoot{0, 2}, frontFoot{0, 2};
    View view = View::Side;
    Feet feet = Feet::Flat;
    bool happy = false;
    int turns = 0;              // quarter turns clockwise about the body's centre (somersault)
};

void thickLine(Canvas& c, P2 a, P2 b, int w, Rgba colour) {
    int x0 = a.x, y0 = a.y;
    const int dx = std::abs(b.x - x0), sx = x0 < b.x ? 1 : -1;
    const int dy = -std::abs(b.y - y0), sy = y0 < b.y ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        c.fillRect(x0, y0, w, w, colour);
        if (x0 == b.x && y0 == b.y) break;
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

Canvas rotateQuarter(const Canvas& src, int turns, int cx, int cy) {
    Canvas out(src.width(), src.height());
    for (int y = 0; y < src.height(); ++y) {
        for (int x = 0; x < src.width(); ++x) {
            int dx = x - cx, dy = y - cy;
            for (int t = 0; t < turns; ++t) {
                const int nx = -dy, ny = dx;
                dx = nx;
                dy = ny;
            }
            out.set(cx + dx, cy + dy, src.get(x, y));
        }
    }
    return out;
}

// Standing reference points (1x cell coordinates, facing right).
constexpr int kBodyLeft = 12, kBodyTop = 12;
constexpr int kHeadLeft = 9, kHeadTop = 4;
constexpr int kBackShoulderX = 13, kFrontShoulderX = 17, kShoulderY = 13;
constexpr int kBackHipX = 13, kFrontHipX = 16, kHipY = 18;

void drawLeg(Canvas& c, const Pose& p, int hipX, P2 foot, char trouser) {
    const P2 hip{hipX + p.bodyX, kHipY + p.bodyY};
    const P2 ankle{hipX + foot.x, kHipY + foot.y - 1};
    thickLine(c, hip, ankle, 2, paletteColour(trouser));
    if (p.view == View::Back)
        drawGrid(c, ankle.x, ankle.y + 1, kBootBack);
    else if (p.feet == Feet::Dangling)
        drawGrid(c, ankle.x, ankle.y + 1, kBootDown), drawGrid(c, ankle.x + 1, ankle.y + 1, kBootDown);
    else
        drawGrid(c, ankle.x, ankle.y + 1, kBootSide);
}

void drawArm(Canvas& c, const Pose& p, int shoulderX, P2 hand, char sleeve) {
    const P2 s{shoulderX + p.bodyX, kShoulderY + p.bodyY};
    const P2 h{s.x + hand.x, s.y + hand.y};
    thickLine(c, s, h, 1, paletteColour(sleeve));
    // A white fur cuff just before the hand keeps the arm readable against the coat.
    const int cx = h.x + (s.x > h.x) - (s.x < h.x), cy = h.y + (s.y > h.y) - (s.y < h.y);
    if (cx != s.x || cy != s.y) c.set(cx, cy, paletteColour('W'));
    c.set(h.x, h.y, paletteColour('S'));
}

Canvas drawPose(const Pose& p) {
    Canvas c(32, 32);
    const bool back = p.view == View::Back;
    drawArm(c, p, kBackShoulderX, p.backHand, back ? 'G' : 'g');
    drawLeg(c, p, kBackHipX, p.backFoot, 'r');
    drawGrid(c, kBodyLeft + p.bodyX, kBodyTop + p.bodyY, back ? kBodyBack : kBodySide);
    drawLeg(c, p, kFrontHipX, p.frontFoot, back ? 'r' : 'R');
    if (back)
        drawGrid(c, kHeadLeft + 2 + p.bodyX + p.headX, kHeadTop + p.bodyY + p.headY, kHeadBack);
    else
        drawGrid(c, kHeadLeft + p.bodyX + p.headX, kHeadTop + p.bodyY + p.headY, p.happy ? kHeadHappy : kHeadSide);
    drawArm(c, p, kFrontShoulderX, p.frontHand, back ? 'G' : 'L');
    if (p.turns) c = rotateQuarter(c, p.turns, 15, 14);
    addOutline(c, paletteColour('K'));
    return c;
}

Pose stand() { return Pose{}; }

Pose walk(int step) {
    Pose p;
    switch (step) {
    case 1: p.backFoot = {-2, 2}; p.frontFoot = {2, 2}; p.backHand = {2, 3}; p.frontHand = {-2, 3}; break;
    case 2: p.bodyY = -1; p.backFoot = {1, 1}; p.frontFoot = {0, 2}; p.backHand = {0, 4}; p.frontHand = {0, 4}; break;
    case 3: p.backFoot = {2, 2}; p.frontFoot = {-2, 2}; p.backHand = {-2, 3}; p.frontHand = {2, 3}; break;
    case 4: p.bodyY = -1; p.backFoot = {0, 2}; p.frontFoot = {1, 1}; p.backHand = {1, 4}; p.frontHand = {-1, 4}; break;
    default: p.backFoot = {-1, 2}; p.frontFoot = {3, 1}; p.backHand = {3, 2}; p.frontHand = {-3, 2}; break;
    }
    return p;
}

Pose climb(int step) {
    Pose p;
    p.view = View::Back;
    p.backHand = (step % 2 == 0) ? P2{-2, -6} : P2{-2, -3};
    p.frontHand = (step % 2 == 0) ? P2{1, -3} : P2{1, -6};
    if (step == 2) p.backHand = {-3, -6}, p.frontHand = {2, -6};   // both hands up: also the dying pose
    p.backFoot = (step % 2 == 0) ? P2{0, 1} : P2{0, 2};
    p.frontFoot = (step % 2 == 0) ? P2{0, 2} : P2{0, 1};
    p.bodyY = (step % 2 == 0) ? 0 : -1;
    return p;
}

Pose hang(P2 backHand, P2 frontHand, P2 backFoot, P2 frontFoot, bool happy = false) {
    Pose p;
    p.backHand = backHand;
    p.frontHand = frontHand;
    p.backFoot = backFoot;
    p.frontFoot = frontFoot;
    p.feet = Feet::Dangling;
    p.happy = happy;
    return p;
}

Pose jump(int i) {
    Pose p;
    switch (i) {
    case 0: p.bodyY = 2; p.headX = 1; p.backFoot = {-1, 2}; p.frontFoot = {1, 2}; p.backHand = {-3, 2}; p.frontHand = {-2, 2}; break;
    case 1: p.bodyY = -1; p.backFoot = {-2, 2}; p.frontFoot = {0, 2}; p.backHand = {2, -4}; p.frontHand = {3, -4}; break;
    case 2: p.bodyY = -2; p.backFoot = {-3, 1}; p.frontFoot = {-1, 1}; p.backHand = {1, -6}; p.frontHand = {2, -6}; p.feet = Feet::Dangling; break;
    case 3: p.bodyY = -2; p.backFoot = {-2, 0}; p.frontFoot = {1, -1}; p.backHand = {2, -5}; p.frontHand = {3, -4}; break;
    case 12: p.bodyY = 2; p.headX = 1; p.backFoot = {-1, 2}; p.frontFoot = {1, 2}; p.backHand = {-2, 2}; p.frontHand = {3, 1}; break;
    case 11: p.bodyY = 0; p.backFoot = {0, 2}; p.frontFoot = {2, 1}; p.backHand = {-3, 1}; p.frontHand = {4, 0}; break;
    case 10: p.bodyY = -1; p.backFoot = {-1, 1}; p.frontFoot = {2, 0}; p.backHand = {-3, -3}; p.frontHand = {3, -3}; p.feet = Feet::Dangling; break;
    case 9: p.bodyY = -2; p.backFoot = {-1, 0}; p.frontFoot = {1, 0}; p.backHand = {-2, -5}; p.frontHand = {3, -4}; p.feet = Feet::Dangling; break;
    default:  // tucked somersault, frames 4..8
        p.bodyY = -1;
        p.backFoot = {1, -2};
        p.frontFoot = {3, -2};
        p.backHand = {2, 2};
        p.frontHand = {3, 2};
        p.happy = true;
        p.turns = (i >= 5 && i <= 7) ? i - 4 : 0;
        break;
    }
    return p;
}

// Frame number -> pose, for every frame the game shows.
bool poseFor(int frame, Pose& p) {
    switch (frame) {
    case 0: p = stand(); return true;
    case 1: case 2: case 3: case 4: case 5: p = walk(frame); return true;
    case 6:  // holding a grip handle in front of him
        p = stand(); p.backHand = {4, 0}; p.frontHand = {5, -1}; p.backFoot = {-1, 2}; p.frontFoot = {1, 2}; return true;
    case 7:  // looking about, hand on hip
        p = stand(); p.headX = -1; p.frontHand = {2, 2}; p.backHand = {-2, 2}; return true;
    case 8:  // hop for joy
        p = stand(); p.bodyY = -2; p.backFoot = {-1, 0}; p.frontFoot = {1, 0}; p.backHand = {-2, -5}; p.frontHand = {2, -5}; p.happy = true; return true;
    case 9:  // waving
        p = stand(); p.frontHand = {2, -5}; p.happy = true; return true;
    case 10:  // pointing ahead
        p = stand(); p.frontHand = {5, -2}; p.frontFoot = {2, 2}; p.backFoot = {-1, 2}; return true;
    case 11:  // bowing
        p = stand(); p.headX = 2; p.headY = 2; p.frontHand = {3, 3}; p.backHand = {-3, 2}; return true;
    case 12: case 13: case 14: case 15: p = climb(frame - 12); return true;
    case 16: p = hang({-3, -6}, {3, -6}, {-1, 3}, {1, 3}, true); return true;   // exit cheer, also falling
    case 17: p = hang({-1, -7}, {3, -5}, {-2, 3}, {1, 3}); return true;
    case 18: p = hang({-1, -6}, {1, -7}, {-1, 3}, {2, 2}); return true;
    case 19: p = hang({-2, -5}, {2, -7}, {0, 3}, {2, 3}); return true;
    case 20: p = hang({-1, -7}, {1, -7}, {0, 3}, {1, 3}); return true;
    default: break;
    }
    if (frame >= 48 && frame <= 60) {
        p = jump(frame - 48);
        return true;
    }
    return false;
}

}  // namespace

SheetDef heroSheet() {
    SheetSpec spec{"plat", 32, 32, 64, 8};
    return {spec, [spec](int level) {
                return pixelAtlas(spec, level, [](int frame, Canvas& cell) {
                    Pose p;
                    if (poseFor(frame, p)) cell = drawPose(p);
                });
            }};
}

}  // namespace content
