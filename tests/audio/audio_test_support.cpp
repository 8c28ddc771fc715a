#include "tests/audio/audio_test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "audio/sound.h"
#include "host/data_paths.h"
#include "runtime/gc.h"

namespace audio_test {
namespace {

// Opens files through the data-path mapping, like the desktop host.
class TestGame : public KpGame {
public:
    String PathToFilePath(const String& path) override { return kp_data_MapVirtualPath(path); }
};

std::string scratch;
std::string wavePath;

void MarkRoots() {
    gc_mark_q(kp_audio_device);
    for (gc_object* obj : Roots()) gc_mark_q(obj);
}

// Sets up the scratch folder and the OpenAL configuration before any OpenAL call.
class AudioEnvironment : public testing::Environment {
public:
    void SetUp() override {
        char pattern[] = "/tmp/glimmer-audio-XXXXXX";
        if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
        scratch = pattern;
        wavePath = scratch + "/device.wav";
        std::string conf = scratch + "/alsoft.conf";
        std::ofstream(conf) << "[general]\ndrivers = wave\nsample-type = int16\nchannels = stereo\n"
                               "frequency = 44100\n[wave]\nfile = " << wavePath << "\n";
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        if (chdir(scratch.c_str()) != 0) throw std::runtime_error("chdir failed");
        Shell("mkdir -p data");
        new TestGame();
        gc_set_root_marker(MarkRoots);
    }
    void TearDown() override { Shell("rm -rf '" + scratch + "'"); }
};

testing::Environment* const environment = testing::AddGlobalTestEnvironment(new AudioEnvironment());

uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }

Recording ReadDeviceWave(const std::string& path) {
    std::vector<unsigned char> bytes = ReadFileBytes(path);
    Recording rec;
    int channels = 0;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        uint32_t size = Le32(&bytes[pos + 4]);
        if (std::memcmp(&bytes[pos], "fmt ", 4) == 0) {
            channels = bytes[pos + 10] | (bytes[pos + 11] << 8);
            rec.hertz = static_cast<int>(Le32(&bytes[pos + 12]));
        } else if (std::memcmp(&bytes[pos], "data", 4) == 0) {
            // Everything to the end of the file: the size field is only final after a clean close.
            for (size_t i = pos + 8; i + 2 * channels <= bytes.size(); i += 2 * channels) {
                auto at = [&](int c) { return static_cast<int16_t>(bytes[i + 2 * c] | (bytes[i + 2 * c + 1] << 8)) / 32768.0f; };
                rec.left.push_back(at(0));
                rec.right.push_back(at(channels > 1 ? 1 : 0));
            }
            break;
        }
        pos += 8 + size;
    }
    return rec;
}

}  // namespace

const std::string& ScratchDir() { return scratch; }
const std::string& DeviceWavePath() { return wavePath; }

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string MakeTone(const std::string& name, int hertz, int bits, int channels, const std::string& synth) {
    std::string path = scratch + "/" + name;
    // The null input gets the rate too, so that nothing is resampled.
    std::string layout = "-r " + std::to_string(hertz) + " -c " + std::to_string(channels);
    std::string command = "sox -V1 " + layout + " -n " + layout + " -b " + std::to_string(bits) + " '" + path +
                          "' synth " + synth;
    if (!Shell(command)) ADD_FAILURE() << "sox failed: " << command;
    return path;
}

std::vector<unsigned char> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<gc_object*>& Roots() {
    static std::vector<gc_object*> roots;
    return roots;
}

void Keep(gc_object* obj) {
    gc_mark_q(obj);
    Roots().push_back(obj);
}

void CollectAll() {
    // Two cycles: the first queues the roots as they are now, the second sweeps by them.
    gc_collect_all();
    gc_collect_all();
    gc_flush_free(gc_free_bytes);
}

double Recording::Rms(double from, double to, bool rightChannel) const {
    const std::vector<float>& s = rightChannel ? right : left;
    size_t a = static_cast<size_t>(std::max(0.0, from) * hertz);
    size_t b = std::min(s.size(), static_cast<size_t>(to * hertz));
    if (b <= a) return 0;
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += double{s[i]} * s[i];
    return std::sqrt(sum / static_cast<double>(b - a));
}

double Recording::Frequency(double from, double to) const {
    size_t a = static_cast<size_t>(from * hertz);
    size_t b = std::min(left.size(), static_cast<size_t>(to * hertz));
    if (b <= a + 1) return 0;
    int crossings = 0;
    for (size_t i = a + 1; i < b; ++i) {
        if ((left[i - 1] < 0) != (left[i] < 0)) ++crossings;
    }
    return crossings / 2.0 / (static_cast<double>(b - a) / hertz);
}

DeviceSession::DeviceSession() {
    // The recording starts when the context is made, at the end of construction.
    device_ = new gxtkAudio();
    opened_ = std::chrono::steady_clock::now();
    kp_audio_SetAudioDevice(device_);
}

DeviceSession::~DeviceSession() {
    if (device_) Close();
}

double DeviceSession::Now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - opened_).count();
}

void DeviceSession::WaitUntil(double seconds) {
    double left = seconds - Now();
    if (left > 0) std::this_thread::sleep_for(std::chrono::duration<double>(left));
}

Recording DeviceSession::Close() {
    // Samples of this device must not outlive it: stop everything, let the
    // collector free the samples, and only then close the device, whose last
    // flush deletes their buffers.
    for (int channel = 0; channel < kAudioChannelCount; ++channel) device_->StopChannel(channel);
    Roots().clear();
    CollectAll();
    device_->CloseDevice();
    kp_audio_device = nullptr;
    device_ = nullptr;
    CollectAll();
    return ReadDeviceWave(wavePath);
}

}  // namespace audio_test
