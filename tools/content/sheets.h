// Every picture sheet the game loads, and the font sheets.
#pragma once

#include <vector>

#include "tools/content/sheet.h"

namespace content {

// Where things stand in a 32 x 32 world cell (1x pixels). The game draws tiles 2 pixels
// right of and 2 above the point it uses for the hero and the movers, so a tile's 16 x 16
// square is drawn at columns 6..21, rows 8..23 to line up with them; the hero and movers
// stand on row 22 (their lowest pixels on row 21).
constexpr int kTileX = 6;
constexpr int kTileY = 8;
constexpr int kTileSize = 16;
constexpr int kFloorRow = 22;

SheetDef heroSheet();        // "plat"
SheetDef enemySheet();       // "nme"
SheetDef tileSheet();        // "gfx1"
SheetDef bubbleSheet();      // "bubble"
SheetDef exitStarSheet();    // "circle"
SheetDef badgeSheet();       // "BadgesA"
SheetDef gameFontSheet();    // "fonts/editundo"
SheetDef testcardSheet();    // "common/Testcard_Circle"
SheetDef arcadeSheet();      // "common/icade"
SheetDef studioSheet();      // "common/ZOLTLogo"
SheetDef dpadSheet();        // "common/dpad"
SheetDef buttonSheet();      // "common/Buttons"
SheetDef snowSheet();        // "parts"
SheetDef iconSheet();        // "common/icons"
SheetDef logoSheet();        // "logo"
SheetDef menuSheet();        // "menu"

std::vector<SheetDef> allSheets();

// The framework's default font: 96 glyph frames side by side, one padding pixel each side.
Canvas defaultFontStrip();

}  // namespace content
