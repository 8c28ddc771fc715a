// Fault handlers in the browser: none. A page raises no signals; a fault in
// the WebAssembly code aborts the program, and the page says it has stopped
// (Module.onAbort in shell.html).
#include "runtime/errors.h"

void kpInstallSignalHandlers() {}
