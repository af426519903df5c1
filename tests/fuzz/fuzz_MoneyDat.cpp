// The coin bank: reading, the getters of every player and paying in and out.
#include "FuzzSupport.h"

#include "game/CoinBank.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    CoinBank bank(fuzzDataPath(QStringLiteral("Set/Money.dat")));
    bank.LoadMoneyFrom(fuzzLines(data, size));
    for (int player : {0, 1, 2, 3, 4}) {
        (void)bank.NameOf(player);
        (void)bank.GoldOf(player);
        (void)bank.SilverOf(player);
        bank.TakeCoins(player, 1);
        bank.AddCoins(player, 99);
    }
    return 0;
}
