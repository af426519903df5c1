// The game's rules without a window, on a stepped clock: the road of one answer, the
// characters' reactions and their timing, the next problem, the player cycle, and two games
// in one process.
#include "game/Session.h"

#include "characters/uAnimation.h"
#include "core/ProblemView.h"
#include "engines/AddAlgo.h"
#include "engines/DivAlgo.h"
#include "engines/MulAlgo.h"
#include "JournalProbe.h"
#include "RightAnswer.h"
#include "TestGame.h"

#include <QtTest>

namespace {

QStringList basic(const QString &alg, bool steps, const QString &children = "Children=0")
{
    return {children, alg, QStringLiteral("Hint=1"),
            QStringLiteral("AddDecMultiStep=%1").arg(int(steps))};
}

using Files = std::vector<std::pair<QString, QStringList>>;

// A started session in a data folder of its own, its timers fired by a driver.
struct Play
{
    // lines replace files of Set/, and the files removed go, before the game starts; the
    // clock starts at startAt.
    explicit Play(const Files &files = {}, uint32_t startAt = 1000, const QStringList &removed = {})
    {
        t.clock.now = startAt;
        for (const auto &f : files)
            t.data.writeLines(QStringLiteral("Set/") + f.first, f.second);
        for (const QString &file : removed)
            t.data.remove(file);
        session = std::make_unique<Session>(t.services(), sceneGeometry());
        session->Start();
        driver = std::make_unique<GameDriver>(t.clock, *session);
        driver->afterEach = [this] { noteCues(); };
        noteCues();
    }
    // When each cue started, by the game's clock.
    void noteCues()
    {
        while (cueTimes.size() < t.sound.plays.size())
            cueTimes << t.clock.now;
    }
    AnswerOutcome submit(int32_t value)
    {
        const AnswerOutcome out = driver->submit(value);
        noteCues();
        return out;
    }
    // Lets the answer's course run to its end.
    void finishCourse()
    {
        QVERIFY(driver->passWhile([this] { return session->Busy(); }));
    }
    TAlgo &engine() { return session->controller().Engine(); }
    // The addition engine, current, with a + b posed.
    TAdd &add(int a, int b)
    {
        session->controller().UseEngine(Op::Add);
        auto &add = static_cast<TAdd &>(engine());
        add.SetProblem(a, b);
        return add;
    }
    int step() { return dynamic_cast<ProblemView &>(engine()).Snapshot().Step; }
    const rAnimation *sprite(uint8_t character)
    {
        for (const auto &s : session->animation().Sprites)
            if (s->Character == character) return s.get();
        return nullptr;
    }
    QByteArray money() const { return t.data.readBytes(QStringLiteral("Set/Money.dat")); }

    TestGame t;
    std::unique_ptr<Session> session;
    std::unique_ptr<GameDriver> driver;
    QList<uint32_t> cueTimes;
};

// One player's practice, one action at a time: an answer when one is taken, every fifth of
// them wrong, otherwise 50 ms of game time; after the third problem another player goes on.
void act(Play &p, int &answers)
{
    Session &s = *p.session;
    if (s.CanAnswer()) {
        const int32_t right = RightAnswer(&p.engine());
        p.submit(answers++ % 5 == 2 ? right + 1 : right);
    } else {
        p.driver->pass(50);
    }
    if (s.SolvedCount() == 3 && s.Player() == 0) s.NextPlayer();
}

// What a game leaves behind and shows: its coins, its journal, its scene and its cues.
struct Trace
{
    QByteArray money;
    QList<QVariantList> problems, answers, review;
    QImage scene;
    QStringList cues;
};

Trace traceOf(const Play &p)
{
    Trace t;
    t.money = p.money();
    const JournalProbe journal(p.t.data.path(QStringLiteral("Set/Progress.db")));
    t.problems = journal.rows(QStringLiteral("SELECT * FROM problems ORDER BY id"));
    t.answers = journal.rows(QStringLiteral("SELECT * FROM answers ORDER BY id"));
    t.review = journal.rows(QStringLiteral("SELECT * FROM review ORDER BY id"));
    t.scene = p.session->scene().BackBuffer();
    t.cues = p.t.sound.plays;
    return t;
}

} // namespace

