#include "game/uMainClass.h"

#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "game/Session.h"
#include "progress/Journal.h"
#include "JournalProbe.h"
#include "TestGame.h"

#include <QtTest>

namespace {

QStringList basic(const QString &children, const QString &alg, const QString &hint)
{
    return {children, alg, hint, QStringLiteral("AddDecMultiStep=1")};
}

// The controller of a session in a data folder of its own.
struct Game
{
    explicit Game(const QStringList &basicLines = {})
    {
        if (!basicLines.isEmpty()) t.data.writeLines(QStringLiteral("Set/Basic.dat"), basicLines);
        session = std::make_unique<Session>(t.services(), sceneGeometry());
        driver = std::make_unique<GameDriver>(t.clock, *session);
    }
    TMainClass &c() { return session->controller(); }
    JournalProbe journal() const
    {
        return JournalProbe(t.data.path(QStringLiteral("Set/Progress.db")));
    }

    TestGame t;
    std::unique_ptr<Session> session;
    std::unique_ptr<GameDriver> driver;
};

} // namespace

class tst_uMainClass : public QObject
{
    Q_OBJECT
private slots:
    void loadOptions_data();
    void loadOptions();
    void shortBasicIsAListError();
    void pickOperationWeighsRepeatedCodes();
    void journalRecordsEachEngine_data();
    void journalRecordsEachEngine();
    void journalRecordsTimesHintsAndPlayer();
    void abandonedProblemStaysUnfinished();
};

void tst_uMainClass::loadOptions_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("child");
    QTest::addColumn<QList<int>>("ops");
    QTest::addColumn<bool>("hint");
    QTest::newRow("multiplication only")
        << basic("Children=0", "Alg=2,", "Hint=1") << 0 << QList<int>{2} << true;
    QTest::newRow("girl, repeated code")
        << basic("Children=1", "Alg=0,0,1,", "Hint=0") << 1 << QList<int>{0, 0, 1} << false;
    QTest::newRow("zero anywhere is the boy")
        << basic("Children=10", "Alg=0,", "Hint=10") << 0 << QList<int>{0} << false;
    QTest::newRow("letter code is addition")
        << basic("Children=1", "Alg=a,", "Hint=1") << 1 << QList<int>{0} << true;
    QTest::newRow("out of range and unterminated")
        << basic("Children=1", "Alg=0,7,-1,3", "Hint=1") << 1 << QList<int>{0, 3} << true;
    QTest::newRow("empty list") << basic("Children=1", "Alg=", "Hint=1") << 1 << QList<int>{0}
                                << true;
    QTest::newRow("all four") << basic("Children=1", "Alg=0,1,2,3,", "Hint=1") << 1
                              << QList<int>{0, 1, 2, 3} << true;
}

void tst_uMainClass::loadOptions()
{
    QFETCH(QStringList, lines);
    QFETCH(int, child);
    QFETCH(QList<int>, ops);
    QFETCH(bool, hint);
    Game g(lines);
    QCOMPARE(g.c().ChildPicture(), child);
    QList<int> chosen;
    for (Op op : g.c().ChosenOps())
        chosen << OpCode(op);
    QCOMPARE(chosen, ops);
    QCOMPARE(g.c().HintOn(), hint);
    g.c().PickOperation();
    QVERIFY(g.c().ChosenOps().contains(g.c().Operation()));
}

void tst_uMainClass::shortBasicIsAListError()
{
    TestGame t;
    t.data.writeLines(QStringLiteral("Set/Basic.dat"),
                      {QStringLiteral("Children=0"), QStringLiteral("Alg=0,")});
    try {
        Session session(t.services(), sceneGeometry());
        QFAIL("no error raised");
    } catch (const RuntimeError &e) {
        QCOMPARE(e.message(), QStringLiteral("List index out of bounds (2)"));
    }
}

