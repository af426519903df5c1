#include "engines/DivAlgo.h"

#include "core/EngineHost.h"
#include "engines/EngineKit.h"
#include "engines/Mistakes.h"
#include "engines/MulAlgo.h"
#include "platform/Bitmap.h"

#include <QCoreApplication>
#include <algorithm>
#include <utility>

namespace {

struct Layout
{
    int dividendDigits, quotientDigits, leftX, topY, colWidth, rowHeight, fontSize;
};

// With a three-digit quotient the problem starts low enough that the quotient row above it
// stays on the board.
const Layout layouts[] = {
    {1, 1, 30, 60, 35, 45, 25}, {2, 1, 25, 80, 25, 40, 22}, {2, 2, 40, 40, 22, 35, 20},
    {3, 1, 10, 80, 20, 35, 20}, {3, 2, 10, 40, 22, 35, 20}, {3, 3, 30, 33, 20, 27, 16},
};

// "divisor×k=product", or with the product hidden behind "=??".
QString equation(int32_t d, int32_t k, bool hidden)
{
    return QString::number(d) + QChar(0x00D7) + QString::number(k) + QLatin1Char('=') +
           (hidden ? QStringLiteral("??") : QString::number(k * d));
}

QString rhymeOf(int32_t a, int32_t b)
{
    return RhymeText(std::min(a, b), std::max(a, b));
}

} // namespace

TDiv::TDiv(Bitmap &board, Bitmap &hint, EngineHost &host)
    : Board(board), HintBitmap(hint), Host(host)
{
    Board.font.color = Yellow;
    Board.font.face = QStringLiteral("Comic Sans MS");
    HintBitmap.font.face = QStringLiteral("Comic Sans MS");
    HintBitmap.font.size = 20;
    LoadSettings();
}

bool TDiv::Accepts(const ProblemType &t, int32_t a, int32_t b)
{
    if (DigitCount(a) != t.Digits1 || DigitCount(b) != t.Digits2) return false;
    if (b > a || a == 0 || b == 0) return false;
    if ((a % b != 0) != (t.Threshold == 1)) return false;
    if (t.Digits1 == 3 && t.Digits2 == 2 && DigitCount(a / b) == 1) return false;
    if (t.Digits1 >= 2 && (b == 1 || b == a)) return false;
    return b <= 20;
}

bool TDiv::CanDraw(const ProblemType &t)
{
    // Divisors stop at 20, and a divisor never has more digits than the dividend.
    if (t.Digits2 > 2 || t.Digits2 > t.Digits1) return false;
    return SomePairPasses(t, &TDiv::Accepts);
}

void TDiv::LoadSettings()
{
    std::vector<QString> rests;
    std::vector<ProblemType> types =
        ReadProblemTypes(Host, QStringLiteral("Set/DivSet.dat"), QChar(0x00F7), false, &rests);
    for (size_t i = 0; i < types.size(); ++i) {
        // Only exactly "除不尽" after the coins' ")" asks for a remainder.
        const qsizetype close = rests[i].indexOf(QLatin1Char(')'));
        types[i].Threshold =
            close >= 0 && rests[i].mid(close + 1) == QStringLiteral("除不尽") ? 1 : 0;
    }
    Types = std::move(types);
    Usable = UsableTypes(Types, &TDiv::CanDraw);
    // No option is taken from it, but a short file is still an error.
    LineAt(Host.ReadDataLines(QStringLiteral("Set/Basic.dat")), 2);
}

void TDiv::NewProblem()
{
    ReseedForProblem(Host);
    if (Usable.empty()) {
        StepsTotal = StepsLeft = 0;
        Finished = true;
        Answered = false;
        DropState = -1;
        RuleGrowing = false;
        RewardCoins = 0;
        return;
    }
    const ProblemType &t = PickType(Host.random(), Types, Usable);
    RewardCoins = t.Coins;
    TypeLine = t.Line;
    int32_t a, b;
    do {
        a = DrawWithDigits(Host.random(), t.Digits1);
        b = DrawWithDigits(Host.random(), t.Digits2);
    } while (!Accepts(t, a, b));
    SetProblem(a, b);
}

