// The check of every fuzz target: a property that fails stops the run (the
// fuzzer keeps the input), naming the target and what failed.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

extern const char* const kFuzzTarget;  // each target's name, as its reports begin

inline void Check(bool condition, const std::string& what) {
    if (condition) return;
    std::fprintf(stderr, "%s: %s\n", kFuzzTarget, what.c_str());
    std::abort();
}
