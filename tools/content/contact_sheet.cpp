#include "tools/content/contact_sheet.h"

#include <algorithm>

#include "tools/content/font_glyphs.h"
#include "tools/content/scene_preview.h"

namespace content {

namespace {

constexpr int kMaxWidth = 2100;
constexpr int kMargin = 12;
constexpr int kTitleH = 24;
constexpr int kLabelCells = 48;   // cells are shown at least this big on screen

struct Panel {
    const WrittenSheet* sheet;
    int level;
    int x, y, w, h;
};

int displayLevel(const SheetSpec& spec) {
    const int smaller = std::min(spec.cellW, spec.cellH);
    if (smaller * 1 >= kLabelCells) return 1;
    if (smaller * 2 >= kLabelCells) return 2;
    return 4;
}

void checker(Canvas& c, int x, int y, int w, int h) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const bool dark = ((i / 8) + (j / 8)) % 2 == 0;
            c.set(x + i, y + j, dark ? rgb(58, 62, 84) : rgb(72, 76, 100));
        }
}

void label(Canvas& c, int x, int y, const std::string& text, Rgba colour) {
    drawText(c, x + 1, y + 1, text, rgb(0, 0, 0, 200));
    drawText(c, x, y, text, colour);
}

}  // namespace

Canvas contactSheet(const std::vector<WrittenSheet>& sheets) {
    std::vector<Panel> panels;
    int cursorX = kMargin, cursorY = kMargin, shelfH = 0, totalW = 0;
    for (const WrittenSheet& s : sheets) {
        const int level = displayLevel(s.spec);
        const Canvas& atlas = s.levels[level == 1 ? 0 : level == 2 ? 1 : 2];
        const int w = std::max(atlas.width(), 240), h = atlas.height() + kTitleH;
        if (cursorX + w + kMargin > kMaxWidth && cursorX > kMargin) {
            cursorX = kMargin;
            cursorY += shelfH + kMargin;
            shelfH = 0;
        }
        panels.push_back({&s, level, cursorX, cursorY, w, h});
        cursorX += w + kMargin;
        shelfH = std::max(shelfH, h);
        totalW = std::max(totalW, cursorX);
    }
    const Canvas scene = scenePreview(sheets);
    const Canvas menu = menuPreview(sheets);
    const int sceneY = cursorY + shelfH + kMargin;
    const int menuX = kMargin + scene.width() + kMargin;
    Canvas out(std::max(totalW, menuX + menu.width() + kMargin),
               sceneY + kTitleH + std::max(scene.height(), menu.height()) + kMargin);
    out.fillRect(0, 0, out.width(), out.height(), rgb(24, 26, 38));
    for (const Panel& p : panels) {
        const WrittenSheet& s = *p.sheet;
        const Canvas& atlas = s.levels[p.level == 1 ? 0 : p.level == 2 ? 1 : 2];
        label(out, p.x, p.y + 6,
              s.spec.name + "  " + std::to_string(s.spec.cellW) + "x" + std::to_string(s.spec.cellH) + " x" +
                  std::to_string(s.spec.frames) + "  (shown " + std::to_string(p.level) + "x)",
              rgb(255, 220, 120));
        const int ay = p.y + kTitleH;
        checker(out, p.x, ay, atlas.width(), atlas.height());
        out.blit(atlas, p.x, ay);
        const int cw = s.spec.cellW * p.level, ch = s.spec.cellH * p.level;
        for (int f = 0; f < s.spec.frames; ++f) {
            const int cx = p.x + (f % s.spec.columns) * cw, cy = ay + (f / s.spec.columns) * ch;
            for (int i = 0; i < cw; ++i) out.blend(cx + i, cy, rgb(255, 255, 255, 40));
            for (int j = 0; j < ch; ++j) out.blend(cx, cy + j, rgb(255, 255, 255, 40));
            if (cw >= 24) label(out, cx + 2, cy + 2, std::to_string(f), rgb(150, 255, 150));
        }
    }
    label(out, kMargin, sceneY + 6, "scene mock-up: 2x pictures placed as the game draws them", rgb(255, 220, 120));
    out.blit(scene, kMargin, sceneY + kTitleH);
    label(out, menuX, sceneY + 6, "main menu mock-up (640 x 480)", rgb(255, 220, 120));
    out.blit(menu, menuX, sceneY + kTitleH);
    return out;
}

}  // namespace content