void TDiv::SetProblem(int32_t dividend, int32_t divisor)
{
    Dividend = std::max(dividend, 0);
    // There is nothing to divide by 0; the game never poses it.
    Divisor = std::max(divisor, 1);
    Quotient = Dividend / Divisor;
    StepsTotal = 3 * QuotientDigits();
    Finished = false;
    Answered = false;
    DropState = -1;
    RuleGrowing = false;
    RuleLength = 3;
    Mend = {};
    HintForced = false;
    Reciting = false;
    // The first step is current at once; a pause left by the problem before holds nothing.
    Host.tickSlots().ArmSlot(0, 0);
    StepsLeft = StepsTotal - 1;
    StepStart = Host.GetTickCount();
}

bool TDiv::CanPoseAgain(int32_t a, int32_t b, const QString &typeLine) const
{
    return ChosenType(Types, typeLine, a, b) != nullptr;
}

bool TDiv::PoseAgain(int32_t a, int32_t b, const QString &typeLine, bool)
{
    if (!TakeChosenType(Types, typeLine, a, b, TypeLine, RewardCoins)) return false;
    SetProblem(a, b);
    return true;
}

ProblemSnapshot TDiv::Snapshot() const
{
    ProblemSnapshot s;
    s.Posed = StepsTotal > 0;
    s.Operand1 = Dividend;
    s.Operand2 = Divisor;
    s.TypeLine = TypeLine;
    s.StepMode = true;
    if (s.Posed) s.Step = CurrentStep() - 1;
    return s;
}

int32_t TDiv::DividendDigits() const
{
    return DigitCount(Dividend);
}

int32_t TDiv::QuotientDigits() const
{
    return DigitCount(Quotient);
}

TDiv::Stage TDiv::StageAt(int32_t j) const
{
    const QString digits = QString::number(Dividend);
    const int32_t o = Offset();
    Stage s;
    s.P = o == 0 ? 0 : digits.left(o).toInt();
    for (int32_t k = 1; k <= j; ++k) {
        s.N = s.P * 10 + digits.at(o + k - 1).digitValue();
        s.Q = DigitAt(Quotient, QuotientDigits() - k);
        s.M = s.Q * Divisor;
        s.P = s.N - s.M;
    }
    return s;
}

bool TDiv::CheckAnswer(int32_t value)
{
    DropState = -1;
    if (Finished || StepsTotal == 0) return false;
    const int32_t n = CurrentStep();
    const int32_t j = (n + 2) / 3;
    const Stage s = StageAt(j);
    switch (n - 3 * (j - 1)) {
    case 1:
        if (s.Q != value) return false;
        break;
    case 2:
        if (s.M != value) return false;
        RuleLength = 3;
        RuleGrowing = true;
        StepStart = Host.GetTickCount();
        break;
    default:
        if (s.P != value) return false;
        DropState = 0;
        break;
    }
    Host.tickSlots().ArmSlot(500, 0);
    Answered = true;
    if (StepsLeft == 0) Finished = true;
    return true;
}

bool TDiv::Settling()
{
    return (DropState >= 0 && DropState <= 2) || !Host.tickSlots().SlotElapsed(0) || RuleGrowing;
}

void TDiv::NextStep()
{
    if (Finished) return;
    StepsLeft -= 1;
    Answered = false;
    StepStart = Host.GetTickCount();
    HintForced = false;
    Reciting = false;
    Mend = Mending{.Praised = Mend.Praised};
}

void TDiv::ChooseLayout()
{
    const int l = DividendDigits();
    const int q = QuotientDigits();
    for (const Layout &r : layouts) {
        if (r.dividendDigits == l && r.quotientDigits == q) {
            LeftX = r.leftX;
            TopY = r.topY;
            ColWidth = r.colWidth;
            RowHeight = r.rowHeight;
            FontSize = r.fontSize;
            return;
        }
    }
}

int32_t TDiv::DividendX() const
{
    return LeftX + DigitCount(Divisor) * ColWidth + ColWidth / 2 + 10;
}

int32_t TDiv::ColumnX(int32_t j) const
{
    return DividendX() + (Offset() + j - 1) * ColWidth;
}

