#include "engines/AddAlgo.h"
#include "core/EngineHost.h"
#include "platform/Bitmap.h"
#include "TestSupport.h"
#include "support/EngineRig.h"

#include <QtTest>
#include <algorithm>

namespace {

struct Fixture
{
    explicit Fixture(const QStringList &types = {QStringLiteral("2位数+2位数")},
                     bool stepMode = true)
    {
        data.writeLines(QStringLiteral("Set/AddSet.Dat"), types);
        data.writeLines(
            QStringLiteral("Set/Basic.dat"),
            {QStringLiteral("Children=0"), QStringLiteral("Alg=0,"), QStringLiteral("Hint=1"),
             stepMode ? QStringLiteral("AddDecMultiStep=1") : QStringLiteral("AddDecMultiStep=0")});
        engine = std::make_unique<TAdd>(board, hint, host);
    }
    // The next step once the carry has flown, the board painted every 50 ms meanwhile.
    void nextStep()
    {
        for (int ticks = 0; engine->Settling(); ++ticks) {
            QVERIFY2(ticks < 200, "the carry never lands");
            clock.advance(50);
            engine->PaintBoard();
        }
        engine->NextStep();
    }
    TempDataDir data{false};
    FakeClock clock;
    EngineHost host{clock, data.folders()};
    Bitmap board{180, 240};
    Bitmap hint{100, 100};
    std::unique_ptr<TAdd> engine;
};

// The digits written in yellow on the answer row, read right to left as a number.
QString answerRow(Bitmap &board)
{
    std::vector<DrawOp> digits;
    for (const DrawOp &op : board.ops()) {
        if (op.kind == DrawOp::Text && op.p1.y() == 160 && op.color == Yellow) digits.push_back(op);
    }
    std::sort(digits.begin(), digits.end(),
              [](const DrawOp &a, const DrawOp &b) { return a.p1.x() < b.p1.x(); });
    QString s;
    for (const DrawOp &op : digits)
        s += op.text;
    return s;
}

std::vector<DrawOp> texts(const Bitmap &b, QColor colour)
{
    std::vector<DrawOp> out;
    for (const DrawOp &op : b.ops()) {
        if (op.kind == DrawOp::Text && op.color == colour) out.push_back(op);
    }
    return out;
}

} // namespace

class tst_AddAlgo : public QObject
{
    Q_OBJECT
private slots:
    void idleBeforeFirstProblem();
    void steps_data();
    void steps();
    void board38plus45();
    void carryFlight();
    void wholeAnswerMarks();
    void marksStayOnBoard_data();
    void marksStayOnBoard();
    void draws_data();
    void draws();
    void unusableTypesAreNeverDrawn();
    void stepModeLine_data();
    void stepModeLine();
    void hint_data();
    void hint();
    void hintPicture();
    void hintTimerRestartsEachColumn();
    void newProblemEndsCarryWait();
    void missingFileKeepsTypes();
};

void tst_AddAlgo::idleBeforeFirstProblem()
{
    Fixture f;
    QVERIFY(f.engine->IsFinished());
    QCOMPARE(f.engine->Reward(), 0);
    QVERIFY(f.engine->CanHint());
    QVERIFY(!f.engine->CheckAnswer(0));
}

void tst_AddAlgo::steps_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("stepMode");
    QTest::addColumn<QList<int>>("entries");
    QTest::addColumn<QString>("result");
    QTest::newRow("38+45") << 38 << 45 << true << QList<int>{13, 8} << "83";
    QTest::newRow("95+17") << 95 << 17 << true << QList<int>{12, 11} << "112";
    QTest::newRow("305+7") << 305 << 7 << true << QList<int>{12, 1, 3} << "312";
    QTest::newRow("9+5") << 9 << 5 << true << QList<int>{14} << "14";
    QTest::newRow("0+0") << 0 << 0 << true << QList<int>{0} << "0";
    QTest::newRow("999+999") << 999 << 999 << true << QList<int>{18, 19, 19} << "1998";
    QTest::newRow("whole 95+17") << 95 << 17 << false << QList<int>{112} << "112";
    QTest::newRow("whole 999+999") << 999 << 999 << false << QList<int>{1998} << "1998";
}

