#include "engines/EngineKit.h"

#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "platform/Random.h"

uint64_t PosedProblems = 0;

int DigitCount(int32_t n)
{
    return static_cast<int>(QString::number(n).size());
}

int32_t DigitAt(int32_t n, int i)
{
    for (; i > 0; --i)
        n /= 10;
    return n % 10;
}

int32_t RangeFor(int digits)
{
    return digits == 1 ? 10 : digits == 2 ? 100 : 1000;
}

int32_t DrawWithDigits(int digits)
{
    int32_t v;
    do {
        v = randomBelow(RangeFor(digits));
    } while (DigitCount(v) != digits);
    return v;
}

void ReseedForProblem()
{
    randomize();
    randomBelow(GetTickCount());
}

std::vector<ProblemType> ReadProblemTypes(const QString &relative, QChar op, bool comparisons,
                                          std::vector<QString> *rests, std::vector<QString> *lines)
{
    const QStringList read = ReadDataLines(relative);
    std::vector<ProblemType> types;
    types.reserve(read.size());
    std::vector<QString> kept;
    if (rests) rests->clear();
    for (const QString &line : read) {
        QString rest;
        types.push_back(ParseProblemType(line, op, comparisons, &rest));
        if (rests) rests->push_back(rest);
        kept.push_back(line);
    }
    // Only a load that got through every line replaces the lines, as it replaces the types.
    if (lines) *lines = std::move(kept);
    return types;
}

std::vector<int> UsableTypes(const std::vector<ProblemType> &types,
                             bool (*canDraw)(const ProblemType &))
{
    std::vector<int> usable;
    for (size_t i = 0; i < types.size(); ++i) {
        if (canDraw(types[i])) usable.push_back(static_cast<int>(i));
    }
    return usable;
}

const ProblemType &PickType(const std::vector<ProblemType> &types, const std::vector<int> &usable,
                            int *index)
{
    const int i = usable[randomBelow(static_cast<int64_t>(usable.size()))];
    if (index) *index = i;
    return types[i];
}

QString TypeLineAt(const std::vector<QString> &lines, int index)
{
    return index >= 0 && static_cast<size_t>(index) < lines.size() ? lines[index] : QString();
}

bool SomePairPasses(const ProblemType &t, bool (*accept)(const ProblemType &, int32_t, int32_t))
{
    if (t.Digits1 < 1 || t.Digits1 > 3 || t.Digits2 < 1 || t.Digits2 > 3) return false;
    const int32_t first = t.Digits1 == 1 ? 0 : RangeFor(t.Digits1 - 1);
    for (int32_t a = first; a < RangeFor(t.Digits1); ++a) {
        for (int32_t b = 0; b < RangeFor(t.Digits2); ++b) {
            if (accept(t, a, b)) return true;
        }
    }
    return false;
}

int32_t ColumnsRightX(int columns)
{
    return 70 + 20 * columns;
}

void DrawSplitHint(Bitmap &hint, int32_t top, int32_t left, int32_t right)
{
    hint.font.size = 20;
    hint.font.color = Blue;
    const int s1 = 20 + 20 / 2;
    hint.textOut(s1 - s1 / 4, 0, QString::number(top));
    hint.textOut(0, s1, QStringLiteral("↙"));
    hint.textOut(s1, s1, QStringLiteral("↘"));
    hint.textOut(0, 2 * s1, QString::number(left));
    hint.textOut(s1 + s1 / 2, 2 * s1, QString::number(right));
}
