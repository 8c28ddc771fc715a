#include "tests/game/shell_harness.h"

#include <AL/al.h>
#include <unistd.h>

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "host/program.h"
#include "runtime/gc.h"

namespace {
constexpr double kStartClock = 1000.0;

// Applications of earlier harnesses, kept alive for the life of the process.
std::vector<c_MyApp*>& Graveyard() {
    static std::vector<c_MyApp*> apps;
    return apps;
}

void MarkRootsAndGraveyard() {
    kpMarkRoots();
    for (c_MyApp* app : Graveyard()) gc_mark_q(app);
}

// Hosts of every harness, kept reachable: the framework may still point at one.
// Never destroyed, so that they are still reachable when leaks are checked at exit.
std::vector<KpHeadlessGame*>& Hosts() {
    static std::vector<KpHeadlessGame*>* hosts = new std::vector<KpHeadlessGame*>();
    return *hosts;
}

int HarnessCount() {
    static int count = 0;
    return count++;
}
}  // namespace

ShellHarness::ShellHarness(int windowW, int windowH) {
    const int index = HarnessCount();
    stateFile_ = "/tmp/glimmer_shell_state_" + std::to_string(getpid()) + "_" + std::to_string(index);
    unlink(stateFile_.c_str());

    // Hosts are never deleted: the framework keeps a pointer to the host it started with.
    host_ = new KpHeadlessGame();
    Hosts().push_back(host_);
    host_->SetWindowSize(windowW, windowH);
    host_->SetClockMillis(kStartClock);
    host_->SetStateFile(stateFile_);
    if (index == 0) {
        kp_std_main(0, nullptr);
    } else {
        kpInit();
        kpMain();
    }
    gc_set_root_marker(MarkRootsAndGraveyard);
    app_ = static_cast<c_MyApp*>(kp_app__app);
    Graveyard().push_back(app_);
    host_->Start();
}

ShellHarness::~ShellHarness() {
    unlink(stateFile_.c_str());
}

void ShellHarness::FinishLoading() {
    for (int i = 0; i < 200 && app_->m_loadStep > 0; ++i) Step();
    Step();
}

void ShellHarness::PressKey(int key) {
    host_->KeyDown(key);
    Step();
    host_->KeyUp(key);
    Step();
}

void ShellHarness::Click(float x, float y) {
    host_->MouseMove(x, y);
    host_->MouseDown(0, x, y);
    Step();
    host_->MouseUp(0, x, y);
    Step();
}

std::vector<DrawRecord> ShellHarness::Records() const {
    std::vector<DrawRecord> out;
    const float* list = app_->m_drawList.Data();
    for (int i = 0; i + kDrawRecordFloats <= app_->m_drawCount; i += kDrawRecordFloats) {
        const float* r = list + i;
        DrawRecord d;
        d.kind = r[0];
        d.x = r[1];
        d.y = r[2];
        d.rot = r[3];
        d.sx = r[4];
        d.sy = r[5];
        d.frame = r[6];
        d.alpha = r[7];
        d.red = r[10];
        d.green = r[11];
        d.blue = r[12];
        d.blend = r[13];
        out.push_back(d);
    }
    return out;
}

std::vector<DrawRecord> ShellHarness::RecordsOfKind(float kind) const {
    std::vector<DrawRecord> out;
    for (const DrawRecord& d : Records()) {
        if (d.kind == kind) out.push_back(d);
    }
    return out;
}

float ChannelPitch(int channel) {
    float pitch = -1.0f;
    ALuint source = kp_audio_device->channels[channel].source;
    if (source) alGetSourcef(source, AL_PITCH, &pitch);
    return pitch;
}

float ChannelGain(int channel) {
    float gain = -1.0f;
    ALuint source = kp_audio_device->channels[channel].source;
    if (source) alGetSourcef(source, AL_GAIN, &gain);
    return gain;
}

bool ChannelHoldsSound(const c_MyApp& app, int channel, int soundSlot) {
    c_Sound* sound = app.m_sounds.Get(soundSlot);
    return sound != nullptr && kp_audio_device->channels[channel].sample == sound->m_sample;
}