class tst_Session : public QObject
{
    Q_OBJECT
private slots:
    void coinsOfAnAnswer_data();
    void coinsOfAnAnswer();
    void reactionsInOrderHalfASecondApart_data();
    void reactionsInOrderHalfASecondApart();
    void noAnswerDuringTheCourse();
    void newProblemDropsTheWaitingStep_data();
    void newProblemDropsTheWaitingStep();
    void finishedProblemIsReplacedOnTick();
    void rightAnswerWaitsForWoolly();
    void quickLastStepKeepsTheResult();
    void wrongAnswerReactsInOrder();
    void thinkCueReturnsWhenQuiet();
    void withoutScriptTheGameGoesOn();
    void playerCycle_data();
    void playerCycle();
    void twoGamesInOneProcess();
};

void tst_Session::coinsOfAnAnswer_data()
{
    QTest::addColumn<QStringList>("money");
    QTest::addColumn<int>("player");
    QTest::addColumn<QList<int>>("answers"); // to 38+45 by columns, paying 3
    QTest::addColumn<bool>("right");         // the last answer
    QTest::addColumn<int>("paid");
    QTest::addColumn<int>("taken");
    QTest::addColumn<QString>("account"); // the player's line of Money.dat afterwards
    QTest::addColumn<int>("solved");
    const QStringList child = {"小明=0,98", "b=0,0", "c=0,0", "d=0,0"};
    const QStringList rich = {"a=0,0", "b=5,0", "c=0,0", "d=0,0"};
    QTest::newRow("a step brings nothing")
        << child << 0 << QList<int>{13} << true << 0 << 0 << "小明=0,98" << 0;
    QTest::newRow("the finished problem pays and saves")
        << child << 0 << QList<int>{13, 8} << true << 3 << 0 << "小明=1,1" << 1;
    QTest::newRow("wrong from five gold")
        << rich << 2 << QList<int>{12} << false << 0 << 1 << "b=4,99" << 0;
    QTest::newRow("wrong under five gold")
        << child << 0 << QList<int>{12} << false << 0 << 0 << "小明=0,98" << 0;
}

void tst_Session::coinsOfAnAnswer()
{
    QFETCH(QStringList, money);
    QFETCH(int, player);
    QFETCH(QList<int>, answers);
    QFETCH(bool, right);
    QFETCH(int, paid);
    QFETCH(int, taken);
    QFETCH(QString, account);
    QFETCH(int, solved);
    Play p({{QStringLiteral("Money.dat"), money}});
    p.session->SetPlayer(player);
    TAdd &add = p.add(38, 45);
    add.RewardCoins = 3;
    AnswerOutcome out;
    for (int v : answers) {
        p.finishCourse();
        out = p.submit(v);
        QVERIFY(out.Taken);
    }
    QCOMPARE(out.Right, right);
    QCOMPARE(out.Finished, add.IsFinished());
    QCOMPARE(out.CoinsPaid, paid);
    QCOMPARE(out.CoinsTaken, taken);
    QCOMPARE(p.session->SolvedCount(), solved);
    const QStringList lines = p.t.data.readLines(QStringLiteral("Set/Money.dat"));
    QCOMPARE(lines.at(CoinBank::AccountIndex(player)), account);
    QCOMPARE(QStringLiteral("%1=%2,%3")
                 .arg(p.session->PlayerName())
                 .arg(p.session->PlayerGold())
                 .arg(p.session->PlayerSilver()),
             account);
    p.finishCourse();
    QVERIFY(!p.session->Busy());
}

void tst_Session::reactionsInOrderHalfASecondApart_data()
{
    QTest::addColumn<int>("answer"); // to 38+45 by columns
    QTest::addColumn<QStringList>("cues");
    QTest::addColumn<bool>("afterTheCarry");
    QTest::newRow("right, once the carry has landed")
        << 13 << QStringList{"OldSheepYes.wav", "WoollyYes.wav", "WolfYes.wav"} << true;
    QTest::newRow("wrong, at once")
        << 12 << QStringList{"OldSheepNo.wav", "WolfNo.wav", "WoollyNo.wav"} << false;
}

