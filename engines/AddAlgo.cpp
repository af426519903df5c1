#include "engines/AddAlgo.h"

#include "core/EngineHost.h"
#include "engines/EngineKit.h"

#include "platform/Bitmap.h"

#include <algorithm>

TAdd::TAdd(Bitmap &board, Bitmap &hint, EngineHost &host) : Board(board), Hint(hint), Host(host)
{
    Board.font.color = Yellow;
    Board.font.face = QStringLiteral("Comic Sans MS");
    Hint.font.face = QStringLiteral("Comic Sans MS");
    Hint.font.size = 20;
    LoadSettings();
}

bool TAdd::CanDraw(const ProblemType &t)
{
    if (t.Digits1 < 1 || t.Digits1 > 3 || t.Digits2 < 1 || t.Digits2 > 3) return false;
    auto lowest = [](int d) { return d == 1 ? 0 : RangeFor(d - 1); };
    const int32_t lo = lowest(t.Digits1) + lowest(t.Digits2);
    const int32_t hi = RangeFor(t.Digits1) - 1 + RangeFor(t.Digits2) - 1;
    switch (t.Compare) {
    case 1:
        return hi > t.Threshold;
    case 0:
        return lo <= t.Threshold && t.Threshold <= hi;
    case -1:
        return lo < t.Threshold;
    default:
        return true;
    }
}

void TAdd::LoadSettings()
{
    Types = ReadProblemTypes(Host, QStringLiteral("Set/AddSet.dat"), QLatin1Char('+'), true);
    Usable = UsableTypes(Types, &TAdd::CanDraw);
    const QStringList basic = Host.ReadDataLines(QStringLiteral("Set/Basic.dat"));
    StepSetting = !HasZero(LineAt(basic, 3));
    StepMode = StepSetting;
}

void TAdd::NewProblem()
{
    StepMode = StepSetting;
    ReseedForProblem(Host);
    if (Usable.empty()) {
        // Nothing can be posed: back to the idle state, with an empty board.
        Columns = 0;
        Step = -1;
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
        b = DrawWithDigits(Host.random(), t.Digits2);
        const int32_t s = a + b;
        if (t.Compare == 1    ? s > t.Threshold
            : t.Compare == 0  ? s == t.Threshold
            : t.Compare == -1 ? s < t.Threshold
                              : true)
            break;
    }
    SetProblem(a, b);
}

void TAdd::SetProblem(int32_t a, int32_t b, bool stepMode)
{
    StepMode = stepMode;
    SetProblem(a, b);
}

void TAdd::SetProblem(int32_t a, int32_t b)
{
    Operand1 = a;
    Operand2 = b;
    Columns = std::max(DigitCount(a), DigitCount(b));
    ColumnSums.clear();
    int32_t carry = 0;
    for (int i = 0; i < Columns; ++i) {
        int32_t s = carry;
        if (i < DigitCount(a)) s += DigitAt(a, i);
        if (i < DigitCount(b)) s += DigitAt(b, i);
        ColumnSums.push_back(s >= 10 ? rNumber{s / 10, s % 10} : rNumber{s});
        carry = s >= 10 ? s / 10 : 0;
    }
    Step = -1;
    CarryState = -1;
    Finished = false;
    Answered = false;
    NextStep();
}

bool TAdd::CanPoseAgain(int32_t a, int32_t b, const QString &typeLine) const
{
    return ChosenType(Types, typeLine, a, b) != nullptr;
}

bool TAdd::PoseAgain(int32_t a, int32_t b, const QString &typeLine, bool stepMode)
{
    if (!TakeChosenType(Types, typeLine, a, b, TypeLine, RewardCoins)) return false;
    SetProblem(a, b, stepMode);
    return true;
}

ProblemSnapshot TAdd::Snapshot() const
{
    ProblemSnapshot s;
    s.Posed = Columns > 0;
    s.Operand1 = Operand1;
    s.Operand2 = Operand2;
    s.TypeLine = TypeLine;
    s.StepMode = StepMode;
    if (s.Posed) s.Step = Step;
    return s;
}

int32_t TAdd::AnswerY() const
{
    return (RowHeight / 5) * 2 + TopY + 2 * RowHeight;
}

