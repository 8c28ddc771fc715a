// Start values of the game's globals, for programs built without the game.
#include "game/shell/globals.h"

namespace {

constexpr int kCreditLines = 39;

}  // namespace

float kp_Glimmer_jscrw = 0;
float kp_Glimmer_jscrh = 0;
float kp_Glimmer_rawscrw = 0;
float kp_Glimmer_rawscrh = 0;
float kp_Glimmer_overscan = 0;
int kp_Glimmer_DebugMode = 0;
int kp_Glimmer_HasMusic = 0;
int kp_Glimmer_OnScreenControls = 0;
int kp_Glimmer_AccelerometerControls = 0;
int kp_Glimmer_iCadeControls = 0;
Array<String> kp_Glimmer_CreditText;

void kp_Glimmer_InitGlobals() {
    kp_Glimmer_overscan = 0;
    kp_Glimmer_jscrw = 640.0f;
    kp_Glimmer_jscrh = 480.0f;
    kp_Glimmer_HasMusic = 0;
    kp_Glimmer_DebugMode = 0;
    kp_Glimmer_rawscrw = 640.0f;
    kp_Glimmer_rawscrh = 480.0f;
    kp_Glimmer_iCadeControls = 0;
    gc_assign(kp_Glimmer_CreditText, kp_Glimmer_MakeCreditText());
    kp_Glimmer_OnScreenControls = 0;
    kp_Glimmer_AccelerometerControls = 0;
}

Array<String> kp_Glimmer_MakeCreditText() { return Array<String>(kCreditLines); }
