#include "tools/music/instruments.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace music_demo {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPeak = 0.7;  // loudest sample after normalising, of full scale

using Signal = std::vector<double>;

// Deterministic white noise in -1..1, so the files are the same on every run.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / 8388608.0 - 1.0;
    }

private:
    uint32_t state_;
};

Signal Render(double seconds, const std::function<double(double)>& at) {
    Signal out(static_cast<size_t>(seconds * kSampleRate));
    for (size_t i = 0; i < out.size(); ++i) out[i] = at(static_cast<double>(i) / kSampleRate);
    return out;
}

// Noise through a one-pole high-pass (cut off lows) and low-pass (cut off
// highs); `high` and `low` are the filter coefficients 0..1.
Signal FilteredNoise(double seconds, uint32_t seed, double high, double low) {
    Noise noise(seed);
    Signal out(static_cast<size_t>(seconds * kSampleRate));
    double prevIn = 0, hp = 0, lp = 0;
    for (double& s : out) {
        const double in = noise.Next();
        hp = high * (hp + in - prevIn);
        prevIn = in;
        lp += low * (hp - lp);
        s = lp;
    }
    return out;
}

// A sine whose frequency glides exponentially from `from` to `to` hertz.
Signal Sweep(double seconds, double from, double to, double glide) {
    Signal out(static_cast<size_t>(seconds * kSampleRate));
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        phase += kTwoPi * (to + (from - to) * std::exp(-t / glide)) / kSampleRate;
        out[i] = std::sin(phase);
    }
    return out;
}

void ApplyEnvelope(Signal& s, double attack, double decay) {
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double rise = attack > 0 ? std::min(1.0, t / attack) : 1.0;
        s[i] *= rise * std::exp(-t / decay);
    }
}

Signal Mix(const Signal& a, double ga, const Signal& b, double gb) {
    Signal out(std::max(a.size(), b.size()), 0.0);
    for (size_t i = 0; i < a.size(); ++i) out[i] += ga * a[i];
    for (size_t i = 0; i < b.size(); ++i) out[i] += gb * b[i];
    return out;
}

// Inharmonic partials of a small bell or jingle, each with its own decay.
Signal Partials(double seconds, std::initializer_list<double> hertz, double decay) {
    return Render(seconds, [&](double t) {
        double v = 0;
        int n = 0;
        for (double f : hertz) {
            v += std::sin(kTwoPi * f * t) * std::exp(-t * (1.0 + 0.6 * n) / decay) / (1.0 + 0.4 * n);
            ++n;
        }
        return v;
    });
}

// Several jingles struck a few milliseconds apart, as a shaken strap of bells.
Signal Jingles(double seconds, int count, uint32_t seed, double decay) {
    Noise pick(seed);
    Signal out(static_cast<size_t>(seconds * kSampleRate), 0.0);
    for (int j = 0; j < count; ++j) {
        const double start = 0.012 * j + 0.004 * (pick.Next() + 1);
        const double base = 2600 + 900 * (pick.Next() + 1);
        Signal one = Partials(seconds - start, {base, base * 1.47, base * 2.09, base * 2.56}, decay);
        const size_t offset = static_cast<size_t>(start * kSampleRate);
        for (size_t i = 0; i < one.size() && offset + i < out.size(); ++i) out[offset + i] += one[i];
    }
    return out;
}

// A looped tone: `partials` are (ratio, gain) of the fundamental, each rounded
// to a whole number of cycles in the buffer so that the loop has no seam.
Signal LoopedTone(double hertz, std::initializer_list<std::pair<double, double>> partials) {
    const int cycles = static_cast<int>(std::lround(hertz));  // about one second of sound
    const size_t length = static_cast<size_t>(std::lround(cycles * static_cast<double>(kSampleRate) / hertz));
    Signal out(length, 0.0);
    for (const auto& [ratio, gain] : partials) {
        const double partialCycles = std::round(ratio * cycles);
        for (size_t i = 0; i < length; ++i) {
            out[i] += gain * std::sin(kTwoPi * partialCycles * static_cast<double>(i) / static_cast<double>(length));
        }
    }
    return out;
}

std::vector<int16_t> ToPcm(const Signal& s) {
    double peak = 1e-9;
    for (double v : s) peak = std::max(peak, std::fabs(v));
    std::vector<int16_t> out(s.size());
    for (size_t i = 0; i < s.size(); ++i) out[i] = static_cast<int16_t>(std::lround(s[i] / peak * kPeak * 32767.0));
    return out;
}

Signal Kick() {
    Signal body = Sweep(0.4, 150, 45, 0.04);
    ApplyEnvelope(body, 0.001, 0.14);
    Signal click = FilteredNoise(0.01, 11, 0.5, 0.5);
    ApplyEnvelope(click, 0, 0.002);
    return Mix(body, 1.0, click, 0.3);
}

