#include "tools/bench/bench_host.h"

#include <GLFW/glfw3.h>

#include "host/glfw/game.h"
#include "tools/bench/figures.h"

namespace {

constexpr int kColourBits = 8;
constexpr double kMicrosPerSecond = 1e6;

}  // namespace

BenchHost::BenchHost() = default;

bool BenchHost::OpenWindow(int width, int height) {
    CloseWindow();
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_RED_BITS, kColourBits);
    glfwWindowHint(GLFW_GREEN_BITS, kColourBits);
    glfwWindowHint(GLFW_BLUE_BITS, kColourBits);
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    glfwWindowHint(GLFW_DEPTH_BITS, 0);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    window_ = glfwCreateWindow(width, height, "Glimmer", nullptr, nullptr);
    ++kpGraphicsSeq;  // textures of any earlier window are gone
    if (!window_) return false;
    glfwMakeContextCurrent(window_);
    glfwSwapInterval(0);
    SetWindowSize(width, height);
    return true;
}

void BenchHost::CloseWindow() {
    if (!window_) return;
    glfwDestroyWindow(window_);
    window_ = nullptr;
}

void BenchHost::MakeCurrent() {
    if (window_) glfwMakeContextCurrent(window_);
}

void BenchHost::ShowFrame() {
    if (HasGraphicsContext()) glfwSwapBuffers(window_);
}

void BenchHost::RenderGame() {
    KpHeadlessGame::RenderGame();
    if (Started()) ShowFrame();
}

void BenchHost::WindowSize(int* width, int* height) {
    if (window_) {
        glfwGetFramebufferSize(window_, width, height);
        return;
    }
    KpHeadlessGame::WindowSize(width, height);
}

bool BenchHost::HasGraphicsContext() { return window_ != nullptr && glfwGetCurrentContext() == window_; }

void BenchHost::gc_collect() {
    const double start = ThreadCpuSeconds();
    KpHeadlessGame::gc_collect();
    const double micros = (ThreadCpuSeconds() - start) * kMicrosPerSecond;
    if (micros > longestCollectMicros_) longestCollectMicros_ = micros;
    ++collectSteps_;
}

void BenchHost::ResetCollectorFigures() {
    longestCollectMicros_ = 0;
    collectSteps_ = 0;
}

