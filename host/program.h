// Process start-up: runtime initialisation, the module globals and the
// collector's root set, and creation of the application object.
#pragma once

#include "host/app.h"

extern int argc;
extern const char** argv;

int kp_std_main(int argc, const char** argv);  // runtime and program initialisation
int kpInit();                                  // assigns every module global
int kpMain();                                  // creates the application
void kpMarkRoots();                            // queues the root globals, in order

// Defined by the game: allocates its application object and calls m_new on it.
c_App* kpCreateApplication();
