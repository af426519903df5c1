#include "engines/Mistakes.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

namespace {

// Digits of n, units first.
std::vector<int32_t> digitsOf(int32_t n)
{
    std::vector<int32_t> d;
    do {
        d.push_back(n % 10);
        n /= 10;
    } while (n > 0);
    return d;
}

// The number written by the texts of the columns, leftmost column first in the text.
int64_t written(const std::vector<QString> &columnsUnitsFirst)
{
    QString text;
    for (auto c = columnsUnitsFirst.rbegin(); c != columnsUnitsFirst.rend(); ++c)
        text += *c;
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    return ok && text.size() <= 12 ? v : -1;
}

int32_t term(const StepFacts &s, size_t i)
{
    return i < s.Terms.size() ? s.Terms[i] : 0;
}

bool is(const StepFacts &s, StepKind kind)
{
    return s.Kind == kind;
}

// --- addition ---

// The columns of a + b, units first: each column's digits and carry.
struct AddColumnWork
{
    int32_t Digits = 0;
    int32_t Carry = 0;
};
std::vector<AddColumnWork> additionColumns(int32_t a, int32_t b)
{
    const std::vector<int32_t> da = digitsOf(a), db = digitsOf(b);
    const size_t n = std::max(da.size(), db.size());
    std::vector<AddColumnWork> cols(n);
    int32_t carry = 0;
    for (size_t i = 0; i < n; ++i) {
        cols[i].Digits = (i < da.size() ? da[i] : 0) + (i < db.size() ? db[i] : 0);
        cols[i].Carry = carry;
        carry = (cols[i].Digits + carry) / 10;
    }
    return cols;
}

bool addCarryForgotten(const StepFacts &s, int32_t expected, int32_t typed)
{
    if (is(s, StepKind::AddColumn)) return s.CarryIn > 0 && typed == expected - s.CarryIn;
    if (!is(s, StepKind::AddWhole) || s.Terms.size() < 2) return false;
    // Every column's units written and nothing carried; the leftmost column whole.
    const auto cols = additionColumns(term(s, 0), term(s, 1));
    std::vector<QString> texts;
    for (size_t i = 0; i < cols.size(); ++i)
        texts.push_back(
            QString::number(i + 1 == cols.size() ? cols[i].Digits : cols[i].Digits % 10));
    return typed != expected && written(texts) == typed;
}

bool addUnitsOnly(const StepFacts &s, int32_t expected, int32_t typed)
{
    return is(s, StepKind::AddColumn) && expected >= 10 && typed == expected % 10;
}

bool addColumnSumWritten(const StepFacts &s, int32_t expected, int32_t typed)
{
    if (!is(s, StepKind::AddWhole) || s.Terms.size() < 2 || typed == expected) return false;
    // Each column's whole sum side by side, with the carries added or without them.
    const auto cols = additionColumns(term(s, 0), term(s, 1));
    for (bool carried : {false, true}) {
        std::vector<QString> texts;
        bool somewhereTwoDigits = false;
        for (const AddColumnWork &c : cols) {
            const int32_t sum = c.Digits + (carried ? c.Carry : 0);
            somewhereTwoDigits |= sum >= 10;
            texts.push_back(QString::number(sum));
        }
        if (somewhereTwoDigits && written(texts) == typed) return true;
    }
    return false;
}

// --- subtraction ---

// Whole difference a - b as a child gets it who works each column as how() says, borrowing
// from the next column where it sets borrows.
int64_t differenceBy(int32_t a, int32_t b,
                     int32_t (*how)(int32_t top, int32_t bottom, bool &borrows))
{
    const std::vector<int32_t> da = digitsOf(a), db = digitsOf(b);
    std::vector<QString> texts;
    for (size_t i = 0; i < da.size(); ++i) {
        bool borrows = false;
        const int32_t d = how(da[i], i < db.size() ? db[i] : 0, borrows);
        if (d < 0 || d > 9) return -1;
        texts.push_back(QString::number(d));
    }
    // Written without zeros in front, as the board writes a difference.
    while (texts.size() > 1 && texts.back() == QLatin1String("0"))
        texts.pop_back();
    return written(texts);
}

bool decSmallerFromLarger(const StepFacts &s, int32_t expected, int32_t typed)
{
    if (typed == expected || typed < 0) return false;
    if (is(s, StepKind::DecColumn)) {
        if (!s.Borrows) return false;
        const int32_t top = term(s, 0), bottom = term(s, 1);
        return typed == std::abs(top - bottom) || typed == std::abs(top - s.CarryIn - bottom);
    }
    if (!is(s, StepKind::DecWhole) || s.Terms.size() < 2) return false;
    // In every column the smaller digit from the larger, nothing borrowed.
    return differenceBy(term(s, 0), term(s, 1), [](int32_t top, int32_t bottom, bool &borrows) {
               borrows = false;
               return std::abs(top - bottom);
           }) == typed;
}

bool decBorrowForgotten(const StepFacts &s, int32_t expected, int32_t typed)
{
    if (typed == expected) return false;
    if (is(s, StepKind::DecColumn)) return s.CarryIn > 0 && typed == (expected + 1) % 10;
    if (!is(s, StepKind::DecWhole) || s.Terms.size() < 2) return false;
    return differenceBy(term(s, 0), term(s, 1), [](int32_t top, int32_t bottom, bool &borrows) {
               // Borrowed as it should be, and never paid back.
               borrows = top < bottom;
               return top + (borrows ? 10 : 0) - bottom;
           }) == typed;
}

// --- multiplication ---

bool mulCarryNotAdded(const StepFacts &s, int32_t expected, int32_t typed)
{
    if (!is(s, StepKind::MulProduct) && !is(s, StepKind::MulColumn)) return false;
    return s.CarryIn > 0 && typed == expected - s.CarryIn;
}

bool mulNeighbourFact(const StepFacts &s, int32_t expected, int32_t typed)
{
    if (!is(s, StepKind::MulProduct) || typed == expected) return false;
    const int32_t x = term(s, 0), y = term(s, 1);
    for (int32_t i = -1; i <= 1; ++i) {
        for (int32_t j = -1; j <= 1; ++j) {
            const int32_t p = x + i, q = y + j;
            if ((i == 0 && j == 0) || p < 0 || q < 0 || p > 9 || q > 9 || p * q == x * y) continue;
            // With the carry added as it should be, or left out as well.
            if (typed == p * q + s.CarryIn || (s.CarryIn > 0 && typed == p * q)) return true;
        }
    }
    return false;
}

// --- division ---

bool divQuotientTooLarge(const StepFacts &s, int32_t expected, int32_t typed)
{
    const int32_t n = term(s, 0), d = term(s, 1);
    return is(s, StepKind::DivQuotient) && typed > expected && int64_t(typed) * d > n;
}

bool divQuotientTooSmall(const StepFacts &s, int32_t expected, int32_t typed)
{
    const int32_t n = term(s, 0), d = term(s, 1);
    return is(s, StepKind::DivQuotient) && typed >= 0 && typed < expected &&
           n - int64_t(typed) * d >= d;
}

QString said(const char *words)
{
    return QCoreApplication::translate("Mistakes", words);
}

QString placeName(int32_t column)
{
    switch (column) {
    case 1:
        return said(QT_TRANSLATE_NOOP("Mistakes", "十位"));
    case 2:
        return said(QT_TRANSLATE_NOOP("Mistakes", "百位"));
    default:
        return said(QT_TRANSLATE_NOOP("Mistakes", "千位"));
    }
}

// "8+7=15，写5进1" for a value whose tens go on to the next column.
QString carriedOn(const StepFacts &s, QString line)
{
    if (!s.WritesWhole && s.Expected >= 10)
        line += QCoreApplication::translate("Mistakes", "，写%1进%2")
                    .arg(s.Expected % 10)
                    .arg(s.Expected / 10);
    return line;
}

} // namespace

