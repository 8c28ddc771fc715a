// Pixel-art helpers: palette-indexed text grids, outlines and the Scale2x family of
// pixel-art scalers that turn a 1x drawing into real 2x and 4x pictures.
#pragma once

#include <string>
#include <vector>

#include "tools/content/canvas.h"

namespace content {

// The shared palette: one character per colour, '.' and ' ' are transparent.
Rgba paletteColour(char key);

// Draws a grid of palette characters with its top-left pixel at (x, y).
// mirror draws it flipped left to right.
void drawGrid(Canvas& c, int x, int y, const std::vector<std::string>& rows, bool mirror = false);

// Puts `colour` on every transparent pixel that touches an opaque one (4-neighbour).
void addOutline(Canvas& c, Rgba colour);

// How the scaler sees pixels beyond the picture's edge.
enum class Edge { Transparent, Wrap };

Canvas scale2x(const Canvas& src, Edge edge);
Canvas scaleBy(const Canvas& src, int factor, Edge edge);   // factor 1, 2 or 4 (Scale2x twice)

Canvas mirrored(const Canvas& src);

}  // namespace content
