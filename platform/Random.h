#pragma once

#include <cstdint>

// The shared pseudo-random generator, reseeded from the clock before each problem.
void randomize();
void randomSeed(uint32_t seed);
// Uniform in [0, n); 0 when n <= 0.
int randomBelow(int64_t n);