int32_t TDiv::QuotientRowY() const
{
    return TopY - RowHeight - 6;
}

int32_t TDiv::ProductRowY(int32_t j) const
{
    return TopY + (2 * j - 1) * RowHeight + 5 * (j - 1);
}

int32_t TDiv::DifferenceRowY(int32_t j) const
{
    return TopY + 2 * j * RowHeight + 5 * j;
}

void TDiv::WriteRight(int32_t x, int32_t y, const QString &text)
{
    for (qsizetype k = text.size() - 1; k >= 0; --k, x -= ColWidth)
        Board.textOut(x, y, text.at(k));
}

void TDiv::PaintBracket()
{
    const int32_t l = DividendDigits();
    if (!m_bracket || m_bracketDigits != l || m_bracketColWidth != ColWidth ||
        m_bracket->pixelRatio() != Board.pixelRatio()) {
        auto bracket = std::make_shared<Bitmap>(l * ColWidth + 110, 60);
        // Drawn as finely as the board itself.
        bracket->setPixelRatio(Board.pixelRatio());
        bracket->fill(Magenta);
        bracket->transparent = true;
        bracket->pen.color = Yellow;
        bracket->pen.width = l <= 2 ? 3 : 2;
        bracket->brush = Magenta;
        bracket->ellipse(-100, -100, 100, 100);
        // What the masks leave of the circle is the bracket's curved stroke near its right end.
        const int32_t h = l == 1 ? 45 : l == 2 ? 35 : 28;
        const QRect masks[] = {QRect(QPoint(-50, -50), QPoint(101, 1)),
                               QRect(QPoint(-50, -2), QPoint(69, 99)),
                               QRect(QPoint(0, h), QPoint(199, 99))};
        for (const QRect &m : masks)
            bracket->fillRect(m);
        bracket->line(100, 2, (l + 1) * ColWidth + 90, 2);
        m_bracket = std::move(bracket);
        m_bracketDigits = l;
        m_bracketColWidth = ColWidth;
    }
    const int32_t xb = LeftX + DigitCount(Divisor) * ColWidth + 10;
    Board.draw(xb - 100, TopY, *m_bracket);
}

void TDiv::PaintBoard()
{
    // A solved problem stays written out until the next one is posed, as in the other engines.
    if (StepsTotal == 0) return;
    ChooseLayout();
    Board.fill(KeyGrey);
    Board.pen.color = Yellow;
    Board.pen.width = 1;
    Board.font.color = Yellow;
    Board.font.size = FontSize;
    const QString dividend = QString::number(Dividend);
    const QString divisor = QString::number(Divisor);
    for (int i = 0; i < divisor.size(); ++i)
        Board.textOut(LeftX + i * ColWidth, TopY, divisor.at(i));
    for (int i = 0; i < dividend.size(); ++i)
        Board.textOut(DividendX() + i * ColWidth, TopY, dividend.at(i));
    PaintBracket();

    const int32_t n = CurrentStep();
    for (int32_t j = 1; j <= QuotientDigits(); ++j) {
        const Stage s = StageAt(j);
        const int32_t x = ColumnX(j);
        // Step k of this stage: whether it is written out, and whether it is the current one.
        auto shown = [&](int32_t step) { return n > step || (n == step && Answered); };

        const int32_t qStep = 3 * j - 2;
        if (shown(qStep)) {
            Board.textOut(x, QuotientRowY(), QString::number(s.Q));
        } else if (!(n == qStep && Mend.Struck)) {
            UseRed(Board);
            Board.textOut(x, QuotientRowY(), QStringLiteral("?"));
            UseYellow(Board);
        }
        if (n == qStep) break;

        const int32_t mStep = 3 * j - 1;
        const int32_t my = ProductRowY(j);
        if (shown(mStep)) {
            WriteRight(x, my, QString::number(s.M));
            const int32_t w = std::max(DigitCount(s.N), DigitCount(s.M));
            const int32_t xm = x - w * ColWidth;
            Board.textOut(xm, my, QStringLiteral("-"));
            const int32_t full = xm + (w + 1) * ColWidth;
            int32_t end = full;
            if (RuleGrowing && n == mStep) {
                RuleLength += 20;
                end = xm + RuleLength;
                if (end >= full) {
                    end = full;
                    RuleGrowing = false;
                    RuleLength = 3;
                }
            }
            Board.pen.width = 2;
            Board.line(xm, my + RowHeight + 2, end, my + RowHeight + 2);
            Board.pen.width = 1;
        } else if (!(n == mStep && Mend.Struck)) {
            UseRed(Board);
            WriteRight(x, my, QString(DigitCount(s.M), QLatin1Char('?')));
            UseYellow(Board);
        }
        if (n == mStep) break;

        const int32_t pStep = 3 * j;
        const int32_t py = DifferenceRowY(j);
        const bool more = Offset() + j < dividend.size();
        if (n > pStep && more) {
            // The brought-down digit stands under its own column.
            WriteRight(x + ColWidth, py, QString::number(s.P) + dividend.at(Offset() + j));
        } else if (shown(pStep)) {
            WriteRight(x, py, QString::number(s.P));
        } else if (!(n == pStep && Mend.Struck)) {
            UseRed(Board);
            WriteRight(x, py, QString(DigitCount(s.P), QLatin1Char('?')));
            UseYellow(Board);
        }
        if (n == pStep) {
            if (Answered) {
                if (more)
                    DropTick(x + ColWidth, py, dividend.at(Offset() + j).digitValue());
                else
                    DropState = -1;
            }
            break;
        }
    }
    UseYellow(Board);
    PaintMending();
}

