#include "tools/content/sheets.h"

#include "tools/content/font_glyphs.h"
#include "tools/content/pixel_art.h"

namespace content {

namespace {

constexpr int kFontCell = 16;
constexpr int kGlyphLeft = 5;     // 5-pixel glyphs sit at columns 5..9 of the 16-pixel cell
constexpr int kGlyphTop = 4;      // capitals on rows 4..10, descenders to row 12
const Rgba kGlyphShadow = rgb(24, 14, 36, 170);

// Game font: white glyphs (the game tints them) with a dark shadow that keeps them
// readable on light backgrounds and under light tints.
void fontFrame(int frame, Canvas& cell) {
    const int ch = frame + 32;
    drawGlyph(cell, kGlyphLeft + 1, kGlyphTop + 1, ch, kGlyphShadow);
    drawGlyph(cell, kGlyphLeft, kGlyphTop, ch, rgb(255, 255, 255));
}

}  // namespace

SheetDef gameFontSheet() {
    SheetSpec spec{"fonts/editundo", kFontCell, kFontCell, 128, 16};
    return {spec, [spec](int level) { return pixelAtlas(spec, level, fontFrame); }};
}

Canvas defaultFontStrip() {
    constexpr int kFrameW = kGlyphW + 3;   // padding, glyph, one pixel of spacing, padding
    Canvas strip(96 * kFrameW, kGlyphH + 2);
    for (int i = 0; i < 96; ++i) drawGlyph(strip, i * kFrameW + 1, 1, 32 + i, rgb(255, 255, 255));
    return strip;
}

std::vector<SheetDef> allSheets() {
    return {
        heroSheet(),   enemySheet(),   tileSheet(),   bubbleSheet(),  exitStarSheet(), badgeSheet(),
        gameFontSheet(), testcardSheet(), arcadeSheet(), studioSheet(), dpadSheet(),    buttonSheet(),
        snowSheet(),   iconSheet(),    logoSheet(),   menuSheet(),
    };
}

}  // namespace content