const std::vector<NamedMistake> &NamedMistakes()
{
    static const std::vector<NamedMistake> table = {
        {Mistake::AddCarryForgotten, Op::Add, &addCarryForgotten, "add.carry_forgotten",
         QT_TRANSLATE_NOOP("Mistakes", "别忘了加上进位的%1")},
        {Mistake::AddUnitsOnly, Op::Add, &addUnitsOnly, "add.units_only",
         QT_TRANSLATE_NOOP("Mistakes", "和是两位数，十位也要写上")},
        {Mistake::AddColumnSumWritten, Op::Add, &addColumnSumWritten, "add.column_sum_written",
         QT_TRANSLATE_NOOP("Mistakes", "满十要进一，这里只写个位")},
        {Mistake::DecBorrowForgotten, Op::Dec, &decBorrowForgotten, "dec.borrow_forgotten",
         QT_TRANSLATE_NOOP("Mistakes", "借走了1，要先减去1")},
        {Mistake::DecSmallerFromLarger, Op::Dec, &decSmallerFromLarger, "dec.smaller_from_larger",
         QT_TRANSLATE_NOOP("Mistakes", "%1不够减%2，要向%3借1")},
        {Mistake::MulCarryNotAdded, Op::Mul, &mulCarryNotAdded, "mul.carry_not_added",
         QT_TRANSLATE_NOOP("Mistakes", "别忘了加上进位的%1")},
        {Mistake::MulNeighbourFact, Op::Mul, &mulNeighbourFact, "mul.neighbour_fact",
         QT_TRANSLATE_NOOP("Mistakes", "口诀记错了，再背一遍口诀")},
        {Mistake::DivQuotientTooLarge, Op::Div, &divQuotientTooLarge, "div.quotient_too_large",
         QT_TRANSLATE_NOOP("Mistakes", "商大了，试试小一点的数")},
        {Mistake::DivQuotientTooSmall, Op::Div, &divQuotientTooSmall, "div.quotient_too_small",
         QT_TRANSLATE_NOOP("Mistakes", "商小了，试试大一点的数")},
    };
    return table;
}

