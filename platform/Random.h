#pragma once

#include <cstdint>
#include <random>

// A game's pseudo-random generator, reseeded from its clock before each problem.
class Random
{
public:
    void seed(uint32_t seed) { m_generator.seed(seed); }
    // Uniform in [0, n); 0 when n <= 0.
    int below(int64_t n);

private:
    std::mt19937 m_generator{12345u};
};
