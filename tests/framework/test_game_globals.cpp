// The game's part of the program's start-up, for the framework's own small
// application: it has no module globals of its own.
#include "framework/program.h"

void kpInitGameGlobals() {}
void kpMarkGameRoots() {}
