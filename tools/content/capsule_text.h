// Smooth display lettering: the pixel font's glyphs redrawn as joined round strokes,
// so titles stay crisp at every resolution.
#pragma once

#include <string>

#include "tools/content/painter.h"

namespace content {

// Geometry of a line of display text: glyph pixels become ux by uy units.
struct CapsuleText {
    std::string text;
    float x = 0, y = 0;       // top-left of the first glyph, design units
    float ux = 1, uy = 1;     // size of one glyph pixel
    float advance = 6;        // glyph pixels from one letter to the next
};

// Signed distance to the strokes of the text, thickened by `radius`.
float capsuleTextDistance(const CapsuleText& t, float px, float py, float radius);
Bounds capsuleTextBounds(const CapsuleText& t, float margin);
float capsuleTextWidth(const CapsuleText& t);

}  // namespace content
