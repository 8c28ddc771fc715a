// RGBA pixel canvas shared by every picture the content tool draws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content {

// One straight-alpha 8-bit RGBA pixel.
struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const Rgba& o) const { return !(*this == o); }
};

constexpr Rgba kClear{0, 0, 0, 0};
constexpr Rgba rgb(int r, int g, int b, int a = 255) {
    return Rgba{uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a)};
}
Rgba withAlpha(Rgba c, float alpha);           // same colour, alpha scaled by alpha
Rgba mix(Rgba a, Rgba b, float t);              // linear blend of colour and alpha, t in 0..1

// A rectangle of pixels; reads outside return transparent, writes outside are ignored.
class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    Rgba get(int x, int y) const;
    void set(int x, int y, Rgba c);
    void blend(int x, int y, Rgba c, float coverage = 1.0f);  // source-over
    void fillRect(int x, int y, int w, int h, Rgba c);
    void blit(const Canvas& src, int dx, int dy);              // source-over copy
    void copyFrom(const Canvas& src, int sx, int sy, int w, int h, int dx, int dy);  // exact copy
    Canvas crop(int x, int y, int w, int h) const;
    const std::vector<Rgba>& pixels() const { return pixels_; }
    bool writePng(const std::string& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Rgba> pixels_;
};

}  // namespace content
