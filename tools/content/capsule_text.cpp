#include "tools/content/capsule_text.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "tools/content/font_glyphs.h"

namespace content {

namespace {

// Leftmost and rightmost set columns of a glyph (0 and -1 for a blank one).
void glyphColumns(int ch, int& first, int& last) {
    first = kGlyphW;
    last = -1;
    for (int y = 0; y < kGlyphH; ++y)
        for (int x = 0; x < kGlyphW; ++x)
            if (glyphPixel(ch, x, y)) first = std::min(first, x), last = std::max(last, x);
    if (last < 0) first = 0, last = 2;
}

// Left edge of letter i in design units, measured from the text's x.
std::vector<float> letterOffsets(const CapsuleText& t) {
    std::vector<float> out;
    float pen = 0;
    for (char c : t.text) {
        const int ch = static_cast<unsigned char>(c);
        if (!t.proportional) {
            out.push_back(pen);
            pen += t.advance * t.ux;
            continue;
        }
        int first = 0, last = 0;
        glyphColumns(ch, first, last);
        out.push_back(pen - first * t.ux);
        pen += (last - first + 1 + t.gap) * t.ux;
    }
    out.push_back(pen - (t.proportional ? t.gap : t.advance - kGlyphW) * t.ux);   // total width
    return out;
}

}  // namespace

float capsuleTextDistance(const CapsuleText& t, float px, float py, float radius) {
    float best = std::numeric_limits<float>::max();
    for (size_t i = 0; i + 1 < t.strokes.size(); i += 2) {
        const Point a = t.strokes[i], b = t.strokes[i + 1];
        // Skip strokes whose box lies farther away than the nearest stroke found so far.
        const float reach = best + radius;
        if (px < std::min(a.x, b.x) - reach || px > std::max(a.x, b.x) + reach) continue;
        if (py < std::min(a.y, b.y) - reach || py > std::max(a.y, b.y) + reach) continue;
        best = std::min(best, sdSegment(px, py, a, b, radius));
    }
    return best;
}

void layoutCapsuleText(CapsuleText& t) {
    const std::vector<float> offsets = letterOffsets(t);
    t.strokes.clear();
    for (size_t i = 0; i < t.text.size(); ++i) {
        const int ch = static_cast<unsigned char>(t.text[i]);
        const float gx = t.x + offsets[i];
        for (int y = 0; y < kGlyphH; ++y) {
            for (int x = 0; x < kGlyphW; ++x) {
                if (!glyphPixel(ch, x, y)) continue;
                const Point a{gx + (x + 0.5f) * t.ux, t.y + (y + 0.5f) * t.uy};
                t.strokes.push_back(a);   // a dot, for pixels with no neighbours
                t.strokes.push_back(a);
                // Join to set neighbours: right, down, and diagonals not already joined.
                const int dirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {-1, 1}};
                for (const auto& d : dirs) {
                    if (!glyphPixel(ch, x + d[0], y + d[1])) continue;
                    if (d[0] != 0 && d[1] != 0 && (glyphPixel(ch, x + d[0], y) || glyphPixel(ch, x, y + d[1]))) continue;
                    t.strokes.push_back(a);
                    t.strokes.push_back({a.x + d[0] * t.ux, a.y + d[1] * t.uy});
                }
            }
        }
    }
}

float capsuleTextWidth(const CapsuleText& t) { return letterOffsets(t).back(); }

Bounds capsuleTextBounds(const CapsuleText& t, float margin) {
    return {t.x - margin, t.y - margin, t.x + capsuleTextWidth(t) + margin, t.y + kGlyphH * t.uy + margin};
}

}  // namespace content
