// The music generator driven by the whole game on the test host, with the
// switch on and the demonstration song (or hand-written rows of pattern 0).
// Suites named Display* need a display: patterns decode only through GL.
#include <AL/al.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "game/music/sg_player.h"
#include "tests/music/music_harness.h"

namespace {

constexpr int kLead = 2, kChords = 3, kBass = 4;
int ChannelOf(int track) { return 32 - 1 - track; }

// A harness past loading, at the start of a section, with an empty song.
struct Ready {
    MusicHarness h;
    Ready() {
        h.FinishLoading();
        for (int i = 0; i < h.music().m_songData.Length(); ++i) h.music().m_songData[i] = 0;
        h.RunToSectionStart();
    }
    c_SGPlayer& m() { return h.music(); }
};

// ---- loading ----

TEST(SGPlayerLoading, SeventyStepsThreePerRenderFrameAndEverySampleByItsName) {
    MusicHarness h;
    c_SGPlayer& m = h.music();
    EXPECT_EQ(m.m_baseChannel, 32) << "creating the application sets the channel base";
    std::vector<int> steps = {m.m_loadingStep};  // the first render ran inside Start
    for (int frame = 0; frame < 40 && m.m_loadingStep != 0; ++frame) {
        const int before = m.m_loadingStep;
        h.host().StepWithoutRender();
        EXPECT_EQ(m.m_loadingStep, before) << "updates do not load";
        h.host().Render();
        steps.push_back(m.m_loadingStep);
    }
    std::vector<int> expected;
    for (int step = 4; step <= 70; step += 3) expected.push_back(step);
    expected.push_back(0);
    EXPECT_EQ(steps, expected) << "loading step after each render frame";
    EXPECT_EQ(m.m_nextTickTime, h.host().Millisecs() + 100) << "every step pushes the first row 100 ms ahead";

    for (int slot = 1; slot <= 8; ++slot) {
        EXPECT_NE(m.m_kitA.Get(slot), nullptr) << "inst/d1-" << slot << ".wav";
        EXPECT_NE(m.m_kitB.Get(slot), nullptr) << "inst/d2-" << slot << ".wav";
    }
    EXPECT_EQ(m.m_kitA.Get(0), nullptr);
    for (int t : {kLead, kChords, kBass}) EXPECT_NE(m.m_instruments.Get(t), nullptr) << "instrument of track " << t;
}

TEST(SGPlayerLoading, MissingFilesLeaveTheirSlotsEmptyAndTheirNotesSilent) {
    MusicHarnessOptions options;
    MusicHarness h(options);
    h.music().m_kitNumbers[2] = 9;  // no inst/d9-*.wav
    h.music().m_kitNumbers[5] = 9;  // no inst/bass9.wav
    h.FinishLoading();
    for (int slot = 1; slot <= 8; ++slot) EXPECT_EQ(h.music().m_kitB.Get(slot), nullptr) << slot;
    EXPECT_EQ(h.music().m_instruments.Get(kBass), nullptr);
    h.RunToSectionStart();
    PutRow(h.music(), 1, 1, 13, 30);
    PutRow(h.music(), kBass, 1, 13, 30);
    ASSERT_TRUE(h.PlayRows(1));
    EXPECT_EQ(h.music().m_sounding[1], 0);
    EXPECT_EQ(h.music().m_sounding[kBass], 0);
    EXPECT_EQ(kp_audio_device->channels[ChannelOf(1)].state, kChannelStopped);
    EXPECT_EQ(kp_audio_device->channels[ChannelOf(kBass)].state, kChannelStopped);
}

// ---- playback ----

TEST(SGPlayerPlayback, SixtyFourRowsTakeTheTemposTime) {
    struct Case { int tempo; double millis; };
    // Each row is due trunc(8000 / tempo) ms after the previous due time.
    for (Case c : {Case{95, 64 * 84.0}, Case{190, 64 * 42.0}, Case{60, 64 * 133.0}}) {
        Ready r;
        r.m().m_tempo = c.tempo;
        r.h.RunToSectionStart();
        const double start = r.h.host().ClockMillis();
        ASSERT_TRUE(r.h.RunToSectionStart());
        const double took = r.h.host().ClockMillis() - start;
        EXPECT_NEAR(took, c.millis, 1000.0 / 60) << "tempo " << c.tempo;
    }
}

TEST(SGPlayerPlayback, NotesOfEveryTrackPlayOnChannels31To27) {
    Ready r;
    c_SGPlayer& m = r.m();
    PutRow(m, 0, 2, 13, 30);       // kick
    PutRow(m, 1, 2, 15, 30);       // kit 2, slot 2
    PutRow(m, kLead, 2, 13, 30);
    PutRow(m, kChords, 2, 18, 30);
    PutRow(m, kBass, 2, 25, 30);
    ASSERT_TRUE(r.h.PlayRows(3));
    struct Case { int track; c_Sound* sound; int looping; float pitch; };
    const Case cases[] = {{0, m.m_kitA.Get(1), 0, 1.0f},
                          {1, m.m_kitB.Get(2), 0, 1.0f},
                          {kLead, m.m_instruments.Get(kLead), 1, 1.0f},
                          {kChords, m.m_instruments.Get(kChords), 1, 1.335f},
                          {kBass, m.m_instruments.Get(kBass), 1, 2.0f}};
    for (const Case& c : cases) {
        const int channel = ChannelOf(c.track);
        ASSERT_TRUE(ChannelHasSource(channel)) << "track " << c.track;
        EXPECT_EQ(kp_audio_device->channels[channel].sample, SampleOf(c.sound)) << "track " << c.track;
        EXPECT_EQ(kp_audio_device->channels[channel].flags != 0, c.looping != 0) << "track " << c.track;
        EXPECT_EQ(m.m_sounding[c.track], 1) << "track " << c.track;
        EXPECT_FLOAT_EQ(ChannelPitch(channel), c.pitch) << "track " << c.track;
    }
    float position[3] = {0, 0, 0};
    alGetSourcefv(kp_audio_device->channels[ChannelOf(0)].source, AL_POSITION, position);
    EXPECT_NEAR(position[0], std::sin(-0.35f), 1e-5) << "kit 1 sits left";
    alGetSourcefv(kp_audio_device->channels[ChannelOf(1)].source, AL_POSITION, position);
    EXPECT_NEAR(position[0], std::sin(0.35f), 1e-5) << "kit 2 sits right";
}

TEST(SGPlayerPlayback, VolumeColumnSetsTheGainAnd31Silences) {
    struct Case { int volume; float gain; };
    const Case cases[] = {{1, 0.0f}, {15, 0.5f * 14 / 29}, {30, 0.5f}, {31, 0.0f}};
    Ready r;
    for (const Case& c : cases) {
        PutRow(r.m(), kLead, r.m().m_row, 13, c.volume);  // the row due next
        ASSERT_TRUE(r.h.PlayRows(1));
        EXPECT_FLOAT_EQ(ChannelGain(ChannelOf(kLead)), c.gain) << "volume " << c.volume;
        EXPECT_EQ(kp_audio_device->ChannelState(ChannelOf(kLead)), kChannelPlaying) << "volume " << c.volume;
    }
}

TEST(SGPlayerPlayback, HeldNotesFadeOnceTheEnvelopeDropsBelowOne) {
    Ready r;
    PutRow(r.m(), kLead, 1, 13, 30);
    ASSERT_TRUE(r.h.PlayRows(2));
    std::vector<float> gains;
    for (int row = 0; row < 8; ++row) {
        ASSERT_TRUE(r.h.PlayRows(1));
        gains.push_back(ChannelGain(ChannelOf(kLead)));
    }
    // 1.5 after the note, minus 0.1 a row: held while not below 1, then multiplied down.
    for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(gains[i], 0.5f) << "row " << i + 2;
    float expected = 1.0f;
    for (int i = 5; i < 8; ++i) {
        expected *= 1.5f - 0.1f * (i + 1);
        EXPECT_NEAR(gains[i], 0.5f * expected, 0.02f) << "row " << i + 2;
    }
    EXPECT_EQ(kp_audio_device->ChannelState(ChannelOf(kLead)), kChannelPlaying) << "the sample keeps looping";
}

TEST(SGPlayerPlayback, PitchEffectsSlideAndClamp) {
    struct Case { int effect; int parameter; int rows; float pitch; };
    const Case cases[] = {{1, 9, 3, 1.0f + 3 * 9 / 180.0f}, {2, 9, 3, 1.0f - 3 * 9 / 180.0f},
                          {3, 15, 5, 4.0f}, {4, 15, 5, 0.25f}, {7, 15, 5, 1.0f}};
    for (const Case& c : cases) {
        Ready r;
        PutRow(r.m(), kLead, 0, 13, 30);
        for (int row = 1; row <= c.rows; ++row) PutRow(r.m(), kLead, row, 0, 0, c.effect, c.parameter);
        r.h.RunToSectionStart();
        ASSERT_TRUE(r.h.PlayRows(c.rows + 1));
        EXPECT_NEAR(ChannelPitch(ChannelOf(kLead)), c.pitch, 1e-5) << "effect " << c.effect;
    }
}

TEST(SGPlayerPlayback, PatternBreakEndsTheSectionForAllTracks) {
    Ready r;
    c_SGPlayer& m = r.m();
    PutRow(m, kChords, 10, 0, 0, kSGEffectPatternBreak);
    PutRow(m, kBass, 0, 20, 30);
    const int loops = m.m_loopCounter;
    std::vector<int> rows;
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(r.h.PlayRows(1));
        rows.push_back(m.m_row);
    }
    EXPECT_EQ(rows, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 1})) << "row after each tick";
    EXPECT_TRUE(m.m_loopCounter == loops - 1 || m.m_loopCounter == 2 || m.m_loopCounter == 4)
        << "a new section started: loop counter " << m.m_loopCounter << " was " << loops;
    EXPECT_FLOAT_EQ(ChannelPitch(ChannelOf(kBass)), 1.498f) << "row 0 of the bass followed the break";
}

