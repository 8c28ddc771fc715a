#include "tools/content/synth.h"

#include <algorithm>
#include <cmath>

namespace content {

namespace {

constexpr float kTwoPi = 6.28318530717959f;

float envelope(float t, float attack, float decay) {
    if (t < 0) return 0;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / decay);
}

// Fades the last 5 ms of a voice so that cutting it off never clicks.
float tail(size_t i, size_t n) {
    constexpr size_t kTaper = kSampleRate / 200;
    const size_t left = n - i;
    return left >= kTaper ? 1.0f : float(left) / kTaper;
}

// Two-pole resonant band-pass (state-variable filter).
struct BandPass {
    float low = 0, band = 0;
    float step(float in, float centre, float q) {
        const float f = 2.0f * std::sin(3.14159265f * std::min(centre, kSampleRate * 0.2f) / kSampleRate);
        const float damp = 1.0f / q;
        low += f * band;
        const float high = in - low - damp * band;
        band += f * high;
        return band;
    }
};

}  // namespace

float Noise::next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return float(state_) / 2147483648.0f - 1.0f;
}

Sound::Sound(float seconds) : samples_(size_t(seconds * kSampleRate), 0.0f) {}

void Sound::tone(float at, float dur, float f0, float f1, float amp, float attack, float decay) {
    const size_t start = size_t(at * kSampleRate), n = size_t(dur * kSampleRate);
    float phase = 0;
    for (size_t i = 0; i < n && start + i < samples_.size(); ++i) {
        const float t = float(i) / kSampleRate;
        const float f = f0 * std::pow(f1 / f0, t / dur);
        phase += kTwoPi * f / kSampleRate;
        samples_[start + i] += amp * envelope(t, attack, decay) * tail(i, n) * std::sin(phase);
    }
}

void Sound::bell(float at, float freq, float amp, float decay) {
    // Partials of a small struck bell (relative frequency, level, relative decay).
    const float partials[][3] = {{0.5f, 0.25f, 1.2f}, {1.0f, 1.0f, 1.0f}, {1.19f, 0.35f, 0.7f},
                                 {1.56f, 0.3f, 0.55f}, {2.0f, 0.35f, 0.45f}, {2.51f, 0.2f, 0.3f},
                                 {3.0f, 0.12f, 0.25f}};
    for (const auto& p : partials) {
        const float f = freq * p[0];
        if (f > kSampleRate * 0.45f) continue;
        tone(at, decay * p[2] * 6.0f, f, f, amp * p[1] * 0.45f, 0.002f, decay * p[2]);
    }
}

void Sound::fm(float at, float dur, float freq, float ratio, float index, float amp, float decay) {
    const size_t start = size_t(at * kSampleRate), n = size_t(dur * kSampleRate);
    for (size_t i = 0; i < n && start + i < samples_.size(); ++i) {
        const float t = float(i) / kSampleRate;
        const float env = envelope(t, 0.003f, decay) * tail(i, n);
        const float mod = index * env * std::sin(kTwoPi * freq * ratio * t);
        samples_[start + i] += amp * env * std::sin(kTwoPi * freq * t + mod);
    }
}

void Sound::noise(float at, float dur, float centre0, float centre1, float q, float amp, float attack, float decay) {
    const size_t start = size_t(at * kSampleRate), n = size_t(dur * kSampleRate);
    Noise rng(uint32_t(centre0 * 7 + dur * 1000 + at * 100000));
    BandPass bp;
    for (size_t i = 0; i < n && start + i < samples_.size(); ++i) {
        const float t = float(i) / kSampleRate;
        const float centre = centre0 * std::pow(centre1 / centre0, t / dur);
        samples_[start + i] += amp * envelope(t, attack, decay) * tail(i, n) * bp.step(rng.next(), centre, q);
    }
}

void Sound::jingle(float at, float dur, float amp, uint32_t seed) {
    Noise rng(seed);
    const int hits = int(dur * 40);
    for (int h = 0; h < hits; ++h) {
        const float t = at + dur * (float(h) / hits) + 0.01f * rng.next();
        const float fade = 1.0f - 0.6f * float(h) / hits;
        const float base = 2600 + 900 * rng.next();
        for (int k = 0; k < 3; ++k) {
            const float f = base * (1.0f + 0.47f * k) * (1.0f + 0.01f * rng.next());
            tone(std::max(0.0f, t), 0.12f, f, f, amp * fade * (0.5f - 0.12f * k), 0.0008f, 0.025f);
        }
        noise(std::max(0.0f, t), 0.03f, 7000, 7000, 3, amp * fade * 0.6f, 0.0005f, 0.008f);
    }
}

void Sound::pluck(float at, float freq, float amp, float decay) {
    const size_t start = size_t(at * kSampleRate);
    const size_t period = std::max<size_t>(2, size_t(kSampleRate / freq));
    std::vector<float> line(period);
    Noise rng(uint32_t(freq * 13 + at * 1000));
    for (float& v : line) v = rng.next();
    const size_t n = size_t(decay * 5 * kSampleRate);
    float prev = 0;
    for (size_t i = 0; i < n && start + i < samples_.size(); ++i) {
        const size_t k = i % period;
        const float out = line[k];
        line[k] = 0.5f * (out + prev) * 0.996f;
        prev = out;
        const float t = float(i) / kSampleRate;
        samples_[start + i] += amp * out * std::exp(-t / decay) * tail(i, n);
    }
}

std::vector<int16_t> finishSound(Sound s, float targetRmsDb, float peakCeilingDb) {
    std::vector<float>& x = s.samples();
    // Remove DC with a gentle high-pass.
    float prevIn = 0, prevOut = 0;
    for (float& v : x) {
        const float out = v - prevIn + 0.995f * prevOut;
        prevIn = v;
        prevOut = out;
        v = out;
    }
    // Fades: 3 ms in, 12 ms out, so neither end clicks.
    const size_t fadeIn = kSampleRate * 3 / 1000, fadeOut = kSampleRate * 12 / 1000;
    for (size_t i = 0; i < x.size(); ++i) {
        float g = 1;
        if (i < fadeIn) g = float(i) / fadeIn;
        if (i + fadeOut > x.size()) g = std::min(g, float(x.size() - i) / fadeOut);
        x[i] *= g;
    }
    // Loudness: RMS of the loudest 50 ms window.
    const size_t win = kSampleRate / 20;
    double sum = 0, loudest = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        sum += double(x[i]) * x[i];
        if (i >= win) sum -= double(x[i - win]) * x[i - win];
        loudest = std::max(loudest, sum / double(std::min(i + 1, win)));
    }
    float peak = 0;
    for (float v : x) peak = std::max(peak, std::fabs(v));
    const float rms = float(std::sqrt(loudest));
    const float target = std::pow(10.0f, targetRmsDb / 20.0f), ceiling = std::pow(10.0f, peakCeilingDb / 20.0f);
    const float gain = (rms > 0 && peak > 0) ? std::min(target / rms, ceiling / peak) : 0.0f;
    std::vector<int16_t> out(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        out[i] = int16_t(std::lround(std::clamp(x[i] * gain, -1.0f, 1.0f) * 32767.0f));
    return out;
}

}  // namespace content
