#include "tools/content/symbols.h"

#include <algorithm>
#include <cmath>

namespace content {

namespace {
constexpr float kPi = 3.14159265358979f;

Point at(float cx, float cy, float s, float x, float y) { return {cx + x * s, cy + y * s}; }

std::vector<Point> scaled(float cx, float cy, float s, std::initializer_list<Point> pts) {
    std::vector<Point> out;
    for (const Point& q : pts) out.push_back(at(cx, cy, s, q.x, q.y));
    return out;
}
}  // namespace

void drawSymbol(Painter& p, Symbol sym, float cx, float cy, float size, Rgba ink, Rgba accent) {
    const float s = size / 2.0f;   // unit: half the symbol's side
    switch (sym) {
    case Symbol::Play:
        p.polygon(scaled(cx, cy, s, {{-0.55f, -0.8f}, {0.85f, 0.0f}, {-0.55f, 0.8f}}), ink);
        break;
    case Symbol::Pause:
        p.rect(cx - 0.6f * s, cy - 0.75f * s, 0.42f * s, 1.5f * s, ink, 0.1f * s);
        p.rect(cx + 0.18f * s, cy - 0.75f * s, 0.42f * s, 1.5f * s, ink, 0.1f * s);
        break;
    case Symbol::Cross:
        p.line(at(cx, cy, s, -0.65f, -0.65f), at(cx, cy, s, 0.65f, 0.65f), 0.36f * s, ink);
        p.line(at(cx, cy, s, 0.65f, -0.65f), at(cx, cy, s, -0.65f, 0.65f), 0.36f * s, ink);
        break;
    case Symbol::Speaker:
    case Symbol::SpeakerOff: {
        const float ox = -0.3f;
        p.rect(cx + (ox - 0.6f) * s, cy - 0.3f * s, 0.4f * s, 0.6f * s, ink, 0.05f * s);
        p.polygon(scaled(cx, cy, s, {{ox - 0.3f, -0.3f}, {ox + 0.25f, -0.75f}, {ox + 0.25f, 0.75f}, {ox - 0.3f, 0.3f}}), ink);
        if (sym == Symbol::Speaker) {
            for (int i = 0; i < 2; ++i) {
                const float r = (0.45f + 0.35f * i) * s;
                const float ax = cx + (ox + 0.25f) * s, ay = cy;
                p.fill({ax, ay - r - s, ax + r + s, ay + r + s},
                       [=](float x, float y) {
                           const float ring = std::fabs(std::hypot(x - ax, y - ay) - r) - 0.08f * s;
                           const float wedge = std::fabs(std::atan2(y - ay, x - ax)) - 0.8f;
                           return std::max(ring, wedge * s);
                       },
                       ink);
            }
        } else {
            p.line(at(cx, cy, s, 0.3f, -0.35f), at(cx, cy, s, 0.9f, 0.35f), 0.2f * s, accent);
            p.line(at(cx, cy, s, 0.9f, -0.35f), at(cx, cy, s, 0.3f, 0.35f), 0.2f * s, accent);
        }
        break;
    }
    case Symbol::Question: {
        const float r = 0.42f * s, ax = cx, ay = cy - 0.3f * s;
        p.fill({ax - s, ay - s, ax + s, ay + s},
               [=](float x, float y) {
                   const float ring = std::fabs(std::hypot(x - ax, y - ay) - r) - 0.13f * s;
                   const float a = std::atan2(y - ay, x - ax);   // open at the lower left
                   const float cut = (a > 1.6f && a < 3.2f) ? 1.0f : -1.0f;
                   return std::max(ring, cut * 0.1f * s);
               },
               ink);
        p.line(at(cx, cy, s, 0.0f, 0.1f), at(cx, cy, s, 0.0f, 0.3f), 0.26f * s, ink);
        p.circle(cx, cy + 0.68f * s, 0.16f * s, ink);
        break;
    }
    case Symbol::Note:
        p.circle(cx - 0.3f * s, cy + 0.5f * s, 0.28f * s, ink);
        p.line(at(cx, cy, s, -0.05f, 0.5f), at(cx, cy, s, -0.05f, -0.7f), 0.14f * s, ink);
        p.polygon(scaled(cx, cy, s, {{-0.12f, -0.8f}, {0.55f, -0.45f}, {0.55f, -0.15f}, {-0.12f, -0.5f}}), ink);
        break;
    case Symbol::Star:
        p.polygon(starPoints({cx, cy + 0.08f * s}, 0.9f * s, 0.4f * s, 5, 0), ink);
        break;
    case Symbol::Tree:
        p.polygon(scaled(cx, cy, s, {{0, -0.85f}, {0.45f, -0.2f}, {-0.45f, -0.2f}}), ink);
        p.polygon(scaled(cx, cy, s, {{0, -0.5f}, {0.65f, 0.35f}, {-0.65f, 0.35f}}), ink);
        p.rect(cx - 0.14f * s, cy + 0.3f * s, 0.28f * s, 0.45f * s, accent);
        break;
    case Symbol::Bell:
        p.fill({cx - s, cy - s, cx + s, cy + s},
               [=](float x, float y) {
                   const float u = (x - cx) / s, v = (y - cy) / s;
                   const float half = 0.25f + 0.45f * std::pow(std::clamp((v + 0.65f) / 1.25f, 0.0f, 1.0f), 1.6f);
                   const float body = std::max(std::fabs(u) - half, std::fabs(v - 0.0f) - 0.6f);
                   const float dome = std::hypot(u, v + 0.4f) - 0.3f;
                   return std::min(body, dome) * s;
               },
               ink);
        p.circle(cx, cy + 0.72f * s, 0.16f * s, accent);
        break;
    case Symbol::Present:
        p.rect(cx - 0.7f * s, cy - 0.3f * s, 1.4f * s, 1.05f * s, ink, 0.06f * s);
        p.rect(cx - 0.8f * s, cy - 0.45f * s, 1.6f * s, 0.3f * s, ink, 0.06f * s);
        p.rect(cx - 0.12f * s, cy - 0.45f * s, 0.24f * s, 1.2f * s, accent);
        p.ring(cx - 0.25f * s, cy - 0.62f * s, 0.18f * s, 0.1f * s, accent);
        p.ring(cx + 0.25f * s, cy - 0.62f * s, 0.18f * s, 0.1f * s, accent);
        break;
    case Symbol::Snowflake:
        for (int i = 0; i < 3; ++i) {
            const float a = kPi / 3 * i + kPi / 2;
            const Point d{std::cos(a) * 0.85f * s, std::sin(a) * 0.85f * s};
            p.line({cx - d.x, cy - d.y}, {cx + d.x, cy + d.y}, 0.14f * s, ink);
            for (int end = -1; end <= 1; end += 2) {
                const Point m{cx + d.x * 0.55f * end, cy + d.y * 0.55f * end};
                for (int side = -1; side <= 1; side += 2) {
                    const float b = a + (end > 0 ? 0.0f : kPi) + side * 0.8f;
                    p.line(m, {m.x + std::cos(b) * 0.3f * s, m.y + std::sin(b) * 0.3f * s}, 0.11f * s, ink);
                }
            }
        }
        break;
    case Symbol::Bauble:
        p.circle(cx, cy + 0.15f * s, 0.62f * s, ink);
        p.rect(cx - 0.18f * s, cy - 0.65f * s, 0.36f * s, 0.25f * s, accent, 0.04f * s);
        p.ring(cx, cy - 0.78f * s, 0.1f * s, 0.07f * s, accent);
        p.circle(cx - 0.22f * s, cy - 0.05f * s, 0.14f * s, withAlpha(rgb(255, 255, 255), 0.8f));
        break;
    case Symbol::CandyCane: {
        const float r = 0.32f * s, hx = cx - 0.05f * s, hy = cy - 0.45f * s;
        p.fill({cx - s, cy - s, cx + s, cy + s},
               [=](float x, float y) {
                   const float hook = std::max(std::fabs(std::hypot(x - hx, y - hy) - r) - 0.15f * s, (y - hy));
                   const float stick = sdSegment(x, y, {hx + r, hy}, {hx + r, cy + 0.85f * s}, 0.15f * s);
                   return std::min(hook, stick);
               },
               [=](float x, float y) { return (int(std::floor((x + y) / (0.25f * s))) % 2 == 0) ? ink : accent; });
        break;
    }
    case Symbol::Heart:
        p.fill({cx - s, cy - s, cx + s, cy + s},
               [=](float x, float y) {
                   const float u = (x - cx) / s, v = (y - cy) / s;
                   const float l = std::hypot(u + 0.33f, v + 0.25f) - 0.4f;
                   const float r = std::hypot(u - 0.33f, v + 0.25f) - 0.4f;
                   const std::vector<Point> tri = {{-0.72f, -0.1f}, {0.72f, -0.1f}, {0.0f, 0.8f}};
                   return std::min(std::min(l, r), sdPolygon(u, v, tri)) * s;
               },
               ink);
        break;
    case Symbol::Home:
        p.polygon(scaled(cx, cy, s, {{0, -0.8f}, {0.8f, -0.05f}, {-0.8f, -0.05f}}), ink);
        p.rect(cx - 0.55f * s, cy - 0.15f * s, 1.1f * s, 0.85f * s, ink);
        p.rect(cx - 0.15f * s, cy + 0.25f * s, 0.3f * s, 0.45f * s, accent);
        break;
    case Symbol::Back:
    case Symbol::Arrow: {
        const float dir = sym == Symbol::Back ? -1.0f : 1.0f;
        p.polygon(scaled(cx, cy, s, {{0.8f * dir, 0}, {0.05f * dir, -0.7f}, {0.05f * dir, 0.7f}}), ink);
        p.rect(cx + (dir > 0 ? -0.75f : 0.0f) * s, cy - 0.22f * s, 0.8f * s, 0.44f * s, ink);
        break;
    }
    case Symbol::Restart: {
        const float r = 0.55f * s;
        p.fill({cx - s, cy - s, cx + s, cy + s},
               [=](float x, float y) {
                   const float ring = std::fabs(std::hypot(x - cx, y - cy) - r) - 0.13f * s;
                   const float a = std::atan2(y - cy, x - cx);
                   return std::max(ring, (a > -1.9f && a < -1.0f) ? 0.2f * s : -1.0f);
               },
               ink);
        p.polygon(scaled(cx, cy, s, {{0.05f, -0.95f}, {0.5f, -0.55f}, {-0.05f, -0.3f}}), ink);
        break;
    }
    case Symbol::Tick:
        p.line(at(cx, cy, s, -0.6f, 0.05f), at(cx, cy, s, -0.15f, 0.5f), 0.3f * s, ink);
        p.line(at(cx, cy, s, -0.15f, 0.5f), at(cx, cy, s, 0.65f, -0.5f), 0.3f * s, ink);
        break;
    case Symbol::Trophy:
        p.fill({cx - s, cy - s, cx + s, cy + s},
               [=](float x, float y) {
                   const float cup = std::max(std::hypot(x - cx, y - (cy - 0.5f * s)) - 0.55f * s, (cy - 0.5f * s) - y);
                   const float top = sdBox(x, y, cx, cy - 0.58f * s, 0.55f * s, 0.1f * s);
                   return std::min(cup, top);
               },
               ink);
        p.ring(cx - 0.58f * s, cy - 0.3f * s, 0.2f * s, 0.1f * s, ink);
        p.ring(cx + 0.58f * s, cy - 0.3f * s, 0.2f * s, 0.1f * s, ink);
        p.rect(cx - 0.1f * s, cy, 0.2f * s, 0.45f * s, ink);
        p.rect(cx - 0.4f * s, cy + 0.45f * s, 0.8f * s, 0.25f * s, accent, 0.05f * s);
        break;
    case Symbol::Snowman:
        p.circle(cx, cy + 0.4f * s, 0.45f * s, ink);
        p.circle(cx, cy - 0.3f * s, 0.32f * s, ink);
        p.rect(cx - 0.3f * s, cy - 0.88f * s, 0.6f * s, 0.3f * s, accent);
        p.rect(cx - 0.42f * s, cy - 0.62f * s, 0.84f * s, 0.08f * s, accent);
        break;
    case Symbol::Stocking:
        p.polygon(scaled(cx, cy, s, {{-0.3f, -0.6f}, {0.25f, -0.6f}, {0.25f, 0.25f}, {0.7f, 0.45f}, {0.55f, 0.85f},
                                      {-0.05f, 0.75f}, {-0.3f, 0.5f}}),
                  ink);
        p.rect(cx - 0.4f * s, cy - 0.85f * s, 0.75f * s, 0.3f * s, accent, 0.05f * s);
        break;
    case Symbol::Candle:
        p.rect(cx - 0.22f * s, cy - 0.3f * s, 0.44f * s, 1.1f * s, ink, 0.04f * s);
        p.fill({cx - s, cy - s, cx + s, cy},
               [=](float x, float y) {
                   const float u = (x - cx) / s, v = (y - cy) / s;
                   return (std::hypot(u * 1.8f, v + 0.6f) - 0.28f + std::max(0.0f, -(v + 0.6f)) * 0.5f) * s / 1.8f;
               },
               accent);
        break;
    case Symbol::Holly:
        for (int side = -1; side <= 1; side += 2) {
            const std::vector<Point> leaf = scaled(cx, cy, s, {{0.0f, 0.05f}, {0.35f * side, -0.35f}, {0.8f * side, -0.2f},
                                                               {0.65f * side, 0.1f}, {0.75f * side, 0.35f}, {0.35f * side, 0.35f}});
            p.polygon(leaf, ink);
        }
        p.circle(cx - 0.15f * s, cy + 0.25f * s, 0.2f * s, accent);
        p.circle(cx + 0.17f * s, cy + 0.28f * s, 0.2f * s, accent);
        p.circle(cx, cy + 0.05f * s, 0.2f * s, accent);
        break;
    case Symbol::Moon:
        p.fill({cx - s, cy - s, cx + s, cy + s},
               [=](float x, float y) {
                   return std::max(sdCircle(x, y, cx, cy, 0.7f * s), -sdCircle(x, y, cx + 0.35f * s, cy - 0.2f * s, 0.55f * s));
               },
               ink);
        break;
    case Symbol::Gingerbread:
        p.circle(cx, cy - 0.5f * s, 0.3f * s, ink);
        p.line(at(cx, cy, s, -0.65f, -0.1f), at(cx, cy, s, 0.65f, -0.1f), 0.3f * s, ink);
        p.rect(cx - 0.3f * s, cy - 0.25f * s, 0.6f * s, 0.6f * s, ink, 0.15f * s);
        p.line(at(cx, cy, s, -0.15f, 0.3f), at(cx, cy, s, -0.4f, 0.8f), 0.3f * s, ink);
        p.line(at(cx, cy, s, 0.15f, 0.3f), at(cx, cy, s, 0.4f, 0.8f), 0.3f * s, ink);
        p.circle(cx, cy - 0.05f * s, 0.07f * s, accent);
        p.circle(cx, cy + 0.17f * s, 0.07f * s, accent);
        break;
    case Symbol::Hand:
        p.rect(cx - 0.45f * s, cy - 0.1f * s, 0.9f * s, 0.8f * s, ink, 0.25f * s);
        for (int i = 0; i < 4; ++i)
            p.rect(cx + (-0.45f + 0.235f * i) * s, cy - 0.75f * s + (i == 0 || i == 3 ? 0.15f * s : 0), 0.2f * s, 0.8f * s, ink, 0.1f * s);
        p.line(at(cx, cy, s, -0.4f, 0.2f), at(cx, cy, s, -0.75f, -0.2f), 0.22f * s, ink);
        break;
    case Symbol::Ring:
        p.ring(cx, cy, 0.8f * s, 0.14f * s, ink);
        break;
    case Symbol::Gear:   // eight teeth round a ring with a hole
        p.fill({cx - s, cy - s, cx + s, cy + s},
               [=](float x, float y) {
                   const float u = (x - cx) / s, v = (y - cy) / s;
                   const float r = std::hypot(u, v), a = std::atan2(v, u);
                   const float tooth = std::cos(8 * a) > 0.2f ? 0.85f : 0.62f;
                   return std::max(r - tooth, 0.28f - r) * s;
               },
               ink);
        break;
    case Symbol::Gamepad: {   // a pad's body with a cross at the left and two buttons at the right
        p.rect(cx - 0.9f * s, cy - 0.45f * s, 1.8f * s, 0.9f * s, ink, 0.4f * s);
        p.rect(cx - 0.62f * s, cy - 0.08f * s, 0.5f * s, 0.16f * s, accent);
        p.rect(cx - 0.45f * s, cy - 0.25f * s, 0.16f * s, 0.5f * s, accent);
        p.circle(cx + 0.35f * s, cy + 0.08f * s, 0.11f * s, accent);
        p.circle(cx + 0.6f * s, cy - 0.12f * s, 0.11f * s, accent);
        break;
    }
    }
}

}  // namespace content
