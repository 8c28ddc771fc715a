#include "tests/audio/allocation_counter.h"

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define AUDIO_TEST_NO_MALLOC_HOOK 1
#endif

namespace {
thread_local bool counting = false;
thread_local long allocations = 0;
}  // namespace

#ifndef AUDIO_TEST_NO_MALLOC_HOOK
// glibc's own allocator entry points; the definitions below replace malloc
// and friends for the whole process and forward to them.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void __libc_free(void* p);

void* malloc(size_t size) {
    if (counting) ++allocations;
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    if (counting) ++allocations;
    return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
    if (counting) ++allocations;
    return __libc_realloc(p, size);
}
void free(void* p) { __libc_free(p); }
}
#endif

namespace audio_test {

bool AllocationCountingAvailable() {
#ifdef AUDIO_TEST_NO_MALLOC_HOOK
    return false;
#else
    return true;
#endif
}

void StartCountingAllocations() {
    allocations = 0;
    counting = true;
}

long StopCountingAllocations() {
    counting = false;
    return allocations;
}

}  // namespace audio_test
