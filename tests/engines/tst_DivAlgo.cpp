#include "support/EngineRig.h"
#include "engines/DivAlgo.h"

#include <QtTest>

using Rig = EngineRig<TDiv>;

namespace {
void answer(Rig &rig, const QList<int> &entries)
{
    for (int v : entries) {
        QVERIFY(rig.engine->CheckAnswer(v));
        rig.nextStep();
    }
}

std::vector<DrawOp> opsOf(const Bitmap &b, DrawOp::Kind kind)
{
    std::vector<DrawOp> out;
    for (const DrawOp &op : b.ops()) {
        if (op.kind == kind) out.push_back(op);
    }
    return out;
}
} // namespace

class tst_DivAlgo : public QObject
{
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
    void broughtDownDigit();
    void ruleGrows();
    void layout_data();
    void layout();
    void marksStayOnBoard_data();
    void marksStayOnBoard();
    void hints_data();
    void hints();
    void noHintOnProductOrDifference();
    void remainderMarker_data();
    void remainderMarker();
    void draws();
    void unusableTypes();
    void newProblemEndsWait();
};

void tst_DivAlgo::steps_data()
{
    QTest::addColumn<int>("dividend");
    QTest::addColumn<int>("divisor");
    QTest::addColumn<QList<int>>("entries");
    QTest::newRow("156/12") << 156 << 12 << QList<int>{1, 12, 3, 3, 36, 0};
    QTest::newRow("7/3 remainder") << 7 << 3 << QList<int>{2, 6, 1};
    QTest::newRow("105/5") << 105 << 5 << QList<int>{2, 10, 0, 1, 5, 0};
    QTest::newRow("412/4 quotient digit 0") << 412 << 4 << QList<int>{1, 4, 0, 0, 0, 1, 3, 12, 0};
    QTest::newRow("5/5") << 5 << 5 << QList<int>{1, 5, 0};
    QTest::newRow("999/20") << 999 << 20 << QList<int>{4, 80, 19, 9, 180, 19};
}

void tst_DivAlgo::steps()
{
    QFETCH(int, dividend);
    QFETCH(int, divisor);
    QFETCH(QList<int>, entries);
    Rig rig;
    TDiv &e = *rig.engine;
    e.SetProblem(dividend, divisor);
    QCOMPARE(e.Dividend, dividend);
    QCOMPARE(e.Divisor, divisor);
    QCOMPARE(e.Quotient, dividend / divisor);
    for (int k = 0; k < entries.size(); ++k) {
        QVERIFY(!e.IsFinished());
        QVERIFY(!e.CheckAnswer(entries[k] + 1));
        QVERIFY2(e.CheckAnswer(entries[k]), qPrintable(QString::number(k)));
        const uint32_t before = rig.clock.now;
        rig.nextStep();
        // Every right answer is followed by half a second of pause.
        if (!e.IsFinished()) QVERIFY(rig.clock.now - before >= 500);
    }
    QVERIFY(e.IsFinished());
    QVERIFY(!e.CheckAnswer(entries.last()));
    // The solved problem stays on the board with every entry written out, no "?" left.
    rig.tick();
    QVERIFY(Rig::texts(rig.board, Red).empty());
    int top = 240;
    for (const DrawOp &op : Rig::texts(rig.board))
        top = std::min(top, op.p1.y());
    QCOMPARE(Rig::row(rig.board, top), QString::number(dividend / divisor)); // the quotient row
}

void tst_DivAlgo::broughtDownDigit()
{
    Rig rig;
    TDiv &e = *rig.engine;
    e.SetProblem(105, 5);
    answer(rig, {2, 10});
    QVERIFY(e.CheckAnswer(0));
    std::vector<int> fall;
    rig.onTick = [&] {
        for (const DrawOp &op : Rig::texts(rig.board, Red)) {
            if (op.text == QStringLiteral("5") && op.p1.x() == 97) fall.push_back(op.p1.y());
        }
    };
    rig.nextStep();
    // From the dividend row it holds for three ticks, then falls 17 a tick to row 115.
    QCOMPARE(fall, (std::vector<int>{40, 40, 40, 40, 57, 74, 91, 108}));
    rig.onTick = nullptr;
    rig.tick();
    QCOMPARE(Rig::row(rig.board, 115, Yellow), QStringLiteral("05"));
    QVERIFY(Rig::hasText(rig.board, 75, 115, QStringLiteral("0"), Yellow));
    QVERIFY(Rig::hasText(rig.board, 97, 115, QStringLiteral("5"), Yellow));
}

