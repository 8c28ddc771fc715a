#include "tools/testhost/headless_game.h"

#include "host/data_paths.h"
#include "host/input_translation.h"
#include "host/state_file.h"

namespace {

constexpr int kCloseKey = 432;

}  // namespace

KpHeadlessGame::KpHeadlessGame() : stateFile_(kStateFileName) {}

void KpHeadlessGame::WindowSize(int* width, int* height) {
    *width = width_;
    *height = height_;
}

void KpHeadlessGame::SetWindowSize(int width, int height) {
    width_ = width;
    height_ = height;
}

String KpHeadlessGame::PathToFilePath(const String& path) { return kp_data_MapVirtualPath(path); }

int KpHeadlessGame::SaveState(const String& state) { return kp_state_Save(stateFile_.c_str(), state); }

String KpHeadlessGame::LoadState() { return LoadString(String(stateFile_.c_str())); }

void KpHeadlessGame::Start() {
    StartGame();
    Render();
}

void KpHeadlessGame::Step(int updates) {
    for (int i = 0; i < updates; ++i) {
        ++updateTicks_;
        Update();
        Render();
    }
}

void KpHeadlessGame::StepWithoutRender(int updates) {
    for (int i = 0; i < updates; ++i) {
        ++updateTicks_;
        Update();
    }
}

void KpHeadlessGame::Update() {
    if (Started() && !Suspended()) ++updates_;
    UpdateGame();
}

void KpHeadlessGame::Render() {
    if (Started()) ++renders_;
    RenderGame();
}

void KpHeadlessGame::KeyDown(int key) {
    KeyEvent(kEventKeyDown, key);
    int character = KeyToChar(key);
    if (character != 0) KeyEvent(kEventKeyChar, character);
}

void KpHeadlessGame::KeyUp(int key) { KeyEvent(kEventKeyUp, key); }

void KpHeadlessGame::TapKey(int key) {
    KeyDown(key);
    KeyUp(key);
}

void KpHeadlessGame::TypeChar(int character) { KeyEvent(kEventKeyChar, character); }

void KpHeadlessGame::MouseMove(float x, float y) { MouseEvent(kEventMouseMove, -1, x, y); }

void KpHeadlessGame::MouseDown(int button, float x, float y) { MouseEvent(kEventMouseDown, button, x, y); }

void KpHeadlessGame::MouseUp(int button, float x, float y) { MouseEvent(kEventMouseUp, button, x, y); }

void KpHeadlessGame::CloseWindow() {
    KeyEvent(kEventKeyDown, kCloseKey);
    KeyEvent(kEventKeyUp, kCloseKey);
}