TEST(SGPlayerPlayback, PatternSkipFollowsTheLoopCounter) {
    struct Case { int loopCounter; int parameter; int from; int to; };
    const Case cases[] = {{1, 1, 0, 1}, {3, 1, 0, 1}, {2, 1, 0, 0}, {2, 2, 1, 0}, {1, 2, 1, 1}};
    for (const Case& c : cases) {
        Ready r;
        c_SGPlayer& m = r.m();
        while (m.m_row != kSGRows - 1) ASSERT_TRUE(r.h.PlayRows(1));
        m.m_pattern[kLead] = c.from;
        m.m_loopCounter = c.loopCounter + 1;  // the section start below takes one off
        for (int p : {0, 1}) {
            m.m_songData[SongIndex(p, kLead, 0, kSGNote)] = p == 0 ? 13 : 20;
            m.m_songData[SongIndex(p, kLead, 0, kSGVolume)] = 30;
            m.m_songData[SongIndex(p, kLead, 0, kSGEffect)] = kSGEffectPatternSkip;
            m.m_songData[SongIndex(p, kLead, 0, kSGParameter)] = c.parameter;
        }
        // Play the last row of this section and row 0 of the next.
        ASSERT_TRUE(r.h.PlayRows(2));
        EXPECT_EQ(m.m_pattern[kLead], c.to) << "loop counter " << c.loopCounter << ", parameter " << c.parameter;
        EXPECT_FLOAT_EQ(ChannelPitch(ChannelOf(kLead)), c.to == 0 ? 1.0f : 1.498f) << "the row of the new pattern";
    }
}