void tst_Session::reactionsInOrderHalfASecondApart()
{
    QFETCH(int, answer);
    QFETCH(QStringList, cues);
    QFETCH(bool, afterTheCarry);
    Play p;
    p.add(38, 45);
    const uint32_t answeredAt = p.t.clock.now;
    int stepWhenReacting = -1;
    p.driver->afterEach = [&] {
        if (p.cueTimes.size() == 1 && p.t.sound.plays.size() > 1) stepWhenReacting = p.step();
        p.noteCues();
    };
    p.submit(answer);
    p.finishCourse();
    QCOMPARE(p.t.sound.plays.mid(1), cues);
    const QList<uint32_t> at = p.cueTimes.mid(1);
    QCOMPARE(at[1] - at[0], Session::ReactionPauseMs);
    QCOMPARE(at[2] - at[1], Session::ReactionPauseMs);
    // A right step's reactions wait for the board, with the next step already asked.
    QCOMPARE(at[0] > answeredAt, afterTheCarry);
    if (afterTheCarry) QCOMPARE(stepWhenReacting, 1);
    QCOMPARE(p.step(), afterTheCarry ? 1 : 0);
    QVERIFY(p.t.reporter.errors.isEmpty());
}

void tst_Session::noAnswerDuringTheCourse()
{
    Play p;
    TAdd &add = p.add(38, 45);
    QVERIFY(p.submit(13).Right);
    QVERIFY(p.session->Busy());
    // Another answer at every tick of the course is refused, in the carry and in the pauses.
    int refused = 0;
    p.driver->afterEach = [&] {
        if (!p.session->Busy()) return;
        QVERIFY(!p.session->CanAnswer());
        refused += !p.session->Submit(8).Taken;
    };
    p.finishCourse();
    QVERIFY(refused > 20);
    QCOMPARE(add.Step, 1);
    QVERIFY(!add.IsFinished());
    QVERIFY(p.session->CanAnswer());
    QVERIFY(p.submit(8).Finished);
}

void tst_Session::newProblemDropsTheWaitingStep_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("answer"); // right, and the board takes its time
    QTest::addColumn<int>("next");   // the one operation of the settings accepted meanwhile
    QTest::newRow("addition's carry") << 0 << 15 << 7 << 12 << 0;
    QTest::newRow("multiplication's carry") << 2 << 47 << 36 << 42 << 2;
    QTest::newRow("division's drop") << 3 << 156 << 12 << 1 << 3;
    // The waiting engine's board is never painted again: only the new problem ends the wait.
    QTest::newRow("multiplication, then division") << 2 << 47 << 36 << 42 << 3;
}

void tst_Session::newProblemDropsTheWaitingStep()
{
    QFETCH(int, op);
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, answer);
    QFETCH(int, next);
    Play p;
    TMainClass &c = p.session->controller();
    c.UseEngine(Op(op));
    if (Op(op) == Op::Add)
        static_cast<TAdd &>(c.Engine()).SetProblem(a, b);
    else if (Op(op) == Op::Mul)
        static_cast<TMul &>(c.Engine()).SetProblem(a, b);
    else
        static_cast<TDiv &>(c.Engine()).SetProblem(a, b);
    QVERIFY(p.submit(answer).Right);
    p.driver->pass(150);
    QVERIFY(c.Engine().Settling());
    QVERIFY(p.session->Busy());
    p.t.data.writeLines(QStringLiteral("Set/Basic.dat"),
                        basic(QStringLiteral("Alg=%1,").arg(next), true));
    p.session->ApplySettings();
    const ProblemSnapshot posed = dynamic_cast<ProblemView &>(c.Engine()).Snapshot();
    p.finishCourse();
    // The new problem starts at its first step; the old step is never taken.
    QCOMPARE(OpCode(c.Operation()), next);
    const ProblemSnapshot now = dynamic_cast<ProblemView &>(c.Engine()).Snapshot();
    QCOMPARE(now.Operand1 * 1000 + now.Operand2, posed.Operand1 * 1000 + posed.Operand2);
    QCOMPARE(now.Step, 0);
    QVERIFY(!c.Engine().IsFinished());
    // The reactions to the right answer still came.
    QCOMPARE(p.t.sound.plays.size(), 4);
}

