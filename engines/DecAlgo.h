#pragma once

#include "core/Def.h"
#include "core/ProblemView.h"

#include <cstdint>
#include <vector>

class Bitmap;
class EngineHost;

// Subtraction, written in columns; solved digit by digit with the borrows marked above the
// columns, or as a whole difference.
class TDec : public TAlgo, public ProblemView
{
public:
    TDec(Bitmap &board, Bitmap &hint, EngineHost &host);

    void LoadSettings() override;
    void NewProblem() override;
    void PaintBoard() override;
    bool HintDue() override;
    void PaintHint() override;
    void NextStep() override;
    bool CheckAnswer(int32_t value) override;
    bool IsFinished() override { return Finished; }
    bool CanHint() override { return CanHintFlag; }
    int32_t Reward() override { return RewardCoins; }
    bool HasTypes() const override { return !Usable.empty(); }
    bool Settling() override;
    bool CanPoseAgain(int32_t a, int32_t b, const QString &typeLine) const override;
    bool PoseAgain(int32_t a, int32_t b, const QString &typeLine, bool stepMode) override;
    ProblemSnapshot Snapshot() const override;

    // Poses a - b as the current problem, units column current. The larger operand is
    // taken as the minuend.
    void SetProblem(int32_t a, int32_t b);
    // The same in the given answer mode, for a problem played again as it was played before.
    // The next drawn problem is in the mode of the settings again.
    void SetProblem(int32_t a, int32_t b, bool stepMode);
    // Whether a problem of type t can be drawn at all: the subtrahend may not be longer.
    static bool CanDraw(const ProblemType &t);

    Bitmap &Board;
    Bitmap &Hint;
    EngineHost &Host;
    int32_t Operand1 = 0;
    int32_t Operand2 = 0;
    std::vector<int32_t> MinuendDigits;
    std::vector<int32_t> SubtrahendDigits;
    std::vector<int32_t> DifferenceDigits;
    std::vector<int32_t> BorrowMarks;
    int32_t RightX = 0;
    int32_t TopY = 0;
    int32_t ColWidth = 0;
    int32_t RowHeight = 0;
    bool Answered = false;
    int32_t Columns = 0;
    int32_t Step = -1;
    bool Finished = true;
    bool CanHintFlag = true;
    uint32_t StepStart = 0;
    std::vector<ProblemType> Types;
    // The line of the current problem's type. TypeLine, like RewardCoins, belongs to the drawn
    // type: SetProblem leaves both as they are.
    QString TypeLine;
    int32_t RewardCoins = 0;
    // The current problem's answer mode, and the one Basic.dat sets for drawn problems.
    bool StepMode = true;
    bool StepSetting = true;

private:
    int32_t AnswerY() const;
    std::vector<int> Usable;
};
