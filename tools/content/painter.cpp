#include "tools/content/painter.h"

#include <algorithm>
#include <cmath>

namespace content {

namespace {
constexpr float kPi = 3.14159265358979f;
float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
}  // namespace

float length(float x, float y) { return std::sqrt(x * x + y * y); }

float sdCircle(float x, float y, float cx, float cy, float r) {
    return length(x - cx, y - cy) - r;
}

float sdBox(float x, float y, float cx, float cy, float halfW, float halfH, float radius) {
    const float qx = std::fabs(x - cx) - (halfW - radius);
    const float qy = std::fabs(y - cy) - (halfH - radius);
    const float outside = length(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float sdSegment(float x, float y, Point a, Point b, float halfWidth) {
    const float px = x - a.x, py = y - a.y, bx = b.x - a.x, by = b.y - a.y;
    const float len2 = bx * bx + by * by;
    const float h = len2 > 0 ? clamp01((px * bx + py * by) / len2) : 0.0f;
    return length(px - bx * h, py - by * h) - halfWidth;
}

float sdPolygon(float x, float y, const std::vector<Point>& v) {
    const size_t n = v.size();
    float d = (x - v[0].x) * (x - v[0].x) + (y - v[0].y) * (y - v[0].y);
    float s = 1.0f;
    for (size_t i = 0, j = n - 1; i < n; j = i, ++i) {
        const float ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
        const float wx = x - v[i].x, wy = y - v[i].y;
        const float t = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
        const float bx = wx - ex * t, by = wy - ey * t;
        d = std::min(d, bx * bx + by * by);
        const bool c1 = y >= v[i].y, c2 = y < v[j].y, c3 = ex * wy > ey * wx;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
    }
    return s * std::sqrt(d);
}

std::vector<Point> starPoints(Point c, float outer, float inner, int points, float turnDeg) {
    std::vector<Point> out;
    for (int i = 0; i < points * 2; ++i) {
        const float a = (turnDeg - 90.0f) * kPi / 180.0f + kPi * i / points;
        const float r = (i % 2 == 0) ? outer : inner;
        out.push_back({c.x + std::cos(a) * r, c.y + std::sin(a) * r});
    }
    return out;
}

std::vector<Point> regularPolygon(Point c, float radius, int sides, float turnDeg) {
    std::vector<Point> out;
    for (int i = 0; i < sides; ++i) {
        const float a = (turnDeg - 90.0f) * kPi / 180.0f + 2 * kPi * i / sides;
        out.push_back({c.x + std::cos(a) * radius, c.y + std::sin(a) * radius});
    }
    return out;
}

Bounds boundsOf(const std::vector<Point>& poly, float margin) {
    Bounds b{1e9f, 1e9f, -1e9f, -1e9f};
    for (const Point& p : poly) {
        b.x0 = std::min(b.x0, p.x);
        b.y0 = std::min(b.y0, p.y);
        b.x1 = std::max(b.x1, p.x);
        b.y1 = std::max(b.y1, p.y);
    }
    return Bounds{b.x0 - margin, b.y0 - margin, b.x1 + margin, b.y1 + margin};
}

Painter::Painter(Canvas& canvas, float scale, float originX, float originY)
    : canvas_(canvas), scale_(scale), originX_(originX), originY_(originY) {}

void Painter::cover(Bounds b, const std::function<float(float, float)>& coverage, const Shader& shader) {
    const int px0 = int(std::floor(originX_ + b.x0 * scale_)) - 1;
    const int py0 = int(std::floor(originY_ + b.y0 * scale_)) - 1;
    const int px1 = int(std::ceil(originX_ + b.x1 * scale_)) + 1;
    const int py1 = int(std::ceil(originY_ + b.y1 * scale_)) + 1;
    for (int py = std::max(py0, 0); py <= std::min(py1, canvas_.height() - 1); ++py) {
        for (int px = std::max(px0, 0); px <= std::min(px1, canvas_.width() - 1); ++px) {
            const float x = (px + 0.5f - originX_) / scale_;
            const float y = (py + 0.5f - originY_) / scale_;
            const float cov = coverage(x, y);
            if (cov > 0.0f) canvas_.blend(px, py, shader(x, y), cov);
        }
    }
}

void Painter::fill(Bounds b, const Sdf& shape, Rgba colour) {
    fill(b, shape, [colour](float, float) { return colour; });
}

void Painter::fill(Bounds b, const Sdf& shape, const Shader& shader) {
    const float s = scale_;
    cover(b, [&](float x, float y) { return clamp01(0.5f - shape(x, y) * s); }, shader);
}

void Painter::glow(Bounds b, const Sdf& shape, Rgba colour, float softness) {
    cover(b,
          [&](float x, float y) {
              const float t = clamp01(1.0f - shape(x, y) / softness);
              return t * t * (3 - 2 * t);
          },
          [colour](float, float) { return colour; });
}

void Painter::circle(float cx, float cy, float r, Rgba c) {
    fill({cx - r, cy - r, cx + r, cy + r}, [=](float x, float y) { return sdCircle(x, y, cx, cy, r); }, c);
}

void Painter::ring(float cx, float cy, float r, float width, Rgba c) {
    const float o = r + width;
    fill({cx - o, cy - o, cx + o, cy + o},
         [=](float x, float y) { return std::fabs(sdCircle(x, y, cx, cy, r)) - width * 0.5f; }, c);
}

void Painter::rect(float x, float y, float w, float h, Rgba c, float radius) {
    fill({x, y, x + w, y + h},
         [=](float px, float py) { return sdBox(px, py, x + w / 2, y + h / 2, w / 2, h / 2, radius); }, c);
}

void Painter::line(Point a, Point b, float width, Rgba c) {
    const float m = width;
    fill({std::min(a.x, b.x) - m, std::min(a.y, b.y) - m, std::max(a.x, b.x) + m, std::max(a.y, b.y) + m},
         [=](float x, float y) { return sdSegment(x, y, a, b, width * 0.5f); }, c);
}

void Painter::polygon(const std::vector<Point>& poly, Rgba c) {
    fill(boundsOf(poly), [&poly](float x, float y) { return sdPolygon(x, y, poly); }, c);
}

void Painter::polygon(const std::vector<Point>& poly, const Shader& shader) {
    fill(boundsOf(poly), [&poly](float x, float y) { return sdPolygon(x, y, poly); }, shader);
}

}  // namespace content
