#pragma once

#include <cstdint>
#include <vector>

// How readily a basic fact comes: fluent (right within the threshold in two of its last three
// answers), right but not fluent yet (its last answer right: slow, or fast only once), not
// yet, or never seen.
// Fact fluency is usually called at about 3 s a fact.
enum class Fluency { NeverSeen, NotYet, Slow, Fluent };

// One first-try answer to a fact, timed from the step being asked.
struct TimedAnswer
{
    bool Right = false;
    int64_t Ms = 0;
    bool operator==(const TimedAnswer &) const = default;
};

namespace FluencyRule {
inline constexpr int64_t DefaultThresholdMs = 3000;
// The answers a state is judged on.
inline constexpr int Kept = 3;
inline constexpr int FastNeeded = 2;

// last holds a fact's answers, oldest first; only the last Kept count.
Fluency judge(const std::vector<TimedAnswer> &last, int64_t thresholdMs);
} // namespace FluencyRule