TEST(SGPlayerPlayback, ChordStringTransposesSectionBySection) {
    struct Case { const char* chords; float transposeNext; const char* leftNext; };
    const Case cases[] = {{"", 1.0f, ""}, {"qj", 0.891f, "j"}, {"jzq", 0.5f, "zq"}};
    for (const Case& c : cases) {
        Ready r;
        c_SGPlayer& m = r.m();
        m.m_chordString = String(c.chords);
        PutRow(m, kLead, 0, 20, 30);
        ASSERT_TRUE(r.h.RunToSectionStart());
        ASSERT_TRUE(r.h.PlayRows(1));
        EXPECT_EQ(m.m_chordString.ToCString(), c.leftNext) << "chords \"" << c.chords << "\"";
        EXPECT_FLOAT_EQ(m.m_transpose, c.transposeNext) << "chords \"" << c.chords << "\"";
        EXPECT_FLOAT_EQ(ChannelPitch(ChannelOf(kLead)), 1.498f * c.transposeNext) << "chords \"" << c.chords << "\"";
    }
    // A single character left draws a new chord string from the table (chords 0-4) at the next section.
    Ready r;
    r.m().m_chordString = String("q");
    ASSERT_TRUE(r.h.RunToSectionStart());
    const std::string drawn = r.m().m_chordString.ToCString();
    bool fromTable = false;
    for (int i = 0; i < 5; ++i) fromTable |= r.m().p_SG_GetChord(i).ToCString() == drawn;
    EXPECT_TRUE(fromTable) << "drawn \"" << drawn << "\"";
}

