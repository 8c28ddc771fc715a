#include "runtime/random.h"

int kp_random_Seed = 1234;

namespace {
float next_unit(int& state) {
    uint32_t seed = kp_random_Step(static_cast<uint32_t>(state));
    state = static_cast<int>(seed);
    return kp_random_Unit(seed);
}
}  // namespace

float kp_random_Rnd() { return next_unit(kp_random_Seed); }

float kp_random_Rnd2(float low, float high) { return kp_random_Rnd2From(kp_random_Seed, low, high); }

float kp_random_Rnd3(float range) {
    double r = next_unit(kp_random_Seed);
    return static_cast<float>(r * range);
}

float kp_random_RndFrom(int& seed) { return next_unit(seed); }

float kp_random_Rnd2From(int& seed, float low, float high) {
    double r = next_unit(seed);
    return static_cast<float>(static_cast<double>(low) + (static_cast<double>(high) - low) * r);
}

int kp_math_Abs(int x) { return x < 0 ? static_cast<int>(0u - static_cast<unsigned>(x)) : x; }
float kp_math_Abs2(float x) { return x < 0 ? -x : x; }
int kp_math_Max(int a, int b) { return b >= a ? b : a; }
float kp_math_Max2(float a, float b) { return a > b ? a : b; }
int kp_math_Min(int a, int b) { return b <= a ? b : a; }
float kp_math_Min2(float a, float b) { return a < b ? a : b; }