void tst_Session::finishedProblemIsReplacedOnTick()
{
    Play p;
    p.add(9, 5);
    QVERIFY(p.submit(14).Finished);
    // The solved problem stays while the characters react, then the next one comes.
    p.session->Tick();
    QVERIFY(p.session->ProblemFinished());
    QVERIFY(!p.session->Submit(14).Taken);
    for (int tick = 0; tick < 50 && p.session->ProblemFinished(); ++tick)
        p.driver->pass(100);
    QVERIFY(!p.session->ProblemFinished());
}

void tst_Session::rightAnswerWaitsForWoolly()
{
    Play p({{QStringLiteral("Basic.dat"), basic(QStringLiteral("Alg=0,"), false)}});
    p.driver->pass(300);
    QVERIFY(p.t.reporter.errors.isEmpty());
    QCOMPARE(p.session->animation().Sprites.size(), size_t(4));
    QCOMPARE(p.t.sound.plays, QStringList{"WoollyThink.wav"});
    auto &add = static_cast<TAdd &>(p.engine());
    const int a = add.Operand1, b = add.Operand2;
    p.submit(a + b);
    p.finishCourse();
    QVERIFY(add.IsFinished());
    QCOMPARE(p.t.sound.plays,
             (QStringList{"WoollyThink.wav", "OldSheepYes.wav", "WoollyYes.wav", "WolfYes.wav"}));
    const rAnimation *woolly = p.sprite(anWoolly);
    QVERIFY(woolly);
    QCOMPARE(woolly->CurAct, akYes);
    int ticks = 0;
    while (add.IsFinished() && ticks < 50) {
        // The problem is still there only while Woolly is still cheering.
        QCOMPARE(woolly->CurAct, akYes);
        QCOMPARE(add.Operand1 * 1000 + add.Operand2, a * 1000 + b);
        p.driver->pass(100);
        ++ticks;
    }
    QVERIFY2(!add.IsFinished(), "a new problem after Woolly's reaction");
    QCOMPARE(woolly->CurAct, akThink);
    QVERIFY(ticks > 1);
    QVERIFY(p.t.reporter.errors.isEmpty());
}

void tst_Session::quickLastStepKeepsTheResult()
{
    Play p({{QStringLiteral("Basic.dat"), basic(QStringLiteral("Alg=0,"), true)},
            {QStringLiteral("AddSet.Dat"), {QStringLiteral("2位数+2位数=198(1硬币)")}}});
    p.driver->pass(300);
    auto &add = static_cast<TAdd &>(p.engine());
    QCOMPARE(add.Operand1 * 1000 + add.Operand2, 99099);
    p.submit(18);
    p.finishCourse();
    QVERIFY(!add.IsFinished());
    // The child answers the tens while Woolly still cheers the units, so that cheer ends
    // in the first pause of the reactions to the last answer.
    p.driver->pass(400);
    QCOMPARE(p.sprite(anWoolly)->CurAct, akYes);
    const uint32_t lastAnswer = p.t.clock.now;
    p.submit(19);
    p.finishCourse();
    QVERIFY(p.t.clock.now - lastAnswer >= 2 * Session::ReactionPauseMs);
    Bitmap &board = p.session->scene().BoardPicture();
    board.setRecording(true);
    p.session->Tick();
    QVERIFY(add.IsFinished());
    std::vector<DrawOp> digits;
    for (const DrawOp &op : board.ops())
        if (op.kind == DrawOp::Text && op.p1.y() == 160 && op.color == Yellow) digits.push_back(op);
    std::sort(digits.begin(), digits.end(),
              [](const DrawOp &l, const DrawOp &r) { return l.p1.x() < r.p1.x(); });
    QString sum;
    for (const DrawOp &op : digits)
        sum += op.text;
    QCOMPARE(sum, QStringLiteral("198"));
    QCOMPARE(p.sprite(anWoolly)->CurAct, akYes);
    int ticks = 0;
    while (add.IsFinished() && ticks < 50) {
        QCOMPARE(p.sprite(anWoolly)->CurAct, akYes);
        p.driver->pass(100);
        ++ticks;
    }
    QVERIFY(!add.IsFinished());
    QCOMPARE(p.sprite(anWoolly)->CurAct, akThink);
    QCOMPARE(p.session->PlayerSilver(), 1);
}

