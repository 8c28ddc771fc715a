// Shared helpers of the audio tests: a scratch folder (the working folder)
// holding the OpenAL Soft configuration of its wave-file backend, sound files
// made by sox, objects kept alive across collections, and the one device of
// the test program with what it has written so far.
#pragma once

#include <string>
#include <vector>

#include "audio/audio_device.h"

namespace audio_test {

const std::string& ScratchDir();
bool Shell(const std::string& command);  // true when the command exits with status 0
// Makes ScratchDir()/name with sox: `synth <synth>` at that rate, sample size and channel count.
std::string MakeTone(const std::string& name, int hertz, int bits, int channels, const std::string& synth);

// Objects kept alive across collections (stored through the write barrier);
// CollectAll runs full collections and destroys the garbage, so freed samples
// discard their buffers.
void Keep(gc_object* obj);
void DropKept();
void CollectAll();

// The one audio device of the test program, opened on first use on the
// wave-file backend (a test fails when it cannot be) and set as the sound
// module's device. Its output is one recording for the whole program.
gxtkAudio* Device();
// Seconds of sound the device has written so far: the position in the
// recording that a call made now affects (within one mixing period).
double Clock();
void WaitFor(double seconds);  // until Clock() reaches it
// Root mean square (channel 0 left, 1 right, -1 both) and frequency (from the
// zero crossings of the left channel) of the recording between two moments;
// both wait until the device has written that far.
double Rms(double from, double to, int channel = -1);
double Frequency(double from, double to);

}  // namespace audio_test