Mistake RecogniseMistake(Op engine, const StepFacts &step, int32_t expected, int32_t typed)
{
    if (typed == expected) return Mistake::None;
    for (const NamedMistake &m : NamedMistakes()) {
        if (m.Operation == engine && m.Shows(step, expected, typed)) return m.Kind;
    }
    return Mistake::Other;
}

QString MistakeKey(Mistake mistake)
{
    if (mistake == Mistake::None) return QString();
    for (const NamedMistake &m : NamedMistakes()) {
        if (m.Kind == mistake) return QString::fromLatin1(m.Key);
    }
    return QStringLiteral("other");
}

QString MistakeWords(Mistake mistake, const StepFacts &step)
{
    const auto m = std::find_if(NamedMistakes().begin(), NamedMistakes().end(),
                                [&](const NamedMistake &n) { return n.Kind == mistake; });
    if (m == NamedMistakes().end()) return QString();
    const QString words = said(m->Words);
    switch (mistake) {
    case Mistake::AddCarryForgotten:
        return words.arg(is(step, StepKind::AddColumn) ? step.CarryIn : 1);
    case Mistake::MulCarryNotAdded:
        return words.arg(step.CarryIn);
    case Mistake::DecSmallerFromLarger:
        if (is(step, StepKind::DecColumn)) {
            const int32_t top = term(step, 0) - step.CarryIn;
            return words.arg(top >= 0 ? top : term(step, 0))
                .arg(term(step, 1))
                .arg(placeName(step.Column + 1));
        }
        return said(QT_TRANSLATE_NOOP("Mistakes", "不够减时，向前一位借1"));
    case Mistake::DecBorrowForgotten:
        if (is(step, StepKind::DecWhole))
            return said(QT_TRANSLATE_NOOP("Mistakes", "借出过1的那一位，要先减去1"));
        return words;
    default:
        return words;
    }
}

QString WorkedReasoning(const StepFacts &s)
{
    auto n = [](int64_t v) { return QString::number(v); };
    const QString equals = QStringLiteral("=");
    switch (s.Kind) {
    case StepKind::AddColumn:
    case StepKind::MulColumn:
        // A column with one digit and nothing carried into it: that digit is its sum.
        if (s.Terms.size() <= 1 && s.CarryIn == 0)
            return QCoreApplication::translate("Mistakes", "这一列只有%1").arg(s.Expected);
        break;
    default:
        break;
    }
    switch (s.Kind) {
    case StepKind::AddColumn: {
        QStringList terms;
        for (int32_t t : s.Terms)
            terms << n(t);
        if (s.CarryIn > 0) terms << n(s.CarryIn);
        return carriedOn(s, terms.join(QLatin1Char('+')) + equals + n(s.Expected));
    }
    case StepKind::AddWhole:
        return n(term(s, 0)) + QLatin1Char('+') + n(term(s, 1)) + equals + n(s.Expected);
    case StepKind::DecColumn: {
        // "借1：12-1-8=3": the ten borrowed first, then the one lent, then the digit below.
        QString line = s.Borrows ? n(term(s, 0) + 10) : n(term(s, 0));
        if (s.CarryIn > 0) line += QLatin1Char('-') + n(s.CarryIn);
        if (s.Terms.size() > 1) line += QLatin1Char('-') + n(term(s, 1));
        line += equals + n(s.Expected);
        return s.Borrows ? QCoreApplication::translate("Mistakes", "借1：%1").arg(line) : line;
    }
    case StepKind::DecWhole:
        return n(term(s, 0)) + QLatin1Char('-') + n(term(s, 1)) + equals + n(s.Expected);
    case StepKind::MulProduct: {
        QString line = n(term(s, 0)) + QChar(0x00D7) + n(term(s, 1));
        if (s.CarryIn > 0) line += QLatin1Char('+') + n(s.CarryIn);
        return carriedOn(s, line + equals + n(s.Expected));
    }
    case StepKind::MulColumn: {
        QStringList terms;
        for (int32_t t : s.Terms)
            terms << n(t);
        if (s.CarryIn > 0) terms << n(s.CarryIn);
        return carriedOn(s, terms.join(QLatin1Char('+')) + equals + n(s.Expected));
    }
    case StepKind::DivQuotient:
        if (s.Expected == 0)
            return QCoreApplication::translate("Mistakes", "%1比%2小，商0")
                .arg(term(s, 0))
                .arg(term(s, 1));
        return QCoreApplication::translate("Mistakes", "%1里面最多有%2个%3")
            .arg(term(s, 0))
            .arg(s.Expected)
            .arg(term(s, 1));
    case StepKind::DivProduct:
        return n(term(s, 0)) + QChar(0x00D7) + n(term(s, 1)) + equals + n(s.Expected);
    case StepKind::DivDifference:
        return n(term(s, 0)) + QLatin1Char('-') + n(term(s, 1)) + equals + n(s.Expected);
    case StepKind::None:
        break;
    }
    return QString();
}

QString PraiseWords()
{
    return QCoreApplication::translate("Mistakes", "改对了！");
}
