// Tile values of the level maps and the character code of each in the level texts.
#pragma once

enum TileValue {
    kTileEmpty = 0,
    kTileGripBar = 1,
    kTileWall = 2,
    kTileLadder = 3,
    kTileBonus = 4,
    kTileSpikesFirst = 5,
    kTileSpikesLast = 8,
    kTileFlipEven = 9,      // "D": solid while the flip count is even
    kTileFlipOdd = 10,      // "d": solid while the flip count is odd
    kTilePlunger = 11,
    kTileCountedPickup = 16,  // "$": counts like an unlit tree
    kTileStart = 17,
    kTileExitMark = 18,
    kTileTreeUnlit = 19,
    kTileTreeLit = 20,
    kTileHandleRight = 22,
    kTileHandleLeft = 23,
    kTileLauncherRight = 25,
    kTileLauncherLeft = 26,
    kTileMoverRight = 27,
    kTileMoverLeft = 28,
    kTileDecorA = 57,
    kTileDecorB = 58,
    kTileExit = 999,
};

// Tile value of a level-text character; 0 for any character not in the table.
int kp_Tiles_Ascii2Val(int code);