void tst_DivAlgo::ruleGrows()
{
    Rig rig;
    TDiv &e = *rig.engine;
    e.SetProblem(156, 12);
    answer(rig, {1});
    QVERIFY(e.CheckAnswer(12));
    std::vector<int> ends;
    rig.onTick = [&] {
        for (const DrawOp &op : opsOf(rig.board, DrawOp::Line)) {
            if (op.p1 == QPoint(53, 112)) ends.push_back(op.p2.x());
        }
    };
    rig.nextStep();
    // "-" at 53 under "15"; the rule spans three columns of 22 below the product row.
    QCOMPARE(ends, (std::vector<int>{76, 96, 116, 119, 119}));
    rig.onTick = nullptr;
    rig.tick();
    QVERIFY(Rig::hasText(rig.board, 53, 75, QStringLiteral("-"), Yellow));
    QCOMPARE(Rig::row(rig.board, 75, Yellow), QStringLiteral("-12"));
    QCOMPARE(Rig::row(rig.board, 115, Red), QStringLiteral("?"));
}

void tst_DivAlgo::layout_data()
{
    QTest::addColumn<int>("dividend");
    QTest::addColumn<int>("divisor");
    QTest::addColumn<QPoint>("divisorAt");
    QTest::addColumn<QPoint>("dividendAt");
    QTest::addColumn<QRect>("bracket");
    QTest::addColumn<QPoint>("firstMark");
    QTest::addColumn<int>("fontSize");
    QTest::newRow("1 digit, quotient 1") << 7 << 3 << QPoint(30, 60) << QPoint(92, 60)
                                         << QRect(-25, 60, 145, 60) << QPoint(92, 9) << 25;
    QTest::newRow("2 digits, quotient 1") << 45 << 6 << QPoint(25, 80) << QPoint(72, 80)
                                          << QRect(-40, 80, 160, 60) << QPoint(97, 34) << 22;
    QTest::newRow("2 digits, quotient 2") << 84 << 4 << QPoint(40, 40) << QPoint(83, 40)
                                          << QRect(-28, 40, 154, 60) << QPoint(83, -1) << 20;
    QTest::newRow("3 digits, quotient 1") << 120 << 15 << QPoint(10, 80) << QPoint(70, 80)
                                          << QRect(-40, 80, 170, 60) << QPoint(110, 39) << 20;
    QTest::newRow("3 digits, quotient 2") << 156 << 12 << QPoint(10, 40) << QPoint(75, 40)
                                          << QRect(-36, 40, 176, 60) << QPoint(97, -1) << 20;
    QTest::newRow("3 digits, quotient 3") << 412 << 4 << QPoint(30, 33) << QPoint(70, 33)
                                          << QRect(-40, 33, 170, 60) << QPoint(70, 0) << 16;
}

void tst_DivAlgo::layout()
{
    QFETCH(int, dividend);
    QFETCH(int, divisor);
    QFETCH(QPoint, divisorAt);
    QFETCH(QPoint, dividendAt);
    QFETCH(QRect, bracket);
    QFETCH(QPoint, firstMark);
    QFETCH(int, fontSize);
    Rig rig;
    rig.engine->SetProblem(dividend, divisor);
    rig.tick();
    const Bitmap &b = rig.board;
    const QString d = QString::number(divisor);
    QVERIFY(Rig::hasText(b, divisorAt.x(), divisorAt.y(), d.left(1), Yellow));
    QVERIFY(
        Rig::hasText(b, dividendAt.x(), dividendAt.y(), QString::number(dividend).left(1), Yellow));
    const auto pictures = opsOf(b, DrawOp::Picture);
    QCOMPARE(pictures.size(), size_t(1));
    QCOMPARE(QRect(pictures[0].p1, pictures[0].p2 - QPoint(1, 1)), bracket);
    const auto red = Rig::texts(b, Red);
    QCOMPARE(red.size(), size_t(1));
    QCOMPARE(red[0].p1, firstMark);
    QCOMPARE(red[0].text, QStringLiteral("?"));
    QCOMPARE(red[0].size, fontSize);
    // The bracket's arc starts at the board x of the divisor's end plus 10.
    QVERIFY(b.pixel(bracket.x() + 100, bracket.y() + 3) == Yellow);
}

