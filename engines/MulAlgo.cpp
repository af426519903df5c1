#include "engines/MulAlgo.h"

#include "core/EngineHost.h"
#include "engines/EngineKit.h"
#include "platform/Bitmap.h"

#include <QCoreApplication>
#include <algorithm>

// The rhyme's words, kept as their source text and translated where they are said.
const std::array<QString, 10> Numerals = {
    QStringLiteral(QT_TRANSLATE_NOOP("RhymeText", "零")),
    QStringLiteral(QT_TRANSLATE_NOOP("RhymeText", "一")),
    QStringLiteral(QT_TRANSLATE_NOOP("RhymeText", "二")),
    QStringLiteral(QT_TRANSLATE_NOOP("RhymeText", "三")),
    QStringLiteral(QT_TRANSLATE_NOOP("RhymeText", "四")),
    QStringLiteral(QT_TRANSLATE_NOOP("RhymeText", "五")),
    QStringLiteral(QT_TRANSLATE_NOOP("RhymeText", "六")),
    QStringLiteral(QT_TRANSLATE_NOOP("RhymeText", "七")),
    QStringLiteral(QT_TRANSLATE_NOOP("RhymeText", "八")),
    QStringLiteral(QT_TRANSLATE_NOOP("RhymeText", "九"))};

namespace {

QString said(const QString &word)
{
    return QCoreApplication::translate("RhymeText", word.toUtf8().constData());
}

} // namespace

QString RhymeText(int32_t low, int32_t high)
{
    if (high == 0) return QString();
    const int32_t p = low * high;
    QString product;
    if (p <= 9) {
        product = QCoreApplication::translate("RhymeText", "得%1").arg(said(Numerals[p]));
    } else if (p == 10) {
        product = QCoreApplication::translate("RhymeText", "一十");
    } else if (p <= 19) {
        product = QCoreApplication::translate("RhymeText", "十%1").arg(said(Numerals[p % 10]));
    } else {
        product = QCoreApplication::translate("RhymeText", "%1十").arg(said(Numerals[p / 10]));
        if (p % 10 != 0) product += said(Numerals[p % 10]);
    }
    return said(Numerals[low]) + said(Numerals[high]) + product;
}

namespace {

bool hasZeroDigit(int32_t n)
{
    return QString::number(n).contains(QLatin1Char('0'));
}

struct Layout
{
    int bDigits, aDigits, rightX, topY, colWidth, rowHeight, fontSize, smallFontSize;
};

// 3 x 3 starts low enough that the carry notes above the multiplicand, and the carries flying
// up to them, stay on the board.
const Layout layouts[] = {
    {1, 1, 100, 40, 30, 40, 25, 10}, {1, 2, 120, 50, 35, 40, 25, 14},
    {1, 3, 120, 50, 30, 40, 25, 14}, {2, 2, 130, 30, 30, 30, 20, 14},
    {2, 3, 140, 30, 25, 30, 18, 10}, {3, 3, 145, 20, 23, 28, 18, 10},
};

} // namespace

TMul::TMul(Bitmap &board, Bitmap &hint, EngineHost &host)
    : Board(board), HintBitmap(hint), Host(host)
{
    Board.font.color = Yellow;
    Board.font.face = QStringLiteral("Comic Sans MS");
    HintBitmap.font.face = QStringLiteral("Comic Sans MS");
    HintBitmap.font.size = 18;
    LoadSettings();
}

bool TMul::Accepts(const ProblemType &t, int32_t a, int32_t b)
{
    if (DigitCount(a) != t.Digits1) return false;
    const bool zeroMultiplier = b == 0 && t.Digits2 == 1;
    if (!zeroMultiplier && (DigitCount(b) != t.Digits2 || hasZeroDigit(b))) return false;
    return b <= a && !(a == 0 && b == 0);
}

bool TMul::CanDraw(const ProblemType &t)
{
    return t.Digits1 >= 1 && t.Digits1 <= 3 && t.Digits2 >= 1 && t.Digits2 <= 3 &&
           t.Digits2 <= t.Digits1;
}

void TMul::LoadSettings()
{
    Types = ReadProblemTypes(Host, QStringLiteral("Set/MulSet.dat"), QChar(0x00D7), false);
    Usable = UsableTypes(Types, &TMul::CanDraw);
    // No option is taken from it, but a short file is still an error.
    LineAt(Host.ReadDataLines(QStringLiteral("Set/Basic.dat")), 2);
}