void TDiv::PaintMending()
{
    const int32_t n = CurrentStep();
    if (n < 1) return;
    const int32_t j = (n + 2) / 3;
    const int32_t part = n - 3 * (j - 1);
    const Stage s = StageAt(j);
    const int32_t x = ColumnX(j);
    const int32_t rowY = part == 1   ? QuotientRowY()
                         : part == 2 ? ProductRowY(j)
                                     : DifferenceRowY(j);
    const int32_t value = part == 1 ? s.Q : part == 2 ? s.M : s.P;
    const int32_t inkBottom = BelowDigits(Board, rowY, FontSize) - 3;
    const bool marks = !Finished && !Answered;
    const int workedSize = std::max(12, FontSize - 4);
    // Beside the "?", in the columns to its right that are still empty; where the value is too
    // long for them, under it, in the row that is still empty.
    const int32_t besideX = x + ColWidth;
    Bitmap::Font workedFont = Board.font;
    workedFont.size = workedSize;
    const int32_t workedWidth = (DigitCount(value) - 1) * ColWidth +
                                Bitmap::textExtent(workedFont, QStringLiteral("0")).width();
    const bool beside = besideX + workedWidth + 3 <= Board.width() - 2;
    const int32_t workedY =
        beside ? inkBottom - pointsToPixels(workedSize) * 9 / 10 : inkBottom + 3;
    // The rows below the step are empty: the note goes there, or, at the foot of the board,
    // left of the step's "?".
    int32_t freeTop = part == 1 ? ProductRowY(j) : inkBottom + 3;
    if (marks && Mend.Worked && !beside) freeTop = workedY + NoteHeight(Board, workedSize) + 1;
    QRect notes(0, freeTop, Board.width(), Board.height() - freeTop);
    if (notes.height() < NoteHeight(Board, 13)) {
        const int32_t leftmost = x - (DigitCount(value) - 1) * ColWidth;
        notes = QRect(0, rowY, std::max(0, leftmost - 6), Board.height() - rowY);
    }
    if (Mend.Praised) DrawNote(Board, notes, PraiseWords(), NoteKind::Praise, 16);
    if (!marks) return;
    if (Mend.Struck) {
        // The quotient's earlier digits stand left of its "?": a long value runs to the right.
        const int32_t units = part == 1 ? x + (DigitCount(Mend.StruckValue) - 1) * ColWidth : x;
        DrawStruck(Board, units, rowY, ColWidth, FontSize, Mend.StruckValue);
    }
    if (!Mend.Worked) return;
    if (beside)
        DrawWorkedValueFrom(Board, besideX, workedY, ColWidth, workedSize, value);
    else
        DrawWorkedValue(Board, x, workedY, ColWidth, workedSize, value);
    DrawNote(Board, notes, WorkedReasoning(CurrentFacts()), NoteKind::Reasoning);
}

