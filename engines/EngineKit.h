#pragma once

#include "core/Def.h"

#include <QString>
#include <cstdint>
#include <vector>

class Bitmap;
class EngineHost;
class Random;

// Pieces every exercise engine shares: digit arithmetic, drawing operands, reading and
// filtering problem types, the split-ten hint picture and the waits of NextStep.

int DigitCount(int32_t n);
// Digit i of n counted from the units; 0 beyond its length.
int32_t DigitAt(int32_t n, int i);
// 10, 100 or 1000 for one, two or three digits.
int32_t RangeFor(int digits);
// Draws below the range until the number has exactly that many digits.
int32_t DrawWithDigits(Random &random, int digits);
// Reseeds the game's generator from its clock before a new problem is drawn.
void ReseedForProblem(EngineHost &host);

// The problem types of one chosen-list file, in file order, each with its line; rests, when
// given, receive what each line leaves after its coins' "(".
std::vector<ProblemType> ReadProblemTypes(const EngineHost &host, const QString &relative, QChar op,
                                          bool comparisons, std::vector<QString> *rests = nullptr);
// Indices of the types canDraw accepts.
std::vector<int> UsableTypes(const std::vector<ProblemType> &types,
                             bool (*canDraw)(const ProblemType &));
// One of the usable types, uniformly; usable must not be empty.
const ProblemType &PickType(Random &random, const std::vector<ProblemType> &types,
                            const std::vector<int> &usable);
// The chosen type of typeLine when a and b are a problem of it; null otherwise. A problem posed
// again comes from the journal, a file anyone can edit, and the board has room for the problems
// the types draw, no more.
const ProblemType *ChosenType(const std::vector<ProblemType> &types, const QString &typeLine,
                              int32_t a, int32_t b);
// For a problem posed again: the line and the coins of typeLine's chosen type go to line and
// coins. False, with both left alone, when there is no such type for a and b.
bool TakeChosenType(const std::vector<ProblemType> &types, const QString &typeLine, int32_t a,
                    int32_t b, QString &line, int32_t &coins);
// Whether some pair with exactly t's digit counts passes accept (the first operand over
// its digit range, the second over 0 to its range). For the types whose feasibility is not
// obvious from the digit counts alone.
bool SomePairPasses(const ProblemType &t, bool (*accept)(const ProblemType &, int32_t, int32_t));

// x of the units column of an addition or subtraction board: 90, 110 or 130 for one to
// three columns, so the widest problem still ends inside the board.
int32_t ColumnsRightX(int columns);

// The split-ten picture on the hint bitmap: top, with arrows down to left and right.
void DrawSplitHint(Bitmap &hint, int32_t top, int32_t left, int32_t right);
