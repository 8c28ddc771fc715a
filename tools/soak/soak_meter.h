// Figures of a soak: the collector's live bytes and the process's resident
// memory per simulated minute, and the longest update, render and
// collection step.
#pragma once

#include <cstdio>
#include <vector>

// One simulated minute.
struct SoakMinute {
    int liveMin = 0;          // lowest gc_alloced_bytes seen in the minute
    int liveMax = 0;          // highest
    long residentBytes = 0;   // resident set size at the end of the minute
};

// Collects the figures while the soak runs and judges whether memory stayed flat.
class SoakMeter {
public:
    static constexpr int kUpdatesPerMinute = 3600;

    // Wall-clock and thread CPU times in milliseconds. Wall-clock maxima
    // include time the process waited for a processor; CPU maxima do not.
    void NoteUpdate(double updateMs, double updateCpuMs, double renderMs);  // after every update and render
    void NoteCollect(double collectMs, double collectCpuMs);                // every collection step
    void EndMinute();

    // True when, after `warmupMinutes`, the lowest live bytes of every minute
    // and the resident memory stay within the given growth of the first
    // minute after warm-up.
    bool Flat(int warmupMinutes, long liveSlack, long residentSlack, std::FILE* report) const;
    void Print(std::FILE* out, int warmupMinutes) const;

    double maxUpdateMs = 0, maxCollectMs = 0, maxRenderMs = 0;
    double maxUpdateCpuMs = 0, maxCollectCpuMs = 0;
    double totalUpdateMs = 0, totalCollectMs = 0, totalRenderMs = 0;
    long updates = 0, collects = 0;

private:
    std::vector<SoakMinute> minutes_;
    SoakMinute current_;
    bool fresh_ = true;
};

long SoakResidentBytes();  // from /proc/self/statm
double SoakWallMs();       // steady clock
double SoakCpuMs();        // this thread's CPU time
