#include "progress/Review.h"

#include <algorithm>

namespace ReviewRule {

ReviewState missed(int64_t problem)
{
    return ReviewState{problem, problem, AfterMiss, 0};
}

std::optional<ReviewState> cleanReview(const ReviewState &state, int64_t problem)
{
    if (state.Clean + 1 >= CleanToRetire) return std::nullopt;
    return ReviewState{problem, problem, AfterClean, state.Clean + 1};
}

bool due(const ReviewState &state, int posedSince)
{
    // Due as the gap-th problem after the one counted from: gap - 1 problems of the player lie
    // between, the one about to be posed being the gap-th.
    return posedSince >= state.Gap - 1;
}

} // namespace ReviewRule

Review::Review(Journal &journal) : m_journal(journal) {}

bool Review::isOn() const
{
    return m_journal.isOn();
}

std::optional<ReviewItem> Review::due(int32_t player,
                                      const std::function<bool(const ReviewItem &)> &canPose) const
{
    using namespace ReviewRule;
    if (!isOn() || m_journal.recentReview(player, ReviewSpacing)) return std::nullopt;
    for (const ReviewItem &item : m_journal.reviews(player, std::max(AfterMiss, AfterClean) - 1)) {
        if (ReviewRule::due(item.State, item.PosedSince) && canPose(item)) return item;
    }
    return std::nullopt;
}

void Review::posed(const ReviewItem &item, int64_t problem)
{
    // Posing does not count as playing it: left unanswered, the item stays due.
    if (isOn()) m_journal.markPosedAsReview(item.Id, problem);
}

void Review::answered(int64_t problem, bool correct, bool finishes)
{
    if (!isOn() || problem == 0) return;
    const std::optional<ReviewItem> carried = m_journal.reviewCarriedBy(problem);
    // A right answer changes something only for a problem up for review: one posed again or
    // missed already. Most are neither, and cost no write.
    if (correct && !carried) return;
    std::optional<ReviewState> state = carried ? std::optional(carried->State) : std::nullopt;
    if (!correct)
        state = ReviewRule::missed(problem);
    else if (finishes && m_journal.cleanReview(problem))
        state = ReviewRule::cleanReview(*state, problem);
    m_journal.keepReview(problem, state);
}
