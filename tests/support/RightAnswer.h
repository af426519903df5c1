#pragma once

#include <cstdint>

class TAlgo;
enum class Op : int32_t;

// The answer the current step of an engine's problem asks for, worked out from the operands
// alone as a child works it on paper; addition and subtraction in the problem's own mode.
int32_t RightAnswer(TAlgo *engine);

// Poses a and b on an engine of op (a controller's Engine() once it uses op), by steps or as
// a whole where the operation has both.
void PoseProblem(TAlgo &engine, Op op, int32_t a, int32_t b, bool steps = true);
