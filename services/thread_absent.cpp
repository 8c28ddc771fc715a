// The web build has no threads: no runtime thread ever runs, so none is a
// collector root.
#include "services/thread.h"

void kpMarkRunningThreads() {}
