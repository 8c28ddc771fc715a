// Interface pictures: buttons, icons, key hints, the controller pictures, the tutorial's
// speech bubble and the exit star. Pictures the game tints are drawn in whites and greys.
#include <cmath>
#include <utility>

#include "tools/content/sheets.h"
#include "tools/content/symbols.h"

namespace content {

namespace {

constexpr float kPi = 3.14159265358979f;
const Rgba kInk = rgb(34, 34, 48);        // symbols on light faces: darkens whatever tint
const Rgba kShadow = rgb(20, 16, 34, 110);

// A light, domed round face that takes the game's tint: rim, face, gloss. The
// menus draw buttons half transparent, so a dark outline and a dark rim keep
// the shape clear against any background.
void roundFace(Painter& p, float cx, float cy, float r) {
    p.glow({cx - r - 4, cy - r, cx + r + 4, cy + r + 6},
           [=](float x, float y) { return sdCircle(x, y, cx, cy + r * 0.08f, r); }, kShadow, r * 0.12f);
    p.circle(cx, cy, r, rgb(104, 104, 124));
    p.ring(cx, cy, r - r * 0.03f, r * 0.06f, rgb(40, 40, 56));
    p.fill({cx - r, cy - r, cx + r, cy + r}, [=](float x, float y) { return sdCircle(x, y, cx, cy, r * 0.88f); },
           [=](float, float y) { return mix(rgb(255, 255, 255), rgb(214, 216, 228), (y - (cy - r)) / (2 * r)); });
    p.fill({cx - r, cy - r, cx + r, cy},
           [=](float x, float y) { return sdBox(x, y, cx, cy - r * 0.48f, r * 0.55f, r * 0.22f, r * 0.22f); },
           rgb(255, 255, 255, 150));
}

// Buttons: 0 play, 1 pause, 2 back, 3 restart, 4 home, 5 tick, 6 cross, 7 star, 8 note,
// 9 question, 10 plain face to write on, 11 tree, 12 bell, 13 present, 14 snowflake,
// 15 highlight ring.
void buttonFrame(int frame, Painter& p) {
    const float c = 32, r = 27;
    if (frame == 15) {   // highlight ring
        p.glow({0, 0, 64, 64}, [=](float x, float y) { return std::fabs(sdCircle(x, y, c, c, r + 1)) - 1.5f; },
               rgb(255, 255, 255, 150), 3.5f);
        p.ring(c, c, r + 1, 3.0f, rgb(255, 255, 255));
        return;
    }
    roundFace(p, c, c, r);
    const Symbol symbols[16] = {Symbol::Play, Symbol::Pause, Symbol::Back, Symbol::Restart, Symbol::Home,
                                Symbol::Tick, Symbol::Cross, Symbol::Star, Symbol::Note, Symbol::Question,
                                Symbol::Ring, Symbol::Tree, Symbol::Bell, Symbol::Present, Symbol::Snowflake,
                                Symbol::Ring};
    if (frame == 10) return;   // plain face: the menu writes on it
    const Rgba ink = frame == 0 ? rgb(196, 20, 40) : kInk;
    drawSymbol(p, symbols[frame], frame == 0 ? c + 2 : c, c, 26, ink, rgb(255, 214, 70));
}

// Icons: 0 home, 1 quit, 2 pause, 3 resume, 4 sound on, 5 sound off, 6 highlight, 7 help,
// 8 music, 9 star, 10 trophy, 11 back, 12 restart, 13 tick, 14 snowflake, 15 heart,
// 16 options (a gear), 17 controls (a gamepad), 18 hand (the grip toggled on), 19 ring.
void iconFrame(int frame, Painter& p) {
    const float c = 16, r = 13.5f;
    if (frame == 6) {   // highlight
        p.glow({0, 0, 32, 32}, [=](float x, float y) { return std::fabs(sdCircle(x, y, c, c, r + 0.5f)) - 0.8f; },
               rgb(255, 255, 255, 160), 2.0f);
        p.ring(c, c, r + 0.5f, 1.6f, rgb(255, 255, 255));
        return;
    }
    roundFace(p, c, c, r);
    const Symbol symbols[20] = {Symbol::Home, Symbol::Cross, Symbol::Pause, Symbol::Play, Symbol::Speaker,
                                Symbol::SpeakerOff, Symbol::Ring, Symbol::Question, Symbol::Note, Symbol::Star,
                                Symbol::Trophy, Symbol::Back, Symbol::Restart, Symbol::Tick, Symbol::Snowflake,
                                Symbol::Heart, Symbol::Gear, Symbol::Gamepad, Symbol::Hand, Symbol::Ring};
    // The gamepad's cross and buttons show light on its dark body.
    drawSymbol(p, symbols[frame], frame == 3 ? c + 1 : c, c, 15, kInk, frame == 17 ? rgb(250, 250, 255) : kInk);
}

// A light key cap seen from above, for key and direction hints.
void keyCap(Painter& p, float x, float y, float w, float h) {
    p.rect(x, y + 1.5f, w, h, rgb(40, 36, 60, 140), 4);
    p.rect(x, y, w, h, rgb(160, 162, 180), 4);
    p.rect(x + 1.5f, y + 1, w - 3, h - 4, rgb(250, 250, 255), 3);
}

void arc(Painter& p, float cx, float cy, float r, float a0, float a1, float width, Rgba c) {
    p.fill({cx - r - width, cy - r - width, cx + r + width, cy + r + width},
           [=](float x, float y) {
               const float ring = std::fabs(std::hypot(x - cx, y - cy) - r) - width / 2;
               const float a = std::atan2(y - cy, x - cx);
               const float mid = (a0 + a1) / 2, half = (a1 - a0) / 2;
               float d = std::fabs(a - mid);
               if (d > kPi) d = 2 * kPi - d;
               return std::max(ring, (d - half) * r);
           },
           c);
}

// Control hints: 0..3 arrow keys up, right, down, left; 4 cross pad; 5 key cap to write a
// letter on; 6 wide key cap; 7 round pad button; 8, 9 jump arcs left and right; 10 hand
// (hold); 11 ladder; 12 stick; 13 present; 14 star; 15 snowflake.
void dpadFrame(int frame, Painter& p) {
    const Rgba white = rgb(250, 250, 255), rim = rgb(120, 122, 150);
    const float c = 16;
    auto outlined = [&](Symbol s, float size) {
        drawSymbol(p, s, c + 0.8f, c + 1.2f, size, rgb(30, 24, 48, 150), rim);
        drawSymbol(p, s, c, c, size, white, rim);
    };
    switch (frame) {
    case 0: case 1: case 2: case 3: {   // up, right, down, left arrows on key caps
        keyCap(p, 3, 3, 26, 25);
        const float turn = frame * kPi / 2 - kPi / 2;
        auto rot = [&](float x, float y) {
            return Point{c + x * std::cos(turn) - y * std::sin(turn), 15 + x * std::sin(turn) + y * std::cos(turn)};
        };
        p.polygon({rot(7, 0), rot(-1, -7), rot(-1, -3), rot(-7, -3), rot(-7, 3), rot(-1, 3), rot(-1, 7)}, kInk);
        break;
    }
    case 4:   // cross pad
        p.rect(11, 3, 10, 26, rim, 2);
        p.rect(3, 11, 26, 10, rim, 2);
        p.rect(12, 4, 8, 24, white, 2);
        p.rect(4, 12, 24, 8, white, 2);
        p.circle(c, c, 3, rgb(200, 202, 216));
        break;
    case 5: keyCap(p, 4, 4, 24, 23); break;
    case 6: keyCap(p, 1, 7, 30, 18); break;
    case 7:
        p.circle(c, c + 1.5f, 12, rgb(40, 36, 60, 140));
        p.circle(c, c, 12, rim);
        p.circle(c, c - 0.5f, 10.5f, white);
        break;
    case 8: case 9: {   // jump arcs, left and right
        const float dir = frame == 8 ? -1.0f : 1.0f;
        arc(p, c, 20, 10, -kPi * 0.95f, -kPi * 0.05f, 3, white);
        const float tipX = c + dir * 10;
        p.polygon({{tipX - 5, 16}, {tipX + 5, 16}, {tipX, 23}}, white);
        p.circle(c - dir * 10, 21, 2.5f, white);
        break;
    }
    case 10: outlined(Symbol::Hand, 24); break;
    case 11:   // ladder
        p.rect(8, 3, 3, 26, white);
        p.rect(21, 3, 3, 26, white);
        for (int i = 0; i < 4; ++i) p.rect(10, 6 + i * 6.5f, 12, 2.5f, white);
        break;
    case 12:   // stick
        p.circle(c, 24, 7, rim);
        p.rect(14.5f, 10, 3, 14, white);
        p.circle(c, 9, 6, white);
        break;
    case 13: outlined(Symbol::Present, 22); break;
    case 14: outlined(Symbol::Star, 24); break;
    default: outlined(Symbol::Snowflake, 24); break;
    }
}

void arcadeFrame(int frame, Painter& p) {
    if (frame == 0) {   // joystick
        p.fill({8, 38, 56, 60}, [](float x, float y) { return sdBox(x, y, 32, 50, 22, 8, 6); },
               [](float, float y) { return mix(rgb(70, 70, 90), rgb(30, 30, 44), (y - 42) / 16); });
        p.rect(29, 18, 6, 30, rgb(40, 40, 50), 2);
        p.rect(30, 18, 2, 30, rgb(110, 110, 130), 1);
        p.fill({16, 4, 48, 36}, [](float x, float y) { return sdCircle(x, y, 32, 18, 11); },
               [](float x, float y) { return mix(rgb(255, 110, 110), rgb(170, 20, 40), (x - 24 + y - 10) / 24); });
        p.circle(28, 14, 3.5f, rgb(255, 220, 220));
    } else {   // two buttons on a panel
        p.rect(4, 16, 56, 34, rgb(40, 40, 56), 8);
        p.rect(6, 18, 52, 30, rgb(70, 70, 92), 7);
        const Rgba tops[2] = {rgb(60, 170, 80), rgb(255, 200, 50)};
        for (int i = 0; i < 2; ++i) {
            const float cx = 20 + i * 24;
            p.circle(cx, 35, 9, rgb(20, 20, 28));
            p.circle(cx, 32, 9, mix(tops[i], rgb(0, 0, 0), 0.3f));
            p.circle(cx, 31, 7.5f, tops[i]);
            p.circle(cx - 2.5f, 28.5f, 2.2f, rgb(255, 255, 255, 170));
        }
    }
}

// The tutorial bubble: a dark, slightly translucent panel so the white text reads,
// with a gold rim and holly in two corners, filling the cell (the text runs nearly edge to edge).
void bubbleFrame(int, Painter& p) {
    const float cx = 64, cy = 32, hw = 63, hh = 30.5f, r = 12;
    p.glow({0, 0, 128, 64}, [=](float x, float y) { return sdBox(x, y, cx, cy + 1, hw, hh, r); }, rgb(10, 8, 24, 120), 1.5f);
    p.fill({0, 0, 128, 64}, [=](float x, float y) { return sdBox(x, y, cx, cy, hw, hh, r); }, rgb(30, 22, 40));
    p.fill({0, 0, 128, 64}, [=](float x, float y) { return sdBox(x, y, cx, cy, hw - 1.2f, hh - 1.2f, r - 1); },
           rgb(245, 196, 80));
    p.fill({0, 0, 128, 64}, [=](float x, float y) { return sdBox(x, y, cx, cy, hw - 2.6f, hh - 2.6f, r - 2); },
           [=](float, float y) { return mix(rgb(30, 86, 62), rgb(18, 52, 44), (y - 2) / 60); });
    for (int i = 0; i < 26; ++i) {   // faint snow dots in the panel
        const float x = 8 + std::fmod(i * 61.8f + (i % 5) * 13.1f, 112), y = 6 + std::fmod(i * 29.3f + (i % 3) * 17.7f, 52);
        p.circle(x, y, 0.6f, rgb(255, 255, 255, 36));
    }
    for (int corner = 0; corner < 2; ++corner) {
        const float hx = corner == 0 ? 7.5f : 120.5f, hy = corner == 0 ? 6.5f : 57.5f;
        drawSymbol(p, Symbol::Holly, hx, hy, 11, rgb(60, 160, 80), rgb(220, 45, 60));
    }
}

// The exit star: white, so the game's yellow, orange and blue tints show; a soft halo
// and a gentle grey at the points give it shape under the tint. Frame 1 is the
// open exit's mark, a ring of eight dashes with a dark edge, so that an open exit
// is told by its shape and not by its brightness alone.
void exitStarFrame(int frame, Painter& p) {
    const float c = 64;
    if (frame == 1) {
        for (const auto& [width, colour] : {std::pair{11.0f, rgb(30, 24, 50)}, std::pair{6.0f, rgb(255, 255, 255)}}) {
            for (int dash = 0; dash < 8; ++dash) {
                const float a = dash * kPi / 4;
                arc(p, c, c, 56, a - 0.22f - width * 0.004f, a + 0.22f + width * 0.004f, width, colour);
            }
        }
        return;
    }
    p.glow({0, 0, 128, 128}, [=](float x, float y) { return sdCircle(x, y, c, c, 20); }, rgb(255, 255, 255, 90), 42);
    const auto star = starPoints({c, c}, 54, 24, 5, 0);
    p.polygon(star, [=](float x, float y) {
        const float d = std::hypot(x - c, y - c) / 54;
        return mix(rgb(255, 255, 255), rgb(200, 200, 210), d);
    });
    const auto inner = starPoints({c, c}, 30, 13, 5, 0);
    p.polygon(inner, rgb(255, 255, 255));
    p.glow({0, 0, 128, 128}, [=](float x, float y) { return sdCircle(x, y, c, c, 4); }, rgb(255, 255, 255), 10);
}

}  // namespace

SheetDef buttonSheet() {
    SheetSpec spec{"common/Buttons", 64, 64, 16, 4};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, buttonFrame); }};
}

SheetDef iconSheet() {
    SheetSpec spec{"common/icons", 32, 32, 20, 4};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, iconFrame); }};
}

SheetDef dpadSheet() {
    SheetSpec spec{"common/dpad", 32, 32, 16, 4};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, dpadFrame); }};
}

SheetDef arcadeSheet() {
    SheetSpec spec{"common/icade", 64, 64, 2, 2};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, arcadeFrame); }};
}

SheetDef bubbleSheet() {
    SheetSpec spec{"bubble", 128, 64, 1, 1};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, bubbleFrame); }};
}

SheetDef exitStarSheet() {
    SheetSpec spec{"circle", 128, 128, 2, 2};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, exitStarFrame); }};
}

}  // namespace content