void tst_uMainClass::pickOperationWeighsRepeatedCodes()
{
    Game g(basic("Children=0", "Alg=0,0,1,", "Hint=1"));
    int additions = 0;
    const int draws = 3000;
    for (int i = 0; i < draws; ++i) {
        g.c().PickOperation();
        additions += g.c().Operation() == Op::Add;
    }
    // An engine that cannot pose anything is never picked.
    const double expected = g.c().EngineOf(Op::Dec).HasTypes() ? 2.0 / 3 : 1.0;
    QVERIFY(qAbs(double(additions) / draws - expected) < 0.05);
}

void tst_uMainClass::journalRecordsEachEngine_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<bool>("stepMode");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    // Answers as given, each with the step it should be recorded at; a wrong one first.
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QList<int>>("steps");
    QTest::newRow("38+45 by columns")
        << 0 << true << 38 << 45 << QList<int>{12, 13, 8} << QList<int>{0, 0, 1};
    QTest::newRow("38+45 whole") << 0 << false << 38 << 45 << QList<int>{82, 83}
                                 << QList<int>{0, 0};
    QTest::newRow("53-27 by columns")
        << 1 << true << 53 << 27 << QList<int>{4, 6, 2} << QList<int>{0, 0, 1};
    QTest::newRow("78×6") << 2 << true << 78 << 6 << QList<int>{48, 45, 46} << QList<int>{0, 1, 1};
    QTest::newRow("12×34 with the column sums")
        << 2 << true << 12 << 34 << QList<int>{8, 4, 6, 3, 8, 11, 10, 4}
        << QList<int>{0, 1, 2, 3, 4, 5, 5, 6};
    QTest::newRow("156÷12") << 3 << true << 156 << 12 << QList<int>{1, 12, 3, 3, 37, 36, 0}
                            << QList<int>{0, 1, 2, 3, 4, 4, 5};
}

void tst_uMainClass::journalRecordsEachEngine()
{
    QFETCH(int, op);
    QFETCH(bool, stepMode);
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QList<int>, values);
    QFETCH(QList<int>, steps);
    Game g({QStringLiteral("Children=0"), QStringLiteral("Alg=0,1,2,3,"), QStringLiteral("Hint=1"),
            QStringLiteral("AddDecMultiStep=%1").arg(stepMode ? 1 : 0)});
    g.c().UseEngine(Op(op));
    TAlgo &engine = g.c().Engine();
    switch (Op(op)) {
    case Op::Add:
        static_cast<TAdd &>(engine).SetProblem(a, b);
        break;
    case Op::Dec:
        static_cast<TDec &>(engine).SetProblem(a, b);
        break;
    case Op::Mul:
        static_cast<TMul &>(engine).SetProblem(a, b);
        break;
    case Op::Div:
        static_cast<TDiv &>(engine).SetProblem(a, b);
    }
    g.c().ProblemPosed();
    // Each answer once the one before has run its course, the board settled.
    for (int v : values) {
        QVERIFY(g.driver->passWhile([&] { return g.session->Busy(); }));
        QVERIFY(g.driver->submit(v).Taken);
    }
    QVERIFY(engine.IsFinished());

    const JournalProbe probe = g.journal();
    const QList<QVariantList> problem = probe.rows(QStringLiteral(
        "SELECT operation, operand1, operand2, step_mode, wrong, finished_at IS NOT NULL "
        "FROM problems"));
    QCOMPARE(problem, (QList<QVariantList>{
                          {op, a, b, stepMode ? 1 : 0, int(values.size() - steps.last() - 1), 1}}));
    QList<int> recordedSteps, recordedValues;
    for (const QVariantList &r :
         probe.rows(QStringLiteral("SELECT step, value FROM answers ORDER BY id"))) {
        recordedSteps << r[0].toInt();
        recordedValues << r[1].toInt();
    }
    QCOMPARE(recordedSteps, steps);
    QCOMPARE(recordedValues, values);
}

