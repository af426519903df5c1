#include "support/EngineRig.h"
#include "engines/MulAlgo.h"

#include <QtTest>

using Rig = EngineRig<TMul>;
// (ms after the hint became due, the line shown)
using Recital = QList<QPair<int, QString>>;

namespace {
// Every line drawn in the last tick at height y.
std::vector<DrawOp> linesAt(const Bitmap &b, int y)
{
    std::vector<DrawOp> out;
    for (const DrawOp &op : b.ops()) {
        if (op.kind == DrawOp::Line && op.p1.y() == y) out.push_back(op);
    }
    return out;
}
} // namespace

class tst_MulAlgo : public QObject
{
    Q_OBJECT
private slots:
    void rhymeTable();
    void steps_data();
    void steps();
    void pauseAfterRow();
    void carryFlight();
    void sumLineGrows();
    void layout_data();
    void layout();
    void marksStayOnBoard_data();
    void marksStayOnBoard();
    void recital_data();
    void recital();
    void zeroHint();
    void recitalGoesOnAcrossProblems();
    void noHintInSumPhase();
    void draws();
    void nothingToPose();
    void newProblemEndsWait();
};

void tst_MulAlgo::rhymeTable()
{
    // Written out by hand: row = the smaller factor as recited first, column = the other.
    const char *table[9][9] = {
        {"一一得一", "一二得二", "一三得三", "一四得四", "一五得五", "一六得六", "一七得七",
         "一八得八", "一九得九"},
        {"二一得二", "二二得四", "二三得六", "二四得八", "二五一十", "二六十二", "二七十四",
         "二八十六", "二九十八"},
        {"三一得三", "三二得六", "三三得九", "三四十二", "三五十五", "三六十八", "三七二十一",
         "三八二十四", "三九二十七"},
        {"四一得四", "四二得八", "四三十二", "四四十六", "四五二十", "四六二十四", "四七二十八",
         "四八三十二", "四九三十六"},
        {"五一得五", "五二一十", "五三十五", "五四二十", "五五二十五", "五六三十", "五七三十五",
         "五八四十", "五九四十五"},
        {"六一得六", "六二十二", "六三十八", "六四二十四", "六五三十", "六六三十六", "六七四十二",
         "六八四十八", "六九五十四"},
        {"七一得七", "七二十四", "七三二十一", "七四二十八", "七五三十五", "七六四十二",
         "七七四十九", "七八五十六", "七九六十三"},
        {"八一得八", "八二十六", "八三二十四", "八四三十二", "八五四十", "八六四十八", "八七五十六",
         "八八六十四", "八九七十二"},
        {"九一得九", "九二十八", "九三二十七", "九四三十六", "九五四十五", "九六五十四",
         "九七六十三", "九八七十二", "九九八十一"},
    };
    for (int low = 1; low <= 9; ++low) {
        for (int high = 1; high <= 9; ++high)
            QCOMPARE(RhymeText(low, high), QString::fromUtf8(table[low - 1][high - 1]));
    }
    QCOMPARE(RhymeText(3, 0), QString());
    QCOMPARE(Numerals[0], QStringLiteral("零"));
    QCOMPARE(Numerals[9], QStringLiteral("九"));
}

void tst_MulAlgo::steps_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<QList<int>>("entries");
    QTest::addColumn<int>("sumColumns");
    QTest::newRow("47x36") << 47 << 36 << QList<int>{42, 28, 21, 14, 2, 9, 6, 1} << 4;
    QTest::newRow("99x19 last column two digits")
        << 99 << 19 << QList<int>{81, 89, 9, 9, 1, 18, 18} << 3;
    QTest::newRow("3x0") << 3 << 0 << QList<int>{0} << 1;
    QTest::newRow("25x0") << 25 << 0 << QList<int>{0, 0} << 1;
    QTest::newRow("8x7 one step") << 8 << 7 << QList<int>{56} << 2;
    QTest::newRow("111x111") << 111 << 111 << QList<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 3, 2, 1}
                             << 5;
    QTest::newRow("999x999") << 999 << 999
                             << QList<int>{81, 89, 89, 81, 89, 89, 81, 89, 89, 1, 10, 20, 28, 19, 9}
                             << 6;
}