void tst_AddAlgo::steps()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(bool, stepMode);
    QFETCH(QList<int>, entries);
    QFETCH(QString, result);
    Fixture f({QStringLiteral("2位数+2位数")}, stepMode);
    f.engine->SetProblem(a, b);
    QCOMPARE(f.engine->Operand1, a);
    QCOMPARE(f.engine->Operand2, b);
    for (int i = 0; i < entries.size(); ++i) {
        QVERIFY(!f.engine->IsFinished());
        const int entry = entries[i];
        // The units digit of a two-digit sum alone, or any other number, is wrong.
        QVERIFY(!f.engine->CheckAnswer(entry % 10 == entry ? entry + 10 : entry % 10));
        QVERIFY(!f.engine->CheckAnswer(entry + 1));
        QVERIFY(f.engine->CheckAnswer(entry));
        if (i + 1 < entries.size()) f.nextStep();
    }
    QVERIFY(f.engine->IsFinished());
    QVERIFY(!f.engine->CheckAnswer(entries.last()));
    f.board.setRecording(true);
    f.engine->PaintBoard();
    QCOMPARE(answerRow(f.board), result);
    QVERIFY(texts(f.board, Red).empty());
}

void tst_AddAlgo::board38plus45()
{
    Fixture f;
    f.engine->SetProblem(38, 45);
    f.board.setRecording(true);
    f.engine->PaintBoard();
    std::vector<std::pair<QPoint, QString>> yellow, red;
    for (const DrawOp &op : texts(f.board, Yellow))
        yellow.push_back({op.p1, op.text});
    for (const DrawOp &op : texts(f.board, Red))
        red.push_back({op.p1, op.text});
    const std::vector<std::pair<QPoint, QString>> expectedYellow = {
        {{110, 40}, "8"}, {{70, 40}, "3"}, {{110, 90}, "5"}, {{70, 90}, "4"}, {{30, 90}, "+"}};
    QCOMPARE(yellow, expectedYellow);
    const std::vector<std::pair<QPoint, QString>> expectedRed = {{{110, 160}, "?"},
                                                                 {{70, 160}, "?"}};
    QCOMPARE(red, expectedRed);
    bool rule = false, frame = false;
    for (const DrawOp &op : f.board.ops()) {
        if (op.kind == DrawOp::Line && op.p1 == QPoint(30, 150) && op.p2 == QPoint(150, 150) &&
            op.color == Yellow && op.size == 2)
            rule = true;
        if (op.kind == DrawOp::Frame && op.p1 == QPoint(103, 45) && op.p2 == QPoint(143, 140) &&
            op.color == Red && op.size == 2)
            frame = true;
    }
    QVERIFY(rule);
    QVERIFY(frame);
    for (const DrawOp &op : f.board.ops()) {
        if (op.kind == DrawOp::Text) QCOMPARE(op.size, 28);
    }

    // Second column: the carried 1 stands as a small red "+1" above it.
    QVERIFY(f.engine->CheckAnswer(13));
    f.nextStep();
    f.board.setRecording(true);
    f.engine->PaintBoard();
    bool label = false;
    for (const DrawOp &op : texts(f.board, Red)) {
        if (op.text == QLatin1String("+1") && op.p1 == QPoint(70, 15) && op.size == 15)
            label = true;
    }
    QVERIFY(label);
    QCOMPARE(answerRow(f.board), QStringLiteral("3"));
}

void tst_AddAlgo::carryFlight()
{
    Fixture f;
    f.engine->SetProblem(38, 45);
    QVERIFY(f.engine->CheckAnswer(13));
    QList<int> carryY; // y of the red carry digit on each tick, -1 when none
    int ticks = 0;
    while (f.engine->CarryState != 3 && ticks < 100) {
        f.board.setRecording(true);
        f.engine->PaintBoard();
        ++ticks;
        int y = -1;
        for (const DrawOp &op : texts(f.board, Red)) {
            QCOMPARE(op.text, QStringLiteral("1"));
            QCOMPARE(op.p1.x(), 70);
            y = op.p1.y();
        }
        carryY << y;
    }
    QList<int> expected;
    for (int i = 0; i < 11; ++i)
        expected << 160;
    expected << -1;
    for (int y = 160; y >= 10; y -= 25)
        expected << y;
    QCOMPARE(carryY, expected);
}

void tst_AddAlgo::wholeAnswerMarks()
{
    Fixture f({QStringLiteral("2位数+2位数")}, false);
    f.engine->SetProblem(95, 17);
    f.board.setRecording(true);
    f.engine->PaintBoard();
    QList<QPoint> marks;
    for (const DrawOp &op : texts(f.board, Red))
        marks << op.p1;
    QCOMPARE(marks, (QList<QPoint>{{110, 160}, {70, 160}, {30, 160}}));
    for (const DrawOp &op : f.board.ops())
        QVERIFY(op.kind != DrawOp::Frame);
}

