// A review picture of every sheet with its frame numbers (not shipped with the game).
#pragma once

#include <string>
#include <vector>

#include "tools/content/canvas.h"
#include "tools/content/sheet.h"

namespace content {

// One sheet as written, at its three resolution levels (1x, 2x, 4x).
struct WrittenSheet {
    SheetSpec spec;
    std::vector<Canvas> levels;
};

Canvas contactSheet(const std::vector<WrittenSheet>& sheets);

}  // namespace content