void TMul::NewProblem()
{
    ReseedForProblem(Host);
    if (Usable.empty()) {
        PartialTotal = PartialLeft = SumColumns = SumLeft = 0;
        Finished = true;
        Answered = false;
        CarryState = -1;
        RewardCoins = 0;
        return;
    }
    const ProblemType &t = PickType(Host.random(), Types, Usable);
    RewardCoins = t.Coins;
    TypeLine = t.Line;
    int32_t a, b;
    for (;;) {
        a = DrawWithDigits(Host.random(), t.Digits1);
        do {
            b = Host.random().below(RangeFor(t.Digits2));
        } while (!(b == 0 && t.Digits2 == 1) && (DigitCount(b) != t.Digits2 || hasZeroDigit(b)));
        if (Accepts(t, a, b)) break;
    }
    SetProblem(a, b);
}

void TMul::SetProblem(int32_t a, int32_t b)
{
    Multiplicand = a;
    Multiplier = b;
    PartialTotal = MultiplicandDigits() * MultiplierDigits();
    const int32_t leading = DigitAt(b, MultiplierDigits() - 1);
    SumColumns = SumLeft = DigitCount(a * leading) + MultiplierDigits() - 1;
    Finished = false;
    Answered = false;
    CarryState = -1;
    SumLineGrowing = false;
    SumLineLength = 3;
    // The first step is current at once: nothing of this problem is animating yet, and a
    // pause left over from the problem before has nothing to hold back.
    Host.tickSlots().ArmSlot(0, 0);
    PartialLeft = PartialTotal;
    StepStart = Host.GetTickCount();
}

bool TMul::CanPoseAgain(int32_t a, int32_t b, const QString &typeLine) const
{
    return ChosenType(Types, typeLine, a, b) != nullptr;
}

bool TMul::PoseAgain(int32_t a, int32_t b, const QString &typeLine, bool)
{
    if (!TakeChosenType(Types, typeLine, a, b, TypeLine, RewardCoins)) return false;
    SetProblem(a, b);
    return true;
}

ProblemSnapshot TMul::Snapshot() const
{
    ProblemSnapshot s;
    s.Posed = PartialTotal > 0;
    s.Operand1 = Multiplicand;
    s.Operand2 = Multiplier;
    s.TypeLine = TypeLine;
    s.StepMode = true;
    // Digit products first, then the column sums.
    if (s.Posed) s.Step = PartialLeft > 0 ? CurrentProduct() : PartialTotal + CurrentColumn();
    return s;
}

int32_t TMul::MultiplicandDigits() const
{
    return DigitCount(Multiplicand);
}

int32_t TMul::MultiplierDigits() const
{
    return DigitCount(Multiplier);
}

TMul::Product TMul::ProductAt(int32_t step) const
{
    const int32_t n = MultiplicandDigits();
    Product p;
    p.Row = step / n;
    const int32_t b = DigitAt(Multiplier, p.Row);
    for (int32_t i = 0; i <= step % n; ++i) {
        p.Digit = i;
        p.CarryIn = i == 0 ? 0 : p.Value / 10;
        p.Value = DigitAt(Multiplicand, i) * b + p.CarryIn;
    }
    p.Leftmost = p.Digit == n - 1;
    return p;
}

TMul::ColumnSum TMul::SumAt(int32_t column) const
{
    ColumnSum s;
    for (int32_t c = 0; c <= column; ++c) {
        s.CarryIn = c == 0 ? 0 : s.Value / 10;
        s.Value = s.CarryIn;
        for (int32_t k = 0; k < MultiplierDigits() && k <= c; ++k)
            s.Value += DigitAt(Multiplicand * DigitAt(Multiplier, k), c - k);
    }
    return s;
}

bool TMul::CheckAnswer(int32_t value)
{
    CarryState = -1;
    if (Finished || PartialTotal == 0) return false;
    if (PartialLeft != 0) {
        const Product p = ProductAt(CurrentProduct());
        if (p.Value != value) return false;
        if (PartialLeft == 1) {
            SumLineGrowing = true;
            SumLineLength = 3;
            if (MultiplierDigits() == 1) Finished = true;
        }
        if (p.Value >= 10 && !p.Leftmost) CarryState = 0;
        // A completed row stays alone on the board for a second.
        if (p.Leftmost) Host.tickSlots().ArmSlot(1000, 0);
        Answered = true;
        StepStart = Host.GetTickCount();
        return true;
    }
    const int32_t c = CurrentColumn();
    const ColumnSum s = SumAt(c);
    if (s.Value != value) return false;
    if (s.Value >= 10 && c + 1 < SumColumns) CarryState = 0;
    Answered = true;
    if (c + 1 == SumColumns) Finished = true;
    return true;
}

bool TMul::Settling()
{
    return (CarryState >= 0 && CarryState <= 2) || !Host.tickSlots().SlotElapsed(0);
}

void TMul::NextStep()
{
    if (Finished) return;
    if (PartialLeft > 0)
        --PartialLeft;
    else if (MultiplierDigits() > 1 && SumLeft > 0)
        --SumLeft;
    Answered = false;
    StepStart = Host.GetTickCount();
}

