#include "tools/content/scene_preview.h"

#include <cmath>
#include <string>

namespace content {

namespace {

constexpr int kLevel = 2;       // the -hd pictures, drawn at 1:1 like an 800 x 600 window
constexpr float kZoom = 2.0f;   // the world's zoom
constexpr float kTile = 16 * kZoom;

const WrittenSheet* find(const std::vector<WrittenSheet>& sheets, const std::string& name) {
    for (const WrittenSheet& s : sheets)
        if (s.spec.name == name) return &s;
    return nullptr;
}

// Draws a frame about its centre, scaled (negative sx mirrors), turned by `degrees`,
// tinted and faded, sampling the nearest pixel like the game's renderer.
void drawFrame(Canvas& out, const WrittenSheet& s, int frame, float x, float y, float sx, float sy,
               Rgba tint = rgb(255, 255, 255), float alpha = 1.0f, float degrees = 0) {
    const Canvas& atlas = s.levels[1];
    const int cw = s.spec.cellW * kLevel, ch = s.spec.cellH * kLevel;
    const int ox = (frame % s.spec.columns) * cw, oy = (frame / s.spec.columns) * ch;
    const float rad = degrees * 3.14159265f / 180.0f, cs = std::cos(rad), sn = std::sin(rad);
    const float reach = std::hypot(std::fabs(sx) * cw, std::fabs(sy) * ch) / 2;
    const float hw = degrees == 0 ? std::fabs(sx) * cw / 2 : reach, hh = degrees == 0 ? std::fabs(sy) * ch / 2 : reach;
    for (int py = int(y - hh) - 1; py <= int(y + hh) + 1; ++py) {
        for (int px = int(x - hw) - 1; px <= int(x + hw) + 1; ++px) {
            const float dx = px + 0.5f - x, dy = py + 0.5f - y;
            const float rx = dx * cs + dy * sn, ry = -dx * sn + dy * cs;
            const float u = rx / sx + cw / 2.0f, v = ry / sy + ch / 2.0f;
            if (u < 0 || v < 0 || u >= cw || v >= ch) continue;
            Rgba c = atlas.get(ox + int(u), oy + int(v));
            c.r = uint8_t(c.r * tint.r / 255);
            c.g = uint8_t(c.g * tint.g / 255);
            c.b = uint8_t(c.b * tint.b / 255);
            out.blend(px, py, c, alpha);
        }
    }
}

// Writes text centred on (x, y) with the game font at the given size.
void text(Canvas& out, const WrittenSheet& font, const std::string& t, float x, float y, float size, Rgba tint) {
    const float adv = 7 * size, x0 = x - adv * (t.size() - 1) / 2;
    for (size_t k = 0; k < t.size(); ++k)
        if (t[k] > 32) drawFrame(out, font, t[k] - 32, x0 + adv * k, y, size / kLevel, size / kLevel, tint);
}

}  // namespace

Canvas menuPreview(const std::vector<WrittenSheet>& sheets) {
    const WrittenSheet* menu = find(sheets, "menu");
    const WrittenSheet* logo = find(sheets, "logo");
    const WrittenSheet* icons = find(sheets, "common/icons");
    const WrittenSheet* buttons = find(sheets, "common/Buttons");
    const WrittenSheet* dpad = find(sheets, "common/dpad");
    const WrittenSheet* studio = find(sheets, "common/ZOLTLogo");
    const WrittenSheet* font = find(sheets, "fonts/editundo");
    const WrittenSheet* snow = find(sheets, "parts");
    if (!menu || !logo || !icons || !buttons || !dpad || !studio || !font || !snow) return Canvas(1, 1);
    const float W = 640, H = 480, k = 1.0f / kLevel;
    Canvas out{int(W), int(H)};
    out.fillRect(0, 0, int(W), int(H), rgb(0, 0, 80));
    drawFrame(out, *menu, 1, W / 2, H / 2, 4 * k, 4 * k, rgb(255, 255, 255), 0.7f, 45);
    drawFrame(out, *logo, 0, W / 2, 90, 1.5f * k, 1.5f * k);
    for (int i = 0; i < 50; ++i)
        drawFrame(out, *snow, (i * 41) % 256, float((i * 89) % 640), float((i * 61) % 480), k, k, rgb(255, 255, 255), 0.5f);
    drawFrame(out, *icons, 4, 32, H / 2, 2 * k, 2 * k, rgb(50, 250, 50));
    const Rgba green = rgb(50, 250, 50);
    drawFrame(out, *buttons, 10, W * 0.35f, H - 64, 2 * k, 2 * k, green);
    text(out, *font, " ?", W * 0.35f, H - 64, 4, green);
    text(out, *font, " Help On", W * 0.35f, H - 24, 1.5f, green);
    drawFrame(out, *buttons, 10, W * 0.65f, H - 64, 2 * k, 2 * k);
    drawFrame(out, *dpad, 5, W * 0.65f - 14, H - 72, 0.8f * 2 * k, 0.8f * 2 * k);
    text(out, *font, " X", W * 0.65f - 18, H - 72, 2, rgb(0, 180, 0));
    text(out, *font, "Jump", W * 0.65f + 18, H - 72, 0.8f, rgb(255, 255, 255));
    drawFrame(out, *dpad, 5, W * 0.65f - 14, H - 50, 0.8f * 2 * k, 0.8f * 2 * k);
    text(out, *font, " Z", W * 0.65f - 18, H - 50, 2, rgb(0, 180, 0));
    text(out, *font, "Hold", W * 0.65f + 18, H - 50, 0.8f, rgb(255, 255, 255));
    text(out, *font, " 1-Button-Jump", W * 0.65f, H - 24, 1.5f, rgb(255, 255, 255));
    drawFrame(out, *buttons, 0, W / 2, H * 0.6f, 2 * k, 2 * k);
    drawFrame(out, *buttons, 15, W / 2, H * 0.6f, 2 * k, 2 * k, rgb(255, 255, 255), 0.75f);
    drawFrame(out, *studio, 0, W - 70, H - 40, 0.5f * k, 0.5f * k);
    return out;
}

Canvas scenePreview(const std::vector<WrittenSheet>& sheets) {
    const WrittenSheet* tiles = find(sheets, "gfx1");
    const WrittenSheet* hero = find(sheets, "plat");
    const WrittenSheet* star = find(sheets, "circle");
    const WrittenSheet* bubble = find(sheets, "bubble");
    const WrittenSheet* font = find(sheets, "fonts/editundo");
    const WrittenSheet* snow = find(sheets, "parts");
    const WrittenSheet* menu = find(sheets, "menu");
    if (!tiles || !hero || !star || !bubble || !font || !snow || !menu) return Canvas(1, 1);

    Canvas out(640, 480);
    out.fillRect(0, 0, 640, 480, rgb(30, 24, 56));
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) drawFrame(out, *menu, 0, 256.0f + 512 * i, 256.0f + 512 * j, 1, 1, rgb(255, 255, 255), 0.2f);

