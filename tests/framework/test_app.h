// A minimal application for the framework tests and the real-program test:
// it sets the update rate to 60, clears the window on every render, counts
// its callbacks, and with the switch --error raises the runtime error
// "Test failure" in its first update.
#pragma once

#include "framework/app.h"

class c_TestApp : public c_App {
public:
    int m_creates = 0, m_updates = 0, m_renders = 0, m_suspends = 0, m_resumes = 0;
    int m_rendersWithDevice = 0;  // renders during which the render device was set
    int m_hitsSeen = 0;           // key hits of key A seen inside updates

    c_TestApp* m_new();
    int p_OnCreate() override;
    int p_OnSuspend() override { ++m_suspends; return 0; }
    int p_OnResume() override { ++m_resumes; return 0; }
    int p_OnUpdate() override;
    int p_OnRender() override;
};
