#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class Journal;

// A missed problem due to be posed again, as it was played.
struct ReviewItem
{
    int64_t Id = 0;
    int32_t Operation = 0;
    int32_t Operand1 = 0;
    int32_t Operand2 = 0;
    // The chosen-list line it was drawn from.
    QString Type;
    bool StepMode = true;
};

// Missed problems come back. A problem answered wrong at least once is due as the third
// problem of its player after it; missed again, three problems after that; answered without
// a mistake, ten problems after that, and a second clean answer in a row retires it. At most
// one in any three problems of a player is a review. The state lives in the journal beside
// the problems, so it survives a restart, and it follows a problem to the player who answers
// it, as the coins do. Nothing happens while the journal is off.
class Review
{
public:
    // The problems after the one it was last played in at which an item is due.
    static constexpr int AfterMiss = 3;
    static constexpr int AfterClean = 10;
    // Clean answers in a row that retire an item.
    static constexpr int CleanToRetire = 2;

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
