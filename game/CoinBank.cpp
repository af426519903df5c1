#include "game/CoinBank.h"

#include "core/Def.h"
#include "platform/TextFiles.h"

#include <algorithm>
#include <utility>

namespace {

// A name whose bytes are not GBK but UTF-8 is shown as the UTF-8 its editor wrote.
QString decodeName(const QByteArray &bytes)
{
    if (!isGbk(bytes)) {
        QString utf8 = QString::fromUtf8(bytes);
        if (utf8.toUtf8() == bytes) return utf8;
    }
    return gbkDecode(bytes);
}

// Takes the bytes up to and including the first sep off rest and returns those before it;
// without a sep nothing is taken and the result is empty.
QByteArray takeBefore(QByteArray &rest, char sep)
{
    const qsizetype at = rest.indexOf(sep);
    if (at < 0) return {};
    QByteArray before = rest.left(at);
    rest.remove(0, at + 1);
    return before;
}

int32_t saturated(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

CoinBank::CoinBank(QString path) : m_path(std::move(path)) {}

void CoinBank::LoadMoney()
{
    LoadMoneyBytes(readFileBytes(m_path));
}

void CoinBank::LoadMoneyFrom(const QStringList &lines)
{
    LoadMoneyBytes(encodeLines(lines));
}

void CoinBank::LoadMoneyBytes(const QByteArray &bytes)
{
    // Split as bytes, not as decoded text: bytes that are not GBK would come back as "?".
    // Neither a line break nor "=" or "," is ever the second byte of a GBK character.
    const QList<QByteArray> lines = splitByteLines(bytes);
    std::vector<PlayerAccount> accounts(static_cast<size_t>(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray rest = lines.at(i);
        PlayerAccount &p = accounts[static_cast<size_t>(i)];
        p.NameBytes = cutGbkBytes(takeBefore(rest, '='), 10);
        p.Name = decodeName(p.NameBytes);
        const QString counts = gbkDecode(rest);
        p.Gold = LenientInt(textBefore(counts, QLatin1Char(',')));
        QString silver = counts;
        deleteThrough(silver, QLatin1Char(','));
        p.Silver = LenientInt(silver);
    }
    m_accounts = std::move(accounts);
}

QByteArray CoinBank::MoneyBytes() const
{
    QByteArray bytes;
    for (const PlayerAccount &p : m_accounts) {
        bytes += p.Name == decodeName(p.NameBytes) ? p.NameBytes : gbkEncode(p.Name);
        bytes += '=' + QByteArray::number(p.Gold) + ',' + QByteArray::number(p.Silver) + "\r\n";
    }
    return bytes;
}

void CoinBank::SaveMoney()
{
    writeFileSafely(m_path, MoneyBytes());
}

int CoinBank::AccountIndex(int32_t player)
{
    return player <= 1 ? 0 : player - 1;
}

PlayerAccount *CoinBank::Account(int32_t player)
{
    const int i = AccountIndex(player);
    if (i < 0) return nullptr;
    if (static_cast<size_t>(i) >= m_accounts.size()) m_accounts.resize(static_cast<size_t>(i) + 1);
    return &m_accounts[static_cast<size_t>(i)];
}

const PlayerAccount *CoinBank::Account(int32_t player) const
{
    const int i = AccountIndex(player);
    if (i < 0 || static_cast<size_t>(i) >= m_accounts.size()) return nullptr;
    return &m_accounts[static_cast<size_t>(i)];
}

QString CoinBank::NameOf(int32_t player) const
{
    const PlayerAccount *a = Account(player);
    return a ? a->Name : QString();
}

int32_t CoinBank::GoldOf(int32_t player) const
{
    const PlayerAccount *a = Account(player);
    return a ? a->Gold : 0;
}

int32_t CoinBank::SilverOf(int32_t player) const
{
    const PlayerAccount *a = Account(player);
    return a ? a->Silver : 0;
}

void CoinBank::AddCoins(int32_t player, int32_t count)
{
    PlayerAccount *a = Account(player);
    if (!a) return;
    a->Silver = saturated(int64_t(a->Silver) + count);
    if (a->Silver >= 100) {
        a->Silver -= 100;
        a->Gold = saturated(int64_t(a->Gold) + 1);
    }
}

void CoinBank::TakeCoins(int32_t player, int32_t count)
{
    if (GoldOf(player) < 5) return;
    PlayerAccount *a = Account(player);
    a->Silver = saturated(int64_t(a->Silver) - count);
    if (a->Silver < 0) {
        a->Silver = saturated(int64_t(a->Silver) + 100);
        a->Gold -= 1;
    }
}

bool CoinBank::RenamePlayer(int32_t player, const QString &name)
{
    // "=" ends the name in Money.dat and a line break ends the account: neither may get in.
    QString clean = name.simplified();
    clean.remove(QLatin1Char('='));
    // What the file will hold, so the button shows the same name after a reload.
    clean = cutGbk(gbkDecode(gbkEncode(clean)), 10).trimmed();
    if (AccountIndex(player) < 0 || clean.isEmpty()) return false;
    LoadMoney();
    PlayerAccount *a = Account(player);
    a->Name = clean;
    a->NameBytes = gbkEncode(clean);
    SaveMoney();
    return true;
}
