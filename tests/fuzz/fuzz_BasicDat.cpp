// Basic.dat as the controller reads it (lenient) and as the settings dialog reads it (strict).
#include "FuzzSupport.h"

#include "core/uMainClass.h"
#include "platform/Errors.h"
#include "settings/uSet.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    static std::unique_ptr<TMainClass> game;
    static std::unique_ptr<TSetForm> dialog;
    if (!game) {
        SceneGeometry g;
        g.ScreenWidth = 1024;
        g.ScreenHeight = 768;
        g.MoneyImage = QRect(0, 605, 219, 163);
        game = std::make_unique<TMainClass>(g, nullptr);
        dialog = std::make_unique<TSetForm>();
    }
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
