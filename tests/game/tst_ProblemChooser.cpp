// The choice of the next problem: the rule itself on given candidates, and through the game
// controller with the real engines and journal on a stepped clock.

#include "game/ProblemChooser.h"

#include "core/EngineHost.h"
#include "core/ProblemView.h"
#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "game/CoinBank.h"
#include "game/uMainClass.h"
#include "platform/Bitmap.h"
#include "platform/Random.h"
#include "progress/SkillStore.h"
#include "settings/SetFiles.h"
#include "JournalProbe.h"
#include "RightAnswer.h"
#include "TestSupport.h"

#include <QtTest>
#include <deque>
#include <memory>

namespace {

Op opOf(const QString &problem)
{
    return problem.contains(QLatin1Char('+')) ? Op::Add : Op::Dec;
}

// "2位数+1位数" as the engine of its operation reads it.
TypeRule ruleOf(const QString &line)
{
    const Op op = opOf(line);
    const bool add = op == Op::Add;
    TypeRule rule{op, ParseProblemType(line, add ? QLatin1Char('+') : QLatin1Char('-'), add),
                  add ? &TAdd::Accepts : &TDec::Accepts};
    rule.Type.Line = line;
    return rule;
}

// "2位数+1位数 31+4": a problem of a line.
RecentProblem recentOf(const QString &text)
{
    const QString problem = text.section(QLatin1Char(' '), 1, 1);
    const QStringList operands = problem.split(QRegularExpression(QStringLiteral("[+-]")));
    RecentProblem r;
    r.Operation = opOf(problem);
    r.Operand1 = operands[0].toInt();
    r.Operand2 = operands[1].toInt();
    r.Type = text.section(QLatin1Char(' '), 0, 0);
    return r;
}

// The game controller in a data folder of its own, driven as a game drives it.
class Game
{
public:
    explicit Game(const QStringList &basicLines, const QStringList &addTypes,
                  const QStringList &decTypes = {})
    {
        data.writeLines(QStringLiteral("Set/Basic.dat"), basicLines);
        data.writeLines(QStringLiteral("Set/AddSet.Dat"), addTypes);
        if (!decTypes.isEmpty()) data.writeLines(QStringLiteral("Set/DecSet.Dat"), decTypes);
        host.random().seed(7);
        bank.LoadMoney();
        game = std::make_unique<TMainClass>(host, board, hint, bank, reporter);
    }

    // The next problem as the game poses it, as text.
    QString next()
    {
        game->PickOperation();
        game->NewProblem();
        // "op:a,b type mode", and " again" for a problem posed again.
        const ProblemSnapshot s = dynamic_cast<ProblemView &>(game->Engine()).Snapshot();
        const bool again =
            JournalProbe(data.path(QStringLiteral("Set/Progress.db")))
                .value(QStringLiteral("SELECT review FROM problems ORDER BY id DESC LIMIT 1"))
                .toInt() == 1;
        return QStringLiteral("%1:%2,%3 %4 %5%6")
            .arg(OpCode(game->Operation()))
            .arg(s.Operand1)
            .arg(s.Operand2)
            .arg(s.TypeLine, s.StepMode ? QStringLiteral("steps") : QStringLiteral("whole"),
                 again ? QStringLiteral(" again") : QString());
    }
    // Answers the problem to its end; a mistake first on the first step when miss.
    void solve(bool miss)
    {
        for (int steps = 0; !game->Engine().IsFinished(); ++steps) {
            QVERIFY(steps < 40);
            const int32_t right = RightAnswer(&game->Engine());
            clock.advance(1500);
            if (miss) {
                QVERIFY(!game->CheckAnswer(right + 1));
                miss = false;
            }
            QVERIFY(game->CheckAnswer(right));
            if (game->Engine().IsFinished()) break;
            for (int waited = 0; game->Engine().Settling(); waited += 50) {
                QVERIFY(waited < 10000);
                clock.advance(50);
                host.tickSlots().CountDownSlots(50);
                game->Engine().PaintBoard();
            }
            game->NextStep();
        }
        clock.advance(1500);
    }
    void nextDays(int days) { clock.utcStart += int64_t(days) * 24 * 3600 * 1000; }

