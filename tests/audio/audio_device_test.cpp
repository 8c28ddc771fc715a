// The OpenAL device played through OpenAL Soft's wave-file backend: each test
// opens the device, plays short tones at known moments, closes the device and
// measures the recording around those moments.
#include "audio/audio_device.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "audio/sound.h"
#include "runtime/errors.h"
#include "tests/audio/audio_test_support.h"

namespace {

using audio_test::CollectAll;
using audio_test::DeviceSession;
using audio_test::MakeTone;
using audio_test::Recording;
using audio_test::Roots;

constexpr double kSilence = 0.003;  // RMS below this is silence
constexpr double kAudible = 0.05;   // RMS above this is the tone
// The wave backend mixes a little ahead of or behind the wall clock; windows
// keep this far from the moments they are measured between.
constexpr double kMargin = 0.08;

// A 440 Hz mono tone of the given length in seconds.
std::string Tone(double seconds) {
    std::string name = "tone_" + std::to_string(static_cast<int>(seconds * 1000)) + ".wav";
    return MakeTone(name, 44100, 16, 1, std::to_string(seconds) + " sine 440 vol 0.5");
}

gxtkSample* Load(gxtkAudio* device, const std::string& path) {
    gxtkSample* sample = device->LoadSample(String(path.c_str()));
    if (sample) audio_test::Keep(sample);
    return sample;
}

TEST(AudioDevice, PlaysAndStops) {
    DeviceSession s;
    gxtkAudio* audio = s.Device();
    gxtkSample* tone = Load(audio, Tone(0.2));
    ASSERT_NE(tone, nullptr);
    audio->PlaySample(tone, 0, 1);
    EXPECT_EQ(audio->ChannelState(0), kChannelPlaying);
    double playing = s.Now();
    s.WaitUntil(playing + 0.3);
    audio->StopChannel(0);
    double stopped = s.Now();
    EXPECT_EQ(audio->ChannelState(0), kChannelStopped);
    s.WaitUntil(stopped + 0.3);
    Recording rec = s.Close();
    EXPECT_GT(rec.RmsBoth(playing + kMargin, stopped - kMargin), kAudible) << "the tone should be heard";
    EXPECT_LT(rec.RmsBoth(stopped + 0.1, stopped + 0.25), kSilence) << "a stopped channel should be silent";
    EXPECT_NEAR(rec.Frequency(playing + kMargin, stopped - kMargin), 440, 15);
}

TEST(AudioDevice, OneShotEndsAndStaysEnded) {
    DeviceSession s;
    gxtkAudio* audio = s.Device();
    gxtkSample* tone = Load(audio, Tone(0.2));
    audio->PlaySample(tone, 3, 0);
    double started = s.Now();
    s.WaitUntil(started + 0.4);
    EXPECT_EQ(audio->ChannelState(3), kChannelStopped) << "a finished one-shot reports stopped";
    audio->ResumeChannel(3);
    EXPECT_EQ(audio->ChannelState(3), kChannelStopped) << "resuming a finished channel does nothing";
    audio->PauseChannel(3);
    EXPECT_EQ(audio->ChannelState(3), kChannelStopped);
    double resumed = s.Now();
    s.WaitUntil(resumed + 0.3);
    Recording rec = s.Close();
    EXPECT_GT(rec.RmsBoth(started + kMargin, started + 0.15), kAudible);
    EXPECT_LT(rec.RmsBoth(resumed + kMargin, resumed + 0.25), kSilence) << "nothing restarts after the end";
}

TEST(AudioDevice, VolumeScalesOutput) {
    DeviceSession s;
    gxtkAudio* audio = s.Device();
    gxtkSample* tone = Load(audio, Tone(0.2));
    audio->PlaySample(tone, 1, 1);
    double full = s.Now();
    s.WaitUntil(full + 0.3);
    audio->SetVolume(1, 0.5f);
    double half = s.Now();
    s.WaitUntil(half + 0.3);
    audio->SetVolume(1, 0.0f);
    double mute = s.Now();
    s.WaitUntil(mute + 0.3);
    Recording rec = s.Close();
    double a = rec.RmsBoth(full + kMargin, half - kMargin);
    double b = rec.RmsBoth(half + kMargin, mute - kMargin);
    EXPECT_NEAR(b / a, 0.5, 0.05) << "full " << a << ", half " << b;
    EXPECT_LT(rec.RmsBoth(mute + kMargin, mute + 0.25), kSilence);
}

TEST(AudioDevice, PanMovesSoundBetweenSides) {
    DeviceSession s;
    gxtkAudio* audio = s.Device();
    gxtkSample* tone = Load(audio, Tone(0.2));
    const float pans[] = {0.0f, 1.0f, -1.0f};
    double at[3] = {0, 0, 0};
    audio->PlaySample(tone, 2, 1);
    for (int i = 0; i < 3; ++i) {
        audio->SetPan(2, pans[i]);
        at[i] = s.Now();
        s.WaitUntil(at[i] + 0.3);
    }
    Recording rec = s.Close();
    for (int i = 0; i < 3; ++i) {
        double left = rec.Rms(at[i] + kMargin, at[i] + 0.3 - kMargin);
        double right = rec.Rms(at[i] + kMargin, at[i] + 0.3 - kMargin, true);
        ASSERT_GT(left + right, kAudible) << "pan " << pans[i];
        double balance = (right - left) / (right + left);  // -1 left .. 1 right
        if (pans[i] == 0) {
            EXPECT_NEAR(balance, 0, 0.05) << "pan 0: left " << left << ", right " << right;
        } else if (pans[i] > 0) {
            EXPECT_GT(balance, 0.3) << "pan 1: left " << left << ", right " << right;
        } else {
            EXPECT_LT(balance, -0.3) << "pan -1: left " << left << ", right " << right;
        }
    }
}

TEST(AudioDevice, RateChangesPitchAndIsKept) {
    DeviceSession s;
    gxtkAudio* audio = s.Device();
    gxtkSample* tone = Load(audio, Tone(0.5));
    audio->SetRate(4, 2.0f);
    // Set before the channel's first sound: the source keeps it.
    audio->SetVolume(4, 0.5f);
    audio->PlaySample(tone, 4, 0);
    double first = s.Now();
    s.WaitUntil(first + 0.45);  // the 0.5 s tone at double speed lasts 0.25 s
    audio->PlaySample(tone, 4, 0);
    double second = s.Now();
    s.WaitUntil(second + 0.3);
    audio->SetRate(4, 1.0f);
    audio->SetVolume(4, 1.0f);
    audio->PlaySample(tone, 4, 0);
    double normal = s.Now();
    s.WaitUntil(normal + 0.3);
    Recording rec = s.Close();
    EXPECT_NEAR(rec.Frequency(first + kMargin, first + 0.17), 880, 25) << "rate set before the first sound";
    EXPECT_NEAR(rec.Frequency(second + kMargin, second + 0.17), 880, 25) << "rate kept for a later sound";
    EXPECT_LT(rec.RmsBoth(first + 0.3, second - kMargin), kSilence) << "double speed halves the length";
    EXPECT_NEAR(rec.Frequency(normal + kMargin, normal + 0.25), 440, 15);
    double quiet = rec.RmsBoth(second + kMargin, second + 0.17);
    double loud = rec.RmsBoth(normal + kMargin, normal + 0.25);
    EXPECT_NEAR(quiet / loud, 0.5, 0.05) << "volume set before the first sound";
}

TEST(AudioDevice, LoopingContinuesPastTheEnd) {
    DeviceSession s;
    gxtkAudio* audio = s.Device();
    gxtkSample* tone = Load(audio, Tone(0.2));
    audio->PlaySample(tone, 5, 2);  // any nonzero flags loop
    double started = s.Now();
    s.WaitUntil(started + 0.6);
    EXPECT_EQ(audio->ChannelState(5), kChannelPlaying);
    Recording rec = s.Close();
    EXPECT_GT(rec.RmsBoth(started + 0.35, started + 0.55), kAudible) << "still sounding after two lengths";
}

TEST(AudioDevice, SuspendAndResumeOnlyWhatWasPlaying) {
    DeviceSession s;
    gxtkAudio* audio = s.Device();
    gxtkSample* tone = Load(audio, Tone(0.2));
    const float hardLeft = -1.5707964f;
    const float hardRight = 1.5707964f;
    audio->SetPan(6, hardLeft);
    audio->SetPan(7, hardRight);
    audio->PlaySample(tone, 6, 1);
    audio->PlaySample(tone, 7, 1);
    audio->PauseChannel(7);  // the game's own pause
    double before = s.Now();
    s.WaitUntil(before + 0.25);
    audio->Suspend();
    double suspended = s.Now();
    EXPECT_EQ(audio->ChannelState(6), kChannelPlaying) << "suspending keeps channel states";
    EXPECT_EQ(audio->ChannelState(7), kChannelPaused);
    s.WaitUntil(suspended + 0.3);
    audio->Resume();
    double resumed = s.Now();
    s.WaitUntil(resumed + 0.3);
    EXPECT_EQ(audio->ChannelState(7), kChannelPaused) << "a channel paused by the game stays paused";
    Recording rec = s.Close();
    EXPECT_GT(rec.Rms(before + kMargin, suspended - kMargin), kAudible);
    EXPECT_LT(rec.RmsBoth(suspended + kMargin, resumed - kMargin), kSilence) << "suspend silences";
    EXPECT_GT(rec.Rms(resumed + kMargin, resumed + 0.25), kAudible) << "resume restarts the playing channel";
    EXPECT_LT(rec.Rms(resumed + kMargin, resumed + 0.25, true), kSilence) << "the paused channel stays silent";
}

TEST(AudioDevice, FreedSampleSoundsUntilItsChannelStops) {
    DeviceSession s;
    gxtkAudio* audio = s.Device();
    gxtkSample* other = Load(audio, Tone(0.2));
    gxtkSample* tone = audio->LoadSample(String(Tone(0.5).c_str()));  // held by nothing but the channel
    ASSERT_NE(tone, nullptr);
    ALuint buffer = tone->buffer;
    gxtkSample* looped = audio->LoadSample(String(Tone(0.2).c_str()));
    ALuint loopedBuffer = looped->buffer;
    audio->PlaySample(tone, 8, 0);
    audio->PlaySample(looped, 9, 1);
    double started = s.Now();
    CollectAll();
    EXPECT_EQ(kpAudioDiscardedCount(), 0) << "audible samples stay alive";
    EXPECT_TRUE(alIsBuffer(buffer));
    s.WaitUntil(started + 0.2);
    audio->StopChannel(9);  // stopped by the game while its sample is unreferenced
    s.WaitUntil(started + 0.65);  // the one-shot has ended
    CollectAll();
    EXPECT_EQ(kpAudioDiscardedCount(), 2) << "both samples freed once silent";
    EXPECT_TRUE(alIsBuffer(buffer)) << "deletion waits for the next flush";
    audio->PlaySample(other, 10, 0);  // flushes
    EXPECT_FALSE(alIsBuffer(buffer)) << "deleted at the first flush after its channel stopped";
    EXPECT_FALSE(alIsBuffer(loopedBuffer)) << "a channel stopped by the game lets go of its buffer";
    EXPECT_EQ(kpAudioDiscardedCount(), 0);
    Recording rec = s.Close();
    EXPECT_GT(rec.Rms(started + 0.3, started + 0.45), kAudible) << "the freed sample kept sounding";
}

TEST(AudioDevice, ChannelsOutsideTheTableAreIgnored) {
    DeviceSession s;
    gxtkAudio* audio = s.Device();
    gxtkSample* tone = Load(audio, Tone(0.2));
    for (int channel : {-1, 33, 1000, -2147483647 - 1}) {
        audio->PlaySample(tone, channel, 1);
        audio->SetVolume(channel, 0.5f);
        audio->SetPan(channel, 1);
        audio->SetRate(channel, 2);
        audio->PauseChannel(channel);
        audio->ResumeChannel(channel);
        audio->StopChannel(channel);
        EXPECT_EQ(audio->ChannelState(channel), kChannelStopped) << channel;
    }
    for (const gxtkChannel& chan : audio->channels) EXPECT_EQ(chan.source, 0u) << "no source was created";
    audio->PlaySample(nullptr, 0, 0);
    EXPECT_EQ(audio->ChannelState(0), kChannelStopped);
}

TEST(AudioDevice, MusicPlaysOnChannel32) {
    DeviceSession s;
    gxtkAudio* audio = s.Device();
    EXPECT_EQ(audio->PlayMusic(String(Tone(0.2).c_str()), 1), 0);
    EXPECT_EQ(audio->MusicState(), kChannelPlaying);
    EXPECT_EQ(audio->ChannelState(kMusicChannel), kChannelPlaying);
    audio->PauseMusic();
    EXPECT_EQ(audio->MusicState(), kChannelPaused);
    audio->ResumeMusic();
    EXPECT_EQ(audio->MusicState(), kChannelPlaying);
    EXPECT_EQ(audio->PlayMusic(String("missing.ogg"), 1), -1);
    EXPECT_EQ(audio->MusicState(), kChannelStopped) << "the old music stops before the load fails";
}

// OpenAL Soft reads its configuration once per process, so the run without
// any audio device happens in a child process with its own configuration.
void RunWithoutDevice() {
    std::string conf = audio_test::ScratchDir() + "/none.conf";
    FILE* f = std::fopen(conf.c_str(), "w");
    std::fputs("[general]\ndrivers = none\n", f);
    std::fclose(f);
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    testing::internal::CaptureStdout();
    gxtkAudio* audio = new gxtkAudio();
    kp_audio_SetAudioDevice(audio);
    gxtkSample* tone = audio->LoadSample(String(Tone(0.2).c_str()));
    audio->PlaySample(tone, 0, 1);
    audio->SetVolume(0, 0.5f);
    audio->SetPan(0, 1);
    audio->SetRate(0, 2);
    audio->PauseChannel(0);
    audio->ResumeChannel(0);
    audio->Suspend();
    audio->Resume();
    audio->ChannelState(0);
    audio->StopChannel(0);
    audio->PlayMusic(String(Tone(0.2).c_str()), 1);
    audio->StopMusic();
    c_Sound* sound = kp_audio_LoadSound(String(Tone(0.2).c_str()));
    kp_audio_PlaySound(sound, 1, 0);
    CollectAll();
    audio->LoadSample(String(Tone(0.2).c_str()));
    std::string out = testing::internal::GetCapturedStdout();
    std::fputs(out.c_str(), stderr);
    std::exit(0);
}

TEST(AudioDeviceDeathTest, NoDeviceReportsAndEveryCallReturns) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunWithoutDevice(), testing::ExitedWithCode(0), "^OpenAl error: alcOpenDevice failed\n$");
}

}  // namespace
