// The token buckets on a clock the test moves: a burst, then one request per
// period, per client, and idle clients forgotten.
#include <gtest/gtest.h>

#include "server/rate_limit.h"

namespace {

using namespace std::chrono_literals;

TEST(RateLimiter, BurstThenOnePerPeriodPerClient) {
    RateLimiter limiter(3, 2);
    const RateLimiter::Clock::time_point t0{};
    struct Row {
        const char* who;
        std::chrono::milliseconds at;
        bool allowed;
    } rows[] = {
        {"a", 0ms, true},     {"a", 0ms, true},    {"a", 0ms, true}, {"a", 0ms, false},  // the burst
        {"b", 0ms, true},                                                              // another client's own bucket
        {"a", 1999ms, false}, {"a", 2000ms, true}, {"a", 2000ms, false},               // one every 2 s
        {"a", 60000ms, true}, {"a", 60000ms, true}, {"a", 60000ms, true}, {"a", 60000ms, false},  // refilled, never past the burst
    };
    for (const Row& row : rows) {
        EXPECT_EQ(limiter.Allow(row.who, t0 + row.at), row.allowed) << row.who << " at " << row.at.count() << " ms";
    }
    EXPECT_EQ(limiter.RetryAfter("a", t0 + 60000ms), 2);
}

TEST(RateLimiter, IdleClientsAreForgotten) {
    RateLimiter limiter(2, 1);
    const RateLimiter::Clock::time_point t0 = RateLimiter::Clock::time_point{} + 1h;
    for (int i = 0; i < 1000; ++i) limiter.Allow("client" + std::to_string(i), t0);
    EXPECT_EQ(limiter.Tracked(), 1000u);
    limiter.Allow("late", t0 + 2min);
    EXPECT_EQ(limiter.Tracked(), 1u) << "full buckets are dropped at the next sweep";
}

}  // namespace
