#pragma once

#include "core/Def.h"

#include <QRect>
#include <QString>
#include <QStringList>
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

// Red for what the child must look at or enter, with its light chalk edge; and back to the
// yellow of the problem. Both set the font's and the pen's colour.
void UseRed(Bitmap &board);
void UseYellow(Bitmap &board);

// The wrong value struck through in chalk, in size points: its units digit at unitsX and each
// further digit colWidth to the left, as the "?" it stands for. A value too long for that
// is written closer, and smaller, so that it stays on the board.
void DrawStruck(Bitmap &board, int32_t unitsX, int32_t y, int32_t colWidth, int32_t size,
                int32_t value);
// The right value of a worked step in the hint colour on a light slip, its units digit at
// unitsX and each further digit colWidth to the left, in size points.
void DrawWorkedValue(Bitmap &board, int32_t unitsX, int32_t y, int32_t colWidth, int32_t size,
                     int32_t value);
// The right value of a worked step written left to right from x, as DrawWorkedValue writes it.
void DrawWorkedValueFrom(Bitmap &board, int32_t x, int32_t y, int32_t colWidth, int32_t size,
                         int32_t value);
// Where the slip of DrawWorkedValue stands.
QRect WorkedValueRect(const Bitmap &board, int32_t unitsX, int32_t y, int32_t colWidth,
                      int32_t size, int32_t value);

// What a note on the board says: the worked step's reasoning (in the hint colour, on a light
// slip) or the praise of a mended step (in chalk).
enum class NoteKind { Reasoning, Praise };
// Writes text in area, centred, in the largest size from largest points down that fits it
// (never below 9 points). Returns the rectangle it took.
QRect DrawNote(Bitmap &board, const QRect &area, const QString &text, NoteKind kind,
               int largest = 13);
// How high a note of that size stands.
int32_t NoteHeight(const Bitmap &board, int size);
// Where the ink of a row of digits written at y in size points ends, their edge included
// when they are red marks: the first y below that is free.
int32_t BelowDigits(const Bitmap &board, int32_t y, int size);

// Facts recited on the hint bitmap: the lines before Needed appear one after another,
// RecitalStepMs apart, from the moment the hint appeared; then the needed line, larger, with
// the lines after it, and all of them stay.
struct Recital
{
    QStringList Lines;
    int Needed = 0;
};
inline constexpr uint32_t RecitalStepMs = 600;
// The recital as it stands elapsedMs after it began, centred on the hint.
void DrawRecital(Bitmap &hint, const Recital &recital, uint32_t elapsedMs);
// The size in points of the needed line of a recital: as large as fits the hint's width, from
// 18 points down to 12.
int RecitalNeededSize(const Bitmap &hint, const QString &line);
