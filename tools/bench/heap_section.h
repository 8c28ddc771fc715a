// The collector on a synthetic heap: allocation rate of short-lived objects,
// then a live heap of about a million small objects (scaled) with steady
// garbage, as a game loop would make it, and the incremental steps over it.
#pragma once

// Prints heap_* figures. Installs its own collector roots, so it runs in a
// child process of its own (before the game starts); `scale` multiplies the
// live heap and the amount of work.
void HeapSection(double scale);
