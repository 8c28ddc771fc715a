// The seeded generator's worked sequence and the math helpers' edge values.
#include "runtime/random.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr double kUnit = 1.0 / 16777216.0;  // 2^-24, the step of the generator's values

class RandomTest : public ::testing::Test {
protected:
    void TearDown() override { kp_random_Seed = saved_; }
    int saved_ = kp_random_Seed;
};

TEST_F(RandomTest, WorkedSequences) {
    const struct { uint32_t start, seed, units; } steps[] = {
        {1234, 3067928073u, 11984094u}, {3067928073u, 889114580u, 3473103u}, {889114580u, 3219257635u, 12575225u},
        {0, 1013904223u, 3960563u}};
    for (const auto& s : steps) {
        kp_random_Seed = static_cast<int>(s.start);
        const float r = kp_random_Rnd();
        EXPECT_EQ(static_cast<uint32_t>(kp_random_Seed), s.seed) << "from " << s.start;
        EXPECT_EQ(static_cast<double>(r), s.units * kUnit) << "from " << s.start;
        EXPECT_EQ(kp_random_Step(s.start), s.seed) << "the inline step advances as a draw does";
    }
    EXPECT_EQ(static_cast<double>(kp_random_Unit(0xFFFFFFFFu)), 1.0 - kUnit) << "values stay below 1";
}

TEST_F(RandomTest, RangesDrawOnceAndRoundOnce) {
    kp_random_Seed = 1234;
    EXPECT_EQ(kp_random_Rnd2(5.0f, 5.0f), 5.0f);
    EXPECT_EQ(static_cast<uint32_t>(kp_random_Seed), 3067928073u) << "Rnd2 draws once";
    EXPECT_EQ(kp_random_Rnd3(0.0f), 0.0f);
    EXPECT_EQ(static_cast<uint32_t>(kp_random_Seed), 889114580u) << "Rnd3 draws once";
    // Evaluated in double and rounded once; single precision would give 2.78610706.
    kp_random_Seed = 1234;
    EXPECT_EQ(kp_random_Rnd2(-10.0f, 7.9f), 2.7861073f);
}

TEST(MathHelpers, EdgeValues) {
    EXPECT_EQ((std::vector<int>{kp_math_Abs(-2), kp_math_Abs(INT_MIN), kp_math_Max(-3, -7), kp_math_Min(3, 7)}),
              (std::vector<int>{2, INT_MIN, -3, 3})) << "Abs wraps at the most negative int";
    // Equal arguments: Max2 returns its second one (visible with signed zeros).
    EXPECT_TRUE(std::signbit(kp_math_Max2(0.0f, -0.0f)) && !std::signbit(kp_math_Max2(-0.0f, 0.0f)));
}

}  // namespace
