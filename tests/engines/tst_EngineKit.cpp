#include "engines/EngineKit.h"

#include <QtTest>
#include <climits>

class tst_EngineKit : public QObject
{
    Q_OBJECT

private slots:
    void digitCount_data();
    void digitCount();
};

void tst_EngineKit::digitCount_data()
{
    QTest::addColumn<int>("n");
    for (int n : {0, 7, 9, 10, 99, 100, 999, 1000, 2147483647, -1, -9, -10, -999, INT_MIN})
        QTest::addRow("%d", n) << n;
}

// The width of the number as the board writes it, sign included.
void tst_EngineKit::digitCount()
{
    QFETCH(int, n);
    QCOMPARE(DigitCount(n), int(QString::number(n).size()));
}

QTEST_APPLESS_MAIN(tst_EngineKit)
#include "tst_EngineKit.moc"
