// Money.dat read, saved and read again: every account keeps its name bytes and its counts,
// and a second save writes the same bytes as the first.
#include "FuzzSupport.h"

#include "game/CoinBank.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    CoinBank bank(fuzzDataPath(QStringLiteral("Set/Money.dat")));
    bank.LoadMoneyBytes(
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    const std::vector<PlayerAccount> first = bank.Accounts();
    const QByteArray saved = bank.MoneyBytes();
    bank.LoadMoneyBytes(saved);
    const std::vector<PlayerAccount> second = bank.Accounts();
    if (first.size() != second.size()) __builtin_trap();
    for (size_t i = 0; i < first.size(); ++i) {
        if (first[i].NameBytes != second[i].NameBytes || first[i].Name != second[i].Name ||
            first[i].Gold != second[i].Gold || first[i].Silver != second[i].Silver)
            __builtin_trap();
    }
    if (bank.MoneyBytes() != saved) __builtin_trap();
    return 0;
}