void TMul::ChooseLayout()
{
    const int bd = MultiplierDigits();
    const int ad = std::max(MultiplicandDigits(), bd);
    for (const Layout &l : layouts) {
        if (l.bDigits == bd && l.aDigits == ad) {
            RightX = l.rightX;
            TopY = l.topY;
            ColWidth = l.colWidth;
            RowHeight = l.rowHeight;
            FontSize = l.fontSize;
            SmallFontSize = l.smallFontSize;
            return;
        }
    }
}

int32_t TMul::BandTop() const
{
    return TopY + 2 * RowHeight + 7 * (RowHeight / 10);
}

int32_t TMul::PartialRowY(int32_t row) const
{
    return BandTop() + 5 + row * RowHeight;
}

int32_t TMul::SumLineY() const
{
    return PartialRowY(MultiplierDigits()) + RowHeight / 3;
}

void TMul::PaintBoard()
{
    Board.fill(KeyGrey);
    if (PartialTotal == 0) return;
    ChooseLayout();
    Board.pen.color = Yellow;
    Board.pen.width = 1;
    Board.font.color = Yellow;
    Board.font.size = FontSize;
    const QString a = QString::number(Multiplicand);
    const QString b = QString::number(Multiplier);
    for (int i = 0; i < a.size(); ++i)
        Board.textOut(RightX - i * ColWidth, TopY, a.at(a.size() - 1 - i));
    for (int i = 0; i < b.size(); ++i)
        Board.textOut(RightX - i * ColWidth, TopY + RowHeight, b.at(b.size() - 1 - i));
    const int32_t left = RightX - std::max<int32_t>(a.size(), b.size()) * ColWidth;
    Board.textOut(left, TopY + RowHeight, QString(QChar(0x00D7)));
    Board.pen.width = 2;
    const int32_t ruleY = TopY + 2 * RowHeight + RowHeight / 3;
    Board.line(left, ruleY, RightX + ColWidth, ruleY);

    PaintPartialRows();
    if (MultiplierDigits() > 1 && PartialLeft == 0) {
        PaintSumLine();
        if (!SumLineGrowing) PaintSumRow();
    }
    Board.font.color = Yellow;
    Board.pen.color = Yellow;
}

void TMul::FrameFactors(const Product &p)
{
    if (MultiplicandDigits() <= 1) return;
    Board.pen.color = Red;
    Board.pen.width = 2;
    const int32_t xa = RightX - p.Digit * ColWidth - 5;
    const int32_t xb = RightX - p.Row * ColWidth - 5;
    const int32_t top = TopY + 5;
    if (xa == xb) {
        Board.frameRect(xa, top, xa + ColWidth, top + 2 * RowHeight);
    } else {
        Board.frameRect(xa, top, xa + ColWidth, top + RowHeight);
        Board.frameRect(xb, top + RowHeight, xb + ColWidth, top + 2 * RowHeight);
    }
    Board.pen.color = Yellow;
}

void TMul::PaintPartialRows()
{
    Board.font.size = FontSize;
    const int32_t t = CurrentProduct();
    int32_t x = RightX;
    for (int32_t s = 0; s <= t && s < PartialTotal; ++s) {
        const Product p = ProductAt(s);
        const int32_t y = PartialRowY(p.Row);
        if (p.Digit == 0) x = RightX - p.Row * ColWidth;
        // Writes the step's entry as it stands once done: the whole product at the row's
        // end, else its units digit.
        auto writeDone = [&] {
            const QString text =
                p.Leftmost ? QString::number(p.Value) : QString::number(p.Value % 10);
            for (qsizetype k = text.size() - 1; k >= 0; --k, x -= ColWidth)
                Board.textOut(x, y, text.at(k));
        };
        if (s < t) {
            writeDone();
            // During the pause after a row the next row's marks stay hidden.
            if (p.Leftmost && s == t - 1 && !Host.tickSlots().SlotElapsed(0)) return;
            continue;
        }
        if (!Finished) FrameFactors(p);
        if (!Answered) {
            Board.font.color = Red;
            if (p.CarryIn > 0)
                DrawGlyphText(Board, RightX - p.Digit * ColWidth, TopY - SmallFontSize - 8,
                              QStringLiteral("+") + QString::number(p.CarryIn), SmallFontSize, Red);
            for (int k = 0; k < DigitCount(p.Value); ++k)
                Board.textOut(x - k * ColWidth, y, QStringLiteral("?"));
            Board.font.color = Yellow;
            return;
        }
        writeDone();
        if (p.Leftmost) return;
        CarryTick(p.Value / 10, x, y, RightX - (p.Digit + 1) * ColWidth, (ColWidth / 10) * p.Row,
                  TopY - RowHeight);
        return;
    }
}

