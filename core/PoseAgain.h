#pragma once

#include <QString>
#include <cstdint>

class TAlgo;

// Posing a problem again on the engine of its operation, as a drawn problem of the same type
// is posed: the type's line and the coins the chosen list pays for it now, then the engine's
// own SetProblem, so that it is drawn, checked, hinted and animated like any other.

// Whether typeLine is one of the engine's chosen problem types and a and b a problem of it.
bool CanPoseAgain(TAlgo &engine, int32_t a, int32_t b, const QString &typeLine);
// Poses a and b as a problem of typeLine; addition and subtraction in the answer mode given.
// False, with nothing posed, when CanPoseAgain is not true.
bool PoseAgain(TAlgo &engine, int32_t a, int32_t b, const QString &typeLine, bool stepMode);
