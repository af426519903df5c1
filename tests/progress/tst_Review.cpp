// Missed problems coming back, played through the game controller with the real engines and
// a real journal on the stepped clock: each problem is drawn from a seed the clock gives, so
// a run is the same every time.

#include "progress/Review.h"

#include "core/EngineHost.h"
#include "core/ProblemView.h"
#include "game/CoinBank.h"
#include "game/uMainClass.h"
#include "platform/Bitmap.h"
#include "progress/Journal.h"
#include "JournalProbe.h"
#include "RightAnswer.h"
#include "TestSupport.h"

#include <QDir>
#include <QtTest>
#include <memory>

namespace {

QStringList basic(const QString &alg, bool steps = true, const QString &review = "Review=1")
{
    return {QStringLiteral("Children=0"), alg, QStringLiteral("Hint=1"),
            steps ? QStringLiteral("AddDecMultiStep=1") : QStringLiteral("AddDecMultiStep=0"),
            review};
}

// A problem as the engine posed it, and whether it came from the review.
struct Posed
{
    int Operation = -1;
    int Operand1 = 0;
    int Operand2 = 0;
    QString Type;
    bool StepMode = true;
    bool Review = false;
    bool operator==(const Posed &o) const
    {
        return Operation == o.Operation && Operand1 == o.Operand1 && Operand2 == o.Operand2 &&
               Type == o.Type && StepMode == o.StepMode && Review == o.Review;
    }
    bool sameProblem(const Posed &o) const
    {
        return Operation == o.Operation && Operand1 == o.Operand1 && Operand2 == o.Operand2 &&
               Type == o.Type && StepMode == o.StepMode;
    }
};

QString describe(const Posed &p)
{
    return QStringLiteral("op %1: %2,%3 %4 %5%6")
        .arg(p.Operation)
        .arg(p.Operand1)
        .arg(p.Operand2)
        .arg(p.Type, p.StepMode ? QStringLiteral("steps") : QStringLiteral("whole"),
             p.Review ? QStringLiteral(" review") : QString());
}

// The game controller in a data folder of its own, driven the way a game drives it: a new
// operation and problem once the last is finished, answers with the board painted and the
// slots counted down while an engine's last answer settles.
class Practice
{
public:
    explicit Practice(const QStringList &basicLines, bool usableJournal = true)
    {
        data.writeLines(QStringLiteral("Set/Basic.dat"), basicLines);
        // The clock reseeds every draw of a problem; the first operation is picked before.
        host.random().seed(7);
        // A folder where the database should be: the journal cannot open it.
        if (!usableJournal)
            QDir(data.path(QStringLiteral("Set"))).mkdir(QStringLiteral("Progress.db"));
        start();
    }

    void start()
    {
        bank.LoadMoney();
        game = std::make_unique<TMainClass>(host, board, hint, bank, reporter);
    }
    // Closes the game, and with it the journal, and starts it again.
    void restart()
    {
        game.reset();
        start();
    }
    // What the settings dialog's OK does with new settings.
    void applySettings(const QStringList &basicLines)
    {
        data.writeLines(QStringLiteral("Set/Basic.dat"), basicLines);
        game->LoadOptions();
        game->ReloadEngines();
        game->PickOperation();
        game->NewProblem();
    }
    // The next step once the last answer has settled on the board.
    void nextStep()
    {
        for (int waited = 0; game->Engine().Settling(); waited += 50) {
            QVERIFY(waited < 10000);
            clock.advance(50);
            host.tickSlots().CountDownSlots(50);
            game->Engine().PaintBoard();
        }
        game->NextStep();
    }

