// The music generator driven by the whole game, with the switch on and the
// demonstration song (or rows written into pattern 0), its sound recorded by
// OpenAL Soft's wave-file backend. Suites named Display* need a display
// (patterns decode only through GL) and fail without one.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "audio/audio_data.h"
#include "audio/audio_device.h"
#include "audio/sound.h"
#include "game/music/sg_player.h"
#include "game/shell/globals.h"
#include "graphics/image_data.h"
#include "tests/testhost/test_game.h"
#include "tools/music/music_demo_host.h"

namespace {

constexpr int kLead = 2, kChords = 3, kBass = 4, kTracks = 5;
const std::string kWave = "/tmp/glimmer-music-" + std::to_string(getpid()) + ".wav";

int ChannelOf(int track) { return 32 - 1 - track; }

// Works in the demonstration folder and sends OpenAL Soft's output to a wave
// file before any device opens.
class MusicEnvironment : public testing::Environment {
    void SetUp() override {
        const std::string conf = kWave + ".conf";
        WriteFile(conf, "[general]\ndrivers = wave\nchannels = mono\nsample-type = int16\nfrequency = 44100\nperiod_size = 256\n"
                        "[wave]\nfile = " + kWave + "\n");
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        unsetenv("ALSOFT_DRIVERS");
        ASSERT_EQ(chdir(MUSIC_DEMO_DIR), 0) << "no demonstration folder " MUSIC_DEMO_DIR;
    }
    void TearDown() override { std::remove((kWave + ".conf").c_str()), std::remove(kWave.c_str()); }
};
testing::Environment* const environment = testing::AddGlobalTestEnvironment(new MusicEnvironment());

// One game with the generator on its own audio device.
struct Music {
    KpMusicDemoHost* host = new KpMusicDemoHost();  // the harness keeps it for the process
    std::unique_ptr<TestGame> game;