    TempDataDir data;
    FakeClock clock;
    CapturingReporter reporter;
    EngineHost host{clock, data.folders()};
    Bitmap board{180, 240};
    Bitmap hint{100, 100};
    CoinBank bank{data.path(QStringLiteral("Set/Money.dat"))};
    std::unique_ptr<TMainClass> game;
};

} // namespace

class tst_ProblemChooser : public QObject
{
    Q_OBJECT

private slots:
    void pick_data();
    void pick();
    void missesComeBackOnLaterDays_data();
    void missesComeBackOnLaterDays();
    void placementSpreadsOverTheChosen_data();
    void placementSpreadsOverTheChosen();
};

void tst_ProblemChooser::pick_data()
{
    // Candidates "line a+b success", newest given problem first.
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<double>("target");
    // The first-try success reached lately.
    QTest::addColumn<double>("reached");
    QTest::addColumn<QStringList>("recent");
    QTest::addColumn<QString>("chosen");

    const QStringList three{"2位数+1位数 31+4 0.95", "3位数+2位数 312+45 0.78",
                            "3位数+3位数 523+364 0.40"};
    QTest::newRow("nearest the target") << three << 0.8 << 0.8 << QStringList() << "312+45";
    QTest::newRow("nearest a higher target") << three << 0.9 << 0.9 << QStringList() << "31+4";
    const QStringList apart{"2位数+1位数 31+4 0.70", "3位数+2位数 312+45 0.88"};
    QTest::newRow("above the target lately: a harder one")
        << apart << 0.8 << 0.95 << QStringList() << "31+4";
    QTest::newRow("below the target lately: an easier one")
        << apart << 0.8 << 0.65 << QStringList() << "312+45";
    QTest::newRow("never the same type back to back")
        << QStringList{"2位数+1位数 42+5 0.80", "3位数+2位数 325+62 0.70"} << 0.8 << 0.8
        << QStringList{"2位数+1位数 31+4"} << "325+62";
    QTest::newRow("never a fact of the last problem")
        << QStringList{"3位数+2位数 118+25 0.80", "3位数+2位数 116+23 0.70"} << 0.8 << 0.8
        << QStringList{"2位数+2位数 38+45"} << "116+23";
    QTest::newRow("never a problem given lately")
        << QStringList{"2位数+1位数 31+4 0.80", "2位数+2位数 25+31 0.70"} << 0.8 << 0.8
        << QStringList{"3位数+2位数 312+45", "2位数+1位数 31+4"} << "25+31";
    QTest::newRow("an operation given beyond its share waits")
        << QStringList{"2位数+2位数 22+33 0.80", "2位数-1位数 58-3 0.70"} << 0.8 << 0.8
        << QStringList{"3位数+1位数 100+2", "2位数+1位数 52+3", "2位数+1位数 31+4",
                       "2位数-1位数 57-2"}
        << "58-3";
}

void tst_ProblemChooser::pick()
{
    QFETCH(QStringList, candidates);
    QFETCH(double, target);
    QFETCH(double, reached);
    QFETCH(QStringList, recent);
    QFETCH(QString, chosen);
    std::deque<TypeRule> rules;
    std::vector<ProblemChooser::Candidate> from;
    std::set<Op> ops;
    for (const QString &c : candidates) {
        const RecentProblem p = recentOf(c);
        rules.push_back(ruleOf(p.Type));
        QVERIFY2(rules.back().Accepts(rules.back().Type, p.Operand1, p.Operand2), qPrintable(c));
        from.push_back({&rules.back(), p.Operand1, p.Operand2, c.section(' ', 2).toDouble()});
        ops.insert(p.Operation);
    }
    std::vector<RecentProblem> given;
    for (const QString &r : recent)
        given.push_back(recentOf(r));
    // Whatever the little variety adds, the choice stays.
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        Random random;
        random.seed(seed);
        const double aim = ProblemChooser::AimFor(target, 0, reached);
        const ProblemChooser::Candidate *c = ProblemChooser::Pick(from, aim, ops, given, random);
        QVERIFY(c);
        const QChar sign = c->Rule->Operation == Op::Add ? QLatin1Char('+') : QLatin1Char('-');
        QCOMPARE(QStringLiteral("%1%2%3").arg(c->Operand1).arg(sign).arg(c->Operand2), chosen);
    }
}

