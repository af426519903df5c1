// Money.dat read, saved and read again: every account keeps its name bytes and its counts,
// and a second save writes the same bytes as the first.
#include "FuzzSupport.h"

#include "core/uMainClass.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    TMainClass *game = &fuzzController();
    game->LoadMoneyBytes(
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    const std::vector<PlayerAccount> first = game->Players;
    const QByteArray saved = game->MoneyBytes();
    game->LoadMoneyBytes(saved);
    const std::vector<PlayerAccount> second = game->Players;
    if (first.size() != second.size()) __builtin_trap();
    for (size_t i = 0; i < first.size(); ++i) {
        if (first[i].NameBytes != second[i].NameBytes || first[i].Name != second[i].Name ||
            first[i].Gold != second[i].Gold || first[i].Silver != second[i].Silver)
            __builtin_trap();
    }
    if (game->MoneyBytes() != saved) __builtin_trap();
    // Nothing of this input outlives it, so the fuzzer's leak check stays quiet.
    game->Players = {};
    return 0;
}
