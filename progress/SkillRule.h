#pragma once

#include "core/Def.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// One basic fact: a + b with a and b from 0 to 9; a − b within 20 with b and the difference
// from 0 to 9; a × b with a and b from 1 to 9; and the divisions they give, a ÷ b with b and
// the quotient from 1 to 9.
struct Fact
{
    Op Operation = Op::Add;
    int32_t A = 0;
    int32_t B = 0;
    auto operator<=>(const Fact &) const = default;
};

// What the skill model sees of a problem, worked out from its operands the way the board
// writes it.
struct ProblemShape
{
    // How much regrouping it asks: 0 none, 1 one carry or borrow, 2 several, 3 chained (a
    // carry into a column that carries again, a borrow across a zero). For division the
    // stages: 0 one quotient digit, 1 two, 2 three, 3 a zero quotient digit after the first.
    int Form = 0;
    // The basic facts its columns are made of, each once.
    std::vector<Fact> Facts;
    // Per step, in the order the engine asks them: the fact the step asks for alone, with no
    // carry or borrow coming into it.
    std::vector<std::optional<Fact>> StepFacts;
};

// The arithmetic of the skill model: what a problem is made of, the predicted chance of a
// first-try success, and one Elo step after an answer. Ratings and difficulties are logits:
// success = 1 / (1 + e^(difficulty − rating)) (Klinkenberg, Straatemeier & van der Maas 2011).
namespace SkillRule {

inline constexpr int Forms = 4;

int digitCount(int32_t n);
ProblemShape shapeOf(Op op, int32_t a, int32_t b, bool stepMode);
bool isFact(const Fact &fact);

double success(double logit);
double logitOf(double success);

// How much an answer counts: up to twice for an instant answer, once at the time limit and
// beyond it, so a fast answer, right or wrong, says more than a slow one (after Maris & van
// der Maas 2012).
double timeWeight(int64_t ms, int64_t limitMs);
// Step sizes after n answers: large at first, so a new player is placed quickly, then
// steadier; a player's rating never stops moving, since children learn.
double ratingStep(int answers);
double difficultyStep(int answers);

// One Elo step from the answer's outcome: rating moves toward it, difficulty away from it.
// offset is what else the prediction added to rating − difficulty.
struct Step
{
    double Rating = 0;
    double Difficulty = 0;
    double Predicted = 0;
};
Step update(double rating, int ratingAnswers, double difficulty, int difficultyAnswers, bool right,
            double weight, double offset = 0);

// Where a new family starts: bigger numbers and more regrouping are harder, as are facts
// that bridge ten; a new player is rated 0 on everything.
double priorTypeDifficulty(Op op, int digits1, int digits2, int form);
double priorFactDifficulty(const Fact &fact);

} // namespace SkillRule
