#include "host/trace.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr double kMsPerSecond = 1000.0;
constexpr double kPercentile = 0.95;

double Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct TraceState {
    std::set<std::string> seen;      // events already announced for a later frame
    std::vector<std::string> pending;
    double secondStart = 0;
    int updates = 0;
    int dropped = 0;
    std::vector<double> renderMs;
};

TraceState& State() {
    static TraceState* state = new TraceState();
    return *state;
}

void Print(double at, const std::string& text) {
    std::fprintf(stderr, "glimmer-trace %.6f %s\n", at, text.c_str());
    std::fflush(stderr);
}

}  // namespace

bool kpTraceEnabled() {
    static const bool enabled = [] {
        const char* value = std::getenv("GLIMMER_TRACE");
        return value != nullptr && *value != '\0' && std::string(value) != "0";
    }();
    return enabled;
}

void kpTraceEvent(const char* event) {
    if (kpTraceEnabled()) Print(Now(), event);
}

void kpTraceAfterNextFrame(const char* event) {
    if (!kpTraceEnabled()) return;
    TraceState& s = State();
    if (s.seen.insert(event).second) s.pending.push_back(event);
}

void kpTraceUpdate() {
    if (kpTraceEnabled()) ++State().updates;
}

void kpTraceDroppedUpdates(int count) {
    if (kpTraceEnabled()) State().dropped += count;
}

void kpTraceFrame(double renderSeconds) {
    if (!kpTraceEnabled()) return;
    TraceState& s = State();
    const double now = Now();
    for (const std::string& event : s.pending) Print(now, event);
    s.pending.clear();
    s.renderMs.push_back(renderSeconds * kMsPerSecond);
    if (s.secondStart == 0) s.secondStart = now;
    if (now - s.secondStart < 1.0) return;
    std::vector<double> ms = s.renderMs;
    std::sort(ms.begin(), ms.end());
    const size_t p95 = std::min(ms.size() - 1, static_cast<size_t>(kPercentile * static_cast<double>(ms.size())));
    char line[160];
    std::snprintf(line, sizeof line, "second updates=%d frames=%zu dropped=%d render_p95_ms=%.3f render_max_ms=%.3f",
                  s.updates, ms.size(), s.dropped, ms[p95], ms.back());
    Print(now, line);
    s.secondStart = now;
    s.updates = 0;
    s.dropped = 0;
    s.renderMs.clear();
}