    void next(bool bare = false)
    {
        game->PickOperation();
        if (bare) {
            // Posing as the game did before missed problems came back.
            game->Engine().NewProblem();
            game->ProblemPosed();
        } else {
            game->NewProblem();
        }
    }
    // Answers the problem on the board to its end; with one mistake first when miss.
    void solve(bool miss)
    {
        for (int steps = 0; !game->Engine().IsFinished(); ++steps) {
            QVERIFY(steps < 40);
            const int32_t right = RightAnswer(&game->Engine());
            clock.advance(900);
            if (miss) {
                QVERIFY(!game->CheckAnswer(right + 1));
                clock.advance(600);
                miss = false;
            }
            QVERIFY(game->CheckAnswer(right));
            if (!game->Engine().IsFinished()) nextStep();
        }
        clock.advance(1500);
    }
    // Plays one problem per character: x with a mistake, o without.
    void play(const QString &answers, bool bare = false)
    {
        for (QChar c : answers) {
            next(bare);
            solve(c == QLatin1Char('x'));
            seen << current();
        }
    }

    // The problem on the board, flagged as the journal recorded it.
    Posed current() const
    {
        const ProblemSnapshot s = dynamic_cast<ProblemView &>(game->Engine()).Snapshot();
        Posed p;
        p.Operation = OpCode(game->Operation());
        p.Operand1 = s.Operand1;
        p.Operand2 = s.Operand2;
        p.Type = s.TypeLine;
        p.StepMode = s.StepMode;
        p.Review = probe()
                       .value(QStringLiteral("SELECT review FROM problems ORDER BY id DESC "
                                             "LIMIT 1"))
                       .toInt() == 1;
        return p;
    }
    JournalProbe probe() const
    {
        return JournalProbe(data.path(QStringLiteral("Set/Progress.db")));
    }

    TempDataDir data;
    FakeClock clock;
    CapturingReporter reporter;
    EngineHost host{clock, data.folders()};
    Bitmap board{180, 240};
    Bitmap hint{100, 100};
    CoinBank bank{data.path(QStringLiteral("Set/Money.dat"))};
    std::unique_ptr<TMainClass> game;
    QList<Posed> seen;
};

// Each problem of seen that is a review is the problem at its index of reviewOf; the others
// are drawn.
void checkReviews(const QList<Posed> &seen, const QList<int> &reviewOf)
{
    QCOMPARE(seen.size(), reviewOf.size());
    for (int i = 0; i < seen.size(); ++i) {
        const QString at = QStringLiteral("problem %1: %2").arg(i).arg(describe(seen[i]));
        QVERIFY2(seen[i].Review == (reviewOf[i] >= 0), qPrintable(at));
        if (reviewOf[i] >= 0) QVERIFY2(seen[i].sameProblem(seen[reviewOf[i]]), qPrintable(at));
    }
}

} // namespace

class tst_Review : public QObject
{
    Q_OBJECT
private slots:
    void schedule_data();
    void schedule();
    void keepsItsAnswerMode_data();
    void keepsItsAnswerMode();
    void waitsWhileNotChosen_data();
    void waitsWhileNotChosen();
    void followsThePlayerWhoAnswers();
    void survivesARestart();
    void posesOnlyWhatItsTypeDraws_data();
    void posesOnlyWhatItsTypeDraws();
    void offDrawsAsBefore_data();
    void offDrawsAsBefore();
};

void tst_Review::schedule_data()
{
    QTest::addColumn<QString>("alg");
    QTest::addColumn<bool>("steps");
    // One problem per character, x answered with a mistake, o without; and for each problem
    // the earlier one it poses again, -1 for a drawn one.
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QList<int>>("reviewOf");
    const QString all = QStringLiteral("Alg=0,1,2,3,");
    QTest::newRow("a miss returns as the third problem after it")
        << all << true << "xooo" << QList<int>{-1, -1, -1, 0};
    QTest::newRow("missed again, it returns three later")
        << all << true << "xooxooo" << QList<int>{-1, -1, -1, 0, -1, -1, 0};
    QList<int> retired{-1, -1, -1, 0};
    for (int i = 0; i < 9; ++i)
        retired << -1;
    retired << 0;
    for (int i = 0; i < 12; ++i)
        retired << -1;
    QTest::newRow("clean ten later, then retired")
        << all << true << QString(26, QLatin1Char('o')).replace(0, 1, QStringLiteral("x"))
        << retired;
    QTest::newRow("one review in any three")
        << all << true << "xxxooooooo" << QList<int>{-1, -1, -1, 0, -1, -1, 1, -1, -1, 2};
    QTest::newRow("addition by columns") << "Alg=0," << true << "xooo" << QList<int>{-1, -1, -1, 0};
    QTest::newRow("addition whole") << "Alg=0," << false << "xooo" << QList<int>{-1, -1, -1, 0};
    QTest::newRow("subtraction") << "Alg=1," << true << "xooo" << QList<int>{-1, -1, -1, 0};
    QTest::newRow("multiplication") << "Alg=2," << true << "xooo" << QList<int>{-1, -1, -1, 0};
    QTest::newRow("division") << "Alg=3," << true << "xooo" << QList<int>{-1, -1, -1, 0};
}

