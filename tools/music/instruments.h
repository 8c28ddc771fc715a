// Instrument samples of the demonstration song, synthesised: two drum kits of
// one-shot hits and three pitched, seamlessly loopable tones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace music_demo {

constexpr int kSampleRate = 44100;

// One instrument: the file name under data/ and its 16-bit mono samples.
struct Instrument {
    std::string file;
    std::vector<int16_t> samples;
};

// Every instrument the song names: inst/d1-1.wav .. inst/d1-8.wav, inst/d2-1.wav ..
// inst/d2-8.wav, inst/lead1.wav, inst/accompany1.wav and inst/bass1.wav.
std::vector<Instrument> SynthesiseInstruments();

// Pitch of note 13 of each pitched instrument, in hertz.
constexpr double kLeadHz = 523.2511;         // C5
constexpr double kAccompanimentHz = 261.6256;  // C4 (root of the triad)
constexpr double kBassHz = 65.4064;          // C2

}  // namespace music_demo