    // A small level: tile value per cell, '.' empty. Rows are 32 units apart.
    const char* map[] = {
        "2222222222222222222222",
        "2.....................",
        "2..........111111.....",
        "2..3...t.....4.....T.2",
        "2..3..22222.....2222.2",
        "2..3............h2..l2",
        "2..3.D.d..$...p...y..2",
        "2222222552222222222662",
        "2222222222222222222222",
    };
    auto tileAt = [&](int c, int r) -> int {
        switch (map[r][c]) {
        case '1': return 1; case '2': return 2; case '3': return 3; case '4': return 4;
        case '5': return 5; case '6': return 8; case 'D': return 9; case 'd': return 10;
        case '$': return 16; case 'p': return 11; case 't': return 19; case 'T': return 20;
        case 'l': return 26; case 'h': return 22; case 'y': return 57; default: return 0;
        }
    };
    const float camX = 16, camY = -176;
    for (int r = 8; r >= 0; --r) {
        for (int c = 0; c < 22; ++c) {
            const int t = tileAt(c, r);
            const float sx = kTile * c + kZoom * kZoom - camX, sy = kTile * r - kZoom * kZoom - camY;
            if (t > 0) drawFrame(out, *tiles, t - 1, sx, sy, kZoom / kLevel, kZoom / kLevel);
            if (t == 20)
                for (float k : {2.2f, 1.8f, 1.4f}) drawFrame(out, *tiles, 20, sx, sy, k * kZoom / kLevel, k * kZoom / kLevel, rgb(255, 255, 255), 0.1f);
        }
        auto putHero = [&](int c, int row, int frame, int facing) {
            if (row != r) return;
            drawFrame(out, *hero, frame, kTile * c - camX + kZoom * facing, kTile * row - camY, facing * kZoom / kLevel, kZoom / kLevel);
        };
        putHero(5, 6, 0, 1);      // standing on the floor
        putHero(3, 5, 13, -1);    // on the ladder
        putHero(11, 2, 20, 1);    // hanging from the bar
        putHero(8, 3, 52, 1);     // mid-jump
        putHero(16, 5, 6, 1);     // the grip-handle pose
        putHero(19, 3, 16, -1);   // leaving by the exit
        if (r == 6) drawFrame(out, *tiles, 27, kTile * 8 + 8 - camX, kTile * 6 - camY, kZoom / kLevel, kZoom / kLevel);
        if (r == 6) {   // the open exit star at column 12, row 6
            const float ex = kTile * 12 + kZoom * kZoom - camX - 2 * kZoom, ey = kTile * 6 - kZoom * kZoom - camY;
            const float base = 0.3f * kZoom / kLevel;
            drawFrame(out, *star, 0, ex, ey, 0.8f * base, 0.8f * base, rgb(255, 255, 0), 1.0f);
            drawFrame(out, *star, 0, ex, ey, 0.7f * base, 0.7f * base, rgb(255, 125, 0), 1.0f);
            drawFrame(out, *star, 0, ex, ey, 0.6f * base, 0.6f * base, rgb(0, 125, 255), 1.0f);
        }
    }
    // Snow.
    for (int i = 0; i < 60; ++i)
        drawFrame(out, *snow, (i * 37) % 256, float((i * 97) % 640), float((i * 53) % 480), 1.0f / kLevel, 1.0f / kLevel, rgb(255, 255, 255), 0.5f);
    // The tutorial bubble at full size with four lines.
    const float s = 2.5f, bx = 440, by = 84;
    drawFrame(out, *bubble, 0, bx, by, s / kLevel, s / kLevel, rgb(255, 255, 255), 0.8f);
    const char* lines[] = {" Hop onto the block", " Hold the Hold button", " to jump onto the block", " grab onto the bar"};
    const float ys[] = {-19, -6, 6, 19};
    for (int l = 0; l < 4; ++l) {
        const std::string text = lines[l];
        const float adv = 7 * 0.75f * s, x0 = bx - adv * (text.size() - 1) / 2;
        for (size_t k = 0; k < text.size(); ++k)
            if (text[k] > 32) drawFrame(out, *font, text[k] - 32, x0 + adv * k, by + ys[l] * s, 0.75f * s / kLevel, 0.75f * s / kLevel);
    }
    return out;
}

}  // namespace content
