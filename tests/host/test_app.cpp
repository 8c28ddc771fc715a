#include "tests/host/test_app.h"

#include <cstring>

#include "graphics/graphics_module.h"
#include "host/program.h"
#include "input/input_device.h"
#include "runtime/errors.h"

namespace {

constexpr int kRate = 60;
constexpr int kKeyA = 65;

bool HasSwitch(const char* name) {
    for (int i = 1; i < ::argc; ++i) {
        if (::argv && ::argv[i] && std::strcmp(::argv[i], name) == 0) return true;
    }
    return false;
}

void Trace(const char* line) {
    if (HasSwitch("--trace")) kpPrint(String(line));
}

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

int c_TestApp::p_OnSuspend() {
    ++m_suspends;
    m_suspended = true;
    Trace("suspend");
    return 0;
}

int c_TestApp::p_OnResume() {
    ++m_resumes;
    m_suspended = false;
    Trace("resume");
    return 0;
}

int c_TestApp::p_OnUpdate() {
    ++m_updates;
    m_hitsSeen += kp_input_KeyHit(kKeyA);
    if (m_updates == 1 && HasSwitch("--error")) kpError(String("Test failure"));
    return 0;
}

int c_TestApp::p_OnRender() {
    ++m_renders;
    if (kp_graphics_renderDevice) ++m_rendersWithDevice;
    if (m_suspended) Trace("render while suspended");
    kp_graphics_Cls(0, 0, 0);
    return 0;
}

c_App* kpCreateApplication() { return (new c_TestApp())->m_new(); }