void tst_uMainClass::journalRecordsTimesHintsAndPlayer()
{
    Game g;
    g.t.data.writeLines(QStringLiteral("Set/Money.dat"),
                        {QStringLiteral("小明=0,0"), QStringLiteral("姐姐=0,0"),
                         QStringLiteral("爸爸=0,0"), QStringLiteral("妈妈=0,0")});
    g.session->SetPlayer(0);
    FakeClock &clock = g.t.clock;
    g.c().UseEngine(Op::Dec);
    auto &dec = static_cast<TDec &>(g.c().Engine());
    // A problem posed directly: its type's line and coins, then SetProblem.
    dec.TypeLine = QStringLiteral("2位数-1位数(3硬币)");
    dec.RewardCoins = 3;
    dec.SetProblem(53, 27);
    const int64_t posedAt = clock.utcMilliseconds();
    g.c().ProblemPosed();

    clock.advance(1500);
    QVERIFY(!g.c().CheckAnswer(5));
    // Past five seconds the units' split-ten hint is shown.
    clock.advance(4000);
    g.session->Tick();
    QVERIFY(g.session->scene().Layer(Scene::HintText).Alpha > 0);
    QVERIFY(g.c().CheckAnswer(6));
    g.c().NextStep();
    clock.advance(800);
    // A player change mid-problem: the problem goes to the new player, as its coins do.
    g.session->SetPlayer(3);
    QVERIFY(g.c().CheckAnswer(2));
    QVERIFY(dec.IsFinished());
    const int64_t finishedAt = clock.utcMilliseconds();
    QVERIFY(g.t.reporter.errors.isEmpty());

    auto iso = [](int64_t ms) {
        return Journal::isoTime(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC));
    };
    const JournalProbe probe = g.journal();
    QCOMPARE(probe.rows(QStringLiteral(
                 "SELECT player, player_name, operation, operand1, operand2, type, step_mode, "
                 "posed_at, finished_at, wrong, hints, coins FROM problems")),
             (QList<QVariantList>{{3, QStringLiteral("爸爸"), 1, 53, 27,
                                   QStringLiteral("2位数-1位数(3硬币)"), 1, iso(posedAt),
                                   iso(finishedAt), 1, 1, 3}}));
    QCOMPARE(probe.rows(QStringLiteral(
                 "SELECT step, value, correct, hint_shown, ms, at FROM answers ORDER BY id")),
             (QList<QVariantList>{{0, 5, 0, 0, 1500, iso(posedAt + 1500)},
                                  {0, 6, 1, 1, 5500, iso(posedAt + 5500)},
                                  {1, 2, 1, 0, 800, iso(finishedAt)}}));
}

void tst_uMainClass::abandonedProblemStaysUnfinished()
{
    Game g(basic("Children=0", "Alg=2,", "Hint=1"));
    g.c().NewProblem();
    QVERIFY(!g.c().CheckAnswer(100000));
    // New settings start a new problem at once.
    g.c().ReloadEngines();
    g.c().PickOperation();
    g.c().NewProblem();
    auto &mul = static_cast<TMul &>(g.c().Engine());
    QVERIFY(g.c().CheckAnswer(mul.ProductAt(0).Value));

    const QList<QVariantList> rows = g.journal().rows(QStringLiteral(
        "SELECT p.id, p.finished_at IS NULL, p.wrong, count(a.id), p.type FROM problems p "
        "LEFT JOIN answers a ON a.problem = p.id GROUP BY p.id ORDER BY p.id"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].mid(1, 3), (QVariantList{1, 1, 1}));
    QCOMPARE(rows[1][2].toInt(), 0);
    QCOMPARE(rows[1][3].toInt(), 1);
    // The drawn problem names the line of the chosen list it came from.
    QVERIFY(rows[1][4].toString().contains(QStringLiteral("×")));
}

QTEST_MAIN(tst_uMainClass)
#include "tst_uMainClass.moc"
