#include "progress/SkillRule.h"

#include <algorithm>
#include <cmath>

namespace SkillRule {

namespace {

int32_t digitAt(int32_t n, int i)
{
    for (; i > 0; --i)
        n /= 10;
    return n % 10;
}

void addFact(std::vector<Fact> &facts, const Fact &f)
{
    if (isFact(f) && std::find(facts.begin(), facts.end(), f) == facts.end()) facts.push_back(f);
}

int formOf(int regroupings, bool chained)
{
    if (regroupings == 0) return 0;
    if (chained) return 3;
    return regroupings == 1 ? 1 : 2;
}

std::optional<Fact> factIf(const Fact &f)
{
    return isFact(f) ? std::optional<Fact>(f) : std::nullopt;
}

ProblemShape addShape(int32_t a, int32_t b, bool stepMode)
{
    ProblemShape s;
    const int columns = std::max(digitCount(a), digitCount(b));
    int carry = 0, carries = 0;
    bool chained = false;
    for (int i = 0; i < columns; ++i) {
        const bool both = i < digitCount(a) && i < digitCount(b);
        const Fact f{Op::Add, digitAt(a, i), digitAt(b, i)};
        if (both) addFact(s.Facts, f);
        if (stepMode) s.StepFacts.push_back(both && carry == 0 ? factIf(f) : std::nullopt);
        const int sum = carry + digitAt(a, i) + digitAt(b, i);
        // The last column writes its sum whole; only a carry into a written column counts.
        if (sum >= 10 && carry > 0) chained = true;
        carry = sum / 10;
        if (carry > 0 && i + 1 < columns) ++carries;
    }
    s.Form = formOf(carries, chained);
    if (!stepMode) s.StepFacts.push_back(columns == 1 ? factIf({Op::Add, a, b}) : std::nullopt);
    return s;
}

ProblemShape decShape(int32_t a, int32_t b, bool stepMode)
{
    ProblemShape s;
    if (b > a) std::swap(a, b);
    const int columns = digitCount(a);
    int borrowIn = 0, borrows = 0;
    bool chained = false;
    for (int i = 0; i < columns; ++i) {
        const int32_t m = digitAt(a, i), d = digitAt(b, i);
        const int borrowOut = m - borrowIn < d ? 1 : 0;
        const bool written = i < digitCount(b);
        // The column's own take-away: its digit, less what it lent, with ten borrowed.
        const Fact f{Op::Dec, m - borrowIn + 10 * borrowOut, d};
        if (written) addFact(s.Facts, f);
        if (stepMode) s.StepFacts.push_back(written && borrowIn == 0 ? factIf(f) : std::nullopt);
        if (borrowIn && borrowOut) chained = true;
        borrows += borrowOut;
        borrowIn = borrowOut;
    }
    s.Form = formOf(borrows, chained);
    if (!stepMode) s.StepFacts.push_back(factIf({Op::Dec, a, b}));
    return s;
}

ProblemShape mulShape(int32_t a, int32_t b)
{
    ProblemShape s;
    const int n = digitCount(a), m = digitCount(b);
    int carries = 0;
    bool chained = false;
    // Digit products, row by row from the multiplier's units, each row from the units.
    for (int row = 0; row < m; ++row) {
        int carry = 0;
        for (int i = 0; i < n; ++i) {
            const Fact f{Op::Mul, digitAt(a, i), digitAt(b, row)};
            addFact(s.Facts, f);
            s.StepFacts.push_back(carry == 0 ? factIf(f) : std::nullopt);
            const int v = f.A * f.B + carry;
            if (v >= 10 && i + 1 < n) {
                ++carries;
                if (carry > 0) chained = true;
            }
            carry = v / 10;
        }
    }
    if (m > 1) {
        // The column sums of the partial rows, the last one written whole.
        const int columns = digitCount(a * digitAt(b, m - 1)) + m - 1;
        int carry = 0;
        for (int c = 0; c < columns; ++c) {
            int v = carry;
            for (int k = 0; k < m && k <= c; ++k)
                v += digitAt(a * digitAt(b, k), c - k);
            s.StepFacts.push_back(std::nullopt);
            if (v >= 10 && c + 1 < columns) {
                ++carries;
                if (carry > 0) chained = true;
            }
            carry = v / 10;
        }
    }
    s.Form = formOf(carries, chained);
    return s;
}

ProblemShape divShape(int32_t a, int32_t b)
{
    ProblemShape s;
    if (a <= 0 || b <= 0) return s;
    const QString digits = QString::number(a);
    const int32_t quotient = a / b;
    const int q = digitCount(quotient), offset = static_cast<int>(digits.size()) - q;
    int32_t rest = offset == 0 ? 0 : digits.left(offset).toInt();
    bool zero = false;
    for (int j = 1; j <= q; ++j) {
        const int32_t n = rest * 10 + digits.at(offset + j - 1).digitValue();
        const int32_t qj = digitAt(quotient, q - j);
        if (j > 1 && qj == 0) zero = true;
        const Fact f{Op::Div, qj * b, b};
        addFact(s.Facts, f);
        // Quotient digit, product, difference.
        s.StepFacts.push_back(factIf(f));
        s.StepFacts.push_back(std::nullopt);
        s.StepFacts.push_back(std::nullopt);
        rest = n - qj * b;
    }
    s.Form = zero ? 3 : std::min(q - 1, 2);
    return s;
}

} // namespace

int digitCount(int32_t n)
{
    int count = 1;
    for (int64_t v = std::abs(int64_t(n)); v >= 10; v /= 10)
        ++count;
    return count;
}

ProblemShape shapeOf(Op op, int32_t a, int32_t b, bool stepMode)
{
    if (a < 0 || b < 0) return {};
    switch (op) {
    case Op::Add:
        return addShape(a, b, stepMode);
    case Op::Dec:
        return decShape(a, b, stepMode);
    case Op::Mul:
        return mulShape(a, b);
    case Op::Div:
        return divShape(a, b);
    }
    return {};
}

bool isFact(const Fact &f)
{
    switch (f.Operation) {
    case Op::Add:
        return f.A >= 0 && f.A <= 9 && f.B >= 0 && f.B <= 9;
    case Op::Dec:
        return f.B >= 0 && f.B <= 9 && f.A >= f.B && f.A - f.B <= 9;
    case Op::Mul:
        return f.A >= 1 && f.A <= 9 && f.B >= 1 && f.B <= 9;
    case Op::Div:
        return f.B >= 1 && f.B <= 9 && f.A % f.B == 0 && f.A / f.B >= 1 && f.A / f.B <= 9;
    }
    return false;
}

double success(double logit)
{
    return 1.0 / (1.0 + std::exp(-logit));
}

double logitOf(double p)
{
    p = std::clamp(p, 1e-6, 1 - 1e-6);
    return std::log(p / (1 - p));
}

double timeWeight(int64_t ms, int64_t limitMs)
{
    if (limitMs <= 0) return 1;
    const double t = std::clamp<double>(double(ms) / double(limitMs), 0, 1);
    return 2 - t;
}

double ratingStep(int answers)
{
    return std::max(0.25, 1.0 / (1 + answers / 6.0));
}

double difficultyStep(int answers)
{
    return std::max(0.04, 0.4 / (1 + answers / 10.0));
}

Step update(double rating, int ratingAnswers, double difficulty, int difficultyAnswers, bool right,
            double weight, double offset)
{
    Step s;
    s.Predicted = success(rating - difficulty + offset);
    const double miss = (right ? 1.0 : 0.0) - s.Predicted;
    s.Rating = rating + ratingStep(ratingAnswers) * weight * miss;
    s.Difficulty = difficulty - difficultyStep(difficultyAnswers) * weight * miss;
    return s;
}

double priorTypeDifficulty(Op op, int digits1, int digits2, int form)
{
    static const double base[OpCount] = {-2.0, -1.7, -1.0, -0.6};
    return base[OpCode(op)] + 0.6 * (digits1 + digits2 - 2) + 0.8 * form;
}

double priorFactDifficulty(const Fact &f)
{
    switch (f.Operation) {
    case Op::Add:
        return -3.0 + (f.A + f.B >= 10 ? 1.0 : 0.0) + 0.05 * (f.A + f.B);
    case Op::Dec:
        return -2.8 + (f.A >= 10 ? 1.0 : 0.0) + 0.05 * f.A;
    case Op::Mul:
        return -2.2 + 0.08 * (f.A + f.B) - (std::min(f.A, f.B) == 1 ? 1.0 : 0.0);
    case Op::Div:
        return f.B == 0 ? 0 : priorFactDifficulty({Op::Mul, f.A / f.B, f.B}) + 0.4;
    }
    return 0;
}

} // namespace SkillRule
