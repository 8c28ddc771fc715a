// Threads in the browser: none. The web build has no thread library; no
// runtime thread ever runs, so none is a collector root.
#include "services/thread.h"

void kpMarkRunningThreads() {}