void TAdd::PaintBoard()
{
    RightX = ColumnsRightX(Columns);
    TopY = 40;
    ColWidth = 40;
    RowHeight = 50;
    Board.fill(KeyGrey);
    if (Columns == 0) return;
    Board.pen.color = Yellow;
    Board.font.color = Yellow;
    Board.font.size = 28;
    const QString first = QString::number(Operand1);
    const QString second = QString::number(Operand2);
    for (int i = 0; i < first.size(); ++i)
        Board.textOut(RightX - i * ColWidth, TopY, first.at(first.size() - 1 - i));
    for (int i = 0; i < second.size(); ++i)
        Board.textOut(RightX - i * ColWidth, TopY + RowHeight, second.at(second.size() - 1 - i));
    const int32_t left = RightX - Columns * ColWidth;
    Board.textOut(left, TopY + RowHeight, QStringLiteral("+"));
    Board.pen.width = 2;
    const int32_t ruleY = RowHeight / 5 + TopY + 2 * RowHeight;
    Board.line(left, ruleY, RightX + ColWidth, ruleY);

    const bool carrying = CarryState >= 0 && CarryState <= 2;
    if (!Finished && !carrying && Step >= 0) {
        Board.font.color = Red;
        Board.pen.color = Red;
        if (!StepMode) {
            const int n = DigitCount(Operand1 + Operand2);
            for (int k = 0; k < n; ++k)
                Board.textOut(RightX - k * ColWidth, AnswerY(), QStringLiteral("?"));
        } else {
            const int32_t x0 = RightX - Step * ColWidth;
            Board.frameRect(x0 - 7, TopY + 5, x0 - 7 + ColWidth, TopY + 2 * RowHeight);
            if (Step > 0 && ColumnSums[Step - 1].size() == 2) {
                Board.font.size = 15;
                Board.textOut(x0, TopY - RowHeight / 2,
                              QStringLiteral("+") + QString::number(ColumnSums[Step - 1][0]));
                Board.font.size = 28;
            }
            for (size_t k = 0; k < ColumnSums[Step].size(); ++k)
                Board.textOut(x0 - static_cast<int>(k) * ColWidth, AnswerY(), QStringLiteral("?"));
        }
        Board.font.color = Yellow;
        Board.pen.color = Yellow;
    }

    if (Step < 0) return;
    int32_t x = RightX;
    for (int i = 0; i < Step; ++i, x -= ColWidth)
        Board.textOut(x, AnswerY(), QString::number(ColumnSums[i].back()));
    if (!Answered) return;
    const rNumber &sum = ColumnSums[Step];
    if (Finished) {
        for (auto d = sum.rbegin(); d != sum.rend(); ++d, x -= ColWidth)
            Board.textOut(x, AnswerY(), QString::number(*d));
        return;
    }
    Board.textOut(x, AnswerY(), QString::number(sum.back()));
    x -= ColWidth;
    Board.font.color = Red;
    Board.pen.color = Red;
    CarryTick(x);
    Board.font.color = Yellow;
    Board.pen.color = Yellow;
    // No hint may fall due while an answered step waits for the next one.
    StepStart = Host.GetTickCount();
}

void TAdd::CarryTick(int32_t x)
{
    const QString digit = QString::number(ColumnSums[Step].front());
    switch (CarryState) {
    case 0:
        Board.textOut(x, AnswerY(), digit);
        CarryHold = 10;
        CarryState = 1;
        break;
    case 1:
        if (CarryHold > 0) {
            Board.textOut(x, AnswerY(), digit);
            --CarryHold;
        } else {
            CarryState = 2;
            FlyY = AnswerY();
        }
        break;
    case 2:
        Board.textOut(x, FlyY, digit);
        FlyY -= RowHeight / 2;
        if (TopY - RowHeight >= FlyY) CarryState = 3;
        break;
    default:
        break;
    }
}

bool TAdd::CheckAnswer(int32_t value)
{
    CarryState = -1;
    if (Finished) return false;
    if (StepMode) {
        const rNumber &sum = ColumnSums[Step];
        int32_t expected = 0;
        for (int32_t d : sum)
            expected = expected * 10 + d;
        if (value != expected) return false;
        if (Step + 1 >= Columns) Finished = true;
        if (sum.size() == 2) CarryState = 0;
        Answered = true;
        return true;
    }
    if (value != Operand1 + Operand2) return false;
    Step = Columns - 1;
    CarryState = 0;
    Answered = true;
    Finished = true;
    return true;
}

bool TAdd::Settling()
{
    return CarryState >= 0 && CarryState <= 2;
}

void TAdd::NextStep()
{
    if (Finished) return;
    ++Step;
    Answered = false;
    StepStart = Host.GetTickCount();
}

bool TAdd::HintDue()
{
    if (Step == -1 || !StepMode) return false;
    if (Host.GetTickCount() - StepStart < 5000u) return false;
    if (Step >= DigitCount(Operand1) || Step >= DigitCount(Operand2)) return false;
    return DigitAt(Operand1, Step) + DigitAt(Operand2, Step) > 10;
}

void TAdd::PaintHint()
{
    if (Step == -1) return;
    Hint.fill(KeyGrey);
    if (!HintDue()) return;
    const int32_t b = DigitAt(Operand1, Step);
    const int32_t c = DigitAt(Operand2, Step);
    DrawSplitHint(Hint, c, 10 - b, c + b - 10);
}
