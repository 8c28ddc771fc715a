// Process start-up: runtime initialisation, the module globals and the
// collector's root set, and creation of the application object. The program
// entry of each platform calls kp_std_main (declared in host/game_host.h).
#pragma once

#include "framework/app.h"

extern int argc;
extern const char** argv;

int kpInit();                                  // assigns every module global
int kpMain();                                  // creates the application
void kpMarkRoots();                            // queues the root globals, in order

// Defined by the game: allocates its application object and calls m_new on it.
c_App* kpCreateApplication();
// Defined by the game: the start values of its own module globals, and the
// queuing of those that hold objects (with the other roots).
void kpInitGameGlobals();
void kpMarkGameRoots();
