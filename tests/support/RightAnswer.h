#pragma once

#include <cstdint>

class TAlgo;

// The answer the current step of an engine's problem asks for, worked out from the operands
// alone as a child works it on paper; addition and subtraction in the problem's own mode.
int32_t RightAnswer(TAlgo *engine);
