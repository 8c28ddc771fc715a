#include "graphics/misuse.h"

#include <cstdio>

void kpGraphicsMisuse(const char* what) {
#ifndef NDEBUG
    std::fprintf(stderr, "graphics: ignored %s\n", what);
#else
    (void)what;
#endif
}
