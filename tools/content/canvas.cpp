#include "tools/content/canvas.h"

#include <algorithm>
#include <cmath>

#include <stb/stb_image_write.h>

namespace content {

Rgba withAlpha(Rgba c, float alpha) {
    c.a = uint8_t(std::lround(std::clamp(alpha, 0.0f, 1.0f) * c.a));
    return c;
}

Rgba mix(Rgba a, Rgba b, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    auto lerp = [t](uint8_t x, uint8_t y) { return uint8_t(std::lround(x + (y - x) * t)); };
    return Rgba{lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b), lerp(a.a, b.a)};
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(size_t(width) * size_t(height), kClear) {}

Rgba Canvas::get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return kClear;
    return pixels_[size_t(y) * width_ + x];
}

void Canvas::set(int x, int y, Rgba c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    pixels_[size_t(y) * width_ + x] = c;
}

void Canvas::blend(int x, int y, Rgba c, float coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    const float sa = c.a / 255.0f * std::clamp(coverage, 0.0f, 1.0f);
    if (sa <= 0.0f) return;
    Rgba& d = pixels_[size_t(y) * width_ + x];
    const float da = d.a / 255.0f;
    const float oa = sa + da * (1.0f - sa);
    auto channel = [&](uint8_t s, uint8_t dc) {
        const float v = (s * sa + dc * da * (1.0f - sa)) / oa;
        return uint8_t(std::lround(std::clamp(v, 0.0f, 255.0f)));
    };
    d = Rgba{channel(c.r, d.r), channel(c.g, d.g), channel(c.b, d.b), uint8_t(std::lround(oa * 255.0f))};
}

void Canvas::fillRect(int x, int y, int w, int h, Rgba c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) set(i, j, c);
}

void Canvas::blit(const Canvas& src, int dx, int dy) {
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) blend(dx + x, dy + y, src.get(x, y));
}

void Canvas::copyFrom(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) set(dx + x, dy + y, src.get(sx + x, sy + y));
}

Canvas Canvas::crop(int x, int y, int w, int h) const {
    Canvas out(w, h);
    out.copyFrom(*this, x, y, w, h, 0, 0);
    return out;
}

bool Canvas::writePng(const std::string& path) const {
    return stbi_write_png(path.c_str(), width_, height_, 4, pixels_.data(), width_ * 4) != 0;
}

}  // namespace content
