// A small synthesiser for the sound effects: oscillators, bells, filtered noise and
// envelopes mixed into a mono float buffer, then levelled and faded for writing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace content {

constexpr int kSampleRate = 44100;

// Mono float samples at kSampleRate.
class Sound {
public:
    explicit Sound(float seconds);

    size_t size() const { return samples_.size(); }
    float seconds() const { return float(samples_.size()) / kSampleRate; }
    std::vector<float>& samples() { return samples_; }
    const std::vector<float>& samples() const { return samples_; }

    // Each adds into the buffer starting at `at` seconds.
    // A sine whose pitch glides exponentially from f0 to f1, with an attack/exponential-decay envelope.
    void tone(float at, float dur, float f0, float f1, float amp, float attack, float decay);
    // Tuned-percussion bell: inharmonic partials that die away at different rates.
    void bell(float at, float freq, float amp, float decay);
    // Simple FM: carrier f with a modulator at ratio * f and the given index, decaying.
    void fm(float at, float dur, float freq, float ratio, float index, float amp, float decay);
    // Band-passed noise (centre hz, q) with an attack/decay envelope; centre may glide.
    void noise(float at, float dur, float centre0, float centre1, float q, float amp, float attack, float decay);
    // Sleigh-bell shake: a cluster of tiny metallic jingles.
    void jingle(float at, float dur, float amp, uint32_t seed);
    // A plucked string (Karplus-Strong).
    void pluck(float at, float freq, float amp, float decay);

private:
    std::vector<float> samples_;
};

// Levels a sound for writing: removes DC, fades the ends (no clicks), scales it so that its
// loudest 50 ms reach the target level while the peak stays under the ceiling, and converts.
std::vector<int16_t> finishSound(Sound s, float targetRmsDb, float peakCeilingDb);

// Deterministic noise source in -1..1.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed ? seed : 1) {}
    float next();

private:
    uint32_t state_;
};

}  // namespace content
