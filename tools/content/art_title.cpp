// Title pictures: the "Glimmer" logo, the studio mark, the menu backgrounds, the test
// card and the snow flakes.
#include <cmath>
#include <cstdint>

#include "tools/content/capsule_text.h"
#include "tools/content/font_glyphs.h"
#include "tools/content/sheets.h"
#include "tools/content/symbols.h"

namespace content {

namespace {

constexpr float kPi = 3.14159265358979f;

// Small deterministic hash so every run draws the same "random" details.
float hash01(uint32_t n) {
    n = (n << 13U) ^ n;
    n = n * (n * n * 15731U + 789221U) + 1376312589U;
    return float(n & 0x7fffffffU) / float(0x7fffffff);
}

void sparkle(Painter& p, float cx, float cy, float r, Rgba c) {
    p.polygon(starPoints({cx, cy}, r, r * 0.22f, 4, 0), c);
    p.glow({cx - r, cy - r, cx + r, cy + r}, [=](float x, float y) { return sdCircle(x, y, cx, cy, r * 0.1f); },
           withAlpha(c, 0.6f), r * 0.5f);
}

void logoFrame(int, Painter& p) {
    CapsuleText t{"Glimmer", 0, 0, 5.3f, 8.0f, 6, true, 1.7f, {}};
    t.x = 128 - capsuleTextWidth(t) / 2;
    t.y = 64 - kGlyphAscent * t.uy / 2 - 1;
    layoutCapsuleText(t);
    const float stroke = 3.3f;
    const Bounds b = capsuleTextBounds(t, 12);
    auto dist = [&](float x, float y) { return capsuleTextDistance(t, x, y, stroke); };
    p.glow(b, [&](float x, float y) { return dist(x - 3, y - 4) - 3.0f; }, rgb(16, 8, 40, 150), 4);
    p.fill(b, [&](float x, float y) { return dist(x, y) - 2.6f; }, rgb(110, 16, 40));
    const float top = t.y, height = kGlyphAscent * t.uy;
    p.fill(b, dist, [=](float, float y) {
        const float v = (y - top) / height;
        return v < 0.5f ? mix(rgb(255, 246, 170), rgb(255, 204, 60), v * 2) : mix(rgb(255, 204, 60), rgb(238, 118, 30), v * 2 - 1);
    });
    // Snow resting on the tops of the strokes.
    p.fill(b, [&](float x, float y) { return std::max(dist(x, y) + 0.5f, -dist(x, y - 4.6f)); }, rgb(255, 255, 255));
    p.fill(b, [&](float x, float y) { return std::max(dist(x, y) + 0.6f, -dist(x, y - 1.6f)); }, rgb(214, 230, 255));
    p.fill(b, [&](float x, float y) { return std::max(dist(x, y) + 1.2f, -dist(x, y - 2.4f)); }, rgb(255, 255, 255));
    sparkle(p, t.x + 2, t.y + 1, 10, rgb(255, 255, 230));
    sparkle(p, t.x + capsuleTextWidth(t) - 1, t.y + 22, 7, rgb(255, 255, 230));
    sparkle(p, 128 + 26, t.y + height + 16, 5, rgb(255, 240, 200));
    sparkle(p, 128 - 60, t.y + height + 12, 4, rgb(255, 240, 200));
}

// The studio mark of "Hollyhop", a made-up studio: a night-blue medallion with a snow star.
void studioFrame(int, Painter& p) {
    const float c = 128;
    p.glow({0, 0, 256, 256}, [=](float x, float y) { return sdCircle(x, y, c + 3, c + 5, 100); }, rgb(10, 6, 30, 120), 8);
    p.circle(c, c, 104, rgb(250, 200, 70));
    p.circle(c, c, 98, rgb(150, 40, 50));
    p.fill({0, 0, 256, 256}, [=](float x, float y) { return sdCircle(x, y, c, c, 94); },
           [=](float, float y) { return mix(rgb(40, 54, 120), rgb(18, 20, 60), (y - 34) / 188); });
    for (int i = 0; i < 30; ++i) {
        const float a = hash01(i * 3 + 1) * 2 * kPi, r = 30 + hash01(i * 3 + 2) * 58;
        p.circle(c + std::cos(a) * r, c + std::sin(a) * r, 0.8f + hash01(i * 3 + 3) * 1.4f, rgb(255, 255, 255, 120));
    }
    drawSymbol(p, Symbol::Snowflake, c, c - 22, 92, rgb(240, 248, 255), rgb(0, 0, 0));
    p.circle(c, c - 22, 9, rgb(250, 200, 70));
    CapsuleText name{"HOLLYHOP", 0, 0, 2.7f, 3.0f, 6, false, 0, {}};
    name.x = c - capsuleTextWidth(name) / 2;
    name.y = c + 34;
    layoutCapsuleText(name);
    const Bounds nb = capsuleTextBounds(name, 6);
    p.fill(nb, [&](float x, float y) { return capsuleTextDistance(name, x, y, 1.0f) - 1.6f; }, rgb(30, 14, 40));
    p.fill(nb, [&](float x, float y) { return capsuleTextDistance(name, x, y, 1.0f); }, rgb(255, 214, 90));
    CapsuleText games{"GAMES", 0, 0, 1.5f, 1.6f, 6, false, 0, {}};
    games.x = c - capsuleTextWidth(games) / 2;
    games.y = c + 66;
    layoutCapsuleText(games);
    p.fill(capsuleTextBounds(games, 4), [&](float x, float y) { return capsuleTextDistance(games, x, y, 0.6f); },
           rgb(220, 230, 255));
}

void testcardFrame(int, Painter& p) {
    const float c = 128, r = 120;
    p.circle(c, c, r + 4, rgb(30, 30, 36));
    p.fill({0, 0, 256, 256}, [=](float x, float y) { return sdCircle(x, y, c, c, r); },
           [=](float x, float y) { return ((int(x) / 16 + int(y) / 16) % 2) ? rgb(120, 120, 128) : rgb(100, 100, 108); });
    const Rgba bars[8] = {rgb(235, 235, 235), rgb(240, 220, 60), rgb(60, 210, 220), rgb(70, 200, 80),
                          rgb(210, 70, 200), rgb(220, 50, 50), rgb(50, 70, 210), rgb(20, 20, 20)};
    for (int i = 0; i < 8; ++i) {
        const float x0 = c - 96 + i * 24;
        p.fill({x0, c - 48, x0 + 24, c + 8},
               [=](float x, float y) { return std::max(sdBox(x, y, x0 + 12, c - 20, 12, 28), sdCircle(x, y, c, c, r)); },
               bars[i]);
    }
    for (int i = 0; i < 6; ++i) {
        const float x0 = c - 72 + i * 24;
        const uint8_t g = uint8_t(i * 51);
        p.rect(x0, c + 10, 24, 30, rgb(g, g, g));
    }
    p.fill({0, 0, 256, 256}, [=](float x, float y) { return std::max(sdCircle(x, y, c, c, r), -(y - (c + 44))); },
           [=](float x, float) { return (int((x - 8) / 16) % 2) ? rgb(220, 45, 60) : rgb(40, 150, 70); });
    p.ring(c, c, 62, 2, rgb(255, 255, 255));
    p.ring(c, c, r - 1, 2.5f, rgb(255, 255, 255));
    p.line({c - r, c}, {c + r, c}, 1.5f, rgb(255, 255, 255, 200));
    p.line({c, c - r}, {c, c + r}, 1.5f, rgb(255, 255, 255, 200));
    drawSymbol(p, Symbol::Star, c, c - 88, 28, rgb(255, 214, 70), rgb(0, 0, 0));
}

// Frame 0: faint backdrop of stars and flakes, wrapping seamlessly at 256 units.
void backdrop(Painter& p) {
    for (int i = 0; i < 26; ++i) {
        const float x = hash01(i * 5 + 11) * 256, y = hash01(i * 5 + 12) * 256;
        const float size = 8 + hash01(i * 5 + 13) * 18;
        const Symbol s = (i % 3 == 0) ? Symbol::Star : Symbol::Snowflake;
        for (int oy = -1; oy <= 1; ++oy)
            for (int ox = -1; ox <= 1; ++ox)
                drawSymbol(p, s, x + ox * 256, y + oy * 256, size, rgb(220, 232, 255, 200), rgb(0, 0, 0));
    }
    for (int i = 0; i < 70; ++i) {
        const float x = hash01(i * 7 + 200) * 256, y = hash01(i * 7 + 201) * 256;
        for (int oy = -1; oy <= 1; ++oy)
            for (int ox = -1; ox <= 1; ++ox) p.circle(x + ox * 256, y + oy * 256, 1.2f, rgb(255, 255, 255, 180));
    }
}

// Frames 1..3: a soft sunburst (drawn large and rotated behind the menu and ending).
void sunburst(Painter& p, Rgba light, Rgba dark, Rgba centre, Rgba edge) {
    const float c = 128;
    p.fill({0, 0, 256, 256}, [](float, float) { return -1.0f; }, [=](float x, float y) {
        const float a = std::atan2(y - c, x - c);
        const float d = std::hypot(x - c, y - c) / 181.0f;
        const float ray = 0.5f + 0.5f * std::cos(a * 16);
        const float soft = std::clamp((ray - 0.5f) * 6.0f * std::min(1.0f, d * 8) + 0.5f, 0.0f, 1.0f);
        const Rgba base = mix(dark, light, soft);
        const Rgba lit = mix(centre, base, std::min(1.0f, d * 2.2f));
        return mix(lit, edge, std::clamp((d - 0.55f) * 1.6f, 0.0f, 1.0f));
    });
}

void menuFrame(int frame, Painter& p) {
    switch (frame) {
    case 0: backdrop(p); break;
    case 1: sunburst(p, rgb(52, 74, 160), rgb(34, 48, 124), rgb(120, 140, 230), rgb(14, 16, 64)); break;
    case 2: sunburst(p, rgb(170, 44, 60), rgb(130, 28, 48), rgb(240, 120, 110), rgb(50, 8, 24)); break;
    default: sunburst(p, rgb(40, 130, 80), rgb(26, 96, 60), rgb(120, 210, 140), rgb(8, 40, 26)); break;
    }
}

// 256 flakes: soft dots, twinkles and six-armed flakes of assorted sizes and angles.
void snowFrame(int frame, Painter& p) {
    const float c = 4;
    const float h1 = hash01(frame * 3 + 1), h2 = hash01(frame * 3 + 2), h3 = hash01(frame * 3 + 3);
    const Rgba white = rgb(255, 255, 255, uint8_t(190 + h3 * 65));
    switch (frame % 4) {
    case 0:
    case 2: {
        const float r = 0.8f + h1 * 1.9f;
        p.glow({0, 0, 8, 8}, [=](float x, float y) { return sdCircle(x, y, c, c, r * 0.6f); }, white, r * 0.7f);
        break;
    }
    case 1: {
        const float r = 2.2f + h1 * 1.6f, turn = h2 * 45;
        p.polygon(starPoints({c, c}, r, r * 0.3f, 4, turn), white);
        break;
    }
    default: {
        const float r = 2.4f + h1 * 1.4f, turn = h2 * kPi / 3;
        for (int i = 0; i < 3; ++i) {
            const float a = turn + kPi / 3 * i;
            p.line({c - std::cos(a) * r, c - std::sin(a) * r}, {c + std::cos(a) * r, c + std::sin(a) * r}, 0.7f, white);
        }
        p.circle(c, c, 0.9f, white);
        break;
    }
    }
}

}  // namespace

SheetDef logoSheet() {
    SheetSpec spec{"logo", 256, 128, 1, 1};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, logoFrame); }};
}

SheetDef studioSheet() {
    SheetSpec spec{"common/ZOLTLogo", 256, 256, 1, 1};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, studioFrame); }};
}

SheetDef testcardSheet() {
    SheetSpec spec{"common/Testcard_Circle", 256, 256, 1, 1};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, testcardFrame); }};
}

SheetDef menuSheet() {
    SheetSpec spec{"menu", 256, 256, 4, 2};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, menuFrame); }};
}

SheetDef snowSheet() {
    SheetSpec spec{"parts", 8, 8, 256, 16};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, snowFrame); }};
}

}  // namespace content
