// Image sheets: a grid of equal cells, laid out the way the game grabs frames
// (left to right, wrapping to the next row), written at 1x, 2x and 4x.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/content/canvas.h"
#include "tools/content/painter.h"

namespace content {

constexpr int kLevels[3] = {1, 2, 4};                    // resolution levels of every sheet
constexpr const char* kLevelSuffix[3] = {"", "-hd", "-hd2"};

// Name, design cell size and frame count of one sheet, plus the number of cells per row.
struct SheetSpec {
    std::string name;
    int cellW = 0;
    int cellH = 0;
    int frames = 0;
    int columns = 0;
    int rows() const { return (frames + columns - 1) / columns; }
};

// A sheet and how to draw it at a given resolution level.
struct SheetDef {
    SheetSpec spec;
    std::function<Canvas(int level)> build;
};

using PixelFrame = std::function<void(int frame, Canvas& cell)>;      // draws one 1x cell
using VectorFrame = std::function<void(int frame, Painter& p)>;       // draws in design units
using TileRegion = std::function<bool(int frame, int& x, int& y, int& w, int& h)>;

// Pixel-art sheet: each cell drawn at 1x and enlarged with Scale2x/Scale4x. A frame for
// which `tiling` answers true has the given region scaled as a seamless repeating tile.
Canvas pixelAtlas(const SheetSpec& spec, int level, const PixelFrame& draw, const TileRegion& tiling = {});

// Vector sheet: every cell drawn directly at the target resolution.
Canvas vectorAtlas(const SheetSpec& spec, int level, const VectorFrame& draw);

// Redraws one cell of an atlas with vector art (used to mix smooth frames into pixel sheets).
void redrawCell(Canvas& atlas, const SheetSpec& spec, int level, int frame, const std::function<void(Painter&)>& draw);

// Writes name.png, name-hd.png and name-hd2.png under dir; returns false on a write failure.
bool writeSheet(const std::string& dir, const SheetDef& def, std::vector<Canvas>* levelsOut = nullptr);

}  // namespace content
