// The game's Christmas song for the music generator: its pattern image and
// instruments under ./data/ (written by the music tool, tools/music).
#pragma once

class c_SGPlayer;

constexpr const char* kSongImagePath = "music/demo_song.png";
constexpr int kSongKit = 1;          // inst/d1-*.wav, lead1, accompany1, bass1
constexpr int kSongJingleKit = 2;    // inst/d2-*.wav
constexpr float kSongVolume = 0.5f;  // the generator's own master volume, at full music volume

// Sets the generator up to play the song from `songSeed` and starts its loading.
void kp_Glimmer_ConfigureSong(c_SGPlayer* music, int songSeed);
