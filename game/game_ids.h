// The game's numbers that stand for things, each named once: the game keys
// and the virtual keys beside them, the settings, the sound effect and image
// slots with the frames the code picks, the touch slots, the hero's states
// and the map's measures. The keys of the keyboard, mouse and joysticks are
// host/key_codes.h's.
#pragma once

// ---- Game keys: the logical controls p_PlayKey reads (game/shell/controls.cpp) ----
enum GameKey : int {
    kGameKeyUp = 0,
    kGameKeyLeft = 3,
    kGameKeyRight = 5,
    kGameKeyDown = 8,
    kGameKeyAction = 10,    // hold, grip and confirm
    kGameKeyJump1 = 11,     // jump left, or either way with one jump button
    kGameKeyJump2 = 12,     // jump right
    kGameKeyAction4 = 13,
    kGameKeyAction5 = 14,
    kGameKeyCredits = 15,
    kGameKeyBack = 99,      // back, and the pause
};

// ---- Virtual keys (m_keys): a game key's entry is set by the on-screen controls ----
constexpr int kVirtualKeyCount = 20;
constexpr int kVirtualKeysCleared = 19;   // entries 0..18 are one-update presses
constexpr int kVirtualBackA = 16;         // 16, 17 and 19 stand for back
constexpr int kVirtualBackB = 17;
constexpr int kVirtualKeyBack = 19;       // the host's back key, taken in every update

// ---- Settings (m_settings, saved) ----
constexpr int kSettingCount = 25;
constexpr int kSettingScheme = 1;    // 1 one jump button, 2 two
constexpr int kSettingHelpOff = 3;   // 1: no tutorial
constexpr int kSettingSound = 5;     // 0 off, 1 on

// ---- Sound effect slots (m_sounds) ----
constexpr int kSoundSlots = 100;
constexpr int kSfxFootstep = 2;
constexpr int kSfxJump = 3;
constexpr int kSfxPickup = 4;
constexpr int kSfxClimb = 5;
constexpr int kSfxDeath = 6;
constexpr int kSfxShuffle = 7;
constexpr int kSfxPlungerTick = 9;
constexpr int kSfxFlip = 10;
constexpr int kSfxLaunch = 14;
constexpr int kSfxHazardBreak = 15;
constexpr int kSfxLastTree = 17;
constexpr int kSfxExit = 20;
constexpr int kSfxDropIn = 23;
constexpr int kSfxBurst = 24;
constexpr int kSfxConfirm = 98;
constexpr int kSfxCredits = 99;

// ---- Image slots (m_images), as the loader fills them (game/shell/assets.cpp) ----
constexpr int kImageSlots = 100;
constexpr int kImageHero = 1;          // "plat": Pipkin's poses
constexpr int kImageMovers = 2;        // "nme"
constexpr int kImageTiles = 3;         // "gfx1": the map's tiles, shots and glows
constexpr int kImageBubble = 8;        // the tutorial's speech bubble
constexpr int kImageStar = 9;          // "circle": the exit star
constexpr int kImageBadges = 80;
constexpr int kImageFont = 90;
constexpr int kImageTestcard = 91;
constexpr int kImageICade = 92;
constexpr int kImageStudioLogo = 93;
constexpr int kImageDpad = 94;         // the on-screen pad and key hints
constexpr int kImageButtons = 95;      // the round menu buttons
constexpr int kImageParts = 96;        // snow flakes
constexpr int kImageIcons = 97;        // the small round icons (frames below)
constexpr int kImageLogo = 98;
constexpr int kImageMenu = 99;         // the menu's backdrop

// Frames of kImageIcons.
constexpr int kIconCross = 1;          // quit, and a switch that is off
constexpr int kIconPause = 2;
constexpr int kIconResume = 3;
constexpr int kIconSoundOn = 4;
constexpr int kIconSoundOff = 5;
constexpr int kIconHighlight = 6;
constexpr int kIconTrophy = 10;
constexpr int kIconBack = 11;
constexpr int kIconTick = 13;

// ---- Touch ----
constexpr int kTouchSlots = 10;        // fingers the shell follows (m_touchX, m_touchY)

// ---- Timing and the menus ----
constexpr int kUpdatesPerSecond = 60;  // the game's fixed update rate
constexpr int kDeathUpdates = 120;     // a death's animation before the level restarts
constexpr float kMenuVolume = 0.5f;    // the menus' sounds
// The keys a menu takes as confirm: grip and the jumps as well as the action key.
constexpr int kActionKeys[] = {kGameKeyAction, kGameKeyJump1, kGameKeyJump2, kGameKeyAction4};

// ---- The hero's states (m_playerState) ----
enum HeroState : int {
    kStand = 0,
    kWalk = 1,
    kFall = 2,
    kClimbUp = 3,
    kClimbDown = 4,
    kTurn = 5,
    kJump1 = 6,
    kJump2 = 7,
    kJump3 = 8,
    kDying = 9,
    kLeaving = 10,
};

// ---- Levels and the map ----
constexpr int kLevelCount = 15;        // levels 1..15; the ending follows the last
constexpr int kLevelSide = 64;         // a level is 64 x 64 tiles
constexpr int kTilePixels = 16;        // a tile's side in tile pixels