    explicit Music(bool display = false, bool switchOn = true, int seed = 0) {
        if (display) {
            EXPECT_TRUE(host->OpenHiddenWindow(640, 480)) << "no display to decode the patterns with";
        }
        TestGameOptions options;
        options.host = host;
        options.beforeStart = [=](c_MyApp& app) {
            kp_Glimmer_HasMusic = switchOn ? 1 : 0;
            kpMusicDemoConfigure(app.m_music, seed);
        };
        game = std::make_unique<TestGame>(options);
    }
    ~Music() {
        CloseDevice();
        host->CloseHiddenWindow();
    }
    c_SGPlayer& m() { return *game->app().m_music; }
    void CloseDevice() {
        if (!kp_audio_device) return;
        for (int channel = 0; channel < kAudioChannelCount; ++channel) kp_audio_device->StopChannel(channel);
        kp_audio_device->CloseDevice();
        kp_audio_device = nullptr;
    }
    void FinishLoading() {
        for (int i = 0; i < 400 && (game->app().m_loadStep > 0 || m().m_loadingStep > 0); ++i) game->Step();
    }
    // Runs until `rows` more rows have played (a row is due every 84 ms, an update is 16.7 ms).
    bool PlayRows(int rows) {
        for (int updates = 0, row = m().m_row; rows > 0 && updates < rows * 8 + 60; ++updates) {
            game->Step();
            if (m().m_row != row) row = m().m_row, --rows;
        }
        return rows == 0;
    }
    bool RunToSectionStart() {
        for (int i = 0; i < kSGRows; ++i) {
            if (!PlayRows(1)) return false;
            if (m().m_row == 0) return true;
        }
        return false;
    }
    // Past loading, at the start of a section, with an empty song.
    void Ready() {
        FinishLoading();
        for (int i = 0; i < m().m_songData.Length(); ++i) m().m_songData[i] = 0;
        RunToSectionStart();
    }
    void Put(int track, int row, int note, int volume, int effect = 0, int parameter = 0) {
        int at = track * kSGTrackSpan + row * kSGColumns;  // in pattern 0
        for (int value : {note, volume, effect, parameter}) m().m_songData[at++] = value;
    }
};

// Rows of pattern 0 played on the track's channel, as a listener hears them:
// the note's interval above the lead's middle note in semitones (from, to),
// and the gain against full volume (the generator plays at half the device's).
TEST(Music, RowsPlayOnTheirTracksChannelWithTheirPitchAndGain) {
    struct Case {
        const char* what;
        int track, note, volume, effect, parameter, rows;
        float semitonesFrom, semitonesTo, gain;
    };
    constexpr float kFull = 0.5f;
    const Case cases[] = {
        {"a kick", 0, 13, 30, 0, 0, 1, 0, 0, kFull},
        {"the second kit", 1, 15, 30, 0, 0, 1, 0, 0, kFull},
        {"the lead", kLead, 13, 30, 0, 0, 1, 0, 0, kFull},
        {"a chord note a fourth up", kChords, 18, 30, 0, 0, 1, 5, 5, kFull},
        {"a bass note an octave up", kBass, 25, 30, 0, 0, 1, 12, 12, kFull},
        {"volume 15: about half", kLead, 13, 15, 0, 0, 1, 0, 0, kFull / 2},
        {"volume 1 is silent", kLead, 13, 1, 0, 0, 1, 0, 0, 0.0f},
        {"volume 31 silences", kLead, 13, 31, 0, 0, 1, 0, 0, 0.0f},
        {"a slow slide up over three rows", kLead, 13, 30, 1, 9, 4, 1, 4, kFull},
        {"a slow slide down over three rows", kLead, 13, 30, 2, 9, 4, -4, -1, kFull},
        {"fast slides stop two octaves up", kLead, 13, 30, 3, 15, 6, 24, 24, kFull},
        {"and two octaves down", kLead, 13, 30, 4, 15, 6, -24, -24, kFull},
        {"an unknown effect does nothing", kLead, 13, 30, 7, 15, 6, 0, 0, kFull},
    };
    constexpr double kCent = 1.0 / 100;  // of a semitone: the pitch table's rounding
    for (const Case& c : cases) {
        Music music;  // a fresh song: later sections may mute a track
        music.Ready();
        music.Put(c.track, 0, c.note, c.volume);
        for (int row = 1; row < c.rows; ++row) music.Put(c.track, row, 0, 0, c.effect, c.parameter);
        ASSERT_TRUE(music.PlayRows(c.rows)) << c.what;
        const gxtkChannel& channel = kp_audio_device->channels[ChannelOf(c.track)];
        const c_SGPlayer& m = music.m();
        const c_Sound* sound = c.track == 0 ? m.m_kitA.Get(1) : c.track == 1 ? m.m_kitB.Get(2) : m.m_instruments.Get(c.track);
        EXPECT_EQ(channel.sample, sound->m_sample) << c.what;
        EXPECT_EQ(channel.flags != 0, c.track >= kLead) << c.what << ": instruments loop, drums do not";
        const double semitones = 12 * std::log2(ChannelPitch(ChannelOf(c.track)));
        EXPECT_GE(semitones, c.semitonesFrom - 2 * kCent) << c.what;
        EXPECT_LE(semitones, c.semitonesTo + 2 * kCent) << c.what;
        EXPECT_NEAR(ChannelGain(ChannelOf(c.track)), c.gain, 0.05 * kFull) << c.what;
    }
}

// Samples load by their names: a kit or instrument number without files leaves
// its slots empty and its notes silent; the others load.
TEST(Music, MissingSamplesLeaveTheirSlotsEmptyAndTheirNotesSilent) {
    Music music;
    music.m().m_kitNumbers[2] = 9;  // no inst/d9-*.wav
    music.m().m_kitNumbers[5] = 9;  // no inst/bass9.wav
    music.Ready();
    for (int slot = 1; slot <= 8; ++slot) {
        EXPECT_NE(music.m().m_kitA.Get(slot), nullptr) << "inst/d1-" << slot << ".wav";
        EXPECT_EQ(music.m().m_kitB.Get(slot), nullptr) << slot;
    }
    EXPECT_NE(music.m().m_instruments.Get(kLead), nullptr);
    EXPECT_EQ(music.m().m_instruments.Get(kBass), nullptr);
    music.Put(1, 0, 13, 30);
    music.Put(kBass, 0, 13, 30);
    ASSERT_TRUE(music.PlayRows(1));
    EXPECT_EQ(kp_audio_device->ChannelState(ChannelOf(1)), kChannelStopped);
    EXPECT_EQ(kp_audio_device->ChannelState(ChannelOf(kBass)), kChannelStopped);
}

// The shipped game: the switch is off.
TEST(Music, SwitchedOffNothingLoadsNoChannelIsTouchedAndGameOverStopsNothing) {
    Music music(false, false);
    TestGame& game = *music.game;
    game.FinishLoading();
    game.Step(32);
    game.Click(320.0f, 480 * 0.6f);
    ASSERT_EQ(game.app().m_screen, kScreenPlaying);
    EXPECT_EQ(music.m().m_loadingStep, 1) << "no render loaded anything";
    EXPECT_EQ(music.m().m_songImage, nullptr);
    for (int t = 0; t < kTracks; ++t) EXPECT_EQ(kp_audio_device->channels[ChannelOf(t)].source, 0u) << "track " << t;
    // Sounds of our own on the music's channels outlive game over.
    for (int t = 0; t < kTracks; ++t) kp_audio_PlaySound(game.app().m_sounds.Get(1), ChannelOf(t), 1);
    game.app().m_quitGame = 1;
    for (int i = 0; i < 200 && game.app().m_screen != kScreenMenu; ++i) game.Step();
    ASSERT_EQ(game.app().m_screen, kScreenMenu) << "game over returned to the menu";
    for (int t = 0; t < kTracks; ++t) EXPECT_EQ(kp_audio_device->ChannelState(ChannelOf(t)), kChannelPlaying) << t;
}

// The song's pitched instruments loop for as long as a note lasts: the step
// from a sample's last value back to its first is no bigger than the largest
// step inside it, so the loop makes no click.
TEST(Music, TheLoopedInstrumentsWrapWithoutAClick) {
    for (const char* name : {"data/inst/lead1.wav", "data/inst/accompany1.wav", "data/inst/bass1.wav"}) {
        const std::string bytes = ReadFile(name);
        int length = 0, channels = 0, format = 0, hertz = 0;
        unsigned char* data = LoadWAVMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &length,
                                            &channels, &format, &hertz);
        ASSERT_TRUE(data && format == 2 && channels == 1 && length > 1) << name;
        const int16_t* samples = reinterpret_cast<const int16_t*>(data);
        int largest = 0;
        for (int i = 1; i < length; ++i) largest = std::max(largest, std::abs(samples[i] - samples[i - 1]));
        EXPECT_LE(std::abs(samples[0] - samples[length - 1]), largest) << name << ": the loop's seam";
        std::free(data);
    }
}