void tst_MulAlgo::steps()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QList<int>, entries);
    QFETCH(int, sumColumns);
    Rig rig;
    TMul &e = *rig.engine;
    e.SetProblem(a, b);
    QCOMPARE(e.Multiplicand, a);
    QCOMPARE(e.Multiplier, b);
    QCOMPARE(e.SumColumns, sumColumns);
    for (int k = 0; k < entries.size(); ++k) {
        QVERIFY2(!e.IsFinished(), qPrintable(QString::number(k)));
        QVERIFY(!e.CheckAnswer(entries[k] + 1));
        QVERIFY2(e.CheckAnswer(entries[k]), qPrintable(QString::number(k)));
        rig.nextStep();
        rig.tick();
    }
    QVERIFY(e.IsFinished());
    QVERIFY(!e.CheckAnswer(entries.last()));
    // The solved problem stays on the board, without frames, once the sum line is drawn.
    rig.pass(1000);
    for (const DrawOp &op : rig.board.ops())
        QVERIFY(op.kind != DrawOp::Frame);
    QVERIFY(Rig::texts(rig.board, Red).empty());
    std::vector<DrawOp> yellow = Rig::texts(rig.board, Yellow);
    QVERIFY(!yellow.empty());
    // The lowest row holds the product (the only partial row when the multiplier has one
    // digit).
    const int lowest =
        std::max_element(yellow.begin(), yellow.end(), [](const DrawOp &l, const DrawOp &r) {
            return l.p1.y() < r.p1.y();
        })->p1.y();
    const QString product = QString::number(a * b);
    QCOMPARE(Rig::row(rig.board, lowest, Yellow),
             b == 0 ? QString(QString::number(a).size(), QLatin1Char('0')) : product);
}

void tst_MulAlgo::pauseAfterRow()
{
    Rig rig;
    TMul &e = *rig.engine;
    e.SetProblem(47, 36);
    QVERIFY(e.CheckAnswer(42));
    rig.nextStep();
    QVERIFY(e.CheckAnswer(28));
    const uint32_t before = rig.clock.now;
    rig.nextStep();
    QVERIFY(rig.clock.now - before >= 1000);
    rig.tick();
    // Now the second row's marks show: "?" for 21 under the tens.
    QCOMPARE(Rig::row(rig.board, 146, Red), QStringLiteral("??"));
}

void tst_MulAlgo::carryFlight()
{
    Rig rig;
    TMul &e = *rig.engine;
    e.SetProblem(47, 36);
    for (int entry : {42, 28}) {
        QVERIFY(e.CheckAnswer(entry));
        rig.nextStep();
    }
    QVERIFY(e.CheckAnswer(21));
    std::vector<QPoint> held, flown;
    int stateBefore = e.CarryState;
    rig.onTick = [&] {
        for (const DrawOp &op : rig.board.ops()) {
            if (op.kind != DrawOp::Text || op.color != Red || op.text != QStringLiteral("2"))
                continue;
            (stateBefore == 2 ? flown : held).push_back(op.p1);
        }
        stateBefore = e.CarryState;
    };
    rig.nextStep();
    // 2 x 3 = 21 on the second row: the carry 2 stands one column left of the 1 (written at
    // 100), three ticks, then rises by 15 a tick and drifts 3 a tick toward the tens column.
    QCOMPARE(held.size(), size_t(3));
    for (const QPoint &p : held)
        QCOMPARE(p, QPoint(70, 146));
    QCOMPARE(flown.size(), size_t(10));
    for (size_t k = 0; k < flown.size(); ++k)
        QCOMPARE(flown[k], QPoint(70 + 3 * int(k), 146 - 15 * int(k)));
    QCOMPARE(e.CarryState, 3);
    // The next step shows the carry note over the tens digit of 47.
    rig.tick();
    QVERIFY(Rig::hasText(rig.board, 100, 30 - 14 - 8, QStringLiteral("+2"), Red));
}

void tst_MulAlgo::sumLineGrows()
{
    Rig rig;
    TMul &e = *rig.engine;
    e.SetProblem(47, 36);
    for (int entry : {42, 28, 21, 14}) {
        QVERIFY(e.CheckAnswer(entry));
        rig.nextStep();
    }
    // Sum line of 47 x 36: "+" at x 10 beside the second row, the line at y 186.
    std::vector<int> ends;
    bool sumMarks = false;
    for (int k = 0; k < 10; ++k) {
        rig.tick();
        QVERIFY(Rig::hasText(rig.board, 10, 146, QStringLiteral("+"), Yellow));
        const auto lines = linesAt(rig.board, 186);
        QCOMPARE(lines.size(), size_t(1));
        QCOMPARE(lines[0].p1.x(), 10);
        ends.push_back(lines[0].p2.x());
        sumMarks = sumMarks || !Rig::texts(rig.board, Red).empty();
        // The marks come with the full line.
        if (k == 6) QVERIFY(!sumMarks);
    }
    QCOMPARE(ends, (std::vector<int>{33, 53, 73, 93, 113, 133, 153, 160, 160, 160}));
    QVERIFY(sumMarks);
    QVERIFY(Rig::hasText(rig.board, 130, 189, QStringLiteral("?"), Red));
}

