#include "support/EngineRig.h"
#include "engines/AddAlgo.h"

#include <QtTest>

using Rig = EngineRig<TAdd>;

class tst_AddAlgo : public QObject
{
    Q_OBJECT
private slots:
    void unitsColumn_data();
    void unitsColumn();
};

void tst_AddAlgo::unitsColumn_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("rightX");
    QTest::addColumn<QList<int>>("entries");
    QTest::newRow("1 column") << 9 << 5 << 90 << QList<int>{14};
    QTest::newRow("2 columns") << 38 << 45 << 110 << QList<int>{13, 8};
    QTest::newRow("3 columns") << 305 << 7 << 130 << QList<int>{12, 1, 3};
}

void tst_AddAlgo::unitsColumn()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, rightX);
    QFETCH(QList<int>, entries);
    Rig rig;
    TAdd &e = *rig.engine;
    e.SetProblem(a, b);
    rig.tick();
    QVERIFY(Rig::hasText(rig.board, rightX, 40, QString::number(a % 10), Yellow));
    QVERIFY(Rig::hasText(rig.board, rightX, 90, QString::number(b % 10), Yellow));
    // The widest column still ends inside the board.
    for (const DrawOp &op : Rig::texts(rig.board))
        QVERIFY(op.p1.x() <= 130);
    for (int v : entries) {
        QVERIFY(e.CheckAnswer(v));
        e.NextStep();
    }
    QVERIFY(e.IsFinished());
    rig.tick();
    QCOMPARE(Rig::row(rig.board, 160), QString::number(a + b));
}

QTEST_MAIN(tst_AddAlgo)
#include "tst_AddAlgo.moc"
