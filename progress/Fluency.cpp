#include "progress/Fluency.h"

#include <cstddef>

namespace FluencyRule {

Fluency judge(const std::vector<TimedAnswer> &last, int64_t thresholdMs)
{
    if (last.empty()) return Fluency::NeverSeen;
    int fast = 0;
    const std::size_t from = last.size() > std::size_t(Kept) ? last.size() - Kept : 0;
    for (std::size_t i = from; i < last.size(); ++i) {
        if (last[i].Right && last[i].Ms <= thresholdMs) ++fast;
    }
    if (fast >= FastNeeded) return Fluency::Fluent;
    return last.back().Right ? Fluency::Slow : Fluency::NotYet;
}

} // namespace FluencyRule
