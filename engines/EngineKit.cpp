#include "engines/EngineKit.h"

#include "core/EngineHost.h"
#include "platform/Bitmap.h"
#include "platform/Random.h"

#include <algorithm>

int DigitCount(int32_t n)
{
    // As many characters as the number written out, a minus sign included; no string, since
    // the draw loops call this for every candidate.
    int64_t v = n;
    int count = v < 0 ? 2 : 1;
    if (v < 0) v = -v;
    for (; v >= 10; v /= 10)
        ++count;
    return count;
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

int32_t DrawWithDigits(Random &random, int digits)
{
    int32_t v;
    do {
        v = random.below(RangeFor(digits));
    } while (DigitCount(v) != digits);
    return v;
}

void ReseedForProblem(EngineHost &host)
{
    host.random().seed(host.GetTickCount());
    host.random().below(host.GetTickCount());
}

std::vector<ProblemType> ReadProblemTypes(const EngineHost &host, const QString &relative, QChar op,
                                          bool comparisons, std::vector<QString> *rests)
{
    const QStringList lines = host.ReadDataLines(relative);
    std::vector<ProblemType> types;
    types.reserve(lines.size());
    if (rests) rests->clear();
    for (const QString &line : lines) {
        QString rest;
        types.push_back(ParseProblemType(line, op, comparisons, &rest));
        types.back().Line = line;
        if (rests) rests->push_back(rest);
    }
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

const ProblemType &PickType(Random &random, const std::vector<ProblemType> &types,
                            const std::vector<int> &usable)
{
    return types[usable[random.below(static_cast<int64_t>(usable.size()))]];
}

const ProblemType *ChosenType(const std::vector<ProblemType> &types, const QString &typeLine,
                              int32_t a, int32_t b)
{
    if (typeLine.isEmpty() || a < 0 || b < 0) return nullptr;
    const auto t = std::find_if(types.begin(), types.end(),
                                [&](const ProblemType &type) { return type.Line == typeLine; });
    if (t == types.end()) return nullptr;
    return DigitCount(a) == t->Digits1 && DigitCount(b) == t->Digits2 ? &*t : nullptr;
}

bool TakeChosenType(const std::vector<ProblemType> &types, const QString &typeLine, int32_t a,
                    int32_t b, QString &line, int32_t &coins)
{
    const ProblemType *t = ChosenType(types, typeLine, a, b);
    if (!t) return false;
    line = typeLine;
    coins = t->Coins;
    return true;
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
