#pragma once

#include <QDate>
#include <optional>

// Where a missed problem or fact stands in its relearning on later days.
struct RelearnState
{
    // The first day it is due again.
    QDate Due;
    // Later days on which it was right at first try.
    int CleanDays = 0;
    // The last day that counted: the miss, or the last clean day.
    QDate LastDay;
    bool operator==(const RelearnState &) const = default;
};

// Relearning in later sessions is where retrieval practice pays (Latimier et al. 2021): a
// miss comes back on the next day the player plays, and once it is right, again about a week
// later, until it has been right at first try on two separate later days. A new miss starts
// it over.
namespace RelearnRule {
inline constexpr int DaysAfterMiss = 1;
inline constexpr int DaysAfterClean = 7;
inline constexpr int CleanDaysToRetire = 2;

RelearnState missed(const QDate &day);
// After a first-try right answer on day; empty once it is retired. The day of the miss, or a
// day already counted, changes nothing.
std::optional<RelearnState> rightFirstTry(const RelearnState &state, const QDate &day);
bool due(const RelearnState &state, const QDate &today);
} // namespace RelearnRule