void tst_MulAlgo::layout_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<QPoint>("aUnits");
    QTest::addColumn<QPoint>("bUnits");
    QTest::addColumn<QPoint>("times");
    QTest::addColumn<QLine>("rule");
    QTest::addColumn<QList<QPoint>>("marks"); // the first step's "?"
    QTest::addColumn<int>("fontSize");
    QTest::newRow("1 x 1") << 8 << 7 << QPoint(100, 40) << QPoint(100, 80) << QPoint(70, 80)
                           << QLine(70, 133, 130, 133) << QList<QPoint>{{100, 153}, {70, 153}}
                           << 25;
    QTest::newRow("2 x 1") << 47 << 6 << QPoint(120, 50) << QPoint(120, 90) << QPoint(50, 90)
                           << QLine(50, 143, 155, 143) << QList<QPoint>{{120, 163}, {85, 163}}
                           << 25;
    QTest::newRow("3 x 1") << 385 << 7 << QPoint(120, 50) << QPoint(120, 90) << QPoint(30, 90)
                           << QLine(30, 143, 150, 143) << QList<QPoint>{{120, 163}, {90, 163}}
                           << 25;
    QTest::newRow("2 x 2") << 47 << 36 << QPoint(130, 30) << QPoint(130, 60) << QPoint(70, 60)
                           << QLine(70, 100, 160, 100) << QList<QPoint>{{130, 116}, {100, 116}}
                           << 20;
    QTest::newRow("3 x 2") << 478 << 36 << QPoint(140, 30) << QPoint(140, 60) << QPoint(65, 60)
                           << QLine(65, 100, 165, 100) << QList<QPoint>{{140, 116}, {115, 116}}
                           << 18;
    QTest::newRow("3 x 3") << 999 << 999 << QPoint(145, 20) << QPoint(145, 48) << QPoint(76, 48)
                           << QLine(76, 85, 168, 85) << QList<QPoint>{{145, 95}, {122, 95}} << 18;
}

void tst_MulAlgo::layout()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QPoint, aUnits);
    QFETCH(QPoint, bUnits);
    QFETCH(QPoint, times);
    QFETCH(QLine, rule);
    QFETCH(QList<QPoint>, marks);
    QFETCH(int, fontSize);
    Rig rig;
    rig.engine->SetProblem(a, b);
    rig.tick();
    const Bitmap &board = rig.board;
    QVERIFY(Rig::hasText(board, aUnits.x(), aUnits.y(), QString::number(a % 10), Yellow));
    QVERIFY(Rig::hasText(board, bUnits.x(), bUnits.y(), QString::number(b % 10), Yellow));
    QVERIFY(Rig::hasText(board, times.x(), times.y(), QStringLiteral("×"), Yellow));
    const auto lines = linesAt(board, rule.y1());
    QCOMPARE(lines.size(), size_t(1));
    QCOMPARE(QLine(lines[0].p1, lines[0].p2), rule);
    QCOMPARE(lines[0].size, 2);
    std::vector<DrawOp> red = Rig::texts(board, Red);
    QCOMPARE(red.size(), size_t(marks.size()));
    for (size_t k = 0; k < red.size(); ++k) {
        QCOMPARE(red[k].p1, marks[int(k)]);
        QCOMPARE(red[k].text, QStringLiteral("?"));
        QCOMPARE(red[k].size, fontSize);
    }
    // Everything written stays on the board.
    for (const DrawOp &op : Rig::texts(board)) {
        QVERIFY(op.p1.x() >= 0 && op.p1.x() + 20 <= 180);
        QVERIFY(op.p1.y() >= 0 && op.p1.y() + 30 <= 240);
    }
}

void tst_MulAlgo::marksStayOnBoard_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    // One row per layout, with the most digits, carries and sum columns it can hold.
    QTest::newRow("1 x 1") << 9 << 9;
    QTest::newRow("2 x 1") << 99 << 9;
    QTest::newRow("3 x 1") << 999 << 9;
    QTest::newRow("2 x 2") << 99 << 99;
    QTest::newRow("3 x 2") << 999 << 99;
    QTest::newRow("3 x 3") << 999 << 999;
    QTest::newRow("3 x 3, small carries") << 378 << 456;
}

void tst_MulAlgo::marksStayOnBoard()
{
    QFETCH(int, a);
    QFETCH(int, b);
    Rig rig;
    rig.engine->SetProblem(a, b);
    const QStringList outside = rig.marksOffBoard();
    QVERIFY2(outside.isEmpty(), qPrintable(outside.join(QStringLiteral(", "))));
}

void tst_MulAlgo::recital_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<Recital>("lines");
    QTest::newRow("3 and 7 recited up to the needed line")
        << 7 << 3 << Recital{{0, "一七得七"},    {1900, "一七得七"},   {2100, "二七十四"},
                             {3400, "二七十四"}, {3600, "三七二十一"}, {8400, "三七二十一"},
                             {8700, "一七得七"}};
    QTest::newRow("1 and 7 stays")
        << 7 << 1 << Recital{{0, "一七得七"}, {2100, "一七得七"}, {9000, "一七得七"}};
}

