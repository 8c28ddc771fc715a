#include "host/headless/game.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "host/data_paths.h"
#include "host/input_translation.h"
#include "host/key_codes.h"
#include "host/platform.h"

KpHeadlessGame::KpHeadlessGame() : stateFile_(kStateFileName) {}

void KpHeadlessGame::WindowSize(int* width, int* height) {
    *width = width_;
    *height = height_;
}

void KpHeadlessGame::SetWindowSize(int width, int height) {
    width_ = width;
    height_ = height;
}

std::string KpHeadlessGame::UsePrivateFolder(const std::string& name) {
    static std::vector<std::filesystem::path>* folders = nullptr;
    if (!folders) {
        folders = new std::vector<std::filesystem::path>();
        std::atexit([] {
            std::error_code ignored;
            for (const auto& folder : *folders) std::filesystem::remove_all(folder, ignored);
        });
    }
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    const std::string prefix = "glimmer-" + name + "-";
    const std::filesystem::path folder = temp / (prefix + std::to_string(kp_process_Id()));
    std::error_code ignored;
    // The folders of earlier runs that were killed (a route search stopped by
    // the game) before they could remove their own.
    for (const std::string& entry : kp_file_List(temp.string())) {
        if (entry.compare(0, prefix.size(), prefix) != 0) continue;
        const char* digits = entry.c_str() + prefix.size();
        char* end = nullptr;
        const unsigned long pid = std::strtoul(digits, &end, 10);
        if (end == digits || *end != '\0' || kp_process_Runs(pid)) continue;
        std::filesystem::remove_all(temp / entry, ignored);
    }
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder, ignored);
    folders->push_back(folder);
    stateFile_ = (folder / ".zephyrstate").string();
    return folder.string();
}

String KpHeadlessGame::PathToFilePath(const String& path) { return kp_data_MapVirtualPath(path); }

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
    KeyEvent(kEventKeyDown, kKeyClose);
    KeyEvent(kEventKeyUp, kKeyClose);
}