// ---- arrangement ----

struct SectionRecord {
    std::vector<int> values;
    std::string chords;
    bool operator==(const SectionRecord& o) const { return values == o.values && chords == o.chords; }
};

std::vector<SectionRecord> Arrange(int seed, int sections) {
    MusicHarnessOptions options;
    options.seed = seed;
    MusicHarness h(options);
    h.FinishLoading();
    c_SGPlayer& m = h.music();
    const int last[5] = {2, 2, 3, 2, 2};  // as the demonstration song decodes
    for (int t = 0; t < 5; ++t) m.m_lastPattern[t] = last[t];
    m.m_chordString = String("q");
    std::vector<SectionRecord> out;
    for (int s = 0; s < sections && h.RunToSectionStart(); ++s) {
        SectionRecord rec;
        rec.values = {m.m_section, m.m_loopCounter};
        for (int t = 0; t < 5; ++t) {
            for (int v : {m.m_pattern[t], m.m_muted[t], m.m_nextMuted[t], m.m_leadIn[t]}) rec.values.push_back(v);
            EXPECT_LE(m.m_pattern[t], last[t]) << "track " << t << ", section " << s;
        }
        EXPECT_FALSE(m.m_muted[0] == 1 && m.m_muted[1] == 1) << "both drum tracks muted, section " << s;
        rec.chords = m.m_chordString.ToCString();
        out.push_back(rec);
    }
    return out;
}

TEST(SGPlayerArrangement, TheSameSeedGivesTheSameSectionsAnotherSeedOthers) {
    const std::vector<SectionRecord> a = Arrange(77, 10);
    const std::vector<SectionRecord> b = Arrange(77, 10);
    const std::vector<SectionRecord> c = Arrange(78, 10);
    ASSERT_EQ(a.size(), 10u);
    ASSERT_EQ(b.size(), 10u);
    for (size_t s = 0; s < a.size(); ++s) {
        EXPECT_EQ(a[s].values, b[s].values) << "section " << s;
        EXPECT_EQ(a[s].chords, b[s].chords) << "section " << s;
    }
    EXPECT_NE(a, c) << "seeds 77 and 78 arrange alike";
    for (const SectionRecord& rec : a) {
        EXPECT_TRUE(rec.values[1] >= 1 && rec.values[1] <= 4) << "loop counter " << rec.values[1];
    }
}

// The first re-draw, worked from the song seed alone.
TEST(SGPlayerArrangement, TheFirstRedrawFollowsTheSeedChain) {
    constexpr int kSeed = 1234567;
    auto lcg = [](uint32_t s, int n) {
        for (int i = 0; i < n; ++i) s = s * 1664525u + 1013904223u;
        return s;
    };
    auto draw = [](uint32_t s, float x) { return static_cast<int>(std::floor((s >> 8) * 5.9604645e-08f * x)); };
    const int last[5] = {2, 2, 3, 2, 2};

    MusicHarnessOptions options;
    options.seed = kSeed;
    MusicHarness h(options);
    h.FinishLoading();
    c_SGPlayer& m = h.music();
    for (int t = 0; t < 5; ++t) m.m_lastPattern[t] = last[t];
    ASSERT_EQ(m.m_section, 0) << "still in the first section";
    ASSERT_TRUE(h.RunToSectionStart());

    uint32_t s = lcg(kSeed, 12);
    EXPECT_EQ(m.m_loopCounter, 2 * static_cast<int>(std::floor((s >> 8) * 5.9604645e-08f * 1.99f + 1)));
    EXPECT_EQ(m.m_section, 1);
    for (int t = 0; t < 5; ++t) {
        s = lcg(static_cast<uint32_t>(t * 7 + 9 + kSeed), 12);
        EXPECT_EQ(m.m_pattern[t], draw(s, last[t] + 0.99f)) << "pattern of track " << t;
        EXPECT_EQ(m.m_muted[t], 0) << "muted of track " << t;
        s = lcg(s, 1);
        EXPECT_EQ(m.m_nextMuted[t], draw(s, 1.99f)) << "next muted of track " << t;
        s = lcg(s, 1);
        EXPECT_EQ(m.m_leadIn[t], draw(s, 1.99f)) << "lead-in of track " << t;
    }
}

