#include "tools/bench/figures.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

double Seconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace

void BenchFigure(const std::string& name, double value, const char* unit) {
    if (std::isnan(value)) {
        std::printf("%s n/a %s\n", name.c_str(), unit);
    } else {
        std::printf("%s %.3f %s\n", name.c_str(), value, unit);
    }
    std::fflush(stdout);
}

void BenchNote(const std::string& text) {
    std::printf("# %s\n", text.c_str());
    std::fflush(stdout);
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest value with at least p percent of the sample at or below it.
    const double rank = std::ceil(p / 100.0 * static_cast<double>(values.size()));
    const size_t index = rank < 1 ? 0 : std::min(values.size() - 1, static_cast<size_t>(rank) - 1);
    return values[index];
}

double Median(const std::vector<double>& values) { return Percentile(values, 50); }

double WallSeconds() { return Seconds(CLOCK_MONOTONIC); }

double ThreadCpuSeconds() { return Seconds(CLOCK_THREAD_CPUTIME_ID); }

double ProcessCpuSeconds() { return Seconds(CLOCK_PROCESS_CPUTIME_ID); }