Signal Snare() {
    Signal rattle = FilteredNoise(0.3, 12, 0.9, 0.6);
    ApplyEnvelope(rattle, 0.001, 0.08);
    Signal tone = Sweep(0.3, 230, 180, 0.02);
    ApplyEnvelope(tone, 0.001, 0.05);
    return Mix(rattle, 0.8, tone, 0.6);
}

Signal Clap() {
    Signal out(static_cast<size_t>(0.3 * kSampleRate), 0.0);
    for (int burst = 0; burst < 4; ++burst) {
        Signal b = FilteredNoise(0.3, 20 + burst, 0.8, 0.4);
        ApplyEnvelope(b, 0.0005, burst == 3 ? 0.07 : 0.008);
        const size_t offset = static_cast<size_t>(0.011 * burst * kSampleRate);
        for (size_t i = 0; offset + i < out.size(); ++i) out[offset + i] += b[i];
    }
    return out;
}

Signal Tom(double from, double to) {
    Signal s = Sweep(0.45, from, to, 0.08);
    ApplyEnvelope(s, 0.001, 0.18);
    return s;
}

Signal Cymbal(double seconds, uint32_t seed, double decay) {
    Signal s = FilteredNoise(seconds, seed, 0.97, 0.9);
    ApplyEnvelope(s, 0.001, decay);
    return s;
}

Signal Rim() {
    Signal s = Partials(0.08, {1700, 820}, 0.012);
    return s;
}

Signal Shaker() {
    Signal s = FilteredNoise(0.14, 31, 0.95, 0.5);
    ApplyEnvelope(s, 0.012, 0.035);
    return s;
}

Signal Tambourine() {
    Signal rattle = FilteredNoise(0.35, 41, 0.96, 0.8);
    ApplyEnvelope(rattle, 0.001, 0.09);
    return Mix(rattle, 0.6, Jingles(0.35, 3, 42, 0.1), 0.5);
}

Signal Woodblock() {
    Signal s = Partials(0.12, {940, 2610}, 0.025);
    return s;
}

}  // namespace

std::vector<Instrument> SynthesiseInstruments() {
    std::vector<Instrument> out;
    auto add = [&](const std::string& file, const Signal& s) { out.push_back({file, ToPcm(s)}); };

    // Kit 1: the beat.
    add("inst/d1-1.wav", Kick());
    add("inst/d1-2.wav", Snare());
    add("inst/d1-3.wav", Clap());
    add("inst/d1-4.wav", Tom(120, 85));
    add("inst/d1-5.wav", Tom(190, 140));
    add("inst/d1-6.wav", Cymbal(1.4, 16, 0.45));
    add("inst/d1-7.wav", Rim());
    add("inst/d1-8.wav", Partials(1.5, {1244, 3420, 5310, 7020}, 0.7));  // triangle

    // Kit 2: hats and Christmas percussion.
    add("inst/d2-1.wav", Cymbal(0.12, 21, 0.018));    // closed hat
    add("inst/d2-2.wav", Cymbal(0.5, 22, 0.14));      // open hat
    add("inst/d2-3.wav", Shaker());
    add("inst/d2-4.wav", Mix(Jingles(0.5, 6, 24, 0.09), 1.0, Cymbal(0.5, 25, 0.06), 0.25));  // sleigh bells
    add("inst/d2-5.wav", Tambourine());
    add("inst/d2-6.wav", Jingles(0.2, 2, 26, 0.05));
    add("inst/d2-7.wav", Woodblock());
    add("inst/d2-8.wav", Partials(2.0, {1046.5, 2888, 5651, 9345}, 0.9));  // chime

    // Pitched and looped: note 13 sounds at the named pitch.
    add("inst/lead1.wav",  // bell-like: bright, slightly inharmonic upper partials
        LoopedTone(kLeadHz, {{1.0, 1.0}, {1.0 + 1.0 / 523, 0.35}, {2.0, 0.45}, {3.0, 0.18}, {4.2, 0.12}, {5.4, 0.05}}));
    add("inst/accompany1.wav",  // soft plucked major triad
        LoopedTone(kAccompanimentHz, {{1.0, 0.8}, {1.25, 0.6}, {1.5, 0.6}, {2.0, 0.35}, {2.5, 0.15}, {3.0, 0.12},
                                      {0.5, 0.25}}));
    add("inst/bass1.wav",  // round bass
        LoopedTone(kBassHz, {{1.0, 1.0}, {2.0, 0.35}, {3.0, 0.1}}));
    return out;
}

}  // namespace music_demo
