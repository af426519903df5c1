#include "settings/SetFiles.h"

#include "platform/TextFiles.h"

#include <QtTest>

class tst_SetFiles : public QObject
{
    Q_OBJECT
private slots:
    void listOrder_data();
    void listOrder();
    void shippedListsAreInListOrder();
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

QTEST_MAIN(tst_SetFiles)
#include "tst_SetFiles.moc"
