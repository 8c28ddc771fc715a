#include "tests/music/music_harness.h"

#include <AL/al.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "game/shell/globals.h"
#include "host/program.h"
#include "runtime/gc.h"

namespace {

constexpr double kStartClock = 1000.0;
constexpr int kEscapeKey = 27;

std::string scratch;
std::string wavePath;

// Applications of earlier harnesses stay reachable, so that their samples are
// never released into a later audio device.
std::vector<c_MyApp*>& Graveyard() {
    static std::vector<c_MyApp*> apps;
    return apps;
}

void MarkRootsAndGraveyard() {
    kpMarkRoots();
    for (c_MyApp* app : Graveyard()) gc_mark_q(app);
}

// Works in the demonstration folder and points OpenAL Soft at a wave file
// before anything opens a device.
class MusicEnvironment : public testing::Environment {
public:
    void SetUp() override {
        char pattern[] = "/tmp/glimmer-music-tests-XXXXXX";
        if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
        scratch = pattern;
        wavePath = scratch + "/device.wav";
        const std::string conf = scratch + "/alsoft.conf";
        std::ofstream(conf) << "[general]\ndrivers = wave\nsample-type = int16\nchannels = stereo\n"
                               "frequency = 44100\nperiod_size = 256\n[wave]\nfile = " << wavePath << "\n";
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        unsetenv("ALSOFT_DRIVERS");
        if (chdir(MUSIC_DEMO_DIR) != 0) throw std::runtime_error("no demonstration folder " MUSIC_DEMO_DIR);
    }
    void TearDown() override { std::system(("rm -rf '" + scratch + "'").c_str()); }
};

testing::Environment* const environment = testing::AddGlobalTestEnvironment(new MusicEnvironment());

uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }

}  // namespace

MusicHarness::MusicHarness(const MusicHarnessOptions& options) {
    static int count = 0;
    const bool first = count++ == 0;
    // Hosts are never deleted: the framework keeps the host it started with.
    // The list is never destroyed either, so the hosts are still reachable
    // when leaks are checked at exit.
    static std::vector<KpMusicDemoHost*>* hosts = new std::vector<KpMusicDemoHost*>();
    host_ = new KpMusicDemoHost();
    hosts->push_back(host_);
    if (options.display) hasDisplay_ = host_->OpenHiddenWindow(640, 480);
    host_->SetClockMillis(kStartClock);
    host_->SetStateFile(scratch + "/state" + std::to_string(count));
    if (first) {
        kp_std_main(0, nullptr);
    } else {
        kpInit();
        kpMain();
    }
    gc_set_root_marker(MarkRootsAndGraveyard);
    kp_Glimmer_HasMusic = options.musicSwitch ? 1 : 0;
    app_ = static_cast<c_MyApp*>(kp_app__app);
    Graveyard().push_back(app_);
    if (options.configure) kpMusicDemoConfigure(app_->m_music, options.seed);
    host_->Start();
}

MusicHarness::~MusicHarness() {
    CloseAudio();
    host_->CloseHiddenWindow();
}

void MusicHarness::CloseAudio() {
    if (!audioOpen_ || !kp_audio_device) return;
    audioOpen_ = false;
    for (int channel = 0; channel < kAudioChannelCount; ++channel) kp_audio_device->StopChannel(channel);
    kp_audio_device->CloseDevice();
}

void MusicHarness::FinishLoading() {
    for (int i = 0; i < 400 && (app_->m_loadStep > 0 || music().m_loadingStep > 0); ++i) Step();
}

bool MusicHarness::PlayRows(int rows) {
    int row = music().m_row;
    // A row is due every 84 ms, one update is 16.7 ms.
    for (int updates = 0; rows > 0 && updates < rows * 8 + 60; ++updates) {
        Step();
        if (music().m_row != row) {
            row = music().m_row;
            --rows;
        }
    }
    return rows == 0;
}

bool MusicHarness::RunToSectionStart() {
    for (int i = 0; i < kSGRows; ++i) {
        if (!PlayRows(1)) return false;
        if (music().m_row == 0) return true;
    }
    return false;
}

void MusicHarness::Click(float x, float y) {
    host_->MouseMove(x, y);
    host_->MouseDown(0, x, y);
    Step();
    host_->MouseUp(0, x, y);
    Step();
}

void MusicHarness::StartGame() {
    FinishLoading();
    Step(32);
    Click(320.0f, 480 * 0.6f);
}

void MusicHarness::QuitGame() {
    Step(10);
    host_->KeyDown(kEscapeKey);
    Step();
    host_->KeyUp(kEscapeKey);
    Step(16);
    Click(320.0f - 140.0f, app_->m_pauseY - 64.0f);
}

std::vector<float> MusicHarness::CloseAndRecord(int* hertz) {
    CloseAudio();
    std::ifstream in(wavePath, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> mono;
    int channels = 0;
    for (size_t pos = 12; pos + 8 <= bytes.size();) {
        const uint32_t size = Le32(&bytes[pos + 4]);
        if (std::memcmp(&bytes[pos], "fmt ", 4) == 0) {
            channels = bytes[pos + 10] | (bytes[pos + 11] << 8);
            *hertz = static_cast<int>(Le32(&bytes[pos + 12]));
        } else if (std::memcmp(&bytes[pos], "data", 4) == 0 && channels > 0) {
            // To the end of the file: the size field is only final after a clean close.
            for (size_t i = pos + 8; i + 2 * channels <= bytes.size(); i += 2 * channels) {
                float sum = 0;
                for (int c = 0; c < channels; ++c) {
                    sum += static_cast<int16_t>(bytes[i + 2 * c] | (bytes[i + 2 * c + 1] << 8)) / 32768.0f;
                }
                mono.push_back(sum / channels);
            }
            break;
        }
        pos += 8 + size;
    }
    return mono;
}

float ChannelGain(int channel) {
    float gain = -1.0f;
    if (ALuint source = kp_audio_device->channels[channel].source) alGetSourcef(source, AL_GAIN, &gain);
    return gain;
}

float ChannelPitch(int channel) {
    float pitch = -1.0f;
    if (ALuint source = kp_audio_device->channels[channel].source) alGetSourcef(source, AL_PITCH, &pitch);
    return pitch;
}

bool ChannelHasSource(int channel) { return kp_audio_device->channels[channel].source != 0; }

gxtkSample* SampleOf(c_Sound* sound) { return sound ? sound->m_sample : nullptr; }

void PutRow(c_SGPlayer& music, int track, int row, int note, int volume, int effect, int parameter) {
    music.m_songData[SongIndex(0, track, row, kSGNote)] = note;
    music.m_songData[SongIndex(0, track, row, kSGVolume)] = volume;
    music.m_songData[SongIndex(0, track, row, kSGEffect)] = effect;
    music.m_songData[SongIndex(0, track, row, kSGParameter)] = parameter;
}
