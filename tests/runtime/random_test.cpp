// The seeded generator's sequence and the math helpers' edge values.
#include "runtime/random.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kTwoToMinus24 = 1.0 / 16777216.0;

class RandomTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = kp_random_Seed; }
    void TearDown() override { kp_random_Seed = saved_; }
    int saved_ = 0;
};

TEST_F(RandomTest, WorkedSequenceFromTheStartSeed) {
    kp_random_Seed = 1234;
    struct Step {
        uint32_t seed;
        uint32_t units;  // value in units of 2^-24
    };
    const Step steps[] = {{3067928073u, 11984094u}, {889114580u, 3473103u}, {3219257635u, 12575225u}};
    for (const Step& s : steps) {
        float r = kp_random_Rnd();
        EXPECT_EQ(static_cast<uint32_t>(kp_random_Seed), s.seed);
        EXPECT_EQ(static_cast<double>(r), s.units * kTwoToMinus24) << "seed " << s.seed;
    }
}

TEST_F(RandomTest, SeedZeroAndInlineStepsAgree) {
    kp_random_Seed = 0;
    float r = kp_random_Rnd();
    EXPECT_EQ(static_cast<uint32_t>(kp_random_Seed), 1013904223u);
    EXPECT_EQ(static_cast<double>(r), 3960563 * kTwoToMinus24);
    // The inline helpers advance the same way as a draw.
    uint32_t seed = 0;
    for (int i = 0; i < 100; ++i) seed = kp_random_Step(seed);
    kp_random_Seed = 0;
    float last = 0;
    for (int i = 0; i < 100; ++i) last = kp_random_Rnd();
    EXPECT_EQ(static_cast<uint32_t>(kp_random_Seed), seed);
    EXPECT_EQ(last, kp_random_Unit(seed));
    // The largest seed gives the largest value, still below 1.
    EXPECT_EQ(static_cast<double>(kp_random_Unit(0xFFFFFFFFu)), 1.0 - kTwoToMinus24);
}

TEST_F(RandomTest, RangesAdvanceOnceEach) {
    kp_random_Seed = 1234;
    EXPECT_EQ(kp_random_Rnd2(5.0f, 5.0f), 5.0f);
    EXPECT_EQ(static_cast<uint32_t>(kp_random_Seed), 3067928073u) << "Rnd2 draws once";
    EXPECT_EQ(kp_random_Rnd3(0.0f), 0.0f);
    EXPECT_EQ(static_cast<uint32_t>(kp_random_Seed), 889114580u) << "Rnd3 draws once";
    const double r3 = 12575225 * kTwoToMinus24;
    EXPECT_EQ(kp_random_Rnd2(-10.0f, 30.0f), static_cast<float>(-10.0 + 40.0 * r3));
    kp_random_Seed = 1234;
    EXPECT_EQ(kp_random_Rnd3(640.0f), static_cast<float>(640.0 * 11984094 * kTwoToMinus24));
    // Rounded once: low + (high - low) * r evaluated in double, then stored.
    kp_random_Seed = 1234;
    const float low = 0.1f, high = 16777217.0f;
    EXPECT_EQ(kp_random_Rnd2(low, high),
              static_cast<float>(static_cast<double>(low) +
                                 (static_cast<double>(high) - low) * (11984094 * kTwoToMinus24)));
}

TEST(MathHelpers, EdgeValues) {
    EXPECT_EQ(kp_math_Abs(-2), 2);
    EXPECT_EQ(kp_math_Abs(INT_MIN), INT_MIN) << "two's-complement wrap";
    EXPECT_EQ(kp_math_Abs2(-1.5f), 1.5f);
    EXPECT_EQ(kp_math_Max(3, 7), 7);
    EXPECT_EQ(kp_math_Max(-3, -7), -3);
    EXPECT_EQ(kp_math_Max2(2.0f, 1.0f), 2.0f);
    // Equal arguments: Max2 returns its second one (visible with signed zeros).
    EXPECT_TRUE(std::signbit(kp_math_Max2(0.0f, -0.0f)));
    EXPECT_FALSE(std::signbit(kp_math_Max2(-0.0f, 0.0f)));
    EXPECT_EQ(kp_math_Min(3, 7), 3);
    EXPECT_EQ(kp_math_Min2(3.0f, 7.0f), 3.0f);
}

}  // namespace
