// The coin bank: reading, the getters of every player and paying in and out.
#include "FuzzSupport.h"

#include "core/uMainClass.h"
#include "platform/Errors.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    TMainClass *game = &fuzzController();
    game->LoadMoneyFrom(fuzzLines(data, size));
    for (int player : {0, 1, 2, 3, 4}) {
        game->SetPlayer(player);
        (void)game->PlayerName();
        (void)game->PlayerGold();
        game->TakeCoins(1);
        game->AddCoins(99);
    }
    // Nothing of this input outlives it, so the fuzzer's leak check stays quiet.
    game->Players = {};
    return 0;
}
