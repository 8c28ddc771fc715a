#include "tests/framework/test_app.h"

#include <cstring>

#include "framework/program.h"
#include "graphics/graphics_module.h"
#include "input/input_device.h"
#include "runtime/errors.h"

namespace {

constexpr int kRate = 60;

}  // namespace

c_TestApp* c_TestApp::m_new() {
    c_App::m_new();
    return this;
}

int c_TestApp::p_OnCreate() {
    ++m_creates;
    kp_app_SetUpdateRate(kRate);
    return 0;
}

int c_TestApp::p_OnUpdate() {
    ++m_updates;
    m_hitsSeen += kp_input_KeyHit(kKeyA);
    if (m_updates == 1 && ::argc > 1 && std::strcmp(::argv[1], "--error") == 0) kpError(String("Test failure"));
    return 0;
}

int c_TestApp::p_OnRender() {
    ++m_renders;
    if (kp_graphics_renderDevice) ++m_rendersWithDevice;
    kp_graphics_Cls(0, 0, 0);
    return 0;
}

c_App* kpCreateApplication() { return (new c_TestApp())->m_new(); }