TEST(DisplayMusic, TheDecodedSongIsThePatternImage) {
    Music music(true);
    music.FinishLoading();
    ASSERT_NE(music.m().m_songImage, nullptr);
    int w = 0, h = 0, depth = 0;
    std::vector<unsigned char> file;
    ASSERT_TRUE(music.game->host().LoadFileBytes(String("zephyr://data/") + String(kMusicDemoSongPath), kMaxImageFileBytes, &file));
    unsigned char* png = kpDecodeImage(file.data(), file.size(), &w, &h, &depth);
    ASSERT_NE(png, nullptr);
    int mismatches = 0, notes = 0;
    for (int p = 0; p < kSGPatternFrames - 1; ++p) {
        for (int y = 0; y < kSGRows; ++y) {
            for (int x = 0; x < kSGTracks * kSGColumns; ++x) {
                const int value = png[(((p / 8) * 64 + y) * w + (p % 8) * 64 + x) * depth + 2] >> 3;
                notes += value != 0;
                mismatches += value != music.m().m_songData[p * kSGPatternSpan + (x / 8) * kSGTrackSpan + y * 8 + x % 8];
            }
        }
    }
    std::free(png);
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(notes, 1000) << "the song has notes";
}

// Magnitude of the onset signal's spectrum at `hertz` (frames of 5 ms).
double Spectrum(const std::vector<double>& onsets, double hertz) {
    std::complex<double> sum = 0;
    for (size_t i = 0; i < onsets.size(); ++i) sum += onsets[i] * std::polar(1.0, -2 * M_PI * hertz * i / 200.0);
    return std::abs(sum);
}