void TMul::PaintSumLine()
{
    Board.font.size = FontSize;
    const int32_t x0 = RightX - SumColumns * ColWidth;
    Board.textOut(x0, PartialRowY(MultiplierDigits() - 1), QStringLiteral("+"));
    const int32_t full = RightX + ColWidth;
    int32_t end = full;
    if (SumLineGrowing) {
        SumLineLength += 20;
        end = x0 + SumLineLength;
        if (end >= full) {
            end = full;
            SumLineGrowing = false;
            SumLineLength = 3;
        }
    }
    Board.pen.width = 2;
    Board.line(x0, SumLineY(), end, SumLineY());
}

void TMul::PaintSumRow()
{
    Board.font.size = FontSize;
    const int32_t y = SumLineY() + RowHeight / 10;
    const int32_t current = std::min(CurrentColumn(), SumColumns - 1);
    int32_t x = RightX;
    for (int32_t c = 0; c <= current; ++c) {
        const ColumnSum s = SumAt(c);
        const bool last = c == SumColumns - 1;
        auto writeDone = [&] {
            const QString text = last ? QString::number(s.Value) : QString::number(s.Value % 10);
            for (qsizetype k = text.size() - 1; k >= 0; --k, x -= ColWidth)
                Board.textOut(x, y, text.at(k));
        };
        if (c < current) {
            writeDone();
            continue;
        }
        if (SumLeft != 0 && !Finished) {
            Board.pen.color = Red;
            Board.pen.width = 2;
            const int32_t fx = RightX - 5 - c * ColWidth;
            Board.frameRect(fx, BandTop() + 10, fx + ColWidth,
                            BandTop() + 10 + MultiplierDigits() * RowHeight);
            Board.pen.color = Yellow;
        }
        if (!Answered) {
            Board.font.color = Red;
            if (s.CarryIn > 0)
                DrawGlyphText(Board, RightX - c * ColWidth, BandTop() - SmallFontSize + 4,
                              QStringLiteral("+") + QString::number(s.CarryIn), SmallFontSize, Red);
            for (int k = 0; k < DigitCount(s.Value); ++k)
                Board.textOut(x - k * ColWidth, y, QStringLiteral("?"));
            Board.font.color = Yellow;
            return;
        }
        writeDone();
        if (!last) CarryTick(s.Value / 10, x, y, x, 0, BandTop());
        return;
    }
}

void TMul::CarryTick(int32_t digit, int32_t x, int32_t y, int32_t targetX, int32_t drift,
                     int32_t endY)
{
    if (CarryState < 0 || CarryState > 2) return;
    const QString text = QString::number(digit);
    Board.font.color = Red;
    switch (CarryState) {
    case 0:
        Board.textOut(x, y, text);
        CarryHold = 2;
        CarryState = 1;
        break;
    case 1:
        if (CarryHold > 0) {
            Board.textOut(x, y, text);
            --CarryHold;
        } else {
            FlyX = x;
            FlyY = y;
            CarryState = 2;
        }
        break;
    case 2:
        DrawGlyphText(Board, FlyX, FlyY, text, FontSize, Red);
        if (FlyX < targetX)
            FlyX += drift;
        else
            FlyX = targetX;
        FlyY -= RowHeight / 2;
        if (FlyY <= endY) CarryState = 3;
        break;
    }
    Board.font.color = Yellow;
}

bool TMul::HintDue()
{
    if (Finished || PartialLeft == 0) return false;
    if (Host.GetTickCount() - StepStart < 5000u) return false;
    if (RhymeCounter <= 0) {
        RhymeCounter = 1;
        Host.tickSlots().ArmSlot(2000, 1);
    }
    return true;
}

void TMul::PaintHint()
{
    if (Finished || PartialLeft == 0 || !HintDue()) return;
    HintBitmap.fill(KeyGrey);
    HintBitmap.font.face = QStringLiteral("Comic Sans MS");
    HintBitmap.font.size = 12;
    HintBitmap.font.color = Blue;
    const Product p = ProductAt(CurrentProduct());
    const int32_t da = DigitAt(Multiplicand, p.Digit);
    const int32_t db = DigitAt(Multiplier, p.Row);
    const int32_t low = std::min(da, db);
    const int32_t high = std::max(da, db);
    if (low == 0) {
        HintBitmap.textOut(0, 30, QCoreApplication::translate("TMul", "零乘任何数"));
        HintBitmap.textOut(0, 50, QCoreApplication::translate("TMul", "得零"));
        return;
    }
    HintBitmap.textOut(0, 40, RhymeText(std::min(RhymeCounter, low), high));
    if (Host.tickSlots().SlotElapsed(1)) {
        RhymeCounter += 1;
        Host.tickSlots().ArmSlot(low > RhymeCounter ? 1500 : 5000, 1);
        // Past the needed line: the next hint starts the recital again at line one.
        if (low < RhymeCounter) RhymeCounter = 0;
    }
}
