// The program's one seeded pseudo-random generator and the small math helpers.
//
// A 32-bit linear congruential generator. The program's draws advance one
// global seed; a game round keeps a seed of its own and draws from it with
// the *From forms, so that its sequence is the same whatever else draws. The
// order of draws is part of the game's behaviour.
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
float kp_random_RndFrom(int& seed);             // kp_random_Rnd, advancing `seed`
float kp_random_Rnd2From(int& seed, float low, float high);

int kp_math_Abs(int x);
float kp_math_Abs2(float x);
int kp_math_Max(int a, int b);
float kp_math_Max2(float a, float b);
int kp_math_Min(int a, int b);
float kp_math_Min2(float a, float b);
