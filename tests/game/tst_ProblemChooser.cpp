// The choice of the next problem: the rule itself on given candidates, and through the game
// controller with the real engines and journal on a stepped clock.

#include "game/ProblemChooser.h"

#include "engines/AddAlgo.h"
#include "engines/DecAlgo.h"
#include "platform/Random.h"
#include "progress/SkillModel.h"
#include "settings/SetFiles.h"
#include "PlayedJournal.h"
#include "Practice.h"

#include <QtTest>
#include <deque>

namespace {

// "2位数+1位数" as the engine of its operation reads it.
TypeRule ruleOf(Op op, const QString &line)
{
    const bool add = op == Op::Add;
    TypeRule rule{op, ParseProblemType(line, add ? QLatin1Char('+') : QLatin1Char('-'), add),
                  add ? &TAdd::Accepts : &TDec::Accepts};
    rule.Type.Line = line;
    return rule;
}

// "31+4": a problem of the line its digits make.
RecentProblem recentOf(const QString &problem)
{
    const PosedRecord p = PlayedJournal::problemOf(problem);
    return {0, p.Operation, p.Operand1, p.Operand2, p.Type};
}

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
    // Candidates "a+b success", of the lines their digits make; newest given problem first.
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<double>("target");
    // The first-try success reached lately.
    QTest::addColumn<double>("reached");
    QTest::addColumn<QStringList>("recent");
    QTest::addColumn<QString>("chosen");

    const QStringList three{"31+4 0.95", "312+45 0.78", "523+364 0.40"};
    QTest::newRow("nearest the target") << three << 0.8 << 0.8 << QStringList() << "312+45";
    QTest::newRow("nearest a higher target") << three << 0.9 << 0.9 << QStringList() << "31+4";
    const QStringList apart{"31+4 0.70", "312+45 0.88"};
    QTest::newRow("above the target lately: a harder one")
        << apart << 0.8 << 0.95 << QStringList() << "31+4";
    QTest::newRow("below the target lately: an easier one")
        << apart << 0.8 << 0.65 << QStringList() << "312+45";
    QTest::newRow("never the same type back to back")
        << QStringList{"42+5 0.80", "325+62 0.70"} << 0.8 << 0.8 << QStringList{"31+4"} << "325+62";
    QTest::newRow("never a fact of the last problem")
        << QStringList{"118+25 0.80", "116+23 0.70"} << 0.8 << 0.8 << QStringList{"38+45"}
        << "116+23";
    QTest::newRow("never a problem given lately")
        << QStringList{"31+4 0.80", "25+31 0.70"} << 0.8 << 0.8 << QStringList{"312+45", "31+4"}
        << "25+31";
    QTest::newRow("an operation given beyond its share waits")
        << QStringList{"22+33 0.80", "58-3 0.70"} << 0.8 << 0.8
        << QStringList{"100+2", "52+3", "31+4", "57-2"} << "58-3";
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
        const RecentProblem p = recentOf(c.section(QLatin1Char(' '), 0, 0));
        rules.push_back(ruleOf(p.Operation, p.Type));
        QVERIFY2(rules.back().Accepts(rules.back().Type, p.Operand1, p.Operand2), qPrintable(c));
        from.push_back({&rules.back(), p.Operand1, p.Operand2, c.section(' ', 1).toDouble()});
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
    Practice g(SetFiles::BasicLines(false, {0, 1}, true, true, review, adaptive), true,
               {{QStringLiteral("AddSet.Dat"), {QStringLiteral("3位数+3位数")}},
                {QStringLiteral("DecSet.Dat"), {QStringLiteral("3位数-3位数")}}});
    g.play(QStringLiteral("x"));
    const Posed missed = g.seen.first();
    // The rest of the day, long enough for this session's review to be done with it.
    g.play(QString(20, QLatin1Char('o')));
    auto seenOn = [&](int days) {
        g.clock.utcStart += int64_t(days) * 24 * 3600 * 1000;
        g.seen.clear();
        g.play(QStringLiteral("oooooo"));
        return std::any_of(g.seen.begin(), g.seen.end(),
                           [&](const Posed &p) { return p.Review && p.sameProblem(missed); });
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
    Practice g(SetFiles::BasicLines(false, {0}, true, false, false, true), true,
               {{QStringLiteral("AddSet.Dat"), easyToHard}});
    g.play(QString(SkillModel::PlacementProblems, right ? QLatin1Char('o') : QLatin1Char('x')));
    QList<int> ranks;
    for (const Posed &p : g.seen)
        ranks << int(easyToHard.indexOf(p.Type));
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