void tst_DivAlgo::marksStayOnBoard_data()
{
    QTest::addColumn<int>("dividend");
    QTest::addColumn<int>("divisor");
    // One row per layout, with the widest and deepest working it can hold.
    QTest::newRow("1 digit, quotient 1") << 9 << 1;
    QTest::newRow("2 digits, quotient 1") << 99 << 20;
    QTest::newRow("2 digits, quotient 2") << 98 << 2;
    QTest::newRow("3 digits, quotient 1") << 199 << 20;
    QTest::newRow("3 digits, quotient 2") << 999 << 11;
    QTest::newRow("3 digits, quotient 3") << 845 << 5;
    QTest::newRow("3 digits, quotient 3, remainder") << 999 << 2;
}

void tst_DivAlgo::marksStayOnBoard()
{
    QFETCH(int, dividend);
    QFETCH(int, divisor);
    Rig rig;
    rig.engine->SetProblem(dividend, divisor);
    const QStringList outside = rig.marksOffBoard();
    QVERIFY2(outside.isEmpty(), qPrintable(outside.join(QStringLiteral(", "))));
}

void tst_DivAlgo::hints_data()
{
    QTest::addColumn<int>("dividend");
    QTest::addColumn<int>("divisor");
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<QStringList>("lines"); // "y:text"
    QTest::newRow("q 0") << 412 << 4 << QList<int>{1, 4, 0}
                         << QStringList{"30:零乘任何数", "50:得零"};
    QTest::newRow("one digit, exact") << 84 << 4 << QList<int>{} << QStringList{"40:二四得八"};
    QTest::newRow("one digit, inexact")
        << 23 << 7 << QList<int>{} << QStringList{"25:三七二十一", "55:四七二十八"};
    QTest::newRow("one digit, inexact, q 9")
        << 19 << 2 << QList<int>{} << QStringList{"40:二九十八"};
    QTest::newRow("two digits, exact") << 156 << 12 << QList<int>{1, 12, 3}
                                       << QStringList{"15:12×2=24", "35:12×3=??", "55:12×4=48"};
    QTest::newRow("two digits, exact, q 1")
        << 120 << 12 << QList<int>{} << QStringList{"30:一乘任何数", "50:等于任何数"};
    QTest::newRow("two digits, exact, q 9")
        << 108 << 12 << QList<int>{} << QStringList{"20:12×8=96", "40:12×9=??"};
    QTest::newRow("two digits, inexact")
        << 156 << 12 << QList<int>{} << QStringList{"25:12×1=12", "55:12×2=24"};
    QTest::newRow("two digits, inexact, q 9")
        << 190 << 20 << QList<int>{} << QStringList{"25:20×8=160", "55:20×9=??"};
}

void tst_DivAlgo::hints()
{
    QFETCH(int, dividend);
    QFETCH(int, divisor);
    QFETCH(QList<int>, before);
    QFETCH(QStringList, lines);
    Rig rig;
    TDiv &e = *rig.engine;
    e.SetProblem(dividend, divisor);
    answer(rig, before);
    rig.pass(4900);
    QVERIFY(!rig.hintShown);
    rig.pass(200);
    QVERIFY(rig.hintShown);
    QStringList seen;
    for (const DrawOp &op : Rig::texts(rig.hint)) {
        QCOMPARE(op.p1.x(), 0);
        QCOMPARE(op.color, Blue);
        QCOMPARE(op.size, 12);
        seen << QString::number(op.p1.y()) + QLatin1Char(':') + op.text;
    }
    QCOMPARE(seen, lines);
}

void tst_DivAlgo::noHintOnProductOrDifference()
{
    Rig rig;
    TDiv &e = *rig.engine;
    e.SetProblem(156, 12);
    answer(rig, {1});
    rig.pass(8000);
    QVERIFY(!rig.hintShown);
    answer(rig, {12});
    rig.pass(8000);
    QVERIFY(!rig.hintShown);
    answer(rig, {3});
    rig.pass(5100);
    QVERIFY(rig.hintShown);
}