void tst_ProblemChooser::missesComeBackOnLaterDays_data()
{
    QTest::addColumn<bool>("adaptive");
    QTest::addColumn<bool>("review");
    QTest::addColumn<bool>("comesBack");

    QTest::newRow("chosen to fit") << true << true << true;
    QTest::newRow("drawn at random") << false << true << true;
    QTest::newRow("review switched off") << true << false << false;
}

void tst_ProblemChooser::missesComeBackOnLaterDays()
{
    QFETCH(bool, adaptive);
    QFETCH(bool, review);
    QFETCH(bool, comesBack);
    Game g(SetFiles::BasicLines(false, {0, 1}, true, true, review, adaptive),
           {QStringLiteral("3位数+3位数")}, {QStringLiteral("3位数-3位数")});
    const QString missed = g.next().section(QLatin1Char(' '), 0, 1);
    g.solve(true);
    // The rest of the day, long enough for this session's review to be done with it.
    for (int i = 0; i < 20; ++i) {
        g.next();
        g.solve(false);
    }
    auto seenOn = [&](int days) {
        g.nextDays(days);
        bool seen = false;
        for (int i = 0; i < 6; ++i) {
            const QString p = g.next();
            seen = seen || p == missed + QStringLiteral(" steps again");
            g.solve(false);
        }
        return seen;
    };
    // The next day it comes back; right, about a week later again; right again, it is done.
    QCOMPARE(seenOn(1), comesBack);
    QCOMPARE(seenOn(6), false);
    QCOMPARE(seenOn(1), comesBack);
    QCOMPARE(seenOn(7), false);
    QVERIFY(g.reporter.errors.isEmpty());
}

void tst_ProblemChooser::placementSpreadsOverTheChosen_data()
{
    QTest::addColumn<bool>("right");
    QTest::newRow("right every time: it climbs") << true;
    QTest::newRow("wrong every time: the easiest") << false;
}

void tst_ProblemChooser::placementSpreadsOverTheChosen()
{
    QFETCH(bool, right);
    const QStringList easyToHard{"1位数+1位数>10", "2位数+1位数", "2位数+2位数", "3位数+2位数",
                                 "3位数+3位数"};
    Game g(SetFiles::BasicLines(false, {0}, true, false, false, true), easyToHard);
    QList<int> ranks;
    for (int i = 0; i < SkillModel::PlacementProblems; ++i) {
        const QString type = g.next().section(QLatin1Char(' '), 1, 1);
        ranks << int(easyToHard.indexOf(type));
        g.solve(!right);
    }
    QVERIFY(!ranks.contains(-1));
    if (right) {
        // Up the list, to its top.
        QVERIFY2(ranks.last() == easyToHard.size() - 1, qPrintable(QString::number(ranks.last())));
        QVERIFY(ranks.first() < ranks.last());
    } else {
        // Down to the easiest two, never the same twice in a row.
        for (int i = 2; i < ranks.size(); ++i)
            QVERIFY2(ranks[i] <= 1 && ranks[i] != ranks[i - 1], qPrintable(QString::number(i)));
    }
}

QTEST_MAIN(tst_ProblemChooser)
#include "tst_ProblemChooser.moc"
