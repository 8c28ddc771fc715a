// The game's globals, for programs built without the game: only the program's
// start-up refers to them.
#include "game/shell/globals.h"

float kp_Glimmer_jscrw = 640, kp_Glimmer_jscrh = 480, kp_Glimmer_rawscrw = 640, kp_Glimmer_rawscrh = 480;
float kp_Glimmer_overscan = 0;
int kp_Glimmer_DebugMode = 0, kp_Glimmer_HasMusic = 0, kp_Glimmer_OnScreenControls = 0;
int kp_Glimmer_AccelerometerControls = 0, kp_Glimmer_iCadeControls = 0;
Array<String> kp_Glimmer_CreditText;

void kp_Glimmer_InitGlobals() {}
Array<String> kp_Glimmer_MakeCreditText() { return Array<String>(); }
