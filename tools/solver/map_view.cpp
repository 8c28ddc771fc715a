#include "tools/solver/map_view.h"

#include <algorithm>
#include <vector>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "game/world/tiles.h"

namespace {
constexpr int kSheetColumns = 8;   // the tile sheet is 8 x 8 cells of equal size
// Each cell holds its tile in the middle half (the game draws the cells at
// twice the size, centred, one tile apart): that half is what the view shows.
constexpr int kTileCells = 64;

struct Rgba {
    unsigned char r, g, b, a;
};

// The picture being drawn, with alpha blending of sheet cells onto it.
class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h), pixels_(static_cast<size_t>(w) * h * 4, 0) {}
    void Fill(Rgba c) {
        for (size_t i = 0; i < pixels_.size(); i += 4) {
            pixels_[i] = c.r;
            pixels_[i + 1] = c.g;
            pixels_[i + 2] = c.b;
            pixels_[i + 3] = c.a;
        }
    }
    void Blend(int x, int y, Rgba c) {
        if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
        unsigned char* p = &pixels_[(static_cast<size_t>(y) * w_ + x) * 4];
        const int a = c.a;
        p[0] = static_cast<unsigned char>((c.r * a + p[0] * (255 - a)) / 255);
        p[1] = static_cast<unsigned char>((c.g * a + p[1] * (255 - a)) / 255);
        p[2] = static_cast<unsigned char>((c.b * a + p[2] * (255 - a)) / 255);
        p[3] = 255;
    }
    bool Write(const std::string& path) const {
        return stbi_write_png(path.c_str(), w_, h_, 4, pixels_.data(), w_ * 4) != 0;
    }

private:
    int w_, h_;
    std::vector<unsigned char> pixels_;
};

// A star of four triangles, for the exit.
void DrawStar(Canvas& canvas, int cx, int cy, int radius) {
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const int ax = std::abs(dx), ay = std::abs(dy);
            if (ax * ay * 6 < radius * radius && ax + ay <= radius) canvas.Blend(cx + dx, cy + dy, {255, 230, 40, 255});
        }
    }
}

}  // namespace

bool RenderLevelMap(GameSession& session, int level, const std::string& tileSheet, const std::string& outPath,
                    std::string* error) {
    int sheetW = 0, sheetH = 0, channels = 0;
    unsigned char* sheet = stbi_load(tileSheet.c_str(), &sheetW, &sheetH, &channels, 4);
    if (sheet == nullptr) {
        if (error) *error = "cannot read the tile sheet " + tileSheet;
        return false;
    }
    const int frameSize = sheetW / kSheetColumns;
    const int cell = frameSize / 2, inset = frameSize / 4;
    session.SetKeys(0);
    session.EnterLevel(level);
    c_MyApp& app = session.app();
    const int startX = app.m_playerX, startY = app.m_playerY;

    Canvas canvas(kLevelSide * cell, kLevelSide * cell);
    canvas.Fill({20, 24, 48, 255});
    for (int y = 0; y < kLevelSide; ++y) {
        for (int x = 0; x < kLevelSide; ++x) {
            const int tile = app.p_Tile(x, y);
            if (tile == kTileExit) {
                DrawStar(canvas, x * cell + cell / 2, y * cell + cell / 2, cell / 2);
                continue;
            }
            if (tile < 1 || tile > kTileCells) continue;
            const int frame = tile - 1;
            const int fx = (frame % kSheetColumns) * frameSize + inset, fy = (frame / kSheetColumns) * frameSize + inset;
            for (int py = 0; py < cell; ++py) {
                for (int px = 0; px < cell; ++px) {
                    const unsigned char* s = sheet + ((static_cast<size_t>(fy + py) * sheetW) + fx + px) * 4;
                    if (s[3] != 0) canvas.Blend(x * cell + px, y * cell + py, {s[0], s[1], s[2], s[3]});
                }
            }
        }
    }
    // The start: a green ring where the hero drops in.
    const int r = cell / 2 - 2;
    for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
            const int d2 = dx * dx + dy * dy;
            if (d2 <= r * r && d2 >= (r - 3) * (r - 3)) {
                canvas.Blend(startX * cell + cell / 2 + dx, startY * cell + cell / 2 + dy, {60, 255, 90, 255});
            }
        }
    }
    stbi_image_free(sheet);
    if (!canvas.Write(outPath)) {
        if (error) *error = "cannot write " + outPath;
        return false;
    }
    return true;
}
