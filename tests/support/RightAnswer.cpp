#include "RightAnswer.h"

#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"

#include <QString>

namespace {

int32_t digitOf(int64_t n, int32_t k)
{
    for (; k > 0; --k)
        n /= 10;
    return static_cast<int32_t>(n % 10);
}

int32_t digitCount(int64_t n)
{
    int32_t d = 1;
    while (n >= 10) {
        n /= 10;
        ++d;
    }
    return d;
}

// Column k's sum with the carry from the columns to its right.
int32_t additionColumn(int32_t a, int32_t b, int32_t k)
{
    int32_t carry = 0, sum = 0;
    for (int32_t c = 0; c <= k; ++c) {
        sum = digitOf(a, c) + digitOf(b, c) + carry;
        carry = sum / 10;
    }
    return sum;
}

// Digit k of the difference, borrowing from the left as on paper.
int32_t subtractionDigit(int32_t a, int32_t b, int32_t k)
{
    int32_t borrow = 0, d = 0;
    for (int32_t c = 0; c <= k; ++c) {
        d = digitOf(a, c) - digitOf(b, c) - borrow;
        borrow = d < 0 ? 1 : 0;
        if (d < 0) d += 10;
    }
    return d;
}

} // namespace

int32_t RightAnswer(TAlgo *engine)
{
    if (auto *e = dynamic_cast<TAdd *>(engine))
        return e->StepMode ? additionColumn(e->Operand1, e->Operand2, e->Step)
                           : e->Operand1 + e->Operand2;
    if (auto *e = dynamic_cast<TDec *>(engine))
        return e->StepMode ? subtractionDigit(e->Operand1, e->Operand2, e->Step)
                           : e->Operand1 - e->Operand2;
    if (auto *e = dynamic_cast<TMul *>(engine)) {
        const int32_t a = e->Multiplicand, b = e->Multiplier;
        if (e->PartialLeft != 0) {
            const int32_t step = e->CurrentProduct();
            const int32_t n = digitCount(a);
            const int32_t row = step / n, digit = step % n;
            // A digit's product with the carry of the digits to its right, all written out.
            int64_t low = 1;
            for (int32_t k = 0; k < digit; ++k)
                low *= 10;
            return static_cast<int32_t>((a % (low * 10)) * digitOf(b, row) / low);
        }
        const int32_t column = e->CurrentColumn();
        int32_t carry = 0, sum = 0;
        for (int32_t c = 0; c <= column; ++c) {
            sum = carry;
            for (int32_t r = 0; r < digitCount(b) && r <= c; ++r)
                sum += digitOf(int64_t(a) * digitOf(b, r), c - r);
            carry = sum / 10;
        }
        return sum;
    }
    auto *e = dynamic_cast<TDiv *>(engine);
    const QString dividend = QString::number(e->Dividend);
    const int32_t quotient = e->Dividend / e->Divisor;
    const int32_t qDigits = digitCount(quotient);
    const int32_t offset = static_cast<int32_t>(dividend.size()) - qDigits;
    const int32_t n = e->CurrentStep();
    const int32_t j = (n + 2) / 3;
    int32_t rest = offset == 0 ? 0 : dividend.left(offset).toInt(), q = 0, m = 0;
    for (int32_t k = 1; k <= j; ++k) {
        const int32_t part = rest * 10 + dividend.at(offset + k - 1).digitValue();
        q = part / e->Divisor;
        m = q * e->Divisor;
        rest = part - m;
    }
    switch (n - 3 * (j - 1)) {
    case 1:
        return q;
    case 2:
        return m;
    default:
        return rest;
    }
}

void PoseProblem(TAlgo &engine, Op op, int32_t a, int32_t b, bool steps)
{
    switch (op) {
    case Op::Add:
        return static_cast<TAdd &>(engine).SetProblem(a, b, steps);
    case Op::Dec:
        return static_cast<TDec &>(engine).SetProblem(a, b, steps);
    case Op::Mul:
        return static_cast<TMul &>(engine).SetProblem(a, b);
    case Op::Div:
        return static_cast<TDiv &>(engine).SetProblem(a, b);
    }
}
