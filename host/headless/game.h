// A host without a window, for whole-application tests, the level solver and
// benchmarks: the caller owns the clock, the window size is configurable, no
// GL context exists (so the renderer makes no GL call), and every update,
// render and input event goes through the host's guarded entries exactly as
// in the windowed program.
//
// Typical use: construct the host, start the program (kp_std_main, which
// creates the application), then Start() and Step() as often as needed.
#pragma once

#include <functional>
#include <string>

#include "host/game_host.h"

// The headless host; becomes KpGame::_game when constructed.
class KpHeadlessGame : public KpGame {
public:
    static constexpr int kDefaultWidth = 640;
    static constexpr int kDefaultHeight = 480;
    static constexpr int kUpdatesPerSecond = 60;

    KpHeadlessGame();

    // The test clock.
    int Millisecs() override { return static_cast<int>(ClockMillis()); }
    double ClockMillis() const { return baseMillis_ + updateTicks_ * 1000.0 / kUpdatesPerSecond; }
    void SetClockMillis(double millis) {
        baseMillis_ = millis;
        updateTicks_ = 0;
    }
    void AdvanceClock(double millis) { baseMillis_ += millis; }

    // The pretend window.
    void WindowSize(int* width, int* height) override;
    void SetWindowSize(int width, int height);
    bool HasGraphicsContext() override { return false; }
    String PathToFilePath(const String& path) override;

    // The state file; "./.zephyrstate" unless redirected (a test's own folder).
    void SetStateFile(const std::string& path) { stateFile_ = path; }
    // Puts the state file, and with it the files kept beside it, in a new
    // folder "glimmer-NAME-PID" of the system's temporary folder, removed when
    // the process ends: a tool never reads or writes a player's files. Such
    // folders of processes no longer running (killed) are removed first. Returns its path.
    std::string UsePrivateFolder(const std::string& name);
    std::string StateFilePath() override { return stateFile_; }

    // Running the application.
    void Start();                    // StartGame, then one RenderGame, as the window host does
    void Step(int updates = 1);      // per update: clock += 1/60 s, UpdateGame, RenderGame
    void StepWithoutRender(int updates = 1);  // the same without rendering (solver, benchmarks)
    void Update();                   // one UpdateGame, clock unchanged
    void Render();                   // one RenderGame
    void Suspend() { SuspendGame(); }
    void Resume() { ResumeGame(); }
    int Updates() const { return updates_; }  // UpdateGame calls that ran
    int Renders() const { return renders_; }  // RenderGame calls that ran

    // Joysticks as the caller plays them: `poll` answers PollJoystick (fills
    // a port's sticks and buttons; false for no joystick there). None until set.
    using JoystickPoll = std::function<bool(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz,
                                            Array<bool> buttons)>;
    void SetJoysticks(JoystickPoll poll) { joysticks_ = std::move(poll); }
    bool PollJoystick(int port, Array<float> joyx, Array<float> joyy, Array<float> joyz, Array<bool> buttons) override {
        return joysticks_ && joysticks_(port, joyx, joyy, joyz, buttons);
    }

    // Input, as the window host would send it.
    void KeyDown(int key);           // key-down, plus the character a control key types
    void KeyUp(int key);
    void TapKey(int key);            // down then up, within the same update
    void TypeChar(int character);
    void MouseMove(float x, float y);
    void MouseDown(int button, float x, float y);  // button 0 left, 1 right, 2 middle
    void MouseUp(int button, float x, float y);
    void CloseWindow();              // the close key, down then up, as a close request sends it

private:
    // The clock counts whole updates apart, so sixty of them are exactly one second.
    double baseMillis_ = 0;
    long long updateTicks_ = 0;
    int width_ = kDefaultWidth;
    int height_ = kDefaultHeight;
    std::string stateFile_;
    int updates_ = 0;
    int renders_ = 0;
    JoystickPoll joysticks_;
};