void tst_Session::wrongAnswerReactsInOrder()
{
    Play p({{QStringLiteral("Basic.dat"), basic(QStringLiteral("Alg=0,"), false)}});
    p.driver->pass(300);
    auto &add = static_cast<TAdd &>(p.engine());
    const int a = add.Operand1, b = add.Operand2;
    const int32_t silver = p.session->PlayerSilver();
    p.submit(a + b + 1);
    p.finishCourse();
    QVERIFY(!add.IsFinished());
    QCOMPARE(p.t.sound.plays,
             (QStringList{"WoollyThink.wav", "OldSheepNo.wav", "WolfNo.wav", "WoollyNo.wav"}));
    QCOMPARE(p.sprite(anWoolly)->CurAct, akNo);
    // The wolf began half a second before Woolly and waits, looping, until Woolly is done.
    p.driver->pass(500);
    QCOMPARE(p.sprite(anWolf)->CurAct, akNo);
    p.driver->pass(2000);
    QCOMPARE(p.sprite(anWoolly)->CurAct, akThink);
    QCOMPARE(p.sprite(anWolf)->CurAct, akThink);
    QCOMPARE(p.sprite(anOldSheep)->CurAct, akThink);
    QCOMPARE(add.Operand1 * 1000 + add.Operand2, a * 1000 + b);
    QCOMPARE(p.session->PlayerSilver(), silver); // a child with fewer than 5 gold keeps it
}

void tst_Session::thinkCueReturnsWhenQuiet()
{
    Play p({{QStringLiteral("Basic.dat"), basic(QStringLiteral("Alg=0,"), false)}});
    p.t.sound.finish("WoollyThink.wav");
    p.submit(RightAnswer(&p.engine()) + 1);
    p.finishCourse();
    const int before = int(p.t.sound.plays.size());
    p.session->ThinkCue();
    QCOMPARE(int(p.t.sound.plays.size()), before);
    p.t.sound.finish("OldSheepNo.wav");
    p.t.sound.finish("WolfNo.wav");
    p.session->ThinkCue();
    QCOMPARE(int(p.t.sound.plays.size()), before);
    p.t.sound.finish("WoollyNo.wav");
    p.session->ThinkCue();
    QCOMPARE(p.t.sound.plays.last(), QStringLiteral("WoollyThink.wav"));
}

void tst_Session::withoutScriptTheGameGoesOn()
{
    Play p({{QStringLiteral("Basic.dat"), basic(QStringLiteral("Alg=0,"), false)}}, 1000,
           {QStringLiteral("Pictures/Animation.txt")});
    QVERIFY(p.session->animation().Sprites.empty());
    p.submit(RightAnswer(&p.engine()));
    QVERIFY(p.session->ProblemFinished());
    p.finishCourse();
    // The reactions count as over a fixed time after the last one started.
    int ticks = 0;
    while (p.session->ProblemFinished() && ticks < 50) {
        p.t.clock.advance(100);
        p.session->Tick();
        ++ticks;
    }
    QVERIFY(!p.session->ProblemFinished());
    QCOMPARE(ticks, int(TAnimation::StandInReactionMs / 100));
}

void tst_Session::playerCycle_data()
{
    QTest::addColumn<QString>("children");
    QTest::addColumn<int>("childPicture");
    QTest::newRow("boy") << "Children=0" << 0;
    QTest::newRow("girl") << "Children=1" << 1;
}

