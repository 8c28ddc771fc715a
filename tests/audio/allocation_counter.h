// Counts heap allocations (malloc, calloc, realloc and everything built on
// them, such as operator new) made by the calling thread while counting is on.
#pragma once

namespace audio_test {

// False in sanitizer builds, whose allocator cannot be replaced.
bool AllocationCountingAvailable();
void StartCountingAllocations();
// Stops counting and returns the number of allocations since the start.
long StopCountingAllocations();

}  // namespace audio_test
