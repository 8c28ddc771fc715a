#include "server/metrics.h"

#include <cstdio>

void Metrics::CountRequest(const std::string& route, int status) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++requests_[{route, status}];
}

void Metrics::ObserveVerification(double seconds, bool valid) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < kBounds.size(); ++i) {
        if (seconds <= kBounds[i]) ++buckets_[i];
    }
    sum_ += seconds;
    ++count_;
    ++(valid ? valid_ : refused_);
}

std::string Metrics::Text(const std::vector<std::pair<std::string, std::pair<std::string, double>>>& gauges) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string text;
    char line[256];
    text += "# HELP glimmer_requests_total HTTP requests answered, by route and status.\n";
    text += "# TYPE glimmer_requests_total counter\n";
    for (const auto& [key, count] : requests_) {
        std::snprintf(line, sizeof line, "glimmer_requests_total{route=\"%s\",status=\"%d\"} %lld\n", key.first.c_str(),
                      key.second, count);
        text += line;
    }
    text += "# HELP glimmer_verification_seconds CPU time of the game re-simulating a posted run.\n";
    text += "# TYPE glimmer_verification_seconds histogram\n";
    for (size_t i = 0; i < kBounds.size(); ++i) {
        std::snprintf(line, sizeof line, "glimmer_verification_seconds_bucket{le=\"%g\"} %lld\n", kBounds[i], buckets_[i]);
        text += line;
    }
    std::snprintf(line, sizeof line,
                  "glimmer_verification_seconds_bucket{le=\"+Inf\"} %lld\nglimmer_verification_seconds_sum %.6f\n"
                  "glimmer_verification_seconds_count %lld\n",
                  count_, sum_, count_);
    text += line;
    text += "# HELP glimmer_verifications_total Runs re-simulated, by result.\n";
    text += "# TYPE glimmer_verifications_total counter\n";
    std::snprintf(line, sizeof line,
                  "glimmer_verifications_total{result=\"valid\"} %lld\nglimmer_verifications_total{result=\"refused\"} %lld\n",
                  valid_, refused_);
    text += line;
    for (const auto& [name, gauge] : gauges) {
        std::snprintf(line, sizeof line, "# HELP %s %s\n# TYPE %s gauge\n%s %.17g\n", name.c_str(), gauge.first.c_str(),
                      name.c_str(), name.c_str(), gauge.second);
        text += line;
    }
    return text;
}
