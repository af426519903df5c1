#pragma once

#include "core/Def.h"

#include <QString>
#include <cstdint>
#include <vector>

// The systematic mistakes of column arithmetic a wrong answer is recognised as, from the step
// (its StepFacts), the value it expects and the value typed. Plain functions of those four
// things, beside the engines that say what a step is; the words they are said in to the child,
// and the one line of reasoning of a worked step.

enum class Mistake : int32_t {
    // The answer is right.
    None,
    // Wrong, and none of the mistakes below.
    Other,
    // Addition: the carry left out of a column (one less than the column sum), or out of
    // every column of a whole sum.
    AddCarryForgotten,
    // Addition: only the units of a two-digit column sum typed where the whole sum is asked.
    AddUnitsOnly,
    // Addition, whole sum: each column's whole sum written where one digit of it belongs.
    AddColumnSumWritten,
    // Subtraction: the smaller digit taken from the larger instead of borrowing.
    DecSmallerFromLarger,
    // Subtraction: the one a column lent to its right not taken off it.
    DecBorrowForgotten,
    // Multiplication: a neighbouring fact of the table (7 x 8 answered 48, 54, 63, 64).
    MulNeighbourFact,
    // Multiplication: the carry of the digit or column before not added.
    MulCarryNotAdded,
    // Division: a quotient digit whose product exceeds the number divided.
    DivQuotientTooLarge,
    // Division: a quotient digit that leaves a difference as large as the divisor.
    DivQuotientTooSmall,
};

// One named mistake: its operation, its name in the journal and its words for the child.
struct NamedMistake
{
    Mistake Kind;
    Op Operation;
    // Whether typed shows this mistake in step, which expects expected.
    bool (*Shows)(const StepFacts &step, int32_t expected, int32_t typed);
    const char *Key;
    const char *Words;
};
// Every named mistake, in the order they are tried: the first that shows wins.
const std::vector<NamedMistake> &NamedMistakes();

// What typed got wrong in the step of engine that expects expected: None when it is right,
// Other when no named mistake shows.
Mistake RecogniseMistake(Op engine, const StepFacts &step, int32_t expected, int32_t typed);
// The mistake's name in the journal ("add.carry_forgotten", "other"); empty for None.
QString MistakeKey(Mistake mistake);
// The mistake said to a child in a sentence or two ("别忘了加上进位的1"); empty for None and
// Other.
QString MistakeWords(Mistake mistake, const StepFacts &step);

// One short line of reasoning for a worked step: "8+7=15，写5进1", "借1：13-7=6",
// "30里面最多有4个7".
QString WorkedReasoning(const StepFacts &step);
// The word for a step answered right after it was answered wrong.
QString PraiseWords();
