#pragma once

#include <QString>
#include <cstdint>

class CoinBank;

// Why name cannot be given to player's account, in a few words for the person typing it;
// empty when it can. Money.dat holds a name of at most 10 GBK bytes without "=", and two
// players with one name could not be told apart.
QString NameRefusal(const CoinBank &bank, int32_t player, const QString &name);
