// The game's sound interface: sounds loaded from the data folder and played
// on numbered channels (0-31) with per-channel stop, pan, volume and rate.
#pragma once

#include "audio/audio_device.h"
#include "runtime/object.h"
#include "runtime/string.h"

// A loaded sound effect; holding it keeps its sample and OpenAL buffer alive.
class c_Sound : public Object {
public:
    gxtkSample* m_sample = nullptr;

    c_Sound* m_new(gxtkSample* sample);
    c_Sound* m_new2() { return this; }
    void mark() override;
};

extern gxtkAudio* kp_audio_device;  // set once when the game starts

int kp_audio_SetAudioDevice(gxtkAudio* device);
c_Sound* kp_audio_LoadSound(const String& path);             // null when missing or undecodable
int kp_audio_PlaySound(c_Sound* sound, int channel, int flags);  // flags nonzero loops; null sound ignored
int kp_audio_StopChannel(int channel);
int kp_audio_SetChannelPan(int channel, float pan);       // radians, positive to the right
int kp_audio_SetChannelVolume(int channel, float volume); // gain factor
int kp_audio_SetChannelRate(int channel, float rate);     // pitch factor