// ---- the shipped game ----

TEST(SGPlayerSwitchOff, NothingLoadsNoChannelIsTouchedAndGameOverStopsNothing) {
    MusicHarnessOptions options;
    options.musicSwitch = false;
    MusicHarness h(options);  // configured, so only the switch keeps it idle
    h.StartGame();
    ASSERT_EQ(h.app().m_screen, kScreenPlaying);
    c_SGPlayer& m = h.music();
    EXPECT_EQ(m.m_loadingStep, 1) << "no render frame loaded anything";
    EXPECT_EQ(m.m_songImage, nullptr);
    for (int slot = 0; slot <= 8; ++slot) EXPECT_EQ(m.m_kitA.Get(slot), nullptr) << slot;
    EXPECT_EQ(m.m_instruments.Get(kLead), nullptr);
    EXPECT_EQ(m.m_baseChannel, 0);
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(m.m_channels[t], 0) << "track " << t;
        EXPECT_FALSE(ChannelHasSource(ChannelOf(t))) << "channel " << ChannelOf(t);
    }

    // Sounds of our own on the music's channels must outlive game over.
    c_Sound* sound = nullptr;
    for (int i = 0; i < h.app().m_sounds.Length() && !sound; ++i) sound = h.app().m_sounds.Get(i);
    ASSERT_NE(sound, nullptr);
    for (int t = 0; t < 5; ++t) kp_audio_PlaySound(sound, ChannelOf(t), 1);
    h.QuitGame();
    for (int i = 0; i < 200 && h.app().m_screen != kScreenMenu; ++i) h.Step();
    ASSERT_EQ(h.app().m_screen, kScreenMenu) << "game over returned to the menu";
    EXPECT_EQ(m.m_state, 0) << "game over stopped the player";
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(kp_audio_device->ChannelState(ChannelOf(t)), kChannelPlaying) << "channel " << ChannelOf(t);
    }
}

// ---- with a display: decoding, and what comes out of the speakers ----

TEST(DisplaySGPlayer, DecodedSongMatchesThePatternImage) {
    MusicHarnessOptions options;
    options.display = true;
    MusicHarness h(options);
    if (!h.HasDisplay()) GTEST_SKIP() << "no display";
    h.FinishLoading();
    c_SGPlayer& m = h.music();
    ASSERT_NE(m.m_songImage, nullptr);

    int w = 0, ht = 0, depth = 0;
    unsigned char* png = h.host().LoadImageData(String("zephyr://data/") + String(kMusicDemoSongPath), &w, &ht, &depth);
    ASSERT_NE(png, nullptr);
    ASSERT_EQ(w, 512);
    int mismatches = 0, nonZero = 0;
    std::string first;
    int last[8] = {0};
    for (int p = 0; p < 63; ++p) {
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const int px = (p % 8) * 64 + x, py = (p / 8) * 64 + y;
                const int value = png[(py * w + px) * depth + 2] >> 3;
                const int decoded = m.m_songData[SongIndex(p, x / 8, y, x % 8)];
                if (value != 0) {
                    ++nonZero;
                    last[x / 8] = p;
                }
                if (value != decoded && mismatches++ == 0) {
                    first = "pattern " + std::to_string(p) + " x " + std::to_string(x) + " y " + std::to_string(y) +
                            ": image " + std::to_string(value) + ", decoded " + std::to_string(decoded);
                }
            }
        }
    }
    std::free(png);
    EXPECT_EQ(mismatches, 0) << "first: " << first;
    EXPECT_GT(nonZero, 1000) << "the song has notes";
    for (int t = 0; t < 8; ++t) EXPECT_EQ(m.m_lastPattern[t], last[t]) << "last pattern of track " << t;
}

