#include "game/CoinBank.h"

#include "platform/TextFiles.h"
#include "TestSupport.h"

#include <QtTest>

namespace {

// A bank on Money.dat of a data folder of its own.
struct Bank
{
    Bank() = default;
    explicit Bank(const QStringList &lines)
    {
        data.writeLines(QStringLiteral("Set/Money.dat"), lines);
        bank.LoadMoney();
    }
    explicit Bank(const QByteArray &bytes)
    {
        data.writeBytes(QStringLiteral("Set/Money.dat"), bytes);
        bank.LoadMoney();
    }
    QStringList lines() const { return data.readLines(QStringLiteral("Set/Money.dat")); }

    TempDataDir data{false};
    CoinBank bank{data.path(QStringLiteral("Set/Money.dat"))};
};

} // namespace

class tst_CoinBank : public QObject
{
    Q_OBJECT
private slots:
    void coins_data();
    void coins();
    void playersShareAccounts();
    void moneyFileReading();
    void shortMoneyFileKeepsPaidCoins();
    void nameBytesSurviveSaves_data();
    void nameBytesSurviveSaves();
    void renamePlayer_data();
    void renamePlayer();
};

void tst_CoinBank::coins_data()
{
    QTest::addColumn<int>("gold");
    QTest::addColumn<int>("silver");
    QTest::addColumn<int>("reward"); // 0 means a wrong answer
    QTest::addColumn<int>("goldAfter");
    QTest::addColumn<int>("silverAfter");
    QTest::newRow("carry into gold") << 0 << 95 << 7 << 1 << 2;
    QTest::newRow("plain credit") << 3 << 10 << 2 << 3 << 12;
    QTest::newRow("under five gold keeps all") << 4 << 0 << 0 << 4 << 0;
    QTest::newRow("five gold, borrow") << 5 << 0 << 0 << 4 << 99;
    QTest::newRow("five gold, plain") << 5 << 10 << 0 << 5 << 9;
}

void tst_CoinBank::coins()
{
    QFETCH(int, gold);
    QFETCH(int, silver);
    QFETCH(int, reward);
    QFETCH(int, goldAfter);
    QFETCH(int, silverAfter);
    Bank b({QStringLiteral("小明=%1,%2").arg(gold).arg(silver), QStringLiteral("b=0,0"),
            QStringLiteral("c=0,0"), QStringLiteral("d=0,0")});
    if (reward)
        b.bank.AddCoins(0, reward);
    else
        b.bank.TakeCoins(0, 1);
    b.bank.SaveMoney();
    QCOMPARE(b.bank.GoldOf(0), goldAfter);
    QCOMPARE(b.bank.SilverOf(0), silverAfter);
    QCOMPARE(b.lines().first(), QStringLiteral("小明=%1,%2").arg(goldAfter).arg(silverAfter));
    QVERIFY(b.data.readBytes(QStringLiteral("Set/Money.dat")).endsWith("d=0,0\r\n"));
}

void tst_CoinBank::playersShareAccounts()
{
    Bank b({QStringLiteral("a=1,0"), QStringLiteral("b=2,0"), QStringLiteral("c=3,0"),
            QStringLiteral("d=4,0")});
    const QStringList names = {"a", "a", "b", "c", "d"};
    for (int player = 0; player < 5; ++player) {
        QCOMPARE(b.bank.NameOf(player), names[player]);
        QCOMPARE(b.bank.GoldOf(player), player <= 1 ? 1 : player);
    }
}

void tst_CoinBank::moneyFileReading()
{
    Bank b({QStringLiteral("abcdefghijkl=1,2"), QStringLiteral("没有等号12x,3"),
            QStringLiteral("一二三四五六=x,7y"), QStringLiteral("d=4,0")});
    QCOMPARE(b.bank.NameOf(0), QStringLiteral("abcdefghij"));
    QCOMPARE(b.bank.NameOf(2), QString());
    QCOMPARE(b.bank.GoldOf(2), 0);
    QCOMPARE(b.bank.SilverOf(2), 3);
    QCOMPARE(b.bank.NameOf(3), QStringLiteral("一二三四五"));
    QCOMPARE(b.bank.GoldOf(3), 0);
    QCOMPARE(b.bank.SilverOf(3), 7);
    b.bank.SaveMoney();
    QCOMPARE(b.lines().first(), QStringLiteral("abcdefghij=1,2"));
}

