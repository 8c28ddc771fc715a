// The whole game booted on the headless host, as every game-level test uses
// it: the runtime starts once per process, each TestGame creates a fresh
// application on its own host with its own state file, and the test reads
// back what the game recorded (draw records, sound channels).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "game/shell/my_app.h"
#include "host/glfw/input.h"
#include "host/headless/game.h"
#include "tests/lib/test_files.h"
#include "tools/solver/input_script.h"

// One draw record as the render replays it.
struct DrawRecord {
    float kind = 0, x = 0, y = 0, rot = 0, sx = 0, sy = 0, frame = 0, alpha = 0, red = 0, green = 0, blue = 0;
};

// A gamepad at joystick 0 as GLFW reports it: its gamepad axes (a stick
// pushed up reads negative) and buttons (GLFW_PRESS when down), mapped at
// every update by the desktop host's own table. Absent until `present`.
struct TestGamepad {
    bool present = false;
    float axes[kGamepadAxisCount] = {};
    unsigned char buttons[kGamepadButtonCount] = {};
};

struct TestGameOptions {
    int width = KpHeadlessGame::kDefaultWidth;
    int height = KpHeadlessGame::kDefaultHeight;
    KpHeadlessGame* host = nullptr;               // the caller's host, kept for the process; default one with a gamepad
    std::function<void(c_MyApp&)> beforeStart;    // after the application is created, before it starts
};

class TestGame {
public:
    // Boots the program (the first time) or runs its initialisation again,
    // creates the application and starts it, its state file alone in a new
    // folder; the clock starts at 1000 ms.
    explicit TestGame(const TestGameOptions& options = {});
    ~TestGame();  // removes the state file's folder
    TestGame(const TestGame&) = delete;
    TestGame& operator=(const TestGame&) = delete;

    // One game shared by the tests of a process, loaded and on the main menu
    // when first asked for; only the newest TestGame runs.
    static TestGame& Shared();

    KpHeadlessGame& host() { return *host_; }
    TestGamepad& gamepad() { return *gamepad_; }  // the default host's (unused with the caller's own)
    c_MyApp& app() { return *app_; }
    const std::string& stateFile() const { return stateFile_; }

    void Step(int updates = 1) { host_->Step(updates); }
    // Runs until loading is over and the first menu update has run.
    void FinishLoading();
    // A key held for one update and released in the next.
    void PressKey(int key);
    // A left click at a point in window pixels, held for one update.
    void Click(float x, float y);
    // Presses and releases keys so that exactly these script keys are held.
    void HoldKeys(unsigned keys);
    // Holds each run's keys for its updates (not rendered), `each` after every
    // update; every key is up again at the end.
    void Play(const InputScript& script, const std::function<void()>& each = nullptr);

    // The draw records of the last update, all or those of one kind.
    std::vector<DrawRecord> Records(std::optional<float> kind = std::nullopt) const;
    // The sound slot whose sample a channel last started; -1 for none.
    int SoundOn(int channel) const;

private:
    KpHeadlessGame* host_ = nullptr;
    TestGamepad* gamepad_ = nullptr;
    c_MyApp* app_ = nullptr;
    std::string stateFile_;
    unsigned held_ = 0;   // script keys held down
};

// Level n's committed solver script (in the folder GLIMMER_SOLUTIONS names);
// throws, failing the test, when it cannot be read.
InputScript LevelScript(int level);
// A script's keys as a replay's runs, and a replay's runs as a script.
void AppendScript(Replay* replay, const InputScript& script);
InputScript ScriptOf(const Replay& replay);

// A channel's OpenAL pitch and gain; -1 before the channel was first used.
float ChannelPitch(int channel);
float ChannelGain(int channel);

