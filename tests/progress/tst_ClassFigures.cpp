#include "progress/ClassFigures.h"
#include "ClassRig.h"
#include "progress/ClassSchema.h"
#include "progress/ClassSender.h"

#include <QtTest>

namespace {

const QDateTime Now(QDate(2026, 12, 10), QTime(12, 0), Qt::UTC);

// seat, player, name, fact, minutes before Now, seconds to finish (-1: abandoned), wrong
// answers before the right one.
struct Played
{
    const char *seat;
    int32_t player;
    const char *name;
    int32_t op, a, b;
    int minutesAgo, seconds, wrong;
};

std::vector<ClassProblem> problems(std::initializer_list<Played> played)
{
    std::vector<ClassProblem> out;
    for (const Played &p : played) {
        ClassProblem c;
        c.seat = QString::fromUtf8(p.seat);
        c.row.Player = p.player;
        c.row.PlayerName = QString::fromUtf8(p.name);
        c.row.Operation = p.op;
        c.row.Operand1 = p.a;
        c.row.Operand2 = p.b;
        c.row.PosedAt = Now.addSecs(-60 * p.minutesAgo);
        if (p.seconds >= 0) c.row.FinishedAt = c.row.PosedAt.addSecs(p.seconds);
        c.row.Wrong = p.wrong;
        c.row.Answers = p.wrong + (p.seconds >= 0 ? 1 : 0);
        c.row.RightAnswers = p.seconds >= 0 ? 1 : 0;
        out.push_back(c);
    }
    return out;
}

} // namespace

class tst_ClassFigures : public QObject
{
    Q_OBJECT
private slots:
    void eachChildOfTheClass();
    void readsTheServerOffTheWindowsThread();
};

void tst_ClassFigures::eachChildOfTheClass()
{
    const ClassFigures f = computeClassFigures(
        problems({
            {"A02", 0, "小红", 2, 7, 8, 50, 12, 2},
            {"A01", 0, "小明", 2, 7, 8, 40, 4, 0},
            {"A01", 0, "小明", 0, 3, 4, 39, 10, 1},
            {"A01", 0, "明明", 1, 9, 3, 38, -1, 1}, // abandoned after a wrong answer
            {"A01", 0, "明明", 1, 9, 4, 37, -1, 0}, // abandoned untouched
            {"A01", 2, "妹妹", 0, 3, 4, 30, 6, 1},
            {"A02", 0, "小红", 2, 6, 7, 20, 8, 0},
            {"A02", 0, "小红", 2, 7, 8, 10, 20, 1},
        }),
        ReportPeriod::Last7Days, Now);

    QStringList children;
    for (const ClassChild &c : f.children)
        children << QStringLiteral("%1 %2 %3: %4 posed, %5 tried, %6 first try, %7 solved, %8 ms")
                        .arg(c.seat)
                        .arg(c.player)
                        .arg(c.name)
                        .arg(c.problems)
                        .arg(c.tried)
                        .arg(c.firstTry)
                        .arg(c.solved)
                        .arg(c.medianMs);
    QCOMPARE(children,
             QStringList({
                 QStringLiteral("A01 0 明明: 4 posed, 3 tried, 1 first try, 2 solved, 7000 ms"),
                 QStringLiteral("A01 2 妹妹: 1 posed, 1 tried, 0 first try, 1 solved, 6000 ms"),
                 QStringLiteral("A02 0 小红: 3 posed, 3 tried, 1 first try, 3 solved, 12000 ms"),
             }));
    QCOMPARE(f.seats, 2);
    // Each child's own grid: 7×8 once clean at A01, never at A02.
    const FactCell &a01 = f.children[0].figures.TimesTable[6 * 9 + 7];
    const FactCell &a02 = f.children[2].figures.TimesTable[6 * 9 + 7];
    QCOMPARE(std::pair(a01.Tries, a01.Right), std::pair(1, 1));
    QCOMPARE(std::pair(a02.Tries, a02.Right), std::pair(2, 0));
    // The class's most missed facts, counted over every seat.
    QStringList missed;
    for (const MissedFact &m : f.missed)
        missed << QStringLiteral("%1 %2").arg(m.Text).arg(m.Wrong);
    QCOMPARE(missed, QStringList({QStringLiteral("7×8 3"), QStringLiteral("3+4 2"),
                                  QStringLiteral("9−3 1")}));
}

void tst_ClassFigures::readsTheServerOffTheWindowsThread()
{
    ClassServer server;
    if (const QString why = server.start(); !why.isEmpty()) QSKIP(qPrintable(why));
    // One seat on time, one whose clock is three years behind.
    ShiftedClock onTime, behind;
    behind.offsetMs = -int64_t(3) * 365 * 24 * 3600 * 1000;
    ClassSeat a, b(QDateTime::currentDateTimeUtc().addMSecs(behind.offsetMs));
    a.play(4);
    b.play(3);
    const ClassSettings teacher =
        server.settings(QStringLiteral("三年级二班"), QStringLiteral("T"), true);
    ClassSeat teachersOwn;
    QCOMPARE(ClassSender(teacher, teachersOwn.journalPath(), onTime).sendPending().outcome,
             ClassRound::Sent);
    for (auto [seat, name, clock] : {std::tuple{&a, "A01", &onTime}, {&b, "B01", &behind}}) {
        ClassSender sender(server.settings(QStringLiteral("三年级二班"), QLatin1String(name)),
                           seat->journalPath(), *clock);
        QCOMPARE(sender.sendPending().outcome, ClassRound::Sent);
    }

    ClassFiguresLoader loader(teacher);
    QSignalSpy figures(&loader, &ClassFiguresLoader::figuresLoaded);
    QSignalSpy raw(&loader, &ClassFiguresLoader::rawRowsLoaded);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    loader.loadFigures(ReportPeriod::Last7Days, now);
    loader.loadRawRows(ReportPeriod::Last7Days, now);
    QTRY_COMPARE(figures.size(), 1);
    QTRY_COMPARE(raw.size(), 1);
    const auto f = figures.first().first().value<ClassFigures>();
    QCOMPARE(f.seats, 2);
    int solved = 0;
    for (const ClassChild &c : f.children)
        solved += c.solved;
    QCOMPARE(solved, 7);
    // Rows of the seat that is behind land in this week, by the server's clock.
    const auto rows = raw.first().first().value<QList<QStringList>>();
    int fromB = 0;
    for (const QStringList &r : rows) {
        if (r[0] != QLatin1String("B01")) continue;
        ++fromB;
        const QDateTime posed = QDateTime::fromString(r[9], Qt::ISODateWithMs);
        QVERIFY2(qAbs(posed.secsTo(now)) < 600, qPrintable(r[9]));
    }
    QCOMPARE(fromB, int(b.rows(ClassSchema::tables()[1]).size()));

    // A seat may not read the class; what it hears back does not repeat its password.
    const ClassSettings seat = server.settings(QStringLiteral("三年级二班"), QStringLiteral("A01"));
    QString error;
    QVERIFY(loadClassProblems(seat, {}, &error).empty());
    QVERIFY(!error.isEmpty());
    QVERIFY(!error.contains(seat.password));
}

QTEST_GUILESS_MAIN(tst_ClassFigures)
#include "tst_ClassFigures.moc"