void tst_Session::playerCycle()
{
    QFETCH(QString, children);
    QFETCH(int, childPicture);
    Play p({{QStringLiteral("Basic.dat"), basic(QStringLiteral("Alg=0,"), true, children)},
            {QStringLiteral("Money.dat"), {"a=1,0", "b=2,0", "c=3,0", "d=4,0"}}});
    QList<int> seen, pictures;
    QStringList names;
    for (int i = 0; i < 5; ++i) {
        p.session->NextPlayer();
        seen << p.session->Player();
        pictures << p.session->PlayerPicture();
        names << p.session->PlayerName();
    }
    QCOMPARE(seen, (QList<int>{2, 3, 4, 0, 2}));
    // Players 0 and 1 share the child's account and picture.
    QCOMPARE(pictures, (QList<int>{2, 3, 4, childPicture, 2}));
    QCOMPARE(names, (QStringList{"b", "c", "d", "a", "b"}));
    p.session->SetPlayer(1);
    QCOMPARE(p.session->PlayerPicture(), childPicture);
    QCOMPARE(p.session->PlayerGold(), 1);
    // Coins another game on these files paid meanwhile show at the next player.
    p.t.data.writeLines(QStringLiteral("Set/Money.dat"), {"a=1,0", "b=2,0", "c=7,0", "d=4,0"});
    p.session->NextPlayer();
    p.session->NextPlayer();
    QCOMPARE(p.session->PlayerGold(), 7);
}

// Two games in one process, each on its own Set/ and stepped clock, take turns action by
// action; each ends exactly as it ends when it plays alone.
void tst_Session::twoGamesInOneProcess()
{
    const Files first = {
        {QStringLiteral("Basic.dat"), basic(QStringLiteral("Alg=0,1,2,3,"), true)},
        {QStringLiteral("Money.dat"), {"小明=6,50", "爸爸=5,0", "妈妈=0,0", "老师=0,0"}}};
    const Files second = {
        {QStringLiteral("Basic.dat"), basic(QStringLiteral("Alg=2,3,0,"), false, "Children=1")},
        {QStringLiteral("Money.dat"), {"小红=5,0", "哥哥=9,99", "妈妈=0,0", "老师=0,0"}}};
    const int actions = 700;
    Play a(first), b(second, 123457);
    const QByteArray moneyBefore[2] = {a.money(), b.money()};
    int answersA = 0, answersB = 0;
    for (int i = 0; i < actions; ++i) {
        act(a, answersA);
        act(b, answersB);
    }
    const Trace together[2] = {traceOf(a), traceOf(b)};

    Trace alone[2];
    int answers = 0;
    {
        Play solo(first);
        for (int i = 0; i < actions; ++i)
            act(solo, answers);
        alone[0] = traceOf(solo);
    }
    answers = 0;
    {
        Play solo(second, 123457);
        for (int i = 0; i < actions; ++i)
            act(solo, answers);
        alone[1] = traceOf(solo);
    }
    for (int g = 0; g < 2; ++g) {
        // Both played: several problems, wrong answers that cost a coin, two players.
        QVERIFY(together[g].problems.size() >= 5);
        QVERIFY(together[g].money != moneyBefore[g]);
        QCOMPARE(together[g].money, alone[g].money);
        QCOMPARE(together[g].problems, alone[g].problems);
        QCOMPARE(together[g].answers, alone[g].answers);
        QCOMPARE(together[g].review, alone[g].review);
        QCOMPARE(together[g].cues, alone[g].cues);
        QVERIFY(together[g].scene == alone[g].scene);
    }
    QVERIFY(together[0].problems != together[1].problems);
    for (Play *p : {&a, &b}) {
        const JournalProbe journal(p->t.data.path(QStringLiteral("Set/Progress.db")));
        QCOMPARE(journal.value("SELECT count(DISTINCT player) FROM problems").toInt(), 2);
        QVERIFY(journal.value("SELECT count(*) FROM answers WHERE correct = 0").toInt() > 0);
        QVERIFY(p->t.reporter.errors.isEmpty());
    }
}

QTEST_MAIN(tst_Session)
#include "tst_Session.moc"
