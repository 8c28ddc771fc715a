// The game's module globals and the credit lines shown in the credits box.
#include "game/shell/globals.h"

#include "framework/program.h"
#include "runtime/gc.h"

float kp_Glimmer_jscrw = 640.0f;
float kp_Glimmer_jscrh = 480.0f;
float kp_Glimmer_rawscrw = 640.0f;
float kp_Glimmer_rawscrh = 480.0f;
float kp_Glimmer_overscan = 0.0f;
int kp_Glimmer_DebugMode = 0;
int kp_Glimmer_HasMusic = 0;
int kp_Glimmer_OnScreenControls = 0;
int kp_Glimmer_AccelerometerControls = 0;
int kp_Glimmer_iCadeControls = 0;
Array<String> kp_Glimmer_CreditText;

void kp_Glimmer_InitGlobals() {
    kp_Glimmer_jscrw = 640.0f;
    kp_Glimmer_jscrh = 480.0f;
    kp_Glimmer_rawscrw = 640.0f;
    kp_Glimmer_rawscrh = 480.0f;
    kp_Glimmer_overscan = 0.0f;
    kp_Glimmer_DebugMode = 0;
    kp_Glimmer_HasMusic = 0;
    kp_Glimmer_OnScreenControls = 0;
    kp_Glimmer_AccelerometerControls = 0;
    kp_Glimmer_iCadeControls = 0;
    gc_assign(kp_Glimmer_CreditText, kp_Glimmer_MakeCreditText());
}

void kpInitGameGlobals() { kp_Glimmer_InitGlobals(); }

void kpMarkGameRoots() { gc_mark_q(kp_Glimmer_CreditText); }

Array<String> kp_Glimmer_MakeCreditText() {
    // The ticker shows every line but the last; "End" only marks the end of the list.
    static const char* const kLines[] = {
        "",
        "A Game by",
        "Hollyhop Games",
        "snowglobe-studio.example",
        "",
        "-=-=-",
        "",
        "Developed using",
        "Zephyr",
        "C++ with GLFW, OpenAL and stb",
        "",
        "-=-=-",
        "",
        "Graphics",
        "",
        "Most graphics by",
        "The Hollyhop Art Desk",
        "",
        "Font: Snowdrift Mono",
        "by the Hollyhop Type Shop",
        "Lowercase added by",
        "The Hollyhop Art Desk",
        "",
        "",
        "-=-=-",
        "",
        "Audio",
        "",
        "Sound and Music by",
        "The Hollyhop Sound Lab",
        "A little synth in C++",
        "SoX",
        "OpenAL Soft",
        "or whatever else",
        "was handy!",
        "",
        "",
        "-=-=-",
        "End",
    };
    constexpr int kCount = static_cast<int>(sizeof(kLines) / sizeof(kLines[0]));
    static_assert(kCount == 39, "the credits hold 39 lines, the last one \"End\"");
    Array<String> lines(kCount);
    for (int i = 0; i < kCount; ++i) lines[i] = String(kLines[i]);
    return lines;
}
