#include "tests/audio/audio_test_support.h"

#include <AL/alext.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "audio/sound.h"
#include "host/data_paths.h"
#include "host/game_host.h"
#include "runtime/gc.h"

namespace audio_test {
namespace {

constexpr int kHertz = 44100;
constexpr int kFrameBytes = 4;  // stereo, 16 bits
constexpr double kWrittenLag = 0.05;  // beyond a mixing period, before a span is read

// Opens files through the data-path mapping, like the desktop host.
class TestGame : public KpGame {
public:
    String PathToFilePath(const String& path) override { return kp_data_MapVirtualPath(path); }
};

std::string scratch;
std::vector<gc_object*> kept;
gxtkAudio* device = nullptr;
LPALCGETINTEGER64VSOFT getInteger64 = nullptr;

// Sets up the scratch folder and the OpenAL configuration before any OpenAL
// call; closes the device at the end, once its samples are gone.
class AudioEnvironment : public testing::Environment {
public:
    void SetUp() override {
        char pattern[] = "/tmp/glimmer-audio-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern) && chdir(pattern) == 0);
        scratch = pattern;
        std::ofstream(scratch + "/alsoft.conf") << "[general]\ndrivers = wave\nsample-type = int16\nchannels = stereo\n"
                                                   "frequency = 44100\n[wave]\nfile = " << scratch << "/device.wav\n";
        setenv("ALSOFT_CONF", (scratch + "/alsoft.conf").c_str(), 1);
        Shell("mkdir -p data");
        new TestGame();
        gc_set_root_marker([] {
            gc_mark_q(kp_audio_device);
            for (gc_object* obj : kept) gc_mark_q(obj);
        });
    }
    void TearDown() override {
        if (device) {
            for (int channel = 0; channel < kAudioChannelCount; ++channel) device->StopChannel(channel);
            DropKept();
            CollectAll();
            device->CloseDevice();
        }
        Shell("rm -rf '" + scratch + "'");
    }
};

testing::Environment* const environment = testing::AddGlobalTestEnvironment(new AudioEnvironment());

// The samples of the recording between two moments, left and right interleaved.
std::vector<float> Samples(double from, double to) {
    WaitFor(to + kWrittenLag);
    static long dataStart = 0;
    std::ifstream in(scratch + "/device.wav", std::ios::binary);
    if (dataStart == 0) {  // the sample data follows the "data" tag and its size
        const std::string head(std::istreambuf_iterator<char>(in), {});
        dataStart = static_cast<long>(head.find("data") + 8);
    }
    const long first = static_cast<long>(std::max(0.0, from) * kHertz);
    const long count = std::max(0L, static_cast<long>(to * kHertz) - first);
    std::vector<int16_t> raw(static_cast<size_t>(count) * 2);
    in.clear();
    in.seekg(dataStart + first * kFrameBytes);
    in.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size() * 2));
    return std::vector<float>(raw.begin(), raw.begin() + in.gcount() / 2);
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

std::vector<unsigned char> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
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
        device = new gxtkAudio();
        kp_audio_SetAudioDevice(device);
        if (device->alcDevice) {
            getInteger64 = reinterpret_cast<LPALCGETINTEGER64VSOFT>(alcGetProcAddress(device->alcDevice, "alcGetInteger64vSOFT"));
        }
    }
    EXPECT_TRUE(device->alcDevice && getInteger64) << "OpenAL Soft's wave-file backend with its device clock is needed";
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
    const std::vector<float> s = Samples(from, to);
    double sum = 0;
    int n = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (channel < 0 || static_cast<int>(i % 2) == channel) sum += double{s[i]} * s[i], ++n;
    }
    return n ? std::sqrt(sum / n) / 32768.0 : 0;
}

double Frequency(double from, double to) {
    const std::vector<float> s = Samples(from, to);
    int crossings = 0;
    for (size_t i = 2; i < s.size(); i += 2) crossings += (s[i - 2] < 0) != (s[i] < 0);
    return crossings / 2.0 / (to - from);
}

}  // namespace audio_test
