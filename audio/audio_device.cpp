#include "audio/audio_device.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "audio/audio_data.h"
#include "host/game_host.h"
#include "runtime/errors.h"

namespace {

// Buffer names of discarded samples, deleted by the next flush that finds them free.
std::vector<ALuint> discarded;

// The device whose OpenAL device is open. It is closed when the process
// ends, before OpenAL's own clean-up, which reports a device left open on
// standard error.
gxtkAudio* openDevice = nullptr;

void CloseAtExit() {
    if (openDevice) openDevice->CloseDevice();
}

bool ValidChannel(int channel) { return channel >= 0 && channel < kAudioChannelCount; }

// The source's play state; a source that cannot be queried (none yet, or no
// device) counts as stopped.
ALint SourceState(ALuint source) {
    ALint state = AL_STOPPED;
    if (source) alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

ALenum OpenALFormat(int bytesPerSample, int channels) {
    if (bytesPerSample == 1 && channels == 1) return AL_FORMAT_MONO8;
    if (bytesPerSample == 1 && channels == 2) return AL_FORMAT_STEREO8;
    if (bytesPerSample == 2 && channels == 1) return AL_FORMAT_MONO16;
    if (bytesPerSample == 2 && channels == 2) return AL_FORMAT_STEREO16;
    return 0;
}

}  // namespace

ALuint gxtkChannel::AL_Source() {
    if (!source) alGenSources(1, &source);
    return source;
}

gxtkSample::~gxtkSample() { gxtkSample::Discard(); }

void gxtkSample::Discard() {
    if (buffer) {
        discarded.push_back(buffer);
        buffer = 0;
    }
}

int kpAudioDiscardedCount() { return static_cast<int>(discarded.size()); }

gxtkAudio::gxtkAudio() {
    alcDevice = alcOpenDevice(nullptr);
    if (!alcDevice) {
        kpPrint("OpenAl error: alcOpenDevice failed");
    } else {
        alcContext = alcCreateContext(alcDevice, nullptr);
        if (!alcContext) {
            kpPrint("OpenAl error: alcCreateContext failed");
        } else if (!alcMakeContextCurrent(alcContext)) {
            kpPrint("OpenAl error: alcMakeContextCurrent failed");
        }
    }
    // Sources are only pointed somewhere by SetPan; distance never attenuates.
    alDistanceModel(AL_NONE);
    if (alcDevice) {
        static const bool closedAtExit = std::atexit(CloseAtExit) == 0;
        (void)closedAtExit;
        openDevice = this;
    }
}

void gxtkAudio::FlushDiscarded() {
    if (discarded.empty()) return;
    // A stopped source still holds its buffer; let go of it so the buffer can
    // be deleted. This includes channels stopped by StopChannel.
    for (gxtkChannel& chan : channels) {
        if (chan.source && SourceState(chan.source) == AL_STOPPED) alSourcei(chan.source, AL_BUFFER, 0);
    }
    size_t kept = 0;
    for (ALuint name : discarded) {
        alGetError();  // so that only this deletion's failure is seen
        alDeleteBuffers(1, &name);
        // Still attached to a playing or paused source: try again later.
        if (alGetError() != AL_NO_ERROR) discarded[kept++] = name;
    }
    discarded.resize(kept);
}

void gxtkAudio::mark() {
    for (gxtkChannel& chan : channels) {
        if (chan.state != kChannelStopped && SourceState(chan.source) != AL_STOPPED) gc_mark_q(chan.sample);
    }
}

int gxtkAudio::Suspend() {
    for (gxtkChannel& chan : channels) {
        if (chan.state == kChannelPlaying && SourceState(chan.source) == AL_PLAYING) alSourcePause(chan.source);
    }
    return 0;
}

int gxtkAudio::Resume() {
    for (gxtkChannel& chan : channels) {
        if (chan.state == kChannelPlaying && SourceState(chan.source) == AL_PAUSED) alSourcePlay(chan.source);
    }
    return 0;
}

// Reads a sound file through the host and decodes it by its name's ending. A
// sound asked for as a wave file may be shipped compressed, as an Ogg Vorbis
// file of the same name (the web build's data does so).
gxtkSample* gxtkAudio::LoadSample__UNSAFE__(gxtkSample* sample, const String& path) {
    std::vector<unsigned char> bytes;
    String file = path;
    const bool wave = path.ToLower().EndsWith(".wav");
    if (!KpGame::_game->LoadFileBytes(file, kMaxAudioBytes, &bytes) && wave) {
        file = path.Slice(0, path.Length() - 4) + String(".ogg");
        if (!KpGame::_game->LoadFileBytes(file, kMaxAudioBytes, &bytes)) return nullptr;
    }
    int length = 0;
    int numChannels = 0;
    int format = 0;
    int hertz = 0;
    const String name = file.ToLower();
    unsigned char* data = nullptr;
    if (name.EndsWith(".wav")) {
        data = LoadWAVMemory(bytes.data(), bytes.size(), &length, &numChannels, &format, &hertz);
    } else if (name.EndsWith(".ogg")) {
        data = LoadOGGMemory(bytes.data(), bytes.size(), &length, &numChannels, &format, &hertz);
    }
    if (!data) return nullptr;
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(buffer, OpenALFormat(format, numChannels), data, format * length * numChannels, hertz);
    std::free(data);
    sample->SetBuffer(buffer);
    return sample;
}

gxtkSample* gxtkAudio::LoadSample(const String& path) {
    FlushDiscarded();
    return LoadSample__UNSAFE__(new gxtkSample(), path);
}

int gxtkAudio::PlaySample(gxtkSample* sample, int channel, int flags) {
    if (!sample || !ValidChannel(channel)) return 0;
    FlushDiscarded();
    gxtkChannel& chan = channels[channel];
    ALuint source = chan.AL_Source();
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(sample->buffer));
    alSourcei(source, AL_LOOPING, flags ? 1 : 0);
    alSourcePlay(source);
    gc_assign(chan.sample, sample);
    chan.flags = flags;
    chan.state = kChannelPlaying;
    return 0;
}