void tst_MulAlgo::recital()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(Recital, lines);
    Rig rig;
    rig.engine->SetProblem(a, b);
    rig.pass(4900);
    QVERIFY(!rig.hintShown);
    rig.pass(100);
    QVERIFY(rig.hintShown);
    int at = 0;
    for (const auto &[ms, text] : lines) {
        rig.pass(ms - at);
        at = ms;
        QVERIFY2(rig.hintShown, qPrintable(QString::number(ms)));
        QCOMPARE(Rig::row(rig.hint, 40, Blue), text);
    }
}

void tst_MulAlgo::zeroHint()
{
    Rig rig;
    rig.engine->SetProblem(3, 0);
    rig.pass(5100);
    QVERIFY(rig.hintShown);
    QVERIFY(Rig::hasText(rig.hint, 0, 30, QStringLiteral("零乘任何数"), Blue));
    QVERIFY(Rig::hasText(rig.hint, 0, 50, QStringLiteral("得零"), Blue));
}

void tst_MulAlgo::recitalGoesOnAcrossProblems()
{
    Rig rig;
    rig.engine->RhymeCounter = 2;
    rig.engine->SetProblem(7, 3);
    rig.pass(5000);
    QVERIFY(rig.hintShown);
    QCOMPARE(Rig::row(rig.hint, 40, Blue), QStringLiteral("二七十四"));
    rig.pass(1600);
    QCOMPARE(Rig::row(rig.hint, 40, Blue), QStringLiteral("三七二十一"));
}

void tst_MulAlgo::noHintInSumPhase()
{
    Rig rig;
    TMul &e = *rig.engine;
    e.SetProblem(47, 36);
    for (int entry : {42, 28, 21, 14}) {
        QVERIFY(e.CheckAnswer(entry));
        rig.nextStep();
    }
    rig.pass(8000);
    QVERIFY(!rig.hintShown);
    QVERIFY(!e.HintDue());
}

void tst_MulAlgo::draws()
{
    Rig rig({{QStringLiteral("MulSet.Dat"),
              {QStringLiteral("1位数×1位数(1硬币)"), QStringLiteral("1位数×2位数(7硬币)"),
               QStringLiteral("2位数×1位数"), QStringLiteral("2位数×2位数"),
               QStringLiteral("3位数×2位数"), QStringLiteral("3位数×3位数(2硬币)"),
               QStringLiteral("2位数×3位数(7硬币)")}}});
    TMul &e = *rig.engine;
    QVERIFY(e.HasTypes());
    bool zeroMultiplier = false;
    for (int k = 0; k < 3000; ++k) {
        rig.clock.advance(13);
        e.NewProblem();
        QVERIFY(!e.IsFinished());
        QVERIFY(e.Reward() != 7);
        const QString a = QString::number(e.Multiplicand);
        const QString b = QString::number(e.Multiplier);
        QVERIFY(b.size() <= a.size());
        QVERIFY(e.Multiplier <= e.Multiplicand);
        QVERIFY(!(e.Multiplicand == 0 && e.Multiplier == 0));
        if (b.size() > 1) QVERIFY2(!b.contains(QLatin1Char('0')), qPrintable(b));
        zeroMultiplier = zeroMultiplier || e.Multiplier == 0;
    }
    QVERIFY(zeroMultiplier);
}

void tst_MulAlgo::nothingToPose()
{
    Rig rig({{QStringLiteral("MulSet.Dat"),
              {QStringLiteral("1位数×3位数"), QStringLiteral("2位数×3位数")}}});
    TMul &e = *rig.engine;
    QVERIFY(!e.HasTypes());
    e.NewProblem();
    QVERIFY(e.IsFinished());
    QVERIFY(!e.CheckAnswer(0));
    rig.tick();
    QVERIFY(Rig::texts(rig.board).empty());
}

void tst_MulAlgo::newProblemEndsWait()
{
    Rig rig;
    TMul &e = *rig.engine;
    e.SetProblem(47, 36);
    QVERIFY(e.CheckAnswer(42));
    rig.pass(150);
    QVERIFY(e.Settling());
    e.SetProblem(8, 7);
    QVERIFY(!e.Settling());
    QCOMPARE(e.Multiplicand, 8);
    QCOMPARE(e.PartialLeft, e.PartialTotal);
    QVERIFY(!e.Answered);
    QVERIFY(e.CheckAnswer(56));
}

QTEST_MAIN(tst_MulAlgo)
#include "tst_MulAlgo.moc"
