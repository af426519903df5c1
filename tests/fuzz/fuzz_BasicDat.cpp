// Basic.dat as the controller reads it (lenient) and as the settings dialog reads it (strict).
#include "FuzzSupport.h"

#include "core/uMainClass.h"
#include "platform/Errors.h"
#include "settings/uSet.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    TMainClass *game = &fuzzController();
    static TSetForm *dialog = new TSetForm;
    try {
        game->LoadOptionsFrom(fuzzLines(data, size));
        game->PickOperation();
        if (!game->Engine) __builtin_trap();
    } catch (const RuntimeError &) {
    }
    fuzzWrite(QStringLiteral("Set/Basic.dat"), data, size);
    try {
        dialog->LoadBasic();
    } catch (const RuntimeError &) {
    }
    return 0;
}
