#include "tests/audio/audio_test_support.h"

#include <AL/alext.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "audio/sound.h"
#include "host/headless/game.h"
#include "runtime/gc.h"
#include "tests/lib/test_files.h"

namespace audio_test {
namespace {

constexpr int kHertz = 44100;
constexpr double kWrittenLag = 0.05;  // beyond a mixing period, before a span is read

ScratchFolder* folder = nullptr;
std::string scratch;
std::vector<gc_object*> kept;
gxtkAudio* device = nullptr;
LPALCGETINTEGER64VSOFT getInteger64 = nullptr;

// Sets up the scratch folder and the OpenAL configuration before any OpenAL call.
class AudioEnvironment : public testing::Environment {
public:
    void SetUp() override {
        folder = new ScratchFolder("audio", true);
        scratch = folder->Path();
        ASSERT_TRUE(Shell("mkdir data"));
        std::ofstream(scratch + "/alsoft.conf") << "[general]\ndrivers = wave\nsample-type = int16\nchannels = stereo\n"
                                                   "frequency = 44100\n[wave]\nfile = " << scratch << "/device.wav\n";
        setenv("ALSOFT_CONF", (scratch + "/alsoft.conf").c_str(), 1);
        new KpHeadlessGame();   // opens files through the data paths, as every host does
        gc_set_root_marker([] {
            gc_mark_q(kp_audio_device);
            for (gc_object* obj : kept) gc_mark_q(obj);
        });
    }
    void TearDown() override { delete folder; }
};

testing::Environment* const environment = testing::AddGlobalTestEnvironment(new AudioEnvironment());

// The recording between two moments, left and right samples interleaved.
std::vector<int16_t> Samples(double from, double to) {
    WaitFor(to + kWrittenLag);
    std::ifstream in(scratch + "/device.wav", std::ios::binary);
    const std::string file(std::istreambuf_iterator<char>(in), {});
    EXPECT_NE(file.find("data"), std::string::npos) << "no recording: the wave-file backend is needed";
    const size_t first = file.find("data") + 8 + 4 * static_cast<size_t>(std::max(0.0, from) * kHertz);
    const size_t last = file.find("data") + 8 + 4 * static_cast<size_t>(to * kHertz);
    // A recording that stops short must not read as silence.
    if (file.find("data") == std::string::npos || last > file.size() || first >= last) {
        ADD_FAILURE() << "no recording from " << from << " s to " << to << " s: the file holds " << file.size() << " bytes";
        return {};
    }
    std::vector<int16_t> samples((last - first) / 2);
    std::copy_n(file.data() + first, samples.size() * 2, reinterpret_cast<char*>(samples.data()));
    return samples;
}

}  // namespace

const std::string& ScratchDir() { return scratch; }

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string MakeTone(const std::string& name, int hertz, int bits, int channels, const std::string& synth) {
    const std::string path = scratch + "/" + name;
    // The null input gets the rate too, so that nothing is resampled.
    const std::string layout = "-r " + std::to_string(hertz) + " -c " + std::to_string(channels);
    const std::string command = "sox -V1 " + layout + " -n " + layout + " -b " + std::to_string(bits) + " '" + path + "' synth " + synth;
    EXPECT_TRUE(Shell(command)) << command;
    return path;
}

void Keep(gc_object* obj) {
    gc_mark_q(obj);
    kept.push_back(obj);
}

void DropKept() { kept.clear(); }

void CollectAll() {
    // Two cycles: the first queues the roots as they are now, the second sweeps by them.
    gc_collect_all();
    gc_collect_all();
    gc_flush_free(gc_free_bytes);
}

gxtkAudio* Device() {
    if (!device) {
        kp_audio_SetAudioDevice(device = new gxtkAudio());
        if (device->alcDevice) {
            getInteger64 = reinterpret_cast<LPALCGETINTEGER64VSOFT>(alcGetProcAddress(device->alcDevice, "alcGetInteger64vSOFT"));
        }
    }
    EXPECT_TRUE(device->alcDevice && getInteger64) << "an OpenAL Soft device with its clock is needed";
    return device;
}

double Clock() {
    ALCint64SOFT nanoseconds = 0;
    if (Device()->alcDevice && getInteger64) getInteger64(device->alcDevice, ALC_DEVICE_CLOCK_SOFT, 1, &nanoseconds);
    return static_cast<double>(nanoseconds) / 1e9;
}

void WaitFor(double seconds) {
    constexpr int kMaxPolls = 20000;  // 100 s of polls: a stalled device ends the wait
    for (int i = 0; i < kMaxPolls && Clock() < seconds; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

double Rms(double from, double to, int channel) {
    const std::vector<int16_t> s = Samples(from, to);
    double sum = 0;
    size_t n = 0;
    for (size_t i = channel < 0 ? 0 : channel; i < s.size(); i += channel < 0 ? 1 : 2, ++n) sum += static_cast<double>(s[i]) * s[i];
    return n ? std::sqrt(sum / n) / 32768.0 : std::nan("");
}

double Frequency(double from, double to) {
    const std::vector<int16_t> s = Samples(from, to);
    if (s.empty()) return std::nan("");
    int crossings = 0;
    for (size_t i = 2; i < s.size(); i += 2) crossings += (s[i - 2] < 0) != (s[i] < 0);
    return crossings / 2.0 / (to - from);
}

}  // namespace audio_test
