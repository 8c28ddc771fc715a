#pragma once
// The game's icon, drawn procedurally at any size: a lit Christmas tree with a
// glowing star on a night-blue tile with snow, antialiased by supersampling.

#include <cstddef>
#include <vector>

// Square pixel sizes the desktop expects of an application icon.
constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};
// Sizes the running game gives its window (read from data/icon/).
constexpr int kWindowIconSizes[] = {48, 32};

// An RGBA image, 8 bits per channel, rows top to bottom, straight alpha.
struct IconImage {
    int size = 0;
    std::vector<unsigned char> rgba;

    const unsigned char* Pixel(int x, int y) const { return &rgba[(std::size_t(y) * size + x) * 4]; }
};

IconImage DrawGlimmerIcon(int size);  // the icon at size x size pixels
