// The server's counters in the Prometheus text format (GET /metrics):
// requests by route and status, verification time as a histogram, and the
// gauges the caller reads at scrape time (queue length, runs stored).
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class Metrics {
public:
    void CountRequest(const std::string& route, int status);
    void ObserveVerification(double seconds, bool valid);
    // The exposition text, with the gauges given as (name, help, value).
    std::string Text(const std::vector<std::pair<std::string, std::pair<std::string, double>>>& gauges);

private:
    std::mutex mutex_;
    std::map<std::pair<std::string, int>, long long> requests_;
    std::vector<long long> buckets_ = std::vector<long long>(kBounds.size(), 0);
    double sum_ = 0;
    long long count_ = 0;
    long long valid_ = 0;
    long long refused_ = 0;

public:
    // Upper bounds of the verification-time buckets, in seconds.
    static inline const std::vector<double> kBounds = {0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};
};