void tst_Review::schedule()
{
    QFETCH(QString, alg);
    QFETCH(bool, steps);
    QFETCH(QString, answers);
    QFETCH(QList<int>, reviewOf);
    Practice s(basic(alg, steps));
    s.play(answers);
    checkReviews(s.seen, reviewOf);
    QVERIFY(s.reporter.errors.isEmpty());
    // A review pays the coins of its type, as the first time.
    const QList<QVariantList> coins =
        s.probe().rows(QStringLiteral("SELECT coins FROM problems ORDER BY id"));
    for (int i = 0; i < reviewOf.size(); ++i) {
        if (reviewOf[i] >= 0) QCOMPARE(coins[i], coins[reviewOf[i]]);
    }
}

void tst_Review::keepsItsAnswerMode_data()
{
    QTest::addColumn<QString>("alg");
    QTest::addColumn<bool>("missedInSteps");
    QTest::newRow("addition missed by columns") << "Alg=0," << true;
    QTest::newRow("addition missed whole") << "Alg=0," << false;
    QTest::newRow("subtraction missed by columns") << "Alg=1," << true;
    QTest::newRow("subtraction missed whole") << "Alg=1," << false;
}

void tst_Review::keepsItsAnswerMode()
{
    QFETCH(QString, alg);
    QFETCH(bool, missedInSteps);
    Practice s(basic(alg, missedInSteps));
    s.play(QStringLiteral("x"));
    // The other mode from here on; the new settings pose a problem at once.
    s.applySettings(basic(alg, !missedInSteps));
    s.solve(false);
    s.seen << s.current();
    s.play(QStringLiteral("ooo"));
    checkReviews(s.seen, {-1, -1, -1, 0, -1});
    for (int i : {1, 2, 4})
        QCOMPARE(s.seen[i].StepMode, !missedInSteps);
}

void tst_Review::waitsWhileNotChosen_data()
{
    QTest::addColumn<bool>("dropType"); // else the operation leaves the "Alg=" line
    QTest::newRow("operation off the Alg line") << false;
    QTest::newRow("type no longer chosen") << true;
}

void tst_Review::waitsWhileNotChosen()
{
    QFETCH(bool, dropType);
    Practice s(basic(QStringLiteral("Alg=0,")));
    const QString addSet = QStringLiteral("Set/AddSet.Dat");
    const QStringList chosen = s.data.readLines(addSet);
    s.play(QStringLiteral("x"));
    if (dropType) {
        QStringList fewer = chosen;
        QVERIFY(fewer.removeAll(s.seen[0].Type) == 1);
        s.data.writeLines(addSet, fewer);
        s.applySettings(basic(QStringLiteral("Alg=0,")));
    } else {
        s.applySettings(basic(QStringLiteral("Alg=2,")));
    }
    s.solve(false);
    s.seen << s.current();
    s.play(QStringLiteral("oooo"));
    // Back on the list, it is overdue and comes first.
    s.data.writeLines(addSet, chosen);
    s.applySettings(basic(QStringLiteral("Alg=0,2,")));
    s.solve(false);
    s.seen << s.current();
    checkReviews(s.seen, {-1, -1, -1, -1, -1, -1, 0});
}

