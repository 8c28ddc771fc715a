#include "tools/icon/icon_art.h"

#include <algorithm>
#include <cmath>

namespace {

// Samples per pixel along each axis: 64 coverage levels keep edges smooth at
// every size without visible banding.
constexpr int kSamplesPerAxis = 8;
constexpr double kPi = 3.14159265358979323846;

struct Colour {
    double r = 0, g = 0, b = 0, a = 0;  // premultiplied, 0..1
};

Colour Solid(int r, int g, int b) { return Colour{r / 255.0, g / 255.0, b / 255.0, 1.0}; }

Colour WithAlpha(Colour c, double alpha) { return Colour{c.r * alpha, c.g * alpha, c.b * alpha, c.a * alpha}; }

// Source over destination, both premultiplied.
void Over(Colour& dst, const Colour& src) {
    const double keep = 1.0 - src.a;
    dst.r = src.r + dst.r * keep;
    dst.g = src.g + dst.g * keep;
    dst.b = src.b + dst.b * keep;
    dst.a = src.a + dst.a * keep;
}

Colour Mix(const Colour& a, const Colour& b, double t) {
    return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

bool InCircle(double x, double y, double cx, double cy, double radius) {
    const double dx = x - cx;
    const double dy = y - cy;
    return dx * dx + dy * dy <= radius * radius;
}

bool InRoundedSquare(double x, double y, double margin, double radius) {
    const double lo = margin + radius;
    const double hi = 1.0 - margin - radius;
    if (x < margin || y < margin || x > 1.0 - margin || y > 1.0 - margin) return false;
    const double cx = std::clamp(x, lo, hi);
    const double cy = std::clamp(y, lo, hi);
    return InCircle(x, y, cx, cy, radius);
}

// An upright isosceles triangle centred on x = 0.5.
bool InTier(double x, double y, double apexY, double baseY, double halfWidth) {
    if (y < apexY || y > baseY) return false;
    const double reach = halfWidth * (y - apexY) / (baseY - apexY);
    return std::fabs(x - 0.5) <= reach;
}

// A five-pointed star with one point up, as its ten outline corners.
struct Star {
    static constexpr int kCorners = 10;
    double x[kCorners] = {};
    double y[kCorners] = {};
    double reach = 0;  // outer radius, for a quick bounding test
    double cx = 0, cy = 0;
};

Star MakeStar(double cx, double cy, double outer, double inner) {
    Star star;
    star.cx = cx;
    star.cy = cy;
    star.reach = outer;
    for (int i = 0; i < Star::kCorners; ++i) {
        const double angle = -kPi / 2 + i * kPi / 5;
        const double radius = (i % 2 == 0) ? outer : inner;
        star.x[i] = cx + radius * std::cos(angle);
        star.y[i] = cy + radius * std::sin(angle);
    }
    return star;
}

// Even-odd test against the outline.
bool InStar(double x, double y, const Star& star) {
    if (!InCircle(x, y, star.cx, star.cy, star.reach)) return false;
    bool inside = false;
    for (int i = 0, j = Star::kCorners - 1; i < Star::kCorners; j = i++) {
        if ((star.y[i] > y) != (star.y[j] > y) &&
            x < (star.x[j] - star.x[i]) * (y - star.y[i]) / (star.y[j] - star.y[i]) + star.x[i]) {
            inside = !inside;
        }
    }
    return inside;
}

struct Bauble {
    double x, y;
    Colour colour;
};

// Below this size snowflakes and baubles only blur the tree's outline.
constexpr int kSmallestDetailedSize = 24;

// The picture at one point of the unit square (y grows downwards).
Colour Scene(double x, double y, bool detailed) {
    constexpr double kTileMargin = 0.03;
    constexpr double kTileCorner = 0.19;
    Colour out;
    if (!InRoundedSquare(x, y, kTileMargin, kTileCorner)) return out;

    // Night sky, lighter towards the horizon.
    Over(out, Mix(Solid(14, 22, 66), Solid(46, 72, 150), y));

    // The star's glow, so the icon reads as lit even at 16 pixels.
    constexpr double kStarX = 0.5;
    constexpr double kStarY = 0.2;
    const double glowDistance = std::hypot(x - kStarX, y - kStarY);
    const double glow = std::max(0.0, 1.0 - glowDistance / 0.3);
    Over(out, WithAlpha(Solid(255, 220, 120), 0.55 * glow * glow));

    // A few snowflakes.
    static const double kFlakes[][3] = {{0.18, 0.22, 0.022}, {0.82, 0.16, 0.018}, {0.27, 0.44, 0.016},
                                        {0.78, 0.42, 0.022}, {0.13, 0.62, 0.016}, {0.88, 0.64, 0.016}};
    for (const auto& flake : kFlakes) {
        if (detailed && InCircle(x, y, flake[0], flake[1], flake[2])) Over(out, Solid(235, 242, 255));
    }

    // Snow drift the tree stands on.
    if (InCircle(x, y, 0.5, 1.55, 0.73)) Over(out, Mix(Solid(250, 252, 255), Solid(190, 208, 240), (y - 0.8) * 4));

    // Trunk.
    if (x >= 0.45 && x <= 0.55 && y >= 0.72 && y <= 0.86) Over(out, Solid(122, 72, 34));

    // Three tiers, each lighter on its left half as if lit by the star.
    static const double kTiers[][3] = {{0.22, 0.46, 0.19}, {0.33, 0.62, 0.26}, {0.44, 0.78, 0.33}};
    for (const auto& tier : kTiers) {
        if (InTier(x, y, tier[0], tier[1], tier[2])) {
            Over(out, x < 0.5 ? Solid(52, 168, 82) : Solid(28, 122, 58));
        }
    }

    // Baubles.
    static const Bauble kBaubles[] = {{0.42, 0.41, Solid(230, 40, 50)},  {0.57, 0.52, Solid(255, 200, 40)},
                                      {0.38, 0.60, Solid(80, 170, 255)}, {0.64, 0.69, Solid(230, 40, 50)},
                                      {0.47, 0.72, Solid(255, 200, 40)}, {0.30, 0.74, Solid(255, 255, 255)}};
    constexpr double kBaubleRadius = 0.036;
    for (const Bauble& bauble : kBaubles) {
        if (detailed && InCircle(x, y, bauble.x, bauble.y, kBaubleRadius)) Over(out, bauble.colour);
    }

    // The star on top, with a darker rim so it stands out from its glow.
    static const Star kStarRim = MakeStar(kStarX, kStarY, 0.15, 0.065);
    static const Star kStarFace = MakeStar(kStarX, kStarY + 0.006, 0.12, 0.05);
    if (InStar(x, y, kStarRim)) Over(out, Solid(214, 140, 20));
    if (InStar(x, y, kStarFace)) Over(out, Solid(255, 222, 70));
    return out;
}

unsigned char ToByte(double value) { return static_cast<unsigned char>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0)); }

}  // namespace

