#pragma once
// The icon as one Windows .ico file holding every size: what the Windows
// program, its shortcuts and its installer show.

#include <vector>

#include "tools/icon/icon_art.h"

// The .ico bytes for the images, in the order given. Sizes up to 48 pixels
// are stored as 32-bit bitmaps (read everywhere), larger ones as PNG.
// Empty when an image cannot be encoded or is larger than 256 pixels.
std::vector<unsigned char> EncodeIco(const std::vector<IconImage>& images);
