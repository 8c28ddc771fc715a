// The game's sound functions over a real device.
#include "audio/sound.h"

#include <gtest/gtest.h>

#include "tests/audio/audio_test_support.h"

namespace {

using audio_test::DeviceSession;
using audio_test::MakeTone;
using audio_test::Roots;
using audio_test::Shell;

TEST(Sound, LoadsFromTheDataFolderAndPlays) {
    DeviceSession s;
    MakeTone("data/blip.wav", 22050, 8, 1, "0.2 sine 660 vol 0.5");
    c_Sound* sound = kp_audio_LoadSound(String("blip.wav"));
    ASSERT_NE(sound, nullptr) << "names resolve into ./data/";
    ASSERT_NE(sound->m_sample, nullptr);
    audio_test::Keep(sound);
    EXPECT_EQ(kp_audio_LoadSound(String("missing.wav")), nullptr);
    EXPECT_EQ(kp_audio_LoadSound(String("zephyr://other/blip.wav")), nullptr);

    kp_audio_SetChannelVolume(2, 0.5f);
    kp_audio_SetChannelPan(2, 0.0f);
    kp_audio_SetChannelRate(2, 1.0f);
    kp_audio_PlaySound(sound, 2, 1);
    EXPECT_EQ(s.Device()->ChannelState(2), kChannelPlaying);
    float gain = 0;
    alGetSourcef(s.Device()->channels[2].source, AL_GAIN, &gain);
    EXPECT_FLOAT_EQ(gain, 0.5f);
    kp_audio_StopChannel(2);
    EXPECT_EQ(s.Device()->ChannelState(2), kChannelStopped);

    // A null sound is ignored, and does not even flush discarded buffers.
    int before = kpAudioDiscardedCount();
    kp_audio_PlaySound(nullptr, 2, 0);
    kp_audio_PlaySound((new c_Sound())->m_new(nullptr), 2, 0);
    EXPECT_EQ(s.Device()->ChannelState(2), kChannelStopped);
    EXPECT_EQ(kpAudioDiscardedCount(), before);
}

TEST(Sound, SoundKeepsItsSampleAlive) {
    DeviceSession s;
    MakeTone("data/keep.wav", 22050, 16, 1, "0.1 sine 660");
    c_Sound* sound = kp_audio_LoadSound(String("keep.wav"));
    ASSERT_NE(sound, nullptr);
    audio_test::Keep(sound);
    ALuint buffer = sound->m_sample->buffer;
    audio_test::CollectAll();
    EXPECT_EQ(kpAudioDiscardedCount(), 0);
    EXPECT_EQ(sound->m_sample->buffer, buffer);
    Roots().clear();
    audio_test::CollectAll();
    EXPECT_EQ(kpAudioDiscardedCount(), 1) << "a dropped sound frees its sample";
}

}  // namespace