// The wave backend mixes in real time: the host clock follows the wall clock.
TEST(DisplayMusic, TheRecordedOutputCarriesTheSongsRhythm) {
    Music music(true);
    const auto opened = std::chrono::steady_clock::now();
    music.FinishLoading();
    const auto start = std::chrono::steady_clock::now();
    const double startMillis = music.game->host().ClockMillis();
    for (double now = 0; now < 6.0; now = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()) {
        music.game->host().SetClockMillis(startMillis + now * 1000);
        music.game->host().Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    music.CloseDevice();
    const std::string wave = ReadFile(kWave);
    const size_t data = wave.find("data") + 8, hertz = 44100, frame = hertz / 200;
    const size_t first = data + 2 * static_cast<size_t>((std::chrono::duration<double>(start - opened).count() + 0.5) * hertz);
    ASSERT_GT(wave.size(), first + 2 * 4 * hertz) << "recorded " << wave.size() << " bytes";
    std::vector<double> energy, onsets;
    for (size_t i = first; i + 2 * frame <= wave.size(); i += 2 * frame) {
        double e = 0;
        for (size_t k = 0; k < frame; ++k) e += std::pow(static_cast<int16_t>((wave[i + 2 * k] & 0xff) | (wave[i + 2 * k + 1] << 8)) / 32768.0, 2);
        energy.push_back(std::sqrt(e / frame));
        if (energy.size() > 1) onsets.push_back(std::max(0.0, energy.back() - energy[energy.size() - 2]));
    }
    // Rows every 84 ms: the song's pulses are 1, 2, 4 and 8 eighths of the row rate.
    // Rows every 100 ms (a schedule run from "now") would put them elsewhere.
    const auto pulses = [&](double rowMs) {
        double sum = 0;
        for (int k : {1, 2, 4, 8}) sum += Spectrum(onsets, k * 1000.0 / rowMs / 8) / 4;
        return sum;
    };
    std::vector<double> all;
    for (double f = 1.0; f <= 13.0; f += 0.01) all.push_back(Spectrum(onsets, f));
    std::nth_element(all.begin(), all.begin() + all.size() / 2, all.end());
    const double median = all[all.size() / 2], song = pulses(84), wrong = pulses(100);
    std::printf("pulse strength at 84 ms rows %.3f, at 100 ms rows %.3f, median %.3f\n", song, wrong, median);
    EXPECT_GT(song, 3 * median);
    EXPECT_GT(song, 2 * wrong);
}

// The song as a player chooses it on the Options screen (the program's switch
// off): it plays, the pause panel holds it silent, and after the window was
// away it goes on at its own pace, not racing through the rows it missed;
// judged from what the wave backend recorded, phase by phase, in real time.
TEST(DisplayMusic, TheChosenSongHoldsWhilePausedAndKeepsItsPaceAfterTheWindowWasAway) {
    Music music(true, false);
    c_MyApp& app = music.game->app();
    app.m_playerSettings.music = true;
    app.p_ApplyPlayerSettings();
    ASSERT_EQ(kp_Glimmer_HasMusic, 1) << "choosing the music sets the song up";
    const auto opened = std::chrono::steady_clock::now();
    music.FinishLoading();
    const auto start = std::chrono::steady_clock::now();
    const double startMillis = music.game->host().ClockMillis();
    struct Phase {
        const char* what;
        std::function<void()> begin;
        bool heard;
        double from = 0, to = 0;
        int rows = 0;
    };
    std::vector<Phase> phases = {
        {"playing", [] {}, true},
        {"paused", [&] { app.m_pauseShown = 1; }, false},
        {"resumed", [&] { app.m_pauseShown = 0; }, true},
        {"away", [&] { music.game->host().Suspend(); }, false},
        {"back", [&] { music.game->host().Resume(); }, true},
    };
    double now = 0;
    for (Phase& phase : phases) {
        // The host's clock is the wall clock's, also for the suspend and the resume.
        now = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        music.game->host().SetClockMillis(startMillis + now * 1000);
        phase.begin();
        phase.from = now;
        for (const double end = now + 2.0; now < end;
             now = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()) {
            const int row = music.m().m_row;
            music.game->host().SetClockMillis(startMillis + now * 1000);
            music.game->host().Update();
            phase.rows += (music.m().m_row - row + kSGRows) % kSGRows;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        phase.to = now;
    }
    music.CloseDevice();
    const std::string wave = ReadFile(kWave);
    const size_t data = wave.find("data") + 8, hertz = 44100;
    const double lead = std::chrono::duration<double>(start - opened).count();
    // Loudness of the recording over a phase, 0.4 s in from each end (the mixer may lag a little).
    const auto loudness = [&](const Phase& p) {
        const size_t first = data + 2 * static_cast<size_t>((lead + p.from + 0.4) * hertz);
        const size_t last = std::min(wave.size(), data + 2 * static_cast<size_t>((lead + p.to - 0.4) * hertz));
        double sum = 0;
        size_t count = 0;
        for (size_t i = first; i + 1 < last; i += 2, ++count) {
            sum += std::pow(static_cast<int16_t>((wave[i] & 0xff) | (wave[i + 1] << 8)) / 32768.0, 2);
        }
        return count > 0 ? std::sqrt(sum / count) : -1.0;
    };
    for (const Phase& p : phases) {
        const double level = loudness(p);
        std::printf("%s: %d rows, loudness %.4f\n", p.what, p.rows, level);
        if (p.heard) {
            EXPECT_GT(level, 0.01) << p.what;
            // A row every 84 ms: about 24 in two seconds, not the rows missed while away.
            EXPECT_NEAR(p.rows, 24, 4) << p.what;
        } else {
            EXPECT_GE(level, 0.0) << p.what << ": recorded";
            EXPECT_LT(level, 0.001) << p.what << ": silent";
            EXPECT_EQ(p.rows, 0) << p.what;
        }
    }
}

}  // namespace
