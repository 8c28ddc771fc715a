// Shared helpers of the audio tests: a scratch folder holding the OpenAL Soft
// configuration (its wave-file backend), sound files made by sox and oggenc,
// a test host that opens files through the data paths, and analysis of what
// the device wrote.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "audio/audio_device.h"
#include "host/game_host.h"

namespace audio_test {

// The scratch folder (also the working folder, so ./data/ lives there).
const std::string& ScratchDir();
// Path of the wave file the OpenAL Soft wave backend writes.
const std::string& DeviceWavePath();

// Runs a shell command; true when it exits with status 0.
bool Shell(const std::string& command);
// Makes ScratchDir()/name with sox: `synth <synth>` at that rate, sample size and channel count.
std::string MakeTone(const std::string& name, int hertz, int bits, int channels, const std::string& synth);
std::vector<unsigned char> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);

// Objects the tests keep alive across collections; Keep stores through the
// write barrier, so an object kept in the middle of a cycle survives it.
std::vector<gc_object*>& Roots();
void Keep(gc_object* obj);
// Runs full collections and destroys the garbage, so freed samples discard their buffers.
void CollectAll();

// What the device wrote, one vector of samples (-1..1) per output channel.
struct Recording {
    int hertz = 0;
    std::vector<float> left;
    std::vector<float> right;

    // Root mean square over the time span [from, to) seconds after the device opened.
    double Rms(double from, double to, bool rightChannel = false) const;
    double RmsBoth(double from, double to) const { return (Rms(from, to) + Rms(from, to, true)) / 2; }
    // Frequency from the zero crossings of the left channel over [from, to).
    double Frequency(double from, double to) const;
};

// One open device from construction to CloseDevice, with a clock started at
// the opening so that events can be found in the recording.
class DeviceSession {
public:
    DeviceSession();
    ~DeviceSession();
    gxtkAudio* Device() { return device_; }
    double Now() const;                // seconds since the device opened
    void WaitUntil(double seconds);    // sleeps until Now() reaches it
    Recording Close();                 // closes the device and reads its output

private:
    gxtkAudio* device_ = nullptr;
    std::chrono::steady_clock::time_point opened_;
};

}  // namespace audio_test
