#include "tests/testhost/test_game.h"

#include <AL/al.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "audio/audio_device.h"
#include "audio/sound.h"
#include "framework/program.h"
#include "runtime/gc.h"
#include "tools/solver/game_session.h"

namespace {

constexpr double kStartClock = 1000.0;
constexpr int kMaxLoadingUpdates = 400;
[[maybe_unused]] constexpr int kFatalSignals[] = {SIGSEGV, SIGILL, SIGFPE};

// Applications and hosts of earlier TestGames stay reachable for the life of
// the process: the samples are never released into a later device, and the
// framework may still point at a host. Never destroyed, so that leak checks
// at exit still reach them.
struct Graveyard {
    std::vector<c_MyApp*> apps;
    std::vector<KpHeadlessGame*> hosts;
};
Graveyard& Kept() {
    static auto* kept = new Graveyard();
    return *kept;
}

void MarkRootsAndGraveyard() {
    kpMarkRoots();
    for (c_MyApp* app : Kept().apps) gc_mark_q(app);
}

// Starts the runtime once and the program's initialisation every later time.
// The program's fatal-signal handlers would enter the stop protocol; the
// test runner's (a sanitizer's, libFuzzer's) are kept instead.
void BootProgram() {
    static bool booted = false;
    if (booted) {
        kpInit();
        kpMain();
    } else {
#ifdef _WIN32  // faults reach an exception filter, not signal handlers: the program's is kept
        kp_std_main(0, nullptr);
#else
        struct sigaction saved[std::size(kFatalSignals)];
        for (size_t i = 0; i < std::size(kFatalSignals); ++i) sigaction(kFatalSignals[i], nullptr, &saved[i]);
        kp_std_main(0, nullptr);
        for (size_t i = 0; i < std::size(kFatalSignals); ++i) sigaction(kFatalSignals[i], &saved[i], nullptr);
#endif
        booted = true;
    }
    gc_set_root_marker(MarkRootsAndGraveyard);
}

}  // namespace

TestGame::TestGame(const TestGameOptions& options) {
    static int count = 0;
    static TestGamepad unused;
    gamepad_ = &unused;
    if (options.host) {
        host_ = options.host;
    } else {
        // Joystick 0 is the test's gamepad, mapped as the desktop host maps one.
        auto* pad = new TestGamepad();
        gamepad_ = pad;
        host_ = new KpHeadlessGame();
        host_->SetJoysticks([pad](int port, Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons) {
            if (port != 0 || !pad->present) return false;
            kpMapGamepad(pad->axes, pad->buttons, joyx, joyy, joyz, buttons);
            return true;
        });
    }
    Kept().hosts.push_back(host_);
    host_->SetWindowSize(options.width, options.height);
    host_->SetClockMillis(kStartClock);
    stateFile_ = host_->UsePrivateFolder("test" + std::to_string(count++)) + "/.zephyrstate";
    BootProgram();
    app_ = static_cast<c_MyApp*>(kp_app__app);
    Kept().apps.push_back(app_);
    if (options.beforeStart) options.beforeStart(*app_);
    host_->Start();
}

TestGame::~TestGame() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(stateFile_).parent_path(), ignored);
}

// The newest application is the one the framework runs: a TestGame created
// since makes the shared one stale, and it is booted again.
TestGame& TestGame::Shared() {
    static TestGame* game = nullptr;
    // Stale shared games are kept, never destroyed, like the first.
    static auto* stale = new std::vector<TestGame*>();
    if (!game || kp_app__app != game->app_) {
        if (game) stale->push_back(game);
        game = new TestGame();
        game->FinishLoading();
    }
    return *game;
}

void TestGame::FinishLoading() {
    for (int i = 0; i < kMaxLoadingUpdates && app_->m_loadStep > 0; ++i) Step();
    Step();
}

void TestGame::PressKey(int key) {
    host_->KeyDown(key);
    Step();
    host_->KeyUp(key);
    Step();
}

void TestGame::Click(float x, float y) {
    host_->MouseMove(x, y);
    host_->MouseDown(0, x, y);
    Step();
    host_->MouseUp(0, x, y);
    Step();
}

void TestGame::HoldKeys(unsigned keys) {
    HoldScriptKeys(*host_, held_, keys);
    held_ = keys;
}

void TestGame::Play(const InputScript& script, const std::function<void()>& each) {
    for (const ScriptRun& run : script.Runs()) {
        HoldKeys(run.keys);
        for (int i = 0; i < run.updates; ++i) {
            host_->StepWithoutRender();
            if (each) each();
        }
    }
    HoldKeys(0);
}

std::vector<DrawRecord> TestGame::Records(std::optional<float> kind) const {
    std::vector<DrawRecord> out;
    const float* list = app_->m_drawList.Data();
    for (int i = 0; i + kDrawRecordFloats <= app_->m_drawCount; i += kDrawRecordFloats) {
        const float* r = list + i;
        if (!kind || r[0] == *kind) out.push_back({r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7], r[10], r[11], r[12]});
    }
    return out;
}

int TestGame::SoundOn(int channel) const {
    const gxtkSample* sample = kp_audio_device ? kp_audio_device->channels[channel].sample : nullptr;
    for (int slot = 0; sample && slot < kSoundSlots; ++slot) {
        const c_Sound* sound = app_->m_sounds.Get(slot);
        if (sound && sound->m_sample == sample) return slot;
    }
    return -1;
}

InputScript LevelScript(int level) {
    const char* folder = std::getenv("GLIMMER_SOLUTIONS");
    char name[32];
    std::snprintf(name, sizeof name, "/level%02d.keys", level);
    InputScript script;
    std::string error = "GLIMMER_SOLUTIONS names no folder";
    if (!folder || !script.Load(folder + std::string(name), &error)) throw std::runtime_error("level script: " + error);
    return script;
}

void AppendScript(Replay* replay, const InputScript& script) {
    for (const ScriptRun& run : script.Runs()) replay->Append(run.keys, run.updates);
}

InputScript ScriptOf(const Replay& replay) {
    InputScript script;
    for (const ReplayRun& run : replay.runs) script.Append(run.keys, run.updates);
    return script;
}

static float SourceValue(int channel, ALenum what) {
    float value = -1.0f;
    if (ALuint source = kp_audio_device->channels[channel].source) alGetSourcef(source, what, &value);
    return value;
}
float ChannelPitch(int channel) { return SourceValue(channel, AL_PITCH); }
float ChannelGain(int channel) { return SourceValue(channel, AL_GAIN); }