IconImage DrawGlimmerIcon(int size) {
    IconImage image;
    if (size < 1) return image;
    image.size = size;
    image.rgba.assign(size_t(size) * size * 4, 0);
    const double step = 1.0 / (double(size) * kSamplesPerAxis);
    const bool detailed = size >= kSmallestDetailedSize;
    constexpr double kSamples = kSamplesPerAxis * kSamplesPerAxis;
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            Colour sum;
            for (int sy = 0; sy < kSamplesPerAxis; ++sy) {
                for (int sx = 0; sx < kSamplesPerAxis; ++sx) {
                    const double x = (px * kSamplesPerAxis + sx + 0.5) * step;
                    const double y = (py * kSamplesPerAxis + sy + 0.5) * step;
                    const Colour c = Scene(x, y, detailed);
                    sum.r += c.r;
                    sum.g += c.g;
                    sum.b += c.b;
                    sum.a += c.a;
                }
            }
            unsigned char* pixel = &image.rgba[(size_t(py) * size + px) * 4];
            const double alpha = sum.a / kSamples;
            // Back to straight alpha, as PNG and GLFW expect.
            const double unpremultiply = sum.a > 0 ? 1.0 / sum.a : 0.0;
            pixel[0] = ToByte(sum.r * unpremultiply);
            pixel[1] = ToByte(sum.g * unpremultiply);
            pixel[2] = ToByte(sum.b * unpremultiply);
            pixel[3] = ToByte(alpha);
        }
    }
    return image;
}
