#include "tools/soak/soak_meter.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>

#include "runtime/gc.h"

namespace {
constexpr double kMiB = 1024.0 * 1024.0;
}  // namespace

long SoakResidentBytes() {
    long pages = 0;
    long resident = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
    return resident * sysconf(_SC_PAGESIZE);
}

double SoakWallMs() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

double SoakCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

void SoakMeter::NoteUpdate(double updateMs, double updateCpuMs, double renderMs) {
    ++updates;
    maxUpdateMs = std::max(maxUpdateMs, updateMs);
    maxUpdateCpuMs = std::max(maxUpdateCpuMs, updateCpuMs);
    maxRenderMs = std::max(maxRenderMs, renderMs);
    totalUpdateMs += updateMs;
    totalRenderMs += renderMs;
    const int live = gc_alloced_bytes;
    if (fresh_) {
        current_.liveMin = current_.liveMax = live;
        fresh_ = false;
    }
    current_.liveMin = std::min(current_.liveMin, live);
    current_.liveMax = std::max(current_.liveMax, live);
}

void SoakMeter::NoteCollect(double collectMs, double collectCpuMs) {
    ++collects;
    maxCollectMs = std::max(maxCollectMs, collectMs);
    maxCollectCpuMs = std::max(maxCollectCpuMs, collectCpuMs);
    totalCollectMs += collectMs;
}

void SoakMeter::EndMinute() {
    current_.residentBytes = SoakResidentBytes();
    minutes_.push_back(current_);
    current_ = SoakMinute();
    fresh_ = true;
}

bool SoakMeter::Flat(int warmupMinutes, long liveSlack, long residentSlack, std::FILE* report) const {
    if (static_cast<int>(minutes_.size()) <= warmupMinutes) return true;
    const SoakMinute& base = minutes_[static_cast<size_t>(warmupMinutes)];
    long liveGrowth = 0;
    long residentGrowth = 0;
    for (size_t m = static_cast<size_t>(warmupMinutes); m < minutes_.size(); ++m) {
        liveGrowth = std::max(liveGrowth, static_cast<long>(minutes_[m].liveMin) - base.liveMin);
        residentGrowth = std::max(residentGrowth, minutes_[m].residentBytes - base.residentBytes);
    }
    std::fprintf(report, "after warm-up: live floor grew by at most %.3f MiB (limit %.3f), resident by %.3f MiB (limit %.3f)\n",
                 liveGrowth / kMiB, liveSlack / kMiB, residentGrowth / kMiB, residentSlack / kMiB);
    return liveGrowth <= liveSlack && residentGrowth <= residentSlack;
}

void SoakMeter::Print(std::FILE* out, int warmupMinutes) const {
    std::fprintf(out, "minute  live-min MiB  live-max MiB  resident MiB\n");
    for (size_t m = 0; m < minutes_.size(); ++m) {
        std::fprintf(out, "%6zu  %12.3f  %12.3f  %12.3f%s\n", m + 1, minutes_[m].liveMin / kMiB,
                     minutes_[m].liveMax / kMiB, minutes_[m].residentBytes / kMiB,
                     static_cast<int>(m) + 1 == warmupMinutes ? "   (end of warm-up)" : "");
    }
    std::fprintf(out, "updates %ld: longest %.3f ms wall-clock, %.3f ms CPU; mean %.4f ms (collection excluded)\n",
                 updates, maxUpdateMs, maxUpdateCpuMs, updates ? totalUpdateMs / updates : 0.0);
    std::fprintf(out, "renders %ld: longest %.3f ms, mean %.4f ms\n", updates, maxRenderMs,
                 updates ? totalRenderMs / updates : 0.0);
    std::fprintf(out, "collection steps %ld: longest %.3f ms wall-clock, %.3f ms CPU; mean %.4f ms; "
                 "collector high-water mark %.3f MiB\n", collects, maxCollectMs, maxCollectCpuMs,
                 collects ? totalCollectMs / collects : 0.0, gc_max_alloced_bytes / kMiB);
}
