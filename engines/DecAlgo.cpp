#include "engines/DecAlgo.h"

#include "core/EngineHost.h"
#include "engines/EngineKit.h"
#include "platform/Bitmap.h"

#include <QCoreApplication>
#include <algorithm>
#include <utility>

TDec::TDec(Bitmap &board, Bitmap &hint, EngineHost &host) : Board(board), Hint(hint), Host(host)
{
    Board.font.color = Yellow;
    Board.font.face = QStringLiteral("Comic Sans MS");
    Hint.font.face = QStringLiteral("Comic Sans MS");
    Hint.font.size = 20;
    LoadSettings();
}

bool TDec::CanDraw(const ProblemType &t)
{
    return t.Digits1 >= 1 && t.Digits1 <= 3 && t.Digits2 >= 1 && t.Digits2 <= 3 &&
           t.Digits2 <= t.Digits1;
}

void TDec::LoadSettings()
{
    Types = ReadProblemTypes(Host, QStringLiteral("Set/DecSet.dat"), QLatin1Char('-'), false);
    Usable = UsableTypes(Types, &TDec::CanDraw);
    const QStringList basic = Host.ReadDataLines(QStringLiteral("Set/Basic.dat"));
    StepSetting = !HasZero(LineAt(basic, 3));
    StepMode = StepSetting;
}

void TDec::NewProblem()
{
    StepMode = StepSetting;
    ReseedForProblem(Host);
    if (Usable.empty()) {
        Columns = 0;
        Step = -1;
        Finished = true;
        Answered = false;
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
    } while (b > a);
    SetProblem(a, b);
}

void TDec::SetProblem(int32_t a, int32_t b, bool stepMode)
{
    StepMode = stepMode;
    SetProblem(a, b);
}

void TDec::SetProblem(int32_t a, int32_t b)
{
    // A negative difference has no columns to write; the game never poses one.
    if (b > a) std::swap(a, b);
    Operand1 = a;
    Operand2 = b;
    Columns = std::max(DigitCount(a), DigitCount(b));
    MinuendDigits.assign(Columns, 0);
    SubtrahendDigits.assign(Columns, 0);
    DifferenceDigits.assign(Columns, 0);
    BorrowMarks.assign(Columns, 0);
    for (int i = 0; i < Columns; ++i) {
        MinuendDigits[i] = DigitAt(a, i);
        SubtrahendDigits[i] = DigitAt(b, i);
        DifferenceDigits[i] = DigitAt(a - b, i);
    }
    for (int j = 0; j + 1 < Columns; ++j) {
        if (DifferenceDigits[j] + SubtrahendDigits[j] + BorrowMarks[j] >= 10)
            BorrowMarks[j + 1] = 1;
    }
    Step = -1;
    Finished = false;
    StepStart = Host.GetTickCount();
    Answered = false;
    NextStep();
}

bool TDec::Settling()
{
    return false;
}

bool TDec::CanPoseAgain(int32_t a, int32_t b, const QString &typeLine) const
{
    return ChosenType(Types, typeLine, a, b) != nullptr;
}

bool TDec::PoseAgain(int32_t a, int32_t b, const QString &typeLine, bool stepMode)
{
    if (!TakeChosenType(Types, typeLine, a, b, TypeLine, RewardCoins)) return false;
    SetProblem(a, b, stepMode);
    return true;
}

ProblemSnapshot TDec::Snapshot() const
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

int32_t TDec::AnswerY() const
{
    return (RowHeight / 5) * 2 + TopY + 2 * RowHeight;
}

void TDec::PaintBoard()
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
    for (int i = 0; i < Columns; ++i)
        Board.textOut(RightX - i * ColWidth, TopY, QString::number(MinuendDigits[i]));
    const QString second = QString::number(Operand2);
    for (int i = 0; i < second.size(); ++i)
        Board.textOut(RightX - i * ColWidth, TopY + RowHeight, second.at(second.size() - 1 - i));
    const int32_t left = RightX - Columns * ColWidth;
    Board.textOut(left, TopY + RowHeight, QStringLiteral("-"));
    Board.pen.width = 2;
    const int32_t ruleY = RowHeight / 5 + TopY + 2 * RowHeight;
    Board.line(left, ruleY, RightX + ColWidth, ruleY);

    if (!Finished && Step >= 0) {
        Board.font.color = Red;
        Board.pen.color = Red;
        if (!StepMode) {
            const int n = DigitCount(Operand1 - Operand2);
            for (int k = 0; k < n; ++k)
                Board.textOut(RightX - k * ColWidth, AnswerY(), QStringLiteral("?"));
        } else {
            const int32_t x0 = RightX - Step * ColWidth;
            Board.frameRect(x0 - 7, TopY + 5, x0 - 7 + ColWidth, TopY + 2 * RowHeight);
            const int32_t labelY = TopY - RowHeight / 2;
            if (Step > 0 && BorrowMarks[Step] > 0) {
                Board.font.size = 15;
                Board.textOut(x0, labelY, QStringLiteral("-") + QString::number(BorrowMarks[Step]));
                Board.font.size = 28;
            }
            if (Step < Columns - 1 && BorrowMarks[Step + 1] > 0) {
                Board.font.size = 15;
                Board.textOut(x0 - ColWidth, labelY,
                              QCoreApplication::translate("TDec", "借%1").arg(BorrowMarks[Step + 1]));
                Board.font.size = 28;
            }
            Board.textOut(x0, AnswerY(), QStringLiteral("?"));
        }
        Board.font.color = Yellow;
        Board.pen.color = Yellow;
    }

    if (Step < 0) return;
    if (Finished) {
        // Right-aligned under the units, without zeros in front.
        int first = Columns - 1;
        while (first > 0 && DifferenceDigits[first] == 0)
            --first;
        for (int i = first; i >= 0; --i)
            Board.textOut(RightX - i * ColWidth, AnswerY(), QString::number(DifferenceDigits[i]));
    } else {
        for (int i = 0; i < Step; ++i)
            Board.textOut(RightX - i * ColWidth, AnswerY(), QString::number(DifferenceDigits[i]));
        if (Answered)
            Board.textOut(RightX - Step * ColWidth, AnswerY(),
                          QString::number(DifferenceDigits[Step]));
    }
    if (Answered) StepStart = Host.GetTickCount();
}

bool TDec::CheckAnswer(int32_t value)
{
    if (Step < 0 || Finished) return false;
    if (StepMode) {
        if (value != DifferenceDigits[Step]) return false;
        if (Step + 1 >= Columns) Finished = true;
        Answered = true;
        return true;
    }
    if (value != Operand1 - Operand2) return false;
    Step = Columns - 1;
    Answered = true;
    Finished = true;
    return true;
}

void TDec::NextStep()
{
    if (Finished) return;
    ++Step;
    Answered = false;
    StepStart = Host.GetTickCount();
}

bool TDec::HintDue()
{
    if (Step < 0 || Finished || !StepMode) return false;
    if (MinuendDigits[Step] >= SubtrahendDigits[Step]) return false;
    return Host.GetTickCount() - StepStart >= 5000u;
}

void TDec::PaintHint()
{
    if (Step < 0 || Finished) return;
    Hint.fill(KeyGrey);
    if (!HintDue()) return;
    const int32_t lends = Step + 1 < Columns ? BorrowMarks[Step + 1] : 0;
    const int32_t top = MinuendDigits[Step] + 10 * lends;
    const int32_t left = SubtrahendDigits[Step];
    DrawSplitHint(Hint, top, left, top - left);
}