void tst_CoinBank::shortMoneyFileKeepsPaidCoins()
{
    Bank b({QStringLiteral("小明=0,1")});
    QCOMPARE(b.bank.NameOf(3), QString());
    QCOMPARE(b.bank.GoldOf(3), 0);
    b.bank.TakeCoins(3, 1);
    b.bank.AddCoins(3, 5);
    b.bank.SaveMoney();
    QCOMPARE(b.lines(), (QStringList{QStringLiteral("小明=0,1"), QStringLiteral("=0,0"),
                                     QStringLiteral("=0,5")}));
}

void tst_CoinBank::nameBytesSurviveSaves_data()
{
    QTest::addColumn<QByteArray>("name");  // as the file holds it
    QTest::addColumn<QString>("shown");    // on the player button
    QTest::addColumn<QByteArray>("saved"); // after a save
    QTest::newRow("GBK") << QByteArray("\xD0\xA1\xC3\xF7") << "小明"
                         << QByteArray("\xD0\xA1\xC3\xF7");
    QTest::newRow("UTF-8 from another editor") << QByteArray("\xE5\xA7\x90\xE5\xA7\x90") << "姐姐"
                                               << QByteArray("\xE5\xA7\x90\xE5\xA7\x90");
    QTest::newRow("bytes of no encoding")
        << QByteArray("a\xFF\x80z") << QString() << QByteArray("a\xFF\x80z");
    QTest::newRow("twelve bytes are cut to ten")
        << QByteArray("abcdefghijkl") << "abcdefghij" << QByteArray("abcdefghij");
    QTest::newRow("a cut never splits a GBK character")
        << QByteArray("a\xD2\xBB\xB6\xFE\xC8\xFD\xCB\xC4\xCE\xE5") << "a一二三四"
        << QByteArray("a\xD2\xBB\xB6\xFE\xC8\xFD\xCB\xC4");
}

void tst_CoinBank::nameBytesSurviveSaves()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QFETCH(QByteArray, saved);
    Bank b("\xB0\xD6=1,0\r\n" + name + "=5,10\r\nc=0,0\r\nd=0,0\r\n");
    if (!shown.isEmpty()) QCOMPARE(b.bank.NameOf(2), shown);
    // Coins move on the account; its name does not.
    b.bank.TakeCoins(2, 1);
    b.bank.SaveMoney();
    b.bank.AddCoins(0, 3);
    b.bank.SaveMoney();
    b.bank.LoadMoney();
    b.bank.SaveMoney();
    QCOMPARE(b.data.readBytes(QStringLiteral("Set/Money.dat")),
             "\xB0\xD6=1,3\r\n" + saved + "=5,9\r\nc=0,0\r\nd=0,0\r\n");

    // A rename writes the new name, in GBK.
    QVERIFY(b.bank.RenamePlayer(2, QStringLiteral("哥哥")));
    QCOMPARE(b.lines().at(1), QStringLiteral("哥哥=5,9"));
}

void tst_CoinBank::renamePlayer_data()
{
    QTest::addColumn<int>("player");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved"); // empty: refused
    QTest::newRow("five characters fit") << 0 << "小明明明明"
                                         << "小明明明明";
    QTest::newRow("six are cut to five") << 0 << "小明明明明明"
                                         << "小明明明明";
    QTest::newRow("no half character") << 2 << "a小明明明明"
                                       << "a小明明明";
    QTest::newRow("letters") << 3 << "Grandpa Joe"
                             << "Grandpa Jo";
    QTest::newRow("equals sign cannot get in") << 4 << "a=1,2"
                                               << "a1,2";
    QTest::newRow("line break cannot get in") << 4 << "小\n红"
                                              << "小 红";
    QTest::newRow("blank is refused") << 2 << "   "
                                      << "";
    QTest::newRow("not in GBK") << 3 << "小😀"
                                << "小?";
}

void tst_CoinBank::renamePlayer()
{
    QFETCH(int, player);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    const QStringList before = {QStringLiteral("小明=1,2"), QStringLiteral("b=3,4"),
                                QStringLiteral("c=5,6"), QStringLiteral("d=7,8")};
    Bank b(before);
    QCOMPARE(b.bank.RenamePlayer(player, typed), !saved.isEmpty());
    QStringList after = before;
    const int account = CoinBank::AccountIndex(player);
    if (!saved.isEmpty()) {
        after[account] = saved + after[account].mid(after[account].indexOf(QLatin1Char('=')));
        QCOMPARE(b.bank.NameOf(player), saved);
        QVERIFY(gbkEncode(saved).size() <= 10);
    }
    QCOMPARE(b.lines(), after);
    // Read back as the game reads it at the next display refresh.
    b.bank.LoadMoney();
    QCOMPARE(b.bank.NameOf(player), saved.isEmpty() ? before[account].section('=', 0, 0) : saved);
}

QTEST_MAIN(tst_CoinBank)
#include "tst_CoinBank.moc"
