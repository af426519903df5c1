// Basic.dat as the controller reads it (lenient) and as the settings dialog reads it (strict).
#include "FuzzSupport.h"

#include "game/uMainClass.h"
#include "platform/Errors.h"
#include "settings/uSet.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    TMainClass *game = &fuzzController();
    static TSetForm *dialog = new TSetForm(fuzzFolders().setFolder(), fuzzReporter());
    try {
        game->LoadOptionsFrom(fuzzLines(data, size));
        game->PickOperation();
        if (!game->ChosenOps().contains(game->Operation())) __builtin_trap();
    } catch (const RuntimeError &) {
    }
    fuzzWrite(QStringLiteral("Set/Basic.dat"), data, size);
    try {
        dialog->LoadBasic();
    } catch (const RuntimeError &) {
    }
    return 0;
}
