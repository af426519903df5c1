// The problem-type line of every operation, and each engine's chosen list read from disk.
#include "FuzzSupport.h"

#include "core/Def.h"
#include "core/uMainClass.h"
#include "platform/Errors.h"
#include "settings/SetFiles.h"

#include <memory>

namespace {
SceneGeometry screen()
{
    SceneGeometry g;
    g.ScreenWidth = 1024;
    g.ScreenHeight = 768;
    g.Who = QRect(10, 53, 129, 195);
    g.AnswerPanelHeight = 105;
    g.MoneyImage = QRect(0, 605, 219, 163);
    return g;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    static auto game = std::make_unique<TMainClass>(screen(), nullptr);
    const QStringList lines = fuzzLines(data, size);
    for (const QString &line : lines) {
        for (QChar op : {QChar('+'), QChar('-'), QChar(0xD7), QChar(0xF7)}) {
            try {
                QString rest;
                ParseProblemType(line, op, op == QLatin1Char('+'), &rest);
            } catch (const RuntimeError &) {
            }
        }
    }
    for (int op = 0; op < 4; ++op) {
        fuzzWrite(QStringLiteral("Set/") + SetFiles::SetList(op), data, size);
        try {
            game->Engines[op]->LoadSettings();
            if (game->Engines[op]->HasTypes()) {
                game->Engine = game->Engines[op].get();
                game->Engine->NewProblem();
                game->Present();
            }
        } catch (const RuntimeError &) {
        }
    }
    return 0;
}
