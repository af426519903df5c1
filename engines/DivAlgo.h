#pragma once

#include "core/Def.h"

// The division engine. Until it is written it poses nothing, so it is never picked.
class TDiv : public TAlgo
{
public:
    TDiv(Bitmap &board, Bitmap &hint);

    void LoadSettings() override {}
    void NewProblem() override {}
    void PaintBoard() override {}
    bool HintDue() override { return false; }
    void PaintHint() override {}
    void NextStep() override {}
    bool CheckAnswer(int32_t) override { return false; }
    bool IsFinished() override { return true; }
    bool CanHint() override { return true; }
    int32_t Reward() override { return 0; }
    bool HasTypes() const override { return false; }

private:
    Bitmap &m_board;
    Bitmap &m_hint;
};
