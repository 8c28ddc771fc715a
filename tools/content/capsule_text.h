// Smooth display lettering: the pixel font's glyphs redrawn as joined round strokes,
// so titles stay crisp at every resolution.
#pragma once

#include <string>
#include <vector>

#include "tools/content/painter.h"

namespace content {

// Geometry of a line of display text: glyph pixels become ux by uy units.
struct CapsuleText {
    std::string text;
    float x = 0, y = 0;       // top-left of the first glyph, design units
    float ux = 1, uy = 1;     // size of one glyph pixel
    float advance = 6;        // glyph pixels from one letter to the next (monospaced)
    bool proportional = false;  // if set, each letter takes its own width plus `gap`
    float gap = 1.5f;
    std::vector<Point> strokes;   // pairs of stroke end points, filled by layoutCapsuleText
};

// Works out the strokes once; call after setting the text, position and sizes.
void layoutCapsuleText(CapsuleText& t);

// Signed distance to the strokes of the text, thickened by `radius`.
float capsuleTextDistance(const CapsuleText& t, float px, float py, float radius);
Bounds capsuleTextBounds(const CapsuleText& t, float margin);
float capsuleTextWidth(const CapsuleText& t);

}  // namespace content
