// The OpenAL audio device: 33 numbered channels (0-31 for sounds, 32 for
// music), each backed by one OpenAL source created on first use, and samples
// held in OpenAL buffers whose deletion waits until no source holds them.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include "runtime/object.h"
#include "runtime/string.h"

class gxtkSample;

constexpr int kAudioChannelCount = 33;
constexpr int kMusicChannel = 32;

// Channel states as ChannelState reports them.
constexpr int kChannelStopped = 0;
constexpr int kChannelPlaying = 1;
constexpr int kChannelPaused = 2;

// One channel of the device: its source and what it last played.
struct gxtkChannel {
    ALuint source = 0;             // 0 until first needed
    gxtkSample* sample = nullptr;  // sample last started here
    int flags = 0;                 // flags of the last PlaySample; nonzero loops
    int state = kChannelStopped;

    ALuint AL_Source();  // the source, created the first time it is asked for
};

// A whole decoded sound in one OpenAL buffer.
class gxtkSample : public Object {
public:
    ALuint buffer = 0;  // 0 when none

    gxtkSample() = default;
    explicit gxtkSample(ALuint buffer) : buffer(buffer) {}
    ~gxtkSample() override;
    void SetBuffer(ALuint name) { buffer = name; }
    // Queues the buffer for deletion at the device's next flush.
    virtual void Discard();
};

// The audio device of the desktop host.
class gxtkAudio : public Object {
public:
    ALCdevice* alcDevice = nullptr;    // null if opening failed
    ALCcontext* alcContext = nullptr;  // null if creation failed
    gxtkChannel channels[kAudioChannelCount];

    // Opens the default device; failures are printed and leave a device on
    // which every call returns normally and does nothing.
    gxtkAudio();

    virtual int Suspend();  // pauses what is playing, channel states unchanged
    virtual int Resume();   // restarts what Suspend paused
    virtual gxtkSample* LoadSample__UNSAFE__(gxtkSample* sample, const String& path);
    virtual gxtkSample* LoadSample(const String& path);
    virtual int PlaySample(gxtkSample* sample, int channel, int flags);
    virtual int StopChannel(int channel);
    virtual int PauseChannel(int channel);
    virtual int ResumeChannel(int channel);
    virtual int ChannelState(int channel);
    virtual int SetVolume(int channel, float volume);
    virtual int SetPan(int channel, float pan);
    virtual int SetRate(int channel, float rate);
    virtual int PlayMusic(const String& path, int flags);
    virtual int StopMusic();
    virtual int PauseMusic();
    virtual int ResumeMusic();
    virtual int MusicState();
    virtual int SetMusicVolume(float volume);

    // Deletes the buffers of discarded samples that no source holds any more.
    void FlushDiscarded();
    // Keeps the samples of audible channels alive.
    void mark() override;

    // Releases the sources, the context and the device (for tests that read
    // what the device wrote). Samples loaded on it must be gone by then.
    void CloseDevice();
};

// Buffer names waiting for deletion, for tests and diagnostics.
int kpAudioDiscardedCount();
