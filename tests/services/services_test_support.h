// Helpers shared by the services tests: a host for file loading, scratch
// files, a gate that holds a thread body until the test opens it, and a
// collector root set the tests control.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

#include "runtime/object.h"

// Makes sure a KpGame exists and writes `bytes` to a fresh scratch file; returns its path.
std::string WriteScratchFile(const std::string& name, const std::string& bytes);

// A one-shot latch: Pass blocks until Open has been called.
class Gate {
public:
    void Open();
    void Pass();

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

// Roots for full collections in tests: the running threads plus `testRoot`.
extern Object* testRoot;
// Installs those roots, runs full collections and destroys all garbage at once.
void CollectAndDestroy();

// An object that records its destruction in a counter the test owns.
class DestructionProbe : public Object {
public:
    explicit DestructionProbe(int* destroyed) : destroyed_(destroyed) {}
    ~DestructionProbe() override { ++*destroyed_; }

private:
    int* destroyed_;
};
