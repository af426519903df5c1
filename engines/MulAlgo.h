#pragma once

#include "core/Def.h"
#include "core/ProblemView.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class Bitmap;
class EngineHost;

// The Chinese numerals 零 to 九, shared with the division engine's hints.
extern const std::array<QString, 10> Numerals;
// The multiplication-table rhyme line for low x high, for example 六七四十二 for 6 x 7;
// empty when high is 0.
QString RhymeText(int32_t low, int32_t high);

// Long multiplication: one digit product at a time with flying carries, then, for a
// multi-digit multiplier, the partial rows added column by column.
class TMul : public TAlgo, public ProblemView
{
public:
    TMul(Bitmap &board, Bitmap &hint, EngineHost &host);

    void LoadSettings() override;
    void NewProblem() override;
    void PaintBoard() override;
    bool HintDue() override;
    void PaintHint() override;
    void NextStep() override;
    bool CheckAnswer(int32_t value) override;
    bool IsFinished() override { return Finished; }
    bool CanHint() override { return HintAllowed; }
    int32_t Reward() override { return RewardCoins; }
    bool HasTypes() const override { return !Usable.empty(); }
    bool Settling() override;
    bool CanPoseAgain(int32_t a, int32_t b, const QString &typeLine) const override;
    bool PoseAgain(int32_t a, int32_t b, const QString &typeLine, bool stepMode) override;
    ProblemSnapshot Snapshot() const override;

    // Poses a x b as the current problem, first digit product current.
    void SetProblem(int32_t a, int32_t b);
    // Whether a problem of type t can be drawn at all: the multiplier may not be longer.
    static bool CanDraw(const ProblemType &t);
    // Whether the draw keeps the pair (a, b) for type t.
    static bool Accepts(const ProblemType &t, int32_t a, int32_t b);

    // What a step asks for. Digit product step s multiplies multiplicand digit Digit by
    // multiplier digit Row.
    struct Product
    {
        int32_t Row = 0;
        int32_t Digit = 0;
        int32_t CarryIn = 0;
        int32_t Value = 0;
        bool Leftmost = false;
    };
    Product ProductAt(int32_t step) const;
    struct ColumnSum
    {
        int32_t CarryIn = 0;
        int32_t Value = 0;
    };
    ColumnSum SumAt(int32_t column) const;
    int32_t MultiplicandDigits() const;
    int32_t MultiplierDigits() const;
    // Where the problem is: the digit product under way (PartialTotal in the sum phase) and
    // the sum column under way.
    int32_t CurrentProduct() const { return PartialTotal - PartialLeft; }
    int32_t CurrentColumn() const { return SumColumns - SumLeft; }

    Bitmap &Board;
    Bitmap &HintBitmap;
    EngineHost &Host;
    int32_t Multiplicand = 0;
    int32_t Multiplier = 0;
    int32_t PartialLeft = 0;
    int32_t PartialTotal = 0;
    int32_t SumLeft = 0;
    int32_t SumColumns = 0;
    int32_t RightX = 0;
    int32_t TopY = 0;
    int32_t ColWidth = 0;
    int32_t RowHeight = 0;
    int32_t FontSize = 0;
    int32_t SmallFontSize = 0;
    bool Answered = false;
    int32_t CarryState = -1;
    int32_t CarryHold = 0;
    bool Finished = true;
    bool SumLineGrowing = false;
    int32_t SumLineLength = 3;
    bool HintAllowed = true;
    uint32_t StepStart = 0;
    std::vector<ProblemType> Types;
    // The line of the current problem's type. TypeLine, like RewardCoins, belongs to the drawn
    // type: SetProblem leaves both as they are.
    QString TypeLine;
    int32_t RewardCoins = 0;
    int32_t FlyX = 0;
    int32_t FlyY = 0;
    // The rhyme line the hint is reciting, kept across steps and problems.
    int32_t RhymeCounter = 0;

private:
    void ChooseLayout();
    int32_t BandTop() const;
    int32_t PartialRowY(int32_t row) const;
    int32_t SumLineY() const;
    void PaintPartialRows();
    void PaintSumLine();
    void PaintSumRow();
    void FrameFactors(const Product &p);
    // One tick of the carry flight from (x, y): drifts right by drift per tick until it
    // reaches targetX, rises until it is at or above endY.
    void CarryTick(int32_t digit, int32_t x, int32_t y, int32_t targetX, int32_t drift,
                   int32_t endY);
    std::vector<int> Usable;
};
