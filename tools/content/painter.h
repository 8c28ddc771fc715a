// Resolution-independent drawing: shapes are signed distance functions in design units,
// rasterised with one-pixel anti-aliasing at whatever scale the sheet is being written.
#pragma once

#include <functional>
#include <vector>

#include "tools/content/canvas.h"

namespace content {

struct Point {
    float x = 0, y = 0;
};
struct Bounds {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

using Sdf = std::function<float(float x, float y)>;      // negative inside, design units
using Shader = std::function<Rgba(float x, float y)>;    // colour at a design point

// Signed distances used to build shapes.
float length(float x, float y);
float sdCircle(float x, float y, float cx, float cy, float r);
float sdBox(float x, float y, float cx, float cy, float halfW, float halfH, float radius = 0);
float sdSegment(float x, float y, Point a, Point b, float halfWidth);
float sdPolygon(float x, float y, const std::vector<Point>& poly);
std::vector<Point> starPoints(Point centre, float outer, float inner, int points, float turnDeg);
std::vector<Point> regularPolygon(Point centre, float radius, int sides, float turnDeg);

// Draws into a canvas whose pixel (ox, oy) is design point (0, 0), scale pixels per unit.
class Painter {
public:
    Painter(Canvas& canvas, float scale, float originX = 0, float originY = 0);

    float scale() const { return scale_; }
    void fill(Bounds b, const Sdf& shape, Rgba colour);
    void fill(Bounds b, const Sdf& shape, const Shader& shader);
    // Soft-edged fill: coverage falls from 1 to 0 over `softness` design units outside the shape.
    void glow(Bounds b, const Sdf& shape, Rgba colour, float softness);

    void circle(float cx, float cy, float r, Rgba c);
    void ring(float cx, float cy, float r, float width, Rgba c);
    void rect(float x, float y, float w, float h, Rgba c, float radius = 0);
    void line(Point a, Point b, float width, Rgba c);
    void polygon(const std::vector<Point>& poly, Rgba c);
    void polygon(const std::vector<Point>& poly, const Shader& shader);

private:
    void cover(Bounds b, const std::function<float(float, float)>& coverage, const Shader& shader);

    Canvas& canvas_;
    float scale_;
    float originX_;
    float originY_;
};

Bounds boundsOf(const std::vector<Point>& poly, float margin = 1);

}  // namespace content
