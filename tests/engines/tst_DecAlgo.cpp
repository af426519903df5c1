#include "support/EngineRig.h"
#include "engines/DecAlgo.h"

#include <QtTest>

using Rig = EngineRig<TDec>;

namespace {
const QStringList stepMode = {QStringLiteral("Children=0"), QStringLiteral("Alg=1,"),
                              QStringLiteral("Hint=1"), QStringLiteral("AddDecMultiStep=1")};
const QStringList wholeMode = {QStringLiteral("Children=0"), QStringLiteral("Alg=1,"),
                               QStringLiteral("Hint=1"), QStringLiteral("AddDecMultiStep=0")};
constexpr int answerY = 160;
constexpr int labelY = 15;
} // namespace

class tst_DecAlgo : public QObject
{
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
    void labels_data();
    void labels();
    void hints_data();
    void hints();
    void positions();
    void marksStayOnBoard_data();
    void marksStayOnBoard();
    void wholeAnswer();
    void draws();
    void nothingToPose();
};

void tst_DecAlgo::steps_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<QList<int>>("entries");
    QTest::addColumn<QString>("result");
    QTest::newRow("53-27") << 53 << 27 << QList<int>{6, 2} << "26";
    QTest::newRow("105-98") << 105 << 98 << QList<int>{7, 0, 0} << "7";
    QTest::newRow("40-40") << 40 << 40 << QList<int>{0, 0} << "0";
    QTest::newRow("523-187") << 523 << 187 << QList<int>{6, 3, 3} << "336";
    QTest::newRow("352-158") << 352 << 158 << QList<int>{4, 9, 1} << "194";
    QTest::newRow("0-0") << 0 << 0 << QList<int>{0} << "0";
}

void tst_DecAlgo::steps()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QList<int>, entries);
    QFETCH(QString, result);
    Rig rig({{QStringLiteral("Basic.dat"), stepMode}});
    TDec &e = *rig.engine;
    e.SetProblem(a, b);
    QCOMPARE(e.Operand1, a);
    QCOMPARE(e.Operand2, b);
    for (int k = 0; k < entries.size(); ++k) {
        QVERIFY(!e.IsFinished());
        // The whole difference, or the digit plus a borrowed ten, is not the step's entry.
        QVERIFY(!e.CheckAnswer(entries[k] + 10));
        QVERIFY(e.CheckAnswer(entries[k]));
        rig.nextStep();
    }
    QVERIFY(e.IsFinished());
    QVERIFY(!e.CheckAnswer(entries.last()));
    rig.tick();
    QCOMPARE(Rig::row(rig.board, answerY), result);
    // Right-aligned under the units column.
    QVERIFY(Rig::hasText(rig.board, 70 + 20 * e.Columns, answerY, result.right(1)));
}

void tst_DecAlgo::labels_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("labels");
    // "text@x" for every label on the label row, left to right.
    QTest::newRow("53-27 units borrows from the tens") << 53 << 27 << 0 << "借1@70";
    QTest::newRow("53-27 tens has lent") << 53 << 27 << 1 << "-1@70";
    QTest::newRow("105-98 tens lends and borrows") << 105 << 98 << 1 << "借1@50 -1@90";
    QTest::newRow("105-98 hundreds has lent") << 105 << 98 << 2 << "-1@50";
    QTest::newRow("40-40 no borrow") << 40 << 40 << 0 << "";
}

void tst_DecAlgo::labels()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, step);
    QFETCH(QString, labels);
    Rig rig({{QStringLiteral("Basic.dat"), stepMode}});
    TDec &e = *rig.engine;
    e.SetProblem(a, b);
    for (int k = 0; k < step; ++k) {
        QVERIFY(e.CheckAnswer(e.DifferenceDigits[e.Step]));
        rig.nextStep();
    }
    rig.tick();
    std::vector<DrawOp> ops = Rig::texts(rig.board, Red);
    std::sort(ops.begin(), ops.end(),
              [](const DrawOp &l, const DrawOp &r) { return l.p1.x() < r.p1.x(); });
    QStringList seen;
    for (const DrawOp &op : ops) {
        if (op.p1.y() != labelY) continue;
        QCOMPARE(op.size, 15);
        seen << op.text + QLatin1Char('@') + QString::number(op.p1.x());
    }
    QCOMPARE(seen.join(QLatin1Char(' ')), labels);
    // One "?" under the current column.
    QCOMPARE(Rig::row(rig.board, answerY, Red), QStringLiteral("?"));
}

void tst_DecAlgo::hints_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("split"); // top, left, right; empty: no hint
    QTest::newRow("53-27 units") << 53 << 27 << 0 << QStringList{"13", "7", "6"};
    QTest::newRow("523-187 tens leaves the lent one out")
        << 523 << 187 << 1 << QStringList{"12", "8", "4"};
    QTest::newRow("352-158 tens borrows without a hint") << 352 << 158 << 1 << QStringList{};
    QTest::newRow("53-27 tens") << 53 << 27 << 1 << QStringList{};
    QTest::newRow("40-40") << 40 << 40 << 0 << QStringList{};
}

