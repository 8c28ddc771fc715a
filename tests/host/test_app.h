// A minimal application for the framework tests and the real-program tests:
// it sets the update rate to 60 and clears the window on every render.
//
// Command-line switches (read from the stored argv):
//   --trace   prints "suspend", "resume" and "render while suspended" lines
//   --error   raises the runtime error "Test failure" in the first update
#pragma once

#include "host/app.h"

// The test application; counts its callbacks so tests can see the framework's routing.
class c_TestApp : public c_App {
public:
    int m_creates = 0;
    int m_updates = 0;
    int m_renders = 0;
    int m_suspends = 0;
    int m_resumes = 0;
    int m_rendersWithDevice = 0;   // renders during which the render device was set
    int m_hitsSeen = 0;            // key hits of key A seen inside updates
    bool m_suspended = false;

    c_TestApp* m_new();
    int p_OnCreate() override;
    int p_OnSuspend() override;
    int p_OnResume() override;
    int p_OnUpdate() override;
    int p_OnRender() override;
};
