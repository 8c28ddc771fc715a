#include "runtime/random.h"

int kp_random_Seed = 1234;

namespace {
float next_unit() {
    uint32_t seed = kp_random_Step(static_cast<uint32_t>(kp_random_Seed));
    kp_random_Seed = static_cast<int>(seed);
    return kp_random_Unit(seed);
}
}  // namespace

float kp_random_Rnd() { return next_unit(); }

float kp_random_Rnd2(float low, float high) {
    double r = next_unit();
    return static_cast<float>(static_cast<double>(low) + (static_cast<double>(high) - low) * r);
}

float kp_random_Rnd3(float range) {
    double r = next_unit();
    return static_cast<float>(r * range);
}

int kp_math_Abs(int x) { return x < 0 ? static_cast<int>(0u - static_cast<unsigned>(x)) : x; }
float kp_math_Abs2(float x) { return x < 0 ? -x : x; }
int kp_math_Max(int a, int b) { return b >= a ? b : a; }
float kp_math_Max2(float a, float b) { return a > b ? a : b; }
int kp_math_Min(int a, int b) { return b <= a ? b : a; }
float kp_math_Min2(float a, float b) { return a < b ? a : b; }