void tst_AddAlgo::marksStayOnBoard_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("steps");
    for (bool steps : {true, false}) {
        const char *mode = steps ? "steps" : "whole";
        QTest::addRow("1 column, %s", mode) << 9 << 9 << steps;
        QTest::addRow("2 columns, %s", mode) << 99 << 99 << steps;
        QTest::addRow("3 columns, %s", mode) << 999 << 999 << steps;
    }
}

void tst_AddAlgo::marksStayOnBoard()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(bool, steps);
    EngineRig<TAdd> rig(
        {{QStringLiteral("Basic.dat"),
          {QStringLiteral("Children=0"), QStringLiteral("Alg=0,"), QStringLiteral("Hint=1"),
           QStringLiteral("AddDecMultiStep=%1").arg(int(steps))}}});
    rig.engine->SetProblem(a, b);
    const QStringList outside = rig.marksOffBoard();
    QVERIFY2(outside.isEmpty(), qPrintable(outside.join(QStringLiteral(", "))));
}

void tst_AddAlgo::draws_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("lo1");
    QTest::addColumn<int>("hi1");
    QTest::addColumn<int>("lo2");
    QTest::addColumn<int>("hi2");
    QTest::addColumn<int>("compare");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("coins");
    QTest::newRow("over ten") << "1位数+1位数>10(1硬币)" << 0 << 9 << 0 << 9 << 1 << 10 << 1;
    QTest::newRow("two plus one") << "2位数+1位数" << 10 << 99 << 0 << 9 << 101 << 0 << 0;
    QTest::newRow("three plus three")
        << "3位数+3位数(4硬币)" << 100 << 999 << 100 << 999 << 101 << 0 << 4;
    QTest::newRow("equal") << "1位数+1位数=10(0硬币)" << 0 << 9 << 0 << 9 << 0 << 10 << 0;
    QTest::newRow("less") << "2位数+2位数<50(3硬币)" << 10 << 99 << 10 << 99 << -1 << 50 << 3;
}

void tst_AddAlgo::draws()
{
    QFETCH(QString, type);
    QFETCH(int, lo1);
    QFETCH(int, hi1);
    QFETCH(int, lo2);
    QFETCH(int, hi2);
    QFETCH(int, compare);
    QFETCH(int, threshold);
    QFETCH(int, coins);
    Fixture f({type});
    QVERIFY(f.engine->HasTypes());
    bool sawLow = false;
    for (int i = 0; i < 300; ++i) {
        f.clock.advance(7);
        f.engine->NewProblem();
        const int a = f.engine->Operand1, b = f.engine->Operand2;
        QVERIFY(a >= lo1 && a <= hi1);
        QVERIFY(b >= lo2 && b <= hi2);
        const int s = a + b;
        if (compare == 1)
            QVERIFY(s > threshold);
        else if (compare == 0)
            QCOMPARE(s, threshold);
        else if (compare == -1)
            QVERIFY(s < threshold);
        sawLow = sawLow || a == lo1;
        QCOMPARE(f.engine->Reward(), coins);
        QVERIFY(!f.engine->IsFinished());
        QCOMPARE(f.engine->Step, 0);
    }
    Q_UNUSED(sawLow);
}

void tst_AddAlgo::unusableTypesAreNeverDrawn()
{
    Fixture f({QStringLiteral("1位数+1位数>20(9硬币)"), QStringLiteral("4位数+1位数"),
               QStringLiteral("0位数+1位数")});
    QVERIFY(!f.engine->HasTypes());
    f.engine->NewProblem();
    QVERIFY(f.engine->IsFinished());
    QCOMPARE(f.engine->Reward(), 0);

    Fixture g({QStringLiteral("1位数+1位数>20(9硬币)"), QStringLiteral("1位数+1位数(2硬币)")});
    QVERIFY(g.engine->HasTypes());
    for (int i = 0; i < 50; ++i) {
        g.clock.advance(3);
        g.engine->NewProblem();
        QCOMPARE(g.engine->Reward(), 2);
    }
}

void tst_AddAlgo::stepModeLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("stepMode");
    QTest::newRow("on") << "AddDecMultiStep=1" << true;
    QTest::newRow("off") << "AddDecMultiStep=0" << false;
    QTest::newRow("any zero") << "AddDecMultiStep=10" << false;
}

void tst_AddAlgo::stepModeLine()
{
    QFETCH(QString, line);
    QFETCH(bool, stepMode);
    Fixture f;
    f.data.writeLines(
        QStringLiteral("Set/Basic.dat"),
        {QStringLiteral("Children=0"), QStringLiteral("Alg=0,"), QStringLiteral("Hint=1"), line});
    f.engine->LoadSettings();
    QCOMPARE(f.engine->StepMode, stepMode);
}

