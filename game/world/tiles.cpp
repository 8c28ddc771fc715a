#include "game/world/tiles.h"

int kp_Tiles_Ascii2Val(int code) {
    switch (code) {
    case '0': return kTileEmpty;
    case '1': return kTileGripBar;
    case '2': return kTileWall;
    case '3': return kTileLadder;
    case '4': return kTileBonus;
    case '5': return 5;
    case '6': return 6;
    case '7': return 7;
    case '8': return 8;
    case 'D': return kTileFlipEven;
    case 'd': return kTileFlipOdd;
    case 'P': return kTilePlunger;
    case '$': return kTileCountedPickup;
    case 'S': return kTileStart;
    case 'X': return kTileExitMark;
    case 'x': return kTileTreeUnlit;
    case ')': return kTileHandleRight;
    case '(': return kTileHandleLeft;
    case '}': return kTileLauncherRight;
    case '{': return kTileLauncherLeft;
    case 'B': return kTileDecorA;
    case 'b': return kTileDecorB;
    default: return 0;
    }
}
