#include "tools/content/pixel_art.h"

#include <map>

namespace content {

namespace {

// Warm winter palette. Letters group by hue; capitals are the main tone, lower case the shade.
const std::map<char, Rgba>& palette() {
    static const std::map<char, Rgba> colours = {
        {'K', rgb(34, 22, 44)},     // outline plum
        {'k', rgb(70, 52, 84)},     // soft outline
        {'R', rgb(220, 45, 60)},    // red
        {'r', rgb(150, 28, 48)},    // dark red
        {'P', rgb(255, 120, 120)},  // light red / pink
        {'G', rgb(52, 160, 80)},    // green
        {'g', rgb(28, 100, 62)},    // dark green
        {'L', rgb(120, 210, 110)},  // light green
        {'Y', rgb(255, 214, 70)},   // gold
        {'y', rgb(214, 146, 30)},   // dark gold
        {'O', rgb(255, 150, 40)},   // orange
        {'S', rgb(250, 204, 166)},  // skin
        {'s', rgb(222, 150, 120)},  // skin shade
        {'C', rgb(246, 130, 130)},  // cheek
        {'W', rgb(250, 250, 255)},  // snow white
        {'w', rgb(196, 214, 240)},  // snow shade
        {'B', rgb(140, 88, 46)},    // brown
        {'b', rgb(92, 56, 32)},     // dark brown
        {'T', rgb(196, 132, 70)},   // tan
        {'A', rgb(120, 126, 168)},  // stone
        {'a', rgb(78, 82, 122)},    // dark stone
        {'I', rgb(170, 178, 214)},  // light stone
        {'U', rgb(90, 160, 240)},   // blue
        {'u', rgb(44, 88, 170)},    // dark blue
        {'V', rgb(170, 220, 255)},  // ice
        {'M', rgb(186, 80, 220)},   // magenta bauble
        {'N', rgb(60, 60, 70)},     // unlit bulb
        {'E', rgb(30, 20, 40)},     // eye
        {'X', rgb(150, 150, 160)},  // metal
        {'x', rgb(96, 96, 112)},    // dark metal
        {'Z', rgb(220, 222, 232)},  // light metal
    };
    return colours;
}

// The Scale2x rule for one pixel E with neighbours B (up), D (left), F (right), H (down).
void expand(Rgba b, Rgba d, Rgba e, Rgba f, Rgba h, Rgba out[4]) {
    if (b != h && d != f) {
        out[0] = (d == b) ? d : e;
        out[1] = (b == f) ? f : e;
        out[2] = (d == h) ? d : e;
        out[3] = (h == f) ? f : e;
    } else {
        out[0] = out[1] = out[2] = out[3] = e;
    }
}

}  // namespace

Rgba paletteColour(char key) {
    const auto& p = palette();
    const auto it = p.find(key);
    return it == p.end() ? kClear : it->second;
}

void drawGrid(Canvas& c, int x, int y, const std::vector<std::string>& rows, bool mirror) {
    for (size_t j = 0; j < rows.size(); ++j) {
        const std::string& row = rows[j];
        for (size_t i = 0; i < row.size(); ++i) {
            const Rgba colour = paletteColour(row[i]);
            if (colour.a == 0) continue;
            const int px = mirror ? x + int(row.size()) - 1 - int(i) : x + int(i);
            c.set(px, y + int(j), colour);
        }
    }
}

void addOutline(Canvas& c, Rgba colour) {
    const Canvas src = c;
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            if (src.get(x, y).a != 0) continue;
            if (src.get(x - 1, y).a > 128 || src.get(x + 1, y).a > 128 || src.get(x, y - 1).a > 128 ||
                src.get(x, y + 1).a > 128)
                c.set(x, y, colour);
        }
    }
}

Canvas scale2x(const Canvas& src, Edge edge) {
    const int w = src.width(), h = src.height();
    auto at = [&](int x, int y) {
        if (edge == Edge::Wrap) return src.get((x + w) % w, (y + h) % h);
        return src.get(x, y);
    };
    Canvas out(w * 2, h * 2);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgba q[4];
            expand(at(x, y - 1), at(x - 1, y), at(x, y), at(x + 1, y), at(x, y + 1), q);
            out.set(2 * x, 2 * y, q[0]);
            out.set(2 * x + 1, 2 * y, q[1]);
            out.set(2 * x, 2 * y + 1, q[2]);
            out.set(2 * x + 1, 2 * y + 1, q[3]);
        }
    }
    return out;
}

Canvas scaleBy(const Canvas& src, int factor, Edge edge) {
    Canvas out = src;
    for (int f = 1; f < factor; f *= 2) out = scale2x(out, edge);
    return out;
}

Canvas mirrored(const Canvas& src) {
    Canvas out(src.width(), src.height());
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) out.set(src.width() - 1 - x, y, src.get(x, y));
    return out;
}

}  // namespace content
