// Rate limits per player key and per address: a token bucket for each, so a
// burst is allowed and a flood is refused (429) before it costs a
// verification. The buckets live in the server's memory: they are a guard of
// this process's CPU, lost harmlessly at a restart, and behind a load
// balancer each server limits what it is sent.
#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

class RateLimiter {
public:
    using Clock = std::chrono::steady_clock;

    // `burst` requests at once, then one per `perSeconds` on average.
    RateLimiter(double burst, double perSeconds);
    // Takes a token of `who`'s bucket; false when it is empty.
    bool Allow(const std::string& who, Clock::time_point now = Clock::now());
    // Seconds until `who` has a token again (for Retry-After).
    int RetryAfter(const std::string& who, Clock::time_point now = Clock::now());
    size_t Tracked();

private:
    struct Bucket {
        double tokens;
        Clock::time_point at;
    };
    Bucket& Refilled(const std::string& who, Clock::time_point now);
    void Forget(Clock::time_point now);   // full buckets are dropped: memory stays bounded by the active clients

    const double burst_;
    const double perSeconds_;
    std::unordered_map<std::string, Bucket> buckets_;
    Clock::time_point lastSweep_{};
    std::mutex mutex_;
};
