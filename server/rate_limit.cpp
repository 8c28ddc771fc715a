#include "server/rate_limit.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr auto kSweepEvery = std::chrono::seconds(60);

}  // namespace

RateLimiter::RateLimiter(double burst, double perSeconds) : burst_(burst), perSeconds_(perSeconds) {}

RateLimiter::Bucket& RateLimiter::Refilled(const std::string& who, Clock::time_point now) {
    auto found = buckets_.find(who);
    if (found == buckets_.end()) found = buckets_.emplace(who, Bucket{burst_, now}).first;
    Bucket& bucket = found->second;
    const double seconds = std::chrono::duration<double>(now - bucket.at).count();
    if (seconds > 0) {
        bucket.tokens = std::min(burst_, bucket.tokens + seconds / perSeconds_);
        bucket.at = now;
    }
    return bucket;
}

void RateLimiter::Forget(Clock::time_point now) {
    if (now - lastSweep_ < kSweepEvery) return;
    lastSweep_ = now;
    for (auto it = buckets_.begin(); it != buckets_.end();) {
        const double seconds = std::chrono::duration<double>(now - it->second.at).count();
        if (it->second.tokens + seconds / perSeconds_ >= burst_) {
            it = buckets_.erase(it);
        } else {
            ++it;
        }
    }
}

bool RateLimiter::Allow(const std::string& who, Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    Forget(now);
    Bucket& bucket = Refilled(who, now);
    if (bucket.tokens < 1) return false;
    bucket.tokens -= 1;
    return true;
}

int RateLimiter::RetryAfter(const std::string& who, Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    const Bucket& bucket = Refilled(who, now);
    return std::max(1, static_cast<int>(std::ceil((1 - bucket.tokens) * perSeconds_)));
}

size_t RateLimiter::Tracked() {
    std::lock_guard<std::mutex> lock(mutex_);
    return buckets_.size();
}
