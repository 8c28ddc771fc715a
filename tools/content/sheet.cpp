#include "tools/content/sheet.h"

#include <filesystem>

#include "tools/content/pixel_art.h"

namespace content {

namespace {

Canvas emptyAtlas(const SheetSpec& spec, int level) {
    return Canvas(spec.columns * spec.cellW * level, spec.rows() * spec.cellH * level);
}

void cellOrigin(const SheetSpec& spec, int level, int frame, int& x, int& y) {
    x = (frame % spec.columns) * spec.cellW * level;
    y = (frame / spec.columns) * spec.cellH * level;
}

}  // namespace

Canvas pixelAtlas(const SheetSpec& spec, int level, const PixelFrame& draw, const TileRegion& tiling) {
    Canvas atlas = emptyAtlas(spec, level);
    for (int f = 0; f < spec.frames; ++f) {
        Canvas cell(spec.cellW, spec.cellH);
        draw(f, cell);
        Canvas big = scaleBy(cell, level, Edge::Transparent);
        int tx = 0, ty = 0, tw = 0, th = 0;
        if (tiling && tiling(f, tx, ty, tw, th)) {
            const Canvas tile = scaleBy(cell.crop(tx, ty, tw, th), level, Edge::Wrap);
            big.copyFrom(tile, 0, 0, tw * level, th * level, tx * level, ty * level);
        }
        int x = 0, y = 0;
        cellOrigin(spec, level, f, x, y);
        atlas.copyFrom(big, 0, 0, big.width(), big.height(), x, y);
    }
    return atlas;
}

Canvas vectorAtlas(const SheetSpec& spec, int level, const VectorFrame& draw) {
    Canvas atlas = emptyAtlas(spec, level);
    for (int f = 0; f < spec.frames; ++f) {
        Canvas cell(spec.cellW * level, spec.cellH * level);
        Painter p(cell, float(level));
        draw(f, p);
        int x = 0, y = 0;
        cellOrigin(spec, level, f, x, y);
        atlas.copyFrom(cell, 0, 0, cell.width(), cell.height(), x, y);
    }
    return atlas;
}

void redrawCell(Canvas& atlas, const SheetSpec& spec, int level, int frame,
                const std::function<void(Painter&)>& draw) {
    Canvas cell(spec.cellW * level, spec.cellH * level);
    Painter p(cell, float(level));
    draw(p);
    int x = 0, y = 0;
    cellOrigin(spec, level, frame, x, y);
    atlas.copyFrom(cell, 0, 0, cell.width(), cell.height(), x, y);
}

bool writeSheet(const std::string& dir, const SheetDef& def, std::vector<Canvas>* levelsOut) {
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
        const std::string path = dir + "/" + def.spec.name + kLevelSuffix[i] + ".png";
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        Canvas atlas = def.build(kLevels[i]);
        ok = atlas.writePng(path) && ok;
        if (levelsOut) levelsOut->push_back(std::move(atlas));
    }
    return ok;
}

}  // namespace content
