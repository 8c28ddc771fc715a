// A mock-up of a level, drawn with the sheets' 2x pictures the way the game places
// them, so that alignment (hero on floors and ladders, movers, exit star) and the
// tutorial bubble can be judged in the contact sheet.
#pragma once

#include <vector>

#include "tools/content/contact_sheet.h"

namespace content {

Canvas scenePreview(const std::vector<WrittenSheet>& sheets);
// The main menu laid out as the game draws it, at the 640 x 480 design size.
Canvas menuPreview(const std::vector<WrittenSheet>& sheets);

}  // namespace content