// Magnitude of the onset signal's spectrum at `hertz`.
double Spectrum(const std::vector<double>& onsets, double frameRate, double hertz) {
    std::complex<double> sum = 0;
    for (size_t i = 0; i < onsets.size(); ++i) sum += onsets[i] * std::polar(1.0, -2 * M_PI * hertz * i / frameRate);
    return std::abs(sum);
}

TEST(DisplaySGPlayer, TheOutputCarriesTheSongsRhythm) {
    MusicHarnessOptions options;
    options.display = true;
    MusicHarness h(options);
    if (!h.HasDisplay()) GTEST_SKIP() << "no display";
    const auto opened = std::chrono::steady_clock::now();
    h.FinishLoading();

    // The wave backend mixes in real time: the host clock follows the wall
    // clock, as in the windowed game, with an update every 2 ms or so.
    constexpr double kSeconds = 6.0;
    const auto start = std::chrono::steady_clock::now();
    const double startMillis = h.host().ClockMillis();
    for (double now = 0; now < kSeconds;
         now = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()) {
        h.host().SetClockMillis(startMillis + now * 1000);
        h.host().Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    c_SGPlayer& m = h.music();
    for (int t = 0; t < 5; ++t) {
        const gxtkSample* played = kp_audio_device->channels[ChannelOf(t)].sample;
        bool fromTrack = played && played == SampleOf(m.m_instruments.Get(t));
        for (int slot = 1; slot <= 8; ++slot) {
            fromTrack |= played && played == SampleOf((t == 0 ? m.m_kitA : m.m_kitB).Get(slot));
        }
        EXPECT_TRUE(fromTrack) << "channel " << ChannelOf(t) << " played track " << t;
    }
    int hertz = 0;
    const std::vector<float> wave = h.CloseAndRecord(&hertz);
    ASSERT_GT(hertz, 0);
    const double from = std::chrono::duration<double>(start - opened).count() + 0.5;
    const size_t a = static_cast<size_t>(from * hertz), b = wave.size();
    ASSERT_GT(b, a + static_cast<size_t>(4 * hertz)) << "recorded " << wave.size() / double(hertz) << " s";

    // Onset signal: rises of the energy in 5 ms frames.
    const int frame = hertz / 200;
    std::vector<double> energy, onsets;
    for (size_t i = a; i + frame <= b; i += frame) {
        double e = 0;
        for (int k = 0; k < frame; ++k) e += double{wave[i + k]} * wave[i + k];
        energy.push_back(std::sqrt(e / frame));
    }
    for (size_t i = 1; i < energy.size(); ++i) onsets.push_back(std::max(0.0, energy[i] - energy[i - 1]));
    double rms = 0;
    for (double e : energy) rms += e * e;
    rms = std::sqrt(rms / energy.size());
    EXPECT_GT(rms, 0.01) << "the music is audible";

    // Rows every 84 ms: the song's pulses (two bars' halves, beats, eighths, rows) are
    // 1, 2, 4 and 8 times an eighth of the row rate. Rows every 100 ms (a schedule
    // run from "now") would put them elsewhere.
    auto pulses = [&](double rowMs) {
        double sum = 0;
        for (int k : {1, 2, 4, 8}) sum += Spectrum(onsets, 200.0, k * 1000.0 / rowMs / 8);
        return sum / 4;
    };
    std::vector<double> all;
    for (double f = 1.0; f <= 13.0; f += 0.01) all.push_back(Spectrum(onsets, 200.0, f));
    std::sort(all.begin(), all.end());
    const double median = all[all.size() / 2];
    const double song = pulses(84), wrong = pulses(100);
    std::printf("pulse strength at 84 ms rows %.3f, at 100 ms rows %.3f, median %.3f\n", song, wrong, median);
    EXPECT_GT(song, 3 * median) << "at the row rate " << song << ", median of 1-13 Hz " << median;
    EXPECT_GT(song, 2 * wrong) << "at 84 ms rows " << song << ", at 100 ms rows " << wrong;
}

}  // namespace
