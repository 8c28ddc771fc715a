// The OpenAL device and the sound module on OpenAL Soft's wave-file backend.
// AudioHeard tests play tones at moments taken from the device clock and
// measure the recording around those moments; the others check states and
// limits, and the device that cannot be opened.
#include "audio/audio_device.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "audio/sound.h"
#include "tests/audio/audio_test_support.h"

namespace {

using namespace audio_test;

constexpr double kSilence = 0.003;  // RMS below this is silence
constexpr double kAudible = 0.05;   // RMS above this is the tone
constexpr double kMargin = 0.05;    // kept between a measured span and the moments around it

// A 440 Hz mono tone of the given length in seconds, loaded (and kept unless told otherwise).
gxtkSample* Tone(double seconds, bool keep = true) {
    const std::string name = "tone" + std::to_string(static_cast<int>(seconds * 1000)) + ".wav";
    gxtkSample* sample = Device()->LoadSample(String(MakeTone(name, 44100, 16, 1, std::to_string(seconds) + " sine 440 vol 0.5").c_str()));
    EXPECT_NE(sample, nullptr) << name;
    if (sample && keep) Keep(sample);
    return sample;
}

// Every test ends with all channels stopped, nothing kept and no buffer waiting for deletion.
class AudioTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (int channel = 0; channel < kAudioChannelCount; ++channel) audio->StopChannel(channel);
        DropKept();
        CollectAll();
        audio->FlushDiscarded();
    }
    gxtkAudio* audio = Device();
};

using AudioHeard = AudioTest;
using AudioDevice = AudioTest;

TEST_F(AudioHeard, PlayStopLoopAndOneShot) {
    gxtkSample* tone = Tone(0.2);
    audio->PlaySample(tone, 0, 2);  // any nonzero flags loop
    const double looped = Clock();
    WaitFor(looped + 0.5);
    audio->StopChannel(0);
    const double stopped = Clock();
    WaitFor(stopped + 0.25);
    audio->PlaySample(tone, 3, 0);
    const double once = Clock();
    WaitFor(once + 0.35);
    EXPECT_EQ(audio->ChannelState(3), kChannelStopped) << "a finished one-shot reports stopped";
    audio->ResumeChannel(3);
    audio->PauseChannel(3);
    EXPECT_EQ(audio->ChannelState(3), kChannelStopped) << "resuming or pausing a finished channel does nothing";
    EXPECT_GT(Rms(looped + 0.25, stopped - kMargin), kAudible) << "still sounding after its length";
    EXPECT_NEAR(Frequency(looped + kMargin, stopped - kMargin), 440, 15);
    EXPECT_LT(Rms(stopped + kMargin, once), kSilence) << "a stopped channel is silent";
    EXPECT_GT(Rms(once + kMargin, once + 0.15), kAudible);
    EXPECT_LT(Rms(once + 0.2 + kMargin, once + 0.5), kSilence) << "nothing restarts after the end";
}

TEST_F(AudioHeard, VolumePanAndRate) {
    audio->PlaySample(Tone(0.2), 1, 1);
    const struct { float volume, pan; } steps[] = {{1, 0}, {0.5f, 0}, {0, 0}, {1, 1}, {1, -1}};
    double at[5] = {};
    for (int i = 0; i < 5; ++i) {
        audio->SetVolume(1, steps[i].volume);
        audio->SetPan(1, steps[i].pan);
        WaitFor((at[i] = Clock()) + 0.3);
    }
    auto rms = [&](int i, int channel) { return Rms(at[i] + kMargin, at[i] + 0.3 - kMargin, channel); };
    EXPECT_NEAR(rms(1, -1) / rms(0, -1), 0.5, 0.05) << "volume 0.5";
    EXPECT_LT(rms(2, -1), kSilence) << "volume 0";
    EXPECT_NEAR(rms(0, 0) / rms(0, 1), 1, 0.1) << "pan 0: the middle";
    EXPECT_GT(rms(3, 1), 2 * rms(3, 0)) << "pan 1: to the right";
    EXPECT_GT(rms(4, 0), 2 * rms(4, 1)) << "pan -1: to the left";
    // Rate and volume set before a channel's first sound apply to it and to later ones: the source keeps them.
    audio->StopChannel(1);
    gxtkSample* tone = Tone(0.5);
    audio->SetRate(4, 2.0f);
    audio->SetVolume(4, 0.5f);
    audio->PlaySample(tone, 4, 0);
    const double first = Clock();
    WaitFor(first + 0.4);  // the 0.5 s tone at double speed lasts 0.25 s
    audio->PlaySample(tone, 4, 0);
    const double second = Clock();
    WaitFor(second + 0.3);
    audio->SetRate(4, 1.0f);
    audio->SetVolume(4, 1.0f);
    audio->PlaySample(tone, 4, 0);
    const double normal = Clock();
    EXPECT_NEAR(Frequency(first + kMargin, first + 0.2), 880, 25) << "rate set before the first sound";
    EXPECT_LT(Rms(first + 0.25 + kMargin, second), kSilence) << "double speed halves the length";
    EXPECT_NEAR(Frequency(second + kMargin, second + 0.2), 880, 25) << "rate kept for a later sound";
    EXPECT_NEAR(Frequency(normal + kMargin, normal + 0.3), 440, 15);
    EXPECT_NEAR(Rms(second + kMargin, second + 0.2) / Rms(normal + kMargin, normal + 0.3), 0.5, 0.05) << "volume kept";
}

