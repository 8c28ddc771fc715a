// The program's one seeded pseudo-random generator and the small math helpers.
//
// A 32-bit linear congruential generator: every draw in the game advances the
// same global seed, so the order of draws is part of the game's behaviour.
#pragma once

#include <cstdint>

extern int kp_random_Seed;

constexpr uint32_t kRandomMultiplier = 1664525u;
constexpr uint32_t kRandomIncrement = 1013904223u;
constexpr float kRandomUnit = 5.9604645e-08f;  // 2^-24

// Advances `seed` one step and returns the new value.
inline uint32_t kp_random_Step(uint32_t seed) { return seed * kRandomMultiplier + kRandomIncrement; }
// The value in [0, 1) that a seed gives.
inline float kp_random_Unit(uint32_t seed) { return static_cast<float>(seed >> 8) * kRandomUnit; }

float kp_random_Rnd();                          // next value in [0, 1)
float kp_random_Rnd2(float low, float high);    // low + (high - low) * r
float kp_random_Rnd3(float range);              // r * range

int kp_math_Abs(int x);
float kp_math_Abs2(float x);
int kp_math_Max(int a, int b);
float kp_math_Max2(float a, float b);
int kp_math_Min(int a, int b);
float kp_math_Min2(float a, float b);
