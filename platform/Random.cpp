#include "platform/Random.h"

#include "platform/Clock.h"

#include <random>

namespace {
std::mt19937 &generator()
{
    static std::mt19937 g(12345u);
    return g;
}
} // namespace

void randomize()
{
    generator().seed(GetTickCount());
}

void randomSeed(uint32_t seed)
{
    generator().seed(seed);
}

int randomBelow(int64_t n)
{
    if (n <= 0) return 0;
    std::uniform_int_distribution<int64_t> d(0, n - 1);
    return static_cast<int>(d(generator()));
}
