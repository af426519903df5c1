#pragma once

#include "progress/Journal.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

// A missed problem due to be posed again, as it was played.
using ReviewItem = ReviewRecord;

// The schedule, as a plain rule over an item's state. A problem answered wrong at least once
// is due as the third problem of its player after it; missed again, three problems after
// that; answered without a mistake, ten problems after that, and a second clean answer in a
// row retires it. At most one in any three problems of a player is a review.
namespace ReviewRule {
// The problems after the one it was last played in at which an item is due.
inline constexpr int AfterMiss = 3;
inline constexpr int AfterClean = 10;
// Clean answers in a row that retire an item.
inline constexpr int CleanToRetire = 2;
// Problems of the player before the next one that may be a review.
inline constexpr int ReviewSpacing = 2;

// The state of an item missed in problem.
ReviewState missed(int64_t problem);
// After a review answered to its end without a mistake in problem; empty once retired.
std::optional<ReviewState> cleanReview(const ReviewState &state, int64_t problem);
// Whether an item is due for the next problem, posedSince problems of its player after its
// gap began.
bool due(const ReviewState &state, int posedSince);
} // namespace ReviewRule

// Missed problems come back, by ReviewRule. The state lives in the journal beside the
// problems, so it survives a restart, and it follows a problem to the player who answers it,
// as the coins do. Nothing happens while the journal is off.
class Review
{
public:
    explicit Review(Journal &journal);

    bool isOn() const;

    // The item to pose instead of drawing player's next problem: the longest waiting of the
    // due ones that canPose accepts (its operation and type may be off for now; it waits).
    // None when one of the player's last two problems was a review.
    std::optional<ReviewItem> due(int32_t player,
                                  const std::function<bool(const ReviewItem &)> &canPose) const;
    // item was posed again as the problem of the journal's row problem.
    void posed(const ReviewItem &item, int64_t problem);
    // An answer to the problem of row problem has been recorded, and with it who gave it.
    void answered(int64_t problem, bool correct, bool finishes);

private:
    Journal &m_journal;
};
