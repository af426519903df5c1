#pragma once

#include "core/Def.h"
#include "core/ProblemView.h"

#include <cstdint>
#include <memory>
#include <vector>

class Bitmap;
class EngineHost;

// Long division: for each quotient digit the digit, its product with the divisor and the
// difference, with the next dividend digit falling down beside the difference.
class TDiv : public TAlgo, public ProblemView
{
public:
    TDiv(Bitmap &board, Bitmap &hint, EngineHost &host);

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
    StepFacts CurrentFacts() const override;
    void SetMending(const Mending &mending) override { Mend = mending; }
    void HintNow() override { HintForced = true; }

    // Poses dividend / divisor as the current problem, first quotient digit current.
    void SetProblem(int32_t dividend, int32_t divisor);
    // Whether the draw keeps the pair (a, b) for type t (Threshold 1: with a remainder).
    static bool Accepts(const ProblemType &t, int32_t a, int32_t b);
    // Whether a problem of type t can be drawn at all.
    static bool CanDraw(const ProblemType &t);

    // Stage j (1 for the first quotient digit): the number divided, the quotient digit, the
    // product and the difference.
    struct Stage
    {
        int32_t N = 0;
        int32_t Q = 0;
        int32_t M = 0;
        int32_t P = 0;
    };
    Stage StageAt(int32_t j) const;
    int32_t DividendDigits() const;
    int32_t QuotientDigits() const;
    // Dividend digits taken together before the first quotient digit.
    int32_t Offset() const { return DividendDigits() - QuotientDigits(); }
    // The current step, 1 to 3 x quotient digits; 0 before the first problem.
    int32_t CurrentStep() const { return StepsTotal - StepsLeft; }

    Bitmap &Board;
    Bitmap &HintBitmap;
    EngineHost &Host;
    int32_t Dividend = 0;
    int32_t Divisor = 0;
    int32_t Quotient = 0;
    int32_t LeftX = 0;
    int32_t TopY = 0;
    int32_t ColWidth = 0;
    int32_t RowHeight = 0;
    int32_t FontSize = 0;
    int32_t StepsLeft = 0;
    int32_t StepsTotal = 0;
    bool Answered = false;
    int32_t DropState = -1;
    int32_t DropHold = 0;
    bool RuleGrowing = false;
    int32_t RuleLength = 3;
    bool Finished = true;
    bool HintAllowed = true;
    uint32_t StepStart = 0;
    std::vector<ProblemType> Types;
    // The line of the current problem's type. TypeLine, like RewardCoins, belongs to the drawn
    // type: SetProblem leaves both as they are.
    QString TypeLine;
    int32_t RewardCoins = 0;
    int32_t DropY = 0;
    // When the hint of the current step began its recital; none yet while Reciting is false.
    bool Reciting = false;
    uint32_t RecitalStart = 0;
    // How the board shows the step being mended, and whether its hint came at once.
    Mending Mend;
    bool HintForced = false;

private:
    void PaintMending();
    void ChooseLayout();
    int32_t DividendX() const;
    int32_t ColumnX(int32_t j) const;
    int32_t QuotientRowY() const;
    int32_t ProductRowY(int32_t j) const;
    int32_t DifferenceRowY(int32_t j) const;
    void PaintBracket();
    // Writes text right-aligned so that its last character stands at x.
    void WriteRight(int32_t x, int32_t y, const QString &text);
    void DropTick(int32_t x, int32_t targetY, int32_t digit);
    std::vector<int> Usable;
    // The bracket as last made; it changes only with the dividend's length, the column width
    // and the board's resolution, so a tick does not draw it again.
    std::shared_ptr<Bitmap> m_bracket;
    int32_t m_bracketDigits = 0;
    int32_t m_bracketColWidth = 0;
};
