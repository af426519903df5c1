#include "settings/SetFiles.h"

#include "core/EngineHost.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "platform/Bitmap.h"
#include "platform/TextFiles.h"
#include "TestSupport.h"

#include <QtTest>
#include <set>
#include <utility>

namespace {

// The types of lines as the engine reads them, and whether each can be posed.
template <class Engine>
std::vector<std::pair<ProblemType, bool>> readAs(const TempDataDir &dir, const QString &setFile,
                                                 const QStringList &lines)
{
    dir.writeLines(QStringLiteral("Set/") + setFile, lines);
    Bitmap board(180, 240), hint(100, 100);
    FakeClock clock;
    EngineHost host(clock, dir.folders());
    Engine engine(board, hint, host);
    std::vector<std::pair<ProblemType, bool>> out;
    for (const ProblemType &t : engine.Types)
        out.emplace_back(t, Engine::CanDraw(t));
    return out;
}

} // namespace

class tst_SetFiles : public QObject
{
    Q_OBJECT
private slots:
    void listOrder_data();
    void listOrder();
    void shippedListsAreInListOrder();
    void shippedTypesPayByDifficulty_data();
    void shippedTypesPayByDifficulty();
    void reviewLine_data();
    void reviewLine();
};

void tst_SetFiles::listOrder_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("sorted");

    QTest::newRow("digits first") << QStringList{"3位数+1位数", "1位数+1位数>10(1硬币)",
                                                 "2位数+2位数"}
                                  << QStringList{"1位数+1位数>10(1硬币)", "2位数+2位数",
                                                 "3位数+1位数"};
    QTest::newRow("prefix first") << QStringList{"2位数+1位数>5", "2位数+1位数"}
                                  << QStringList{"2位数+1位数", "2位数+1位数>5"};
    QTest::newRow("case by code point")
        << QStringList{"b", "a", "B", "A"} << QStringList{"A", "B", "a", "b"};
    // U+1D7CF (two UTF-16 units starting D835) comes after U+FF11 by code point.
    QTest::newRow("beyond U+FFFF") << QStringList{QString::fromUcs4(U"\U0001D7CF"), "\uFF11"}
                                   << QStringList{"\uFF11", QString::fromUcs4(U"\U0001D7CF")};
    // As toUcs4() reads it, a lone surrogate is U+FFFD.
    QTest::newRow("lone surrogate")
        << QStringList{QString(QChar(0xD800)) + "b", "\uFFFDa", "\uFFFC"}
        << QStringList{"\uFFFC", "\uFFFDa", QString(QChar(0xD800)) + "b"};
    QTest::newRow("empty line first")
        << QStringList{"1位数×1位数", ""} << QStringList{"", "1位数×1位数"};
}

void tst_SetFiles::listOrder()
{
    QFETCH(QStringList, sorted);
    QFETCH(QStringList, lines);
    QCOMPARE(SetFiles::Sorted(lines), sorted);
}

void tst_SetFiles::shippedListsAreInListOrder()
{
    QDir set(QString::fromUtf8(SUMSPROUT_DATA_DIR) + QStringLiteral("/Set"));
    for (int op = 0; op < 4; ++op) {
        for (const QString &name : {SetFiles::ItemList(op), SetFiles::SetList(op)}) {
            const QStringList lines = readTextLines(set.filePath(name));
            QVERIFY2(!lines.isEmpty(), qPrintable(name));
            QCOMPARE(SetFiles::Sorted(lines), lines);
        }
        QCOMPARE(SetFiles::Sorted(SetFiles::DefaultItems(op)), SetFiles::DefaultItems(op));
    }
}

void tst_SetFiles::shippedTypesPayByDifficulty_data()
{
    QTest::addColumn<int>("op");
    for (int op = 0; op < 4; ++op)
        QTest::addRow("%d", op) << op;
}

void tst_SetFiles::shippedTypesPayByDifficulty()
{
    QFETCH(int, op);
    TempDataDir dir;
    QStringList lines = dir.readLines(QStringLiteral("Set/") + SetFiles::ItemList(op)) +
                        dir.readLines(QStringLiteral("Set/") + SetFiles::SetList(op));
    const QString setFile = SetFiles::SetList(op);
    const auto types = op == 0   ? readAs<TAdd>(dir, setFile, lines)
                       : op == 1 ? readAs<TDec>(dir, setFile, lines)
                       : op == 2 ? readAs<TMul>(dir, setFile, lines)
                                 : readAs<TDiv>(dir, setFile, lines);
    QCOMPARE(types.size(), size_t(lines.size()));
    std::set<std::pair<int, int>> exact, remainder;
    for (size_t i = 0; i < types.size(); ++i) {
        const auto &[t, drawable] = types[i];
        QVERIFY2(drawable && t.Coins >= 1, qPrintable(lines[qsizetype(i)]));
        // More digits in either operand never pay less.
        for (const auto &[u, unused] : types) {
            if (t.Digits1 >= u.Digits1 && t.Digits2 >= u.Digits2)
                QVERIFY2(t.Coins >= u.Coins, qPrintable(lines[qsizetype(i)]));
        }
        (t.Threshold == 1 ? remainder : exact).insert({t.Digits1, t.Digits2});
    }
    // Division offers every kind both exact and with a remainder.
    if (op == 3) QCOMPARE(remainder, exact);
}

void tst_SetFiles::reviewLine_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("on");
    const QStringList four{"Children=0", "Alg=0,", "Hint=1", "AddDecMultiStep=1"};
    QTest::newRow("four lines, as older games wrote") << four << true;
    QTest::newRow("on") << four + QStringList{"Review=1"} << true;
    QTest::newRow("off") << four + QStringList{"Review=0"} << false;
    QTest::newRow("any 0 is off") << four + QStringList{"Review=10"} << false;
    QTest::newRow("empty line") << four + QStringList{""} << true;
    QTest::newRow("shipped") << readTextLines(QString::fromUtf8(SUMSPROUT_DATA_DIR) +
                                              QStringLiteral("/Set/Basic.dat"))
                             << true;
}

void tst_SetFiles::reviewLine()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, on);
    QCOMPARE(SetFiles::ReviewOn(lines), on);
    // What the dialog writes reads back the same.
    QCOMPARE(SetFiles::ReviewOn(SetFiles::BasicLines(false, {0}, true, true, on)), on);
}

QTEST_MAIN(tst_SetFiles)
#include "tst_SetFiles.moc"
