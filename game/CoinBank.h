#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// One account of the coin bank: a line "name=gold,silver" of Set/Money.dat.
struct PlayerAccount
{
    QString Name; // at most 10 bytes in GBK
    int32_t Gold = 0;
    int32_t Silver = 0;
    // The name as the file spells it; written back unchanged while Name is unchanged, so a
    // name in another encoding survives a save.
    QByteArray NameBytes;
};

// The players' coins, kept in Set/Money.dat: 100 silver make one gold. Players 0 and 1 share
// the first account; players 2 to 4 have the next three.
class CoinBank
{
public:
    // path is the bank's file, Set/Money.dat.
    explicit CoinBank(QString path);

    void LoadMoney();
    void LoadMoneyFrom(const QStringList &lines);
    // Money.dat's bytes in, and what SaveMoney writes.
    void LoadMoneyBytes(const QByteArray &bytes);
    QByteArray MoneyBytes() const;
    void SaveMoney();

    // The account of a player index: 0 and 1 share account 0, 2 to 4 use 1 to 3.
    static int AccountIndex(int32_t player);
    QString NameOf(int32_t player) const;
    int32_t GoldOf(int32_t player) const;
    int32_t SilverOf(int32_t player) const;
    // Counts edited by hand can be anything: they saturate rather than overflow.
    void AddCoins(int32_t player, int32_t count);
    // Taken only from an account holding at least 5 gold.
    void TakeCoins(int32_t player, int32_t count);
    // Gives a player's account a new name, cut to 10 GBK bytes without splitting a
    // character, and saves the bank as it is on disk with that name. False when nothing is
    // left of the name.
    bool RenamePlayer(int32_t player, const QString &name);

    const std::vector<PlayerAccount> &Accounts() const { return m_accounts; }

private:
    // An account the file lacks is added, so coins paid to it are kept when saving.
    PlayerAccount *Account(int32_t player);
    const PlayerAccount *Account(int32_t player) const;

    QString m_path;
    std::vector<PlayerAccount> m_accounts;
};