void tst_DivAlgo::remainderMarker_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("withRemainder");
    QTest::addColumn<int>("coins");
    QTest::newRow("marker after the coins") << "3位数÷1位数(2硬币)除不尽" << 1 << 2;
    QTest::newRow("no marker") << "3位数÷1位数(2硬币)" << 0 << 2;
    QTest::newRow("marker without a ')'") << "3位数÷1位数除不尽" << 0 << 0;
    QTest::newRow("more than the marker") << "3位数÷1位数(1硬币)除不尽了" << 0 << 1;
}

void tst_DivAlgo::remainderMarker()
{
    QFETCH(QString, line);
    QFETCH(int, withRemainder);
    QFETCH(int, coins);
    Rig rig({{QStringLiteral("DivSet.Dat"), {line}}});
    QCOMPARE(rig.engine->Types.size(), size_t(1));
    const ProblemType &t = rig.engine->Types[0];
    QCOMPARE(t.Digits1, 3);
    QCOMPARE(t.Digits2, 1);
    QCOMPARE(t.Threshold, withRemainder);
    QCOMPARE(t.Compare, 101);
    QCOMPARE(t.Coins, coins);
}

void tst_DivAlgo::draws()
{
    QStringList lines;
    int coins = 0;
    for (const char *digits :
         {"1位数÷1位数", "2位数÷1位数", "2位数÷2位数", "3位数÷1位数", "3位数÷2位数"}) {
        // The coins tell the types apart: even exact, odd with a remainder.
        lines << QString::fromUtf8(digits) + QStringLiteral("(%1硬币)").arg(coins);
        lines << QString::fromUtf8(digits) + QStringLiteral("(%1硬币)除不尽").arg(coins + 1);
        coins += 2;
    }
    Rig rig({{QStringLiteral("DivSet.Dat"), lines}});
    TDiv &e = *rig.engine;
    QVERIFY(e.HasTypes());
    for (int k = 0; k < 3000; ++k) {
        rig.clock.advance(11);
        e.NewProblem();
        QVERIFY(!e.IsFinished());
        const int a = e.Dividend;
        const int b = e.Divisor;
        const int la = QString::number(a).size();
        const int lb = QString::number(b).size();
        const QString what = QStringLiteral("%1/%2").arg(a).arg(b);
        QVERIFY2(QStringLiteral("1121223132").mid(e.Reward() / 2 * 2, 2) ==
                     QStringLiteral("%1%2").arg(la).arg(lb),
                 qPrintable(what));
        QVERIFY2((a % b != 0) == (e.Reward() % 2 == 1), qPrintable(what));
        QVERIFY2(b <= a && b <= 20, qPrintable(what));
        if (la > 1) QVERIFY2(b != 1 && b != a, qPrintable(what));
        if (la == 3 && lb == 2) QVERIFY2(a / b >= 10, qPrintable(what));
    }
}

void tst_DivAlgo::unusableTypes()
{
    Rig rig({{QStringLiteral("DivSet.Dat"),
              {QStringLiteral("2位数÷3位数"), QStringLiteral("3位数÷3位数"),
               QStringLiteral("1位数÷2位数(1硬币)除不尽")}}});
    TDiv &e = *rig.engine;
    QVERIFY(!e.HasTypes());
    e.NewProblem();
    QVERIFY(e.IsFinished());
    QCOMPARE(e.Reward(), 0);
    QVERIFY(!e.CheckAnswer(1));
    e.NextStep();
    rig.tick();
    QCOMPARE(rig.board.ops().size(), size_t(1));
}

void tst_DivAlgo::newProblemEndsWait()
{
    Rig rig;
    TDiv &e = *rig.engine;
    e.SetProblem(156, 12);
    QVERIFY(e.CheckAnswer(1));
    rig.pass(100);
    QVERIFY(e.Settling());
    e.SetProblem(84, 4);
    QVERIFY(!e.Settling());
    QCOMPARE(e.Dividend, 84);
    QCOMPARE(e.CurrentStep(), 1);
    QVERIFY(e.CheckAnswer(2));
}

QTEST_MAIN(tst_DivAlgo)
#include "tst_DivAlgo.moc"
