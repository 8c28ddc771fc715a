#include "tools/content/sounds.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "tools/content/synth.h"
#include "tools/content/wav_writer.h"

namespace content {

namespace {

constexpr float kLoudnessDb = -13.0f;   // RMS of every sound's loudest 50 ms
constexpr float kPeakDb = -3.0f;        // ceiling for every sample

// Note frequencies used below.
constexpr float C5 = 523.25f, D5 = 587.33f, E5 = 659.26f, G5 = 783.99f, A5 = 880.0f;
constexpr float C6 = 1046.5f, D6 = 1174.7f, E6 = 1318.5f, G6 = 1568.0f, A6 = 1760.0f, C7 = 2093.0f;

struct Effect {
    int slot;
    float seconds;
    std::function<void(Sound&)> draw;
};

const std::vector<Effect>& effects() {
    static const std::vector<Effect> list = {
        // Soft two-note chime.
        {1, 1.0f, [](Sound& s) { s.bell(0, C6, 1, 0.25f); s.bell(0.09f, G6, 0.7f, 0.25f); }},
        // Footstep: a muffled crunch in snow.
        {2, 0.09f, [](Sound& s) {
             s.noise(0, 0.08f, 1800, 700, 1.2f, 1.0f, 0.002f, 0.018f);
             s.tone(0, 0.08f, 120, 70, 0.5f, 0.002f, 0.025f);
         }},
        // Jump: a springy upward swoop with a glint on top.
        {3, 0.3f, [](Sound& s) {
             s.tone(0, 0.24f, 300, 900, 1.0f, 0.004f, 0.09f);
             s.tone(0, 0.24f, 600, 1800, 0.15f, 0.004f, 0.06f);
             s.bell(0.06f, G6, 0.25f, 0.06f);
         }},
        // Pick-up and tree lit: bright rising bell pair with a little shimmer.
        {4, 0.6f, [](Sound& s) {
             s.bell(0, E6, 1.0f, 0.16f);
             s.bell(0.07f, 1975.5f, 0.9f, 0.22f);
             s.jingle(0.05f, 0.15f, 0.15f, 11);
         }},
        // Climbing: a light knock on a wooden rung.
        {5, 0.08f, [](Sound& s) {
             s.tone(0, 0.07f, 540, 480, 1.0f, 0.001f, 0.014f);
             s.noise(0, 0.04f, 1400, 1400, 4, 0.5f, 0.001f, 0.008f);
         }},
        // Death: three sinking notes and a soft bump.
        {6, 0.95f, [](Sound& s) {
             s.tone(0.00f, 0.22f, 494, 470, 0.8f, 0.01f, 0.12f);
             s.tone(0.00f, 0.22f, 988, 940, 0.12f, 0.01f, 0.08f);
             s.tone(0.20f, 0.22f, 440, 415, 0.8f, 0.01f, 0.12f);
             s.tone(0.20f, 0.22f, 880, 830, 0.12f, 0.01f, 0.08f);
             s.tone(0.40f, 0.55f, 392, 250, 0.9f, 0.01f, 0.22f);
             s.tone(0.40f, 0.55f, 784, 500, 0.12f, 0.01f, 0.15f);
             s.tone(0, 0.2f, 130, 50, 0.6f, 0.002f, 0.06f);
         }},
        // Shuffling along a bar: a short metallic slide.
        {7, 0.1f, [](Sound& s) {
             s.noise(0, 0.09f, 3600, 2400, 6, 1.0f, 0.003f, 0.03f);
             s.tone(0, 0.09f, 2200, 2150, 0.25f, 0.001f, 0.03f);
         }},
        // Sleigh bells.
        {8, 0.75f, [](Sound& s) { s.jingle(0, 0.6f, 1.0f, 7); }},
        // Plunger tick: a woodblock.
        {9, 0.06f, [](Sound& s) {
             s.tone(0, 0.05f, 1800, 1700, 1.0f, 0.0005f, 0.008f);
             s.tone(0, 0.05f, 900, 880, 0.6f, 0.0005f, 0.012f);
         }},
        // Flip blocks changing: a quick sparkling arpeggio.
        {10, 0.35f, [](Sound& s) {
             const float notes[] = {G5, C6, E6, G6};
             for (int i = 0; i < 4; ++i) s.fm(i * 0.045f, 0.2f, notes[i], 2.0f, 1.5f, 0.7f, 0.06f);
         }},
        // Low bell.
        {11, 1.4f, [](Sound& s) { s.bell(0, 261.6f, 1.0f, 0.45f); }},
        // Snow poof.
        {12, 0.35f, [](Sound& s) { s.noise(0, 0.33f, 900, 300, 0.8f, 1.0f, 0.01f, 0.08f); }},
        // Twinkle.
        {13, 0.5f, [](Sound& s) {
             s.bell(0, 2637, 0.8f, 0.08f);
             s.bell(0.06f, 3136, 0.7f, 0.08f);
             s.bell(0.12f, 3520, 0.6f, 0.1f);
         }},
        // Launcher firing: a padded cannon thump.
        {14, 0.3f, [](Sound& s) {
             s.tone(0, 0.28f, 190, 55, 1.0f, 0.002f, 0.08f);
             s.noise(0, 0.15f, 900, 250, 1.5f, 0.8f, 0.002f, 0.04f);
         }},
        // Hazard breaking on a wall: ice shattering.
        {15, 0.45f, [](Sound& s) {
             s.noise(0, 0.2f, 4200, 2500, 2.5f, 1.0f, 0.001f, 0.05f);
             s.noise(0.03f, 0.15f, 6000, 5000, 4, 0.5f, 0.001f, 0.03f);
             const float tinkles[] = {3100, 4150, 3700, 5200, 4600};
             for (int i = 0; i < 5; ++i) s.tone(0.02f + i * 0.045f, 0.15f, tinkles[i], tinkles[i], 0.3f, 0.001f, 0.04f);
         }},
        // Music-box phrase.
        {16, 1.0f, [](Sound& s) {
             const float notes[] = {G5, C6, E6, G6};
             for (int i = 0; i < 4; ++i) s.bell(i * 0.14f, notes[i] * 2, 0.7f, 0.12f);
         }},
        // Last tree lit: a bell fanfare with sleigh bells.
        {17, 1.3f, [](Sound& s) {
             const float notes[] = {C6, E6, G6, C7};
             for (int i = 0; i < 4; ++i) s.bell(i * 0.1f, notes[i], i == 3 ? 1.0f : 0.8f, i == 3 ? 0.3f : 0.15f);
             s.jingle(0.05f, 0.8f, 0.25f, 17);
         }},
        // Cracker pop.
        {18, 0.25f, [](Sound& s) {
             s.noise(0, 0.1f, 2000, 800, 0.7f, 1.0f, 0.0005f, 0.02f);
             s.tone(0, 0.15f, 300, 90, 0.6f, 0.001f, 0.04f);
         }},
        // Harp glissando.
        {19, 1.0f, [](Sound& s) {
             const float notes[] = {C5, D5, E5, G5, A5, C6, D6, E6};
             for (int i = 0; i < 8; ++i) s.pluck(i * 0.05f, notes[i], 0.5f, 0.25f);
         }},
        // Stepping onto the open exit: a rising sparkle.
        {20, 0.9f, [](Sound& s) {
             const float notes[] = {C6, D6, E6, G6, A6, C7, 2349.3f, 2637.0f};
             for (int i = 0; i < 8; ++i) s.bell(i * 0.045f, notes[i], 0.55f + 0.04f * i, 0.1f);
             s.tone(0, 0.4f, 500, 2000, 0.2f, 0.05f, 0.15f);
         }},
        // Tick-tock.
        {21, 0.45f, [](Sound& s) {
             s.tone(0, 0.05f, 1500, 1450, 1.0f, 0.0005f, 0.01f);
             s.tone(0.25f, 0.05f, 1100, 1060, 1.0f, 0.0005f, 0.01f);
         }},
        // Glockenspiel chord.
        {22, 1.0f, [](Sound& s) { s.bell(0, C6, 0.6f, 0.25f); s.bell(0, E6, 0.5f, 0.25f); s.bell(0, G6, 0.5f, 0.25f); }},
        // The hero dropping in: a whoosh that lands half a second later with a soft bump.
        {23, 0.75f, [](Sound& s) {
             s.noise(0, 0.5f, 500, 2600, 2.0f, 0.8f, 0.35f, 0.12f);
             s.tone(0.5f, 0.2f, 150, 60, 1.0f, 0.002f, 0.05f);
             s.bell(0.5f, G6, 0.25f, 0.06f);
         }},
        // The exit burst: a shimmering chord that swells and rings out.
        {24, 1.5f, [](Sound& s) {
             const float chord[] = {C5, E5, G5, C6};
             for (int i = 0; i < 4; ++i) s.tone(0, 1.5f, chord[i], chord[i] * 1.003f, 0.3f, 0.25f, 0.45f);
             for (int i = 0; i < 6; ++i) s.bell(0.05f + i * 0.09f, (i % 2 ? E6 : G6) * (1 + i / 6.0f), 0.35f, 0.12f);
             s.jingle(0.1f, 0.9f, 0.2f, 24);
         }},
        // A single jingle bell.
        {25, 0.4f, [](Sound& s) { s.bell(0, C7, 1.0f, 0.1f); s.jingle(0, 0.08f, 0.3f, 25); }},
        // Soft gong.
        {26, 1.4f, [](Sound& s) { s.fm(0, 1.4f, 110, 1.4f, 3.0f, 1.0f, 0.45f); }},
        // Kalimba pluck.
        {27, 0.6f, [](Sound& s) { s.fm(0, 0.6f, A5, 5.4f, 0.8f, 1.0f, 0.15f); s.tone(0, 0.6f, A5, A5, 0.5f, 0.002f, 0.18f); }},
        // Bubble pop.
        {28, 0.12f, [](Sound& s) { s.tone(0, 0.1f, 400, 1400, 1.0f, 0.002f, 0.03f); }},
        // Toy horn: toot-toot.
        {95, 0.6f, [](Sound& s) {
             s.fm(0, 0.2f, 392, 1.0f, 2.0f, 0.8f, 0.12f);
             s.fm(0.25f, 0.3f, 523, 1.0f, 2.0f, 0.8f, 0.15f);
         }},
        // Menu confirm: a soft bell blip.
        {98, 0.2f, [](Sound& s) {
             s.bell(0, G6, 1.0f, 0.06f);
             s.tone(0, 0.12f, G5, G5, 0.5f, 0.002f, 0.04f);
         }},
        // Credits: three bell notes over sleigh bells.
        {99, 1.1f, [](Sound& s) {
             s.bell(0, E6, 0.8f, 0.1f);
             s.bell(0.15f, E6, 0.8f, 0.1f);
             s.bell(0.3f, E6, 0.9f, 0.25f);
             s.jingle(0, 0.9f, 0.35f, 99);
         }},
    };
    return list;
}

}  // namespace

bool writeSounds(const std::string& dataDir) {
    const std::filesystem::path dir = std::filesystem::path(dataDir) / "sfx";
    std::filesystem::create_directories(dir);
    bool ok = true;
    for (const Effect& e : effects()) {
        Sound s(e.seconds);
        e.draw(s);
        char name[16];
        std::snprintf(name, sizeof name, "%03d.wav", e.slot);
        ok = writeWav((dir / name).string(), finishSound(std::move(s), kLoudnessDb, kPeakDb), 1, kSampleRate) && ok;
    }
    return ok;
}

}  // namespace content