StepFacts TDiv::CurrentFacts() const
{
    StepFacts f;
    if (Finished || StepsTotal == 0) return f;
    const int32_t n = CurrentStep();
    const int32_t j = (n + 2) / 3;
    const Stage s = StageAt(j);
    f.Column = j;
    switch (n - 3 * (j - 1)) {
    case 1:
        f.Kind = StepKind::DivQuotient;
        f.Terms = {s.N, Divisor};
        f.Expected = s.Q;
        break;
    case 2:
        f.Kind = StepKind::DivProduct;
        f.Terms = {s.Q, Divisor};
        f.Expected = s.M;
        break;
    default:
        f.Kind = StepKind::DivDifference;
        f.Terms = {s.N, s.M};
        f.Expected = s.P;
        break;
    }
    return f;
}

void TDiv::DropTick(int32_t x, int32_t targetY, int32_t digit)
{
    const QString text = QString::number(digit);
    switch (DropState) {
    case 0:
        DropY = TopY;
        DrawGlyphText(Board, x, DropY, text, FontSize, Red, Chalk);
        DropHold = 2;
        DropState = 1;
        break;
    case 1:
        if (DropHold > 0) {
            DrawGlyphText(Board, x, DropY, text, FontSize, Red, Chalk);
            --DropHold;
        } else {
            DropState = 2;
        }
        break;
    case 2:
        DrawGlyphText(Board, x, DropY, text, FontSize, Red, Chalk);
        DropY += RowHeight / 2;
        if (DropY >= targetY) DropState = 3;
        break;
    default:
        break;
    }
}

bool TDiv::HintDue()
{
    if (Finished || StepsTotal == 0) return false;
    if (!(HintForced && !Answered) && Host.GetTickCount() - StepStart < 5000u) return false;
    if (CurrentStep() % 3 != 1) return false;
    if (!Reciting) {
        Reciting = true;
        RecitalStart = Host.GetTickCount();
    }
    return true;
}

void TDiv::PaintHint()
{
    if (Finished || StepsTotal == 0) return;
    HintBitmap.fill(KeyGrey);
    HintBitmap.font.face = QStringLiteral("Comic Sans MS");
    HintBitmap.font.size = 12;
    HintBitmap.font.color = Blue;
    const int32_t n = CurrentStep();
    if (n % 3 != 1) return;
    const Stage s = StageAt((n + 2) / 3);
    const int32_t q = s.Q;
    const int32_t d = Divisor;
    const bool exact = q * d == s.N;
    auto line = [this](int y, const QString &text) { HintBitmap.textOut(0, y, text); };
    if (q == 0) {
        line(30, QCoreApplication::translate("TDiv", "零乘任何数"));
        line(50, QCoreApplication::translate("TDiv", "得零"));
        return;
    }
    if (d >= 10 && exact && q == 1) {
        line(30, QCoreApplication::translate("TDiv", "一乘任何数"));
        line(50, QCoreApplication::translate("TDiv", "等于任何数"));
        return;
    }
    // The facts around the quotient digit, recited from two before the needed one; the needed
    // one comes larger and stays, with the one above it when the stage does not come out.
    auto fact = [&](int32_t k, bool hidden) {
        return d < 10 ? rhymeOf(k, d) : equation(d, k, hidden);
    };
    Recital r;
    for (int32_t k = std::max(1, q - 2); k < q; ++k)
        r.Lines << fact(k, false);
    r.Needed = static_cast<int>(r.Lines.size());
    // A two-digit divisor hides the product behind "=??" when it is all there is, as before.
    r.Lines << fact(q, d >= 10 && (exact || q == 9));
    if (q <= 8 && !(d < 10 && exact)) r.Lines << fact(q + 1, false);
    DrawRecital(HintBitmap, r, Host.GetTickCount() - RecitalStart);
}
