#include "platform/Random.h"

int Random::below(int64_t n)
{
    if (n <= 0) return 0;
    std::uniform_int_distribution<int64_t> d(0, n - 1);
    return static_cast<int>(d(m_generator));
}
