#include "core/PoseAgain.h"

#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/EngineKit.h"
#include "engines/MulAlgo.h"

#include <algorithm>

namespace {

// Runs f on the engine as its own class; false for an engine of no known class.
template <class F> bool withEngine(TAlgo &engine, F &&f)
{
    if (auto *e = dynamic_cast<TAdd *>(&engine)) return f(*e);
    if (auto *e = dynamic_cast<TDec *>(&engine)) return f(*e);
    if (auto *e = dynamic_cast<TMul *>(&engine)) return f(*e);
    if (auto *e = dynamic_cast<TDiv *>(&engine)) return f(*e);
    return false;
}

// The engine's chosen type of typeLine; null when it is not among them, or when a and b are
// no problem of that type: the journal is a file anyone can edit, and the board has room for
// the problems the types draw, no more.
template <class E>
const ProblemType *chosenType(const E &e, const QString &typeLine, int32_t a, int32_t b)
{
    if (typeLine.isEmpty() || a < 0 || b < 0) return nullptr;
    const auto t = std::find_if(e.Types.begin(), e.Types.end(),
                                [&](const ProblemType &type) { return type.Line == typeLine; });
    if (t == e.Types.end()) return nullptr;
    return DigitCount(a) == t->Digits1 && DigitCount(b) == t->Digits2 ? &*t : nullptr;
}

template <class E> void setProblem(E &e, int32_t a, int32_t b, bool)
{
    e.SetProblem(a, b);
}

void setProblem(TAdd &e, int32_t a, int32_t b, bool stepMode)
{
    e.SetProblem(a, b, stepMode);
}

void setProblem(TDec &e, int32_t a, int32_t b, bool stepMode)
{
    e.SetProblem(a, b, stepMode);
}

} // namespace

bool CanPoseAgain(TAlgo &engine, int32_t a, int32_t b, const QString &typeLine)
{
    return withEngine(engine, [&](auto &e) { return chosenType(e, typeLine, a, b) != nullptr; });
}

bool PoseAgain(TAlgo &engine, int32_t a, int32_t b, const QString &typeLine, bool stepMode)
{
    return withEngine(engine, [&](auto &e) {
        const ProblemType *t = chosenType(e, typeLine, a, b);
        if (!t) return false;
        e.TypeLine = typeLine;
        e.RewardCoins = t->Coins;
        setProblem(e, a, b, stepMode);
        return true;
    });
}
