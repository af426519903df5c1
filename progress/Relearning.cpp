#include "progress/Relearning.h"

namespace RelearnRule {

RelearnState missed(const QDate &day)
{
    return RelearnState{day.addDays(DaysAfterMiss), 0, day};
}

std::optional<RelearnState> rightFirstTry(const RelearnState &state, const QDate &day)
{
    if (!day.isValid() || (state.LastDay.isValid() && day <= state.LastDay)) return state;
    if (state.CleanDays + 1 >= CleanDaysToRetire) return std::nullopt;
    return RelearnState{day.addDays(DaysAfterClean), state.CleanDays + 1, day};
}

bool due(const RelearnState &state, const QDate &today)
{
    return state.Due.isValid() && today >= state.Due;
}

} // namespace RelearnRule