void tst_AddAlgo::hint_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("due");
    QTest::newRow("8+5") << 8 << 5 << 0 << true;
    QTest::newRow("5+5 makes exactly ten") << 5 << 5 << 0 << false;
    QTest::newRow("small") << 3 << 4 << 0 << false;
    QTest::newRow("carry-in does not count") << 19 << 19 << 1 << false;
    QTest::newRow("second addend too short") << 305 << 7 << 1 << false;
    QTest::newRow("tens column") << 75 << 68 << 1 << true;
}

void tst_AddAlgo::hint()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, column);
    QFETCH(bool, due);
    Fixture f;
    f.engine->SetProblem(a, b);
    while (f.engine->Step < column) {
        QVERIFY(f.engine->CheckAnswer(f.engine->ColumnSums[f.engine->Step].size() == 2
                                          ? f.engine->ColumnSums[f.engine->Step][0] * 10 +
                                                f.engine->ColumnSums[f.engine->Step][1]
                                          : f.engine->ColumnSums[f.engine->Step][0]));
        f.nextStep();
    }
    f.clock.advance(4999);
    QVERIFY(!f.engine->HintDue());
    f.clock.advance(1);
    QCOMPARE(f.engine->HintDue(), due);
}

void tst_AddAlgo::hintPicture()
{
    Fixture f;
    f.engine->SetProblem(8, 5);
    f.clock.advance(5000);
    f.hint.setRecording(true);
    f.engine->PaintHint();
    std::vector<std::pair<QPoint, QString>> got;
    for (const DrawOp &op : texts(f.hint, Blue)) {
        got.push_back({op.p1, op.text});
        QCOMPARE(op.size, 20);
    }
    const std::vector<std::pair<QPoint, QString>> expected = {
        {{23, 0}, "5"}, {{0, 30}, "↙"}, {{30, 30}, "↘"}, {{0, 60}, "2"}, {{45, 60}, "3"}};
    QCOMPARE(got, expected);

    // The tick counter wraps without making a hint due early or hiding it.
    f.clock.now = 0xFFFFF000u;
    f.engine->SetProblem(8, 5);
    f.clock.advance(0x2000);
    QVERIFY(f.engine->HintDue());

    Fixture whole({QStringLiteral("1位数+1位数")}, false);
    whole.engine->SetProblem(8, 5);
    whole.clock.advance(10000);
    QVERIFY(!whole.engine->HintDue());
}

void tst_AddAlgo::hintTimerRestartsEachColumn()
{
    Fixture f;
    f.engine->SetProblem(88, 55);
    f.clock.advance(6000);
    QVERIFY(f.engine->HintDue());
    QVERIFY(f.engine->CheckAnswer(13));
    f.nextStep(); // the carry takes its ticks on the stepped clock
    QVERIFY(!f.engine->HintDue());
    f.clock.advance(5000);
    QVERIFY(f.engine->HintDue());
}

void tst_AddAlgo::newProblemEndsCarryWait()
{
    Fixture f;
    f.engine->SetProblem(38, 45);
    QVERIFY(f.engine->CheckAnswer(13));
    for (int ticks = 0; ticks < 3; ++ticks) {
        f.clock.advance(50);
        f.engine->PaintBoard();
    }
    QVERIFY(f.engine->Settling());
    f.engine->SetProblem(9, 5); // settings accepted mid-wait
    QVERIFY(!f.engine->Settling());
    QCOMPARE(f.engine->Operand1, 9);
    QCOMPARE(f.engine->Step, 0);
    QVERIFY(!f.engine->Answered);
    QVERIFY(f.engine->CheckAnswer(14));
}

void tst_AddAlgo::missingFileKeepsTypes()
{
    Fixture f({QStringLiteral("1位数+1位数(2硬币)")});
    f.data.remove(QStringLiteral("Set/AddSet.Dat"));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, f.engine->LoadSettings());
    QCOMPARE(f.engine->Types.size(), size_t(1));
    f.data.writeLines(QStringLiteral("Set/AddSet.Dat"), {QStringLiteral("1位数+x")});
    QVERIFY_THROWS_EXCEPTION(RuntimeError, f.engine->LoadSettings());
    QCOMPARE(f.engine->Types.size(), size_t(1));
    QVERIFY(f.engine->HasTypes());
}

QTEST_MAIN(tst_AddAlgo)
#include "tst_AddAlgo.moc"