void tst_DecAlgo::hints()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, step);
    QFETCH(QStringList, split);
    Rig rig({{QStringLiteral("Basic.dat"), stepMode}});
    TDec &e = *rig.engine;
    e.SetProblem(a, b);
    for (int k = 0; k < step; ++k) {
        QVERIFY(e.CheckAnswer(e.DifferenceDigits[e.Step]));
        rig.nextStep();
    }
    rig.pass(4900);
    QVERIFY(!rig.hintShown);
    rig.pass(200);
    QCOMPARE(rig.hintShown, !split.isEmpty());
    if (split.isEmpty()) return;
    QVERIFY(Rig::hasText(rig.hint, 23, 0, split[0], Blue));
    QVERIFY(Rig::hasText(rig.hint, 0, 30, QStringLiteral("↙"), Blue));
    QVERIFY(Rig::hasText(rig.hint, 30, 30, QStringLiteral("↘"), Blue));
    QVERIFY(Rig::hasText(rig.hint, 0, 60, split[1], Blue));
    QVERIFY(Rig::hasText(rig.hint, 45, 60, split[2], Blue));
    // A right answer restarts the delay for the next column.
    QVERIFY(e.CheckAnswer(e.DifferenceDigits[e.Step]));
    rig.nextStep();
    rig.tick();
    QVERIFY(!rig.hintShown);
}

void tst_DecAlgo::positions()
{
    Rig rig({{QStringLiteral("Basic.dat"), stepMode}});
    rig.engine->SetProblem(53, 27);
    rig.tick();
    const Bitmap &b = rig.board;
    for (auto [x, y, t] :
         {std::tuple{70, 40, "5"}, {110, 40, "3"}, {70, 90, "2"}, {110, 90, "7"}, {30, 90, "-"}}) {
        QVERIFY2(Rig::hasText(b, x, y, QString::fromUtf8(t), Yellow), t);
    }
    QVERIFY(Rig::hasText(b, 110, answerY, QStringLiteral("?"), Red));
    bool rule = false, frame = false;
    for (const DrawOp &op : b.ops()) {
        if (op.kind == DrawOp::Line && op.p1 == QPoint(30, 150) && op.p2 == QPoint(150, 150))
            rule = op.color == Yellow && op.size == 2;
        if (op.kind == DrawOp::Frame && op.p1 == QPoint(103, 45) && op.p2 == QPoint(143, 140))
            frame = op.color == Red;
    }
    QVERIFY(rule);
    QVERIFY(frame);
    QCOMPARE(rig.board.font.color, Yellow);
}

void tst_DecAlgo::marksStayOnBoard_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("steps");
    for (bool steps : {true, false}) {
        const char *mode = steps ? "steps" : "whole";
        QTest::addRow("1 column, %s", mode) << 9 << 9 << steps;
        QTest::addRow("2 columns, %s", mode) << 90 << 9 << steps;
        QTest::addRow("3 columns, %s", mode) << 100 << 1 << steps;
        QTest::addRow("3 columns wide, %s", mode) << 999 << 888 << steps;
    }
}

void tst_DecAlgo::marksStayOnBoard()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(bool, steps);
    Rig rig({{QStringLiteral("Basic.dat"), steps ? stepMode : wholeMode}});
    rig.engine->SetProblem(a, b);
    const QStringList outside = rig.marksOffBoard();
    QVERIFY2(outside.isEmpty(), qPrintable(outside.join(QStringLiteral(", "))));
}

void tst_DecAlgo::wholeAnswer()
{
    Rig rig({{QStringLiteral("Basic.dat"), wholeMode}});
    TDec &e = *rig.engine;
    e.SetProblem(105, 98);
    rig.tick();
    QCOMPARE(Rig::row(rig.board, answerY, Red), QStringLiteral("?"));
    QVERIFY(!e.CheckAnswer(0));
    rig.pass(6000);
    QVERIFY(!rig.hintShown);
    QVERIFY(e.CheckAnswer(7));
    QVERIFY(e.IsFinished());
    rig.tick();
    QCOMPARE(Rig::row(rig.board, answerY), QStringLiteral("7"));
}

void tst_DecAlgo::draws()
{
    Rig rig({{QStringLiteral("Basic.dat"), stepMode},
             {QStringLiteral("DecSet.Dat"),
              {QStringLiteral("1位数-1位数(2硬币)"), QStringLiteral("1位数-2位数(9硬币)"),
               QStringLiteral("3位数-2位数"), QStringLiteral("3位数-3位数(1硬币)")}}});
    TDec &e = *rig.engine;
    QVERIFY(e.HasTypes());
    bool sawEqual = false;
    for (int k = 0; k < 2000; ++k) {
        rig.clock.advance(7);
        e.NewProblem();
        QVERIFY(!e.IsFinished());
        QVERIFY(e.Operand2 <= e.Operand1);
        QVERIFY(e.Reward() != 9);
        const int d1 = QString::number(e.Operand1).size();
        const int d2 = QString::number(e.Operand2).size();
        QVERIFY((d1 == 1 && d2 == 1) || (d1 == 3 && (d2 == 2 || d2 == 3)));
        sawEqual = sawEqual || e.Operand1 == e.Operand2;
    }
    QVERIFY(sawEqual);
}

void tst_DecAlgo::nothingToPose()
{
    Rig rig({{QStringLiteral("Basic.dat"), stepMode},
             {QStringLiteral("DecSet.Dat"), {QStringLiteral("2位数-3位数")}}});
    TDec &e = *rig.engine;
    QVERIFY(!e.HasTypes());
    e.NewProblem();
    QVERIFY(e.IsFinished());
    QCOMPARE(e.Reward(), 0);
    rig.tick();
    QVERIFY(Rig::texts(rig.board).empty());
}

QTEST_MAIN(tst_DecAlgo)
#include "tst_DecAlgo.moc"
