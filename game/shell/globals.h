// Module globals of the game: the virtual screen, configuration switches and the credits text.
#pragma once

#include "runtime/array.h"
#include "runtime/string.h"

extern float kp_Glimmer_jscrw;      // current virtual screen width
extern float kp_Glimmer_jscrh;      // current virtual screen height
extern float kp_Glimmer_rawscrw;    // design width, 640
extern float kp_Glimmer_rawscrh;    // design height, 480
extern float kp_Glimmer_overscan;   // window margin in pixels at each side
extern int kp_Glimmer_DebugMode;    // debug overlay on (1) or off (0), toggled with F10
extern int kp_Glimmer_HasMusic;     // 1 enables the music generator hooks; 0 in this game
extern int kp_Glimmer_OnScreenControls;
extern int kp_Glimmer_AccelerometerControls;
extern int kp_Glimmer_iCadeControls;
extern Array<String> kp_Glimmer_CreditText;  // the 39 credit lines

// Sets every game global to its start value; called by the runtime's kpInit.
void kp_Glimmer_InitGlobals();
// The credit lines, index 0..38.
Array<String> kp_Glimmer_MakeCreditText();
