#include "audio/sound.h"

#include "host/data_paths.h"

gxtkAudio* kp_audio_device = nullptr;

c_Sound* c_Sound::m_new(gxtkSample* sample) {
    gc_assign(m_sample, sample);
    return this;
}

void c_Sound::mark() { gc_mark_q(m_sample); }

int kp_audio_SetAudioDevice(gxtkAudio* device) {
    gc_assign(kp_audio_device, device);
    return 0;
}

c_Sound* kp_audio_LoadSound(const String& path) {
    gxtkSample* sample = kp_audio_device->LoadSample(kp_data_FixDataPath(path));
    if (!sample) return nullptr;
    return (new c_Sound())->m_new(sample);
}

int kp_audio_PlaySound(c_Sound* sound, int channel, int flags) {
    if (sound && sound->m_sample) kp_audio_device->PlaySample(sound->m_sample, channel, flags);
    return 0;
}

int kp_audio_StopChannel(int channel) { return kp_audio_device->StopChannel(channel); }

int kp_audio_SetChannelPan(int channel, float pan) { return kp_audio_device->SetPan(channel, pan); }

int kp_audio_SetChannelVolume(int channel, float volume) { return kp_audio_device->SetVolume(channel, volume); }

int kp_audio_SetChannelRate(int channel, float rate) { return kp_audio_device->SetRate(channel, rate); }