void tst_Review::followsThePlayerWhoAnswers()
{
    Practice s(basic(QStringLiteral("Alg=0,1,2,3,")));
    s.next();
    QVERIFY(!s.game->CheckAnswer(RightAnswer(&s.game->Engine()) + 1));
    // Another player takes over in the middle: the problem, its coins and its miss are theirs.
    s.game->SetPlayer(3);
    s.solve(false);
    s.seen << s.current();
    s.play(QStringLiteral("oo"));
    // The child's own problems do not count towards it, and do not bring it back.
    s.game->SetPlayer(0);
    s.play(QStringLiteral("ooooo"));
    s.game->SetPlayer(3);
    s.play(QStringLiteral("o"));
    checkReviews(s.seen, {-1, -1, -1, -1, -1, -1, -1, -1, 0});
    QCOMPARE(s.probe().rows(QStringLiteral("SELECT player, review FROM problems ORDER BY id")),
             (QList<QVariantList>{
                 {3, 0}, {3, 0}, {3, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {3, 1}}));
}

void tst_Review::survivesARestart()
{
    Practice s(basic(QStringLiteral("Alg=0,1,2,3,")));
    s.play(QStringLiteral("xo"));
    s.restart();
    s.play(QStringLiteral("oo"));
    s.restart();
    s.play(QStringLiteral("ooooooooo"));
    s.restart();
    s.play(QStringLiteral("oo"));
    QList<int> expected{-1, -1, -1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, -1};
    checkReviews(s.seen, expected);
    QCOMPARE(s.probe().value(QStringLiteral("SELECT count(*) FROM review")).toInt(), 0);
}

void tst_Review::posesOnlyWhatItsTypeDraws_data()
{
    // An edit of the journal by hand, after the first problem was missed.
    QTest::addColumn<QString>("edit");
    QTest::newRow("operand too long") << "UPDATE review SET operand1 = 123456";
    QTest::newRow("negative operand") << "UPDATE review SET operand2 = -4";
    QTest::newRow("no such operation") << "UPDATE review SET operation = 9";
    QTest::newRow("no type") << "UPDATE review SET type = NULL";
}

void tst_Review::posesOnlyWhatItsTypeDraws()
{
    QFETCH(QString, edit);
    Practice s(basic(QStringLiteral("Alg=0,1,2,3,")));
    s.play(QStringLiteral("x"));
    QVERIFY(s.probe().exec(edit));
    s.play(QStringLiteral("oooooo"));
    checkReviews(s.seen, {-1, -1, -1, -1, -1, -1, -1});
    QVERIFY(s.reporter.errors.isEmpty());
}

void tst_Review::offDrawsAsBefore_data()
{
    QTest::addColumn<QString>("review");
    QTest::addColumn<bool>("journalUsable");
    QTest::newRow("switched off") << "Review=0" << true;
    QTest::newRow("any 0 is off") << "Review=10" << true;
    QTest::newRow("journal unusable") << "Review=1" << false;
}

void tst_Review::offDrawsAsBefore()
{
    QFETCH(QString, review);
    QFETCH(bool, journalUsable);
    const QString answers = QStringLiteral("xxoxooxoxxoo");
    QList<Posed> runs[2];
    for (int bare = 0; bare < 2; ++bare) {
        Practice s(basic(QStringLiteral("Alg=0,1,2,3,"), true, review), journalUsable);
        QCOMPARE(s.game->journal()->isOn(), journalUsable);
        s.play(answers, bare == 1);
        runs[bare] = s.seen;
        QCOMPARE(s.reporter.errors.size(), journalUsable ? 0 : 1);
    }
    for (int i = 0; i < answers.size(); ++i)
        QVERIFY2(runs[0][i] == runs[1][i], qPrintable(describe(runs[0][i])));
}

QTEST_MAIN(tst_Review)
#include "tst_Review.moc"