int gxtkAudio::StopChannel(int channel) {
    if (!ValidChannel(channel)) return 0;
    gxtkChannel& chan = channels[channel];
    if (chan.state != kChannelStopped) {
        alSourceStop(chan.source);
        chan.state = kChannelStopped;
    }
    return 0;
}

int gxtkAudio::PauseChannel(int channel) {
    if (!ValidChannel(channel)) return 0;
    gxtkChannel& chan = channels[channel];
    if (chan.state == kChannelPlaying) {
        if (SourceState(chan.source) == AL_STOPPED) {
            chan.state = kChannelStopped;
        } else {
            alSourcePause(chan.source);
            chan.state = kChannelPaused;
        }
    }
    return 0;
}

int gxtkAudio::ResumeChannel(int channel) {
    if (!ValidChannel(channel)) return 0;
    gxtkChannel& chan = channels[channel];
    if (chan.state == kChannelPaused) {
        alSourcePlay(chan.source);
        chan.state = kChannelPlaying;
    }
    return 0;
}

int gxtkAudio::ChannelState(int channel) {
    if (!ValidChannel(channel)) return kChannelStopped;
    gxtkChannel& chan = channels[channel];
    if (chan.state == kChannelPlaying && SourceState(chan.source) == AL_STOPPED) chan.state = kChannelStopped;
    return chan.state;
}

int gxtkAudio::SetVolume(int channel, float volume) {
    if (!ValidChannel(channel)) return 0;
    alSourcef(channels[channel].AL_Source(), AL_GAIN, volume);
    return 0;
}

int gxtkAudio::SetPan(int channel, float pan) {
    if (!ValidChannel(channel)) return 0;
    // Straight ahead is -z; positive pan turns the source to the right.
    alSource3f(channels[channel].AL_Source(), AL_POSITION, std::sin(pan), 0.0f, -std::cos(pan));
    return 0;
}

int gxtkAudio::SetRate(int channel, float rate) {
    if (!ValidChannel(channel)) return 0;
    alSourcef(channels[channel].AL_Source(), AL_PITCH, rate);
    return 0;
}

int gxtkAudio::PlayMusic(const String& path, int flags) {
    StopMusic();
    gxtkSample* sample = LoadSample(path);
    if (!sample) return -1;
    PlaySample(sample, kMusicChannel, flags);
    return 0;
}

int gxtkAudio::StopMusic() { return StopChannel(kMusicChannel); }
int gxtkAudio::PauseMusic() { return PauseChannel(kMusicChannel); }
int gxtkAudio::ResumeMusic() { return ResumeChannel(kMusicChannel); }
int gxtkAudio::MusicState() { return ChannelState(kMusicChannel); }
int gxtkAudio::SetMusicVolume(float volume) { return SetVolume(kMusicChannel, volume); }

void gxtkAudio::CloseDevice() {
    if (openDevice == this) openDevice = nullptr;
    for (gxtkChannel& chan : channels) {
        if (chan.source) alSourceStop(chan.source);
    }
    FlushDiscarded();
    for (gxtkChannel& chan : channels) {
        if (chan.source) alDeleteSources(1, &chan.source);
        chan = gxtkChannel();
    }
    // Names left now belong to the closed device and must never reach another.
    discarded.clear();
    if (alcContext) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(alcContext);
        alcContext = nullptr;
    }
    if (alcDevice) {
        alcCloseDevice(alcDevice);
        alcDevice = nullptr;
    }
}
