// The problem-type lines of every operation, as each engine reads its chosen list from disk:
// the types it keeps, a problem drawn from them and an answer. Boards are not drawn: text
// drawing would cost a hundred times the rest, and the engines' own tests cover it.
#include "FuzzSupport.h"

#include "core/Def.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "settings/SetFiles.h"

#include <QFile>
#include <memory>

namespace {

// The four chosen lists are links to one file, so one write per input feeds every engine.
// They are named as the engines spell them, which spares a folder listing per read.
const QString Chosen = QStringLiteral("Set/Chosen.Dat");

void linkChosenLists()
{
    const char *const spelled[4] = {"AddSet.dat", "DecSet.dat", "MulSet.dat", "DivSet.dat"};
    for (int op = 0; op < 4; ++op) {
        QFile::remove(fuzzDataPath(QStringLiteral("Set/") + SetFiles::SetList(op)));
        QFile::link(fuzzDataPath(Chosen),
                    fuzzDataPath(QStringLiteral("Set/") + QLatin1String(spelled[op])));
    }
}

template <class Engine> void play(Bitmap &board, Bitmap &hint, int32_t answer)
{
    try {
        // Made and freed per input, so nothing the input allocated outlives it and the
        // fuzzer's leak check stays quiet.
        Engine engine(board, hint, fuzzHost());
        if (!engine.HasTypes()) return;
        engine.NewProblem();
        engine.CheckAnswer(answer);
    } catch (const RuntimeError &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    static Bitmap board(180, 240), hint(100, 100);
    static const bool linked = (linkChosenLists(), true);
    (void)linked;
    // Each engine parses every line with its own sign (and the division engine keeps what
    // follows the coins), so the parser is reached through them.
    fuzzWrite(Chosen, data, size);
    const int32_t answer = static_cast<int32_t>(size % 100);
    play<TAdd>(board, hint, answer);
    play<TDec>(board, hint, answer);
    play<TMul>(board, hint, answer);
    play<TDiv>(board, hint, answer);
    return 0;
}