TEST_F(AudioDevice, ChannelsMusicAndTheSoundModule) {
    gxtkSample* tone = Tone(0.2);
    for (int channel : {-1, 33, -2147483647 - 1}) {
        audio->PlaySample(tone, channel, 1);
        audio->SetVolume(channel, 0.5f);
        audio->ResumeChannel(channel);
        EXPECT_EQ(audio->ChannelState(channel), kChannelStopped) << "channel " << channel << " is ignored";
    }
    audio->PlaySample(tone, 11, 0);
    const ALuint source = audio->channels[11].source;
    audio->PlaySample(tone, 11, 1);
    EXPECT_EQ(audio->channels[11].source, source) << "one source per channel, reused";
    EXPECT_EQ(audio->PlayMusic(String(MakeTone("music.wav", 22050, 16, 1, "0.5 sine 330").c_str()), 1), 0);
    audio->PauseMusic();
    EXPECT_EQ(audio->ChannelState(kMusicChannel), kChannelPaused) << "music plays on channel 32";
    EXPECT_EQ(audio->PlayMusic(String("missing.ogg"), 1), -1);
    EXPECT_EQ(audio->MusicState(), kChannelStopped) << "the old music stops before the load fails";

    MakeTone("data/blip.wav", 22050, 8, 1, "0.2 sine 660 vol 0.5");
    c_Sound* sound = kp_audio_LoadSound(String("blip.wav"));
    ASSERT_NE(sound, nullptr) << "names resolve into ./data/";
    EXPECT_EQ(kp_audio_LoadSound(String("missing.wav")), nullptr);
    Keep(sound);
    kp_audio_PlaySound(sound, 2, 1);
    kp_audio_StopChannel(2);
    CollectAll();
    const int discarded = kpAudioDiscardedCount();
    EXPECT_TRUE(alIsBuffer(sound->m_sample->buffer)) << "a kept sound keeps its sample";
    DropKept();
    CollectAll();
    EXPECT_EQ(kpAudioDiscardedCount(), discarded + 1) << "a dropped sound frees its sample";
    kp_audio_PlaySound(nullptr, 2, 0);
    kp_audio_PlaySound((new c_Sound())->m_new(nullptr), 2, 0);
    EXPECT_EQ(audio->ChannelState(2), kChannelStopped) << "a null sound is ignored";
    EXPECT_EQ(kpAudioDiscardedCount(), discarded + 1) << "and does not even flush discarded buffers";
}

// OpenAL Soft reads its configuration once per process, so the run without
// any audio device happens in a child process with its own configuration.
void RunWithoutDevice() {
    std::ofstream(ScratchDir() + "/none.conf") << "[general]\ndrivers = none\n";
    setenv("ALSOFT_CONF", (ScratchDir() + "/none.conf").c_str(), 1);
    testing::internal::CaptureStdout();
    gxtkAudio* none = new gxtkAudio();
    kp_audio_SetAudioDevice(none);
    const String path(MakeTone("none.wav", 22050, 16, 1, "0.1 sine 440").c_str());
    none->PlaySample(none->LoadSample(path), 0, 1);
    none->SetVolume(0, 0.5f);
    none->SetPan(0, 1);
    none->SetRate(0, 2);
    none->PauseChannel(0);
    none->Suspend();
    none->Resume();
    none->PlayMusic(path, 1);
    kp_audio_PlaySound(kp_audio_LoadSound(path), 1, 0);
    CollectAll();
    std::fputs(testing::internal::GetCapturedStdout().c_str(), stderr);
    std::exit(0);
}

TEST(AudioDeviceDeathTest, NoDeviceReportsAndEveryCallReturns) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunWithoutDevice(), testing::ExitedWithCode(0), "^OpenAl error: alcOpenDevice failed\n$");
}

}  // namespace
