// "BadgesA": 64 award medallions, four metals (bronze, silver, gold, ruby) by sixteen
// festive symbols; and "nme", a sheet of wintry critters for the game's spare slot.
#include <cmath>

#include "tools/content/sheets.h"
#include "tools/content/symbols.h"

namespace content {

namespace {

constexpr float kPi = 3.14159265358979f;

void badgeFrame(int frame, Painter& p) {
    const Symbol symbols[16] = {Symbol::Tree, Symbol::Star, Symbol::Bell, Symbol::Present, Symbol::CandyCane,
                                Symbol::Snowflake, Symbol::Stocking, Symbol::Bauble, Symbol::Holly, Symbol::Snowman,
                                Symbol::Gingerbread, Symbol::Candle, Symbol::Moon, Symbol::Heart, Symbol::Note,
                                Symbol::Trophy};
    const Rgba metalLight[4] = {rgb(238, 170, 110), rgb(236, 240, 250), rgb(255, 232, 120), rgb(255, 120, 140)};
    const Rgba metalDark[4] = {rgb(150, 84, 40), rgb(140, 146, 170), rgb(196, 130, 20), rgb(150, 20, 50)};
    const Rgba field[4] = {rgb(30, 60, 130), rgb(30, 110, 70), rgb(150, 30, 50), rgb(80, 40, 130)};
    const int tier = frame / 16, kind = frame % 16;
    const float c = 32;
    // Ribbon tails behind the medallion.
    p.polygon({{20, 40}, {28, 44}, {24, 62}, {20, 57}, {15, 60}}, rgb(200, 40, 56));
    p.polygon({{44, 40}, {36, 44}, {40, 62}, {44, 57}, {49, 60}}, rgb(200, 40, 56));
    p.glow({0, 0, 64, 64}, [=](float x, float y) { return sdCircle(x, y, c + 1, c + 2, 25); }, rgb(10, 6, 30, 120), 3);
    p.fill({0, 0, 64, 64}, [=](float x, float y) { return sdCircle(x, y, c, c, 26); },
           [=](float x, float y) { return mix(metalLight[tier], metalDark[tier], (x + y - 12) / 52); });
    // Scalloped edge: small notches around the rim.
    for (int i = 0; i < 20; ++i) {
        const float a = i * 2 * kPi / 20;
        p.circle(c + std::cos(a) * 26, c + std::sin(a) * 26, 1.3f, metalDark[tier]);
    }
    p.fill({0, 0, 64, 64}, [=](float x, float y) { return sdCircle(x, y, c, c, 20); },
           [=](float, float y) { return mix(mix(field[kind % 4], rgb(255, 255, 255), 0.25f), field[kind % 4], (y - 12) / 40); });
    p.ring(c, c, 20, 1.2f, metalDark[tier]);
    drawSymbol(p, symbols[kind], c + 0.8f, c + 1.2f, 24, rgb(10, 6, 30, 110), rgb(10, 6, 30, 110));
    drawSymbol(p, symbols[kind], c, c, 24, rgb(255, 255, 255), metalLight[tier]);
    p.fill({0, 0, 64, 64}, [=](float x, float y) { return sdBox(x, y, c - 6, c - 17, 9, 2.2f, 2.2f); },
           rgb(255, 255, 255, 90));
}

// Four critters, sixteen frames each: rolling spiky snowball, bouncing snowman,
// waddling penguin and a hopping gingerbread man. They stand on the same floor line.
void critterFrame(int frame, Painter& p) {
    const int kind = frame / 16, phase = frame % 16;
    const float t = phase / 16.0f, floorY = float(kFloorRow);
    const Rgba outline = rgb(34, 22, 44);
    switch (kind) {
    case 0: {
        const float cx = 16, cy = floorY - 6;
        const auto spikes = starPoints({cx, cy}, 7.5f, 4.8f, 8, t * 45);
        p.fill(boundsOf(spikes, 2), [&](float x, float y) { return sdPolygon(x, y, spikes) - 0.9f; }, outline);
        p.polygon(spikes, [=](float x, float y) { return mix(rgb(255, 255, 255), rgb(150, 190, 235), (x - cx + y - cy + 8) / 16); });
        p.circle(cx + 1.5f, cy - 1, 1.1f, outline);
        p.circle(cx + 4.0f, cy - 1, 1.1f, outline);
        break;
    }
    case 1: {
        const float hop = std::fabs(std::sin(t * 2 * kPi)) * 3, squash = hop < 0.5f ? 1.0f : 0.0f;
        const float cx = 16, by = floorY - 4.5f - hop + squash * 0.5f;
        p.circle(cx, by, 5.5f, outline);
        p.circle(cx, by - 7, 4.2f, outline);
        p.circle(cx, by, 4.7f, rgb(245, 248, 255));
        p.circle(cx, by - 7, 3.4f, rgb(245, 248, 255));
        p.rect(cx - 3, by - 14, 6, 3.5f, rgb(40, 30, 50));
        p.rect(cx - 4.5f, by - 11, 9, 1.2f, rgb(40, 30, 50));
        p.circle(cx + 1.3f, by - 7.6f, 0.6f, outline);
        p.polygon({{cx + 2, by - 6.4f}, {cx + 5.5f, by - 5.8f}, {cx + 2, by - 5.4f}}, rgb(255, 150, 40));
        p.rect(cx - 3.5f, by - 4, 7, 1.4f, rgb(220, 45, 60));
        break;
    }
    case 2: {
        const float sway = std::sin(t * 2 * kPi) * 1.2f, cx = 16 + sway * 0.3f, cy = floorY - 7;
        p.fill({cx - 8, cy - 10, cx + 8, cy + 8}, [=](float x, float y) { return std::hypot((x - cx) / 5.2f, (y - cy) / 7.0f) * 5.2f - 5.2f - 0.9f; }, outline);
        p.fill({cx - 8, cy - 10, cx + 8, cy + 8}, [=](float x, float y) { return std::hypot((x - cx) / 5.2f, (y - cy) / 7.0f) * 5.2f - 5.2f; }, rgb(40, 44, 70));
        p.fill({cx - 8, cy - 10, cx + 8, cy + 8}, [=](float x, float y) { return std::hypot((x - cx - 1) / 3.4f, (y - cy - 1.5f) / 5.0f) * 3.4f - 3.4f; }, rgb(245, 248, 255));
        p.circle(cx + 2, cy - 3.5f, 0.7f, outline);
        p.polygon({{cx + 4, cy - 3}, {cx + 7, cy - 2.2f}, {cx + 4, cy - 1.5f}}, rgb(255, 170, 40));
        p.rect(cx - 3.5f + sway, floorY - 1.5f, 3, 1.5f, rgb(255, 170, 40), 0.6f);
        p.rect(cx + 0.5f - sway, floorY - 1.5f, 3, 1.5f, rgb(255, 170, 40), 0.6f);
        p.rect(cx - 3.5f, cy - 2.5f, 7, 1.5f, rgb(220, 45, 60), 0.5f);
        break;
    }
    default: {
        const float hop = std::fabs(std::sin(t * 2 * kPi)) * 4;
        drawSymbol(p, Symbol::Gingerbread, 16.6f, floorY - 7 - hop + 0.6f, 15, outline, outline);
        drawSymbol(p, Symbol::Gingerbread, 16, floorY - 7 - hop, 14, rgb(196, 120, 60), rgb(255, 255, 255));
        p.circle(14.8f, floorY - 11.6f - hop, 0.6f, outline);
        p.circle(17.2f, floorY - 11.6f - hop, 0.6f, outline);
        break;
    }
    }
}

}  // namespace

SheetDef badgeSheet() {
    SheetSpec spec{"BadgesA", 64, 64, 64, 8};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, badgeFrame); }};
}

SheetDef enemySheet() {
    SheetSpec spec{"nme", 32, 32, 64, 8};
    return {spec, [spec](int level) { return vectorAtlas(spec, level, critterFrame); }};
}

}  // namespace content
