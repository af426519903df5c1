#pragma once

#include <QString>
#include <cstdint>

// The current problem of an engine as those who only watch it see it: enough to record it,
// and to pose the same problem again through the engine's SetProblem.
struct ProblemSnapshot
{
    // False while the engine is idle (before its first problem, or with nothing to pose).
    bool Posed = false;
    int32_t Operand1 = 0;
    int32_t Operand2 = 0;
    // The chosen-list line the problem was drawn from; empty for a problem posed directly.
    QString TypeLine;
    bool StepMode = true;
    // The step asked now, from 0 in the order the engine asks them; -1 when there is none.
    int32_t Step = -1;
};

// Read-only view of an engine, beside the exercise-engine contract; asking changes nothing.
class ProblemView
{
public:
    virtual ~ProblemView() = default;
    virtual ProblemSnapshot Snapshot() const = 0;
};
