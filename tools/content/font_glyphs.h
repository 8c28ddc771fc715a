// The game's pixel font: 5 x 9 glyphs (7 rows above the baseline, 2 below) for
// printable ASCII, shared by the font sheets, the contact sheet and a few pictures.
#pragma once

#include <string>

#include "tools/content/canvas.h"

namespace content {

constexpr int kGlyphW = 5;
constexpr int kGlyphH = 9;
constexpr int kGlyphAscent = 7;   // rows from the top of a glyph to its baseline

// True if glyph pixel (x, y) of character ch is set; unknown characters are blank.
bool glyphPixel(int ch, int x, int y);

// Draws ch with its top-left at (x, y), every set pixel `scale` canvas pixels square.
void drawGlyph(Canvas& c, int x, int y, int ch, Rgba colour, int scale = 1);
// Draws text left to right at an advance of 6 * scale.
void drawText(Canvas& c, int x, int y, const std::string& text, Rgba colour, int scale = 1);
int textWidth(const std::string& text, int scale = 1);

}  // namespace content
