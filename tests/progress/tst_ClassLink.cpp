#include "progress/ClassLink.h"
#include "ClassSeat.h"
#include "ClassServer.h"
#include "JournalProbe.h"
#include "progress/ClassFigures.h"
#include "progress/ClassSchema.h"

#include <QtTest>

class tst_ClassLink : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void aClassroomOfSeats();

private:
    ClassServer m_server;
};

void tst_ClassLink::initTestCase()
{
    if (const QString why = m_server.start(); !why.isEmpty()) QSKIP(qPrintable(why));
}

// Two games play at their seats, one with its clock three years behind, and a third whose
// Class.ini has a wrong password. The teacher's machine comes later. In the end the server
// holds every row of both journals that is over, once, and the teacher's figures count both
// seats. (A server stopped or restarted in the middle is tst_ClassSender's.)
void tst_ClassLink::aClassroomOfSeats()
{
    const QString name = QStringLiteral("三年级二班");
    const QString seatA = QStringLiteral("A01"), seatB = QStringLiteral("第2排 A02");
    ClassSettings wrong = m_server.settings(name, QStringLiteral("C03"));
    wrong.password = QStringLiteral("not-the-password");
    ClassSeat a(m_server.settings(name, seatA));
    ClassSeat b(m_server.settings(name, seatB), -int64_t(3) * 365 * 24 * 3600 * 1000);
    ClassSeat c(wrong);
    ClassLink &linkA = *a.session->classLink();
    auto same = [&] {
        for (const ClassTable &t : ClassSchema::tables())
            if (m_server.rows(t, name, seatA) != a.rows(t) ||
                m_server.rows(t, name, seatB) != b.rows(t))
                return false;
        return true;
    };
    a.play(5);
    b.play(4);
    c.play(2);
    // The seats are on before the teacher's machine has made the tables, and wait for it.
    QTRY_COMPARE(linkA.status().outcome, ClassRound::NotReady);
    ClassSeat teacher(m_server.settings(name, QStringLiteral("T"), true));
    QTRY_VERIFY_WITH_TIMEOUT(same(), 15000);
    QVERIFY(teacher.session->classLink()->canReadClass());
    QVERIFY(!linkA.canReadClass());
    // The seat refused goes on trying.
    QTRY_VERIFY(c.session->classLink()->status().rounds >= 3);
    QCOMPARE(c.session->classLink()->status().outcome, ClassRound::Refused);

    a.play(2);
    b.play(3, false);
    QTRY_VERIFY_WITH_TIMEOUT(same(), 20000);
    // Waiting for the tables is no news for a child; a seat refused hears it once, without
    // its password.
    QCOMPARE(a.game.reporter.errors.size() + b.game.reporter.errors.size(), 0);
    QCOMPARE(c.game.reporter.errors.size(), 1);
    QVERIFY(c.game.reporter.errors.first().contains(QStringLiteral("密码")));
    QVERIFY(!c.game.reporter.errors.first().contains(wrong.password));

    ClassFiguresLoader loader(teacher.session->classLink()->settings());
    QSignalSpy figures(&loader, &ClassFiguresLoader::figuresLoaded);
    loader.loadFigures(ReportPeriod::Last7Days, QDateTime::currentDateTimeUtc());
    QTRY_COMPARE(figures.size(), 1);
    const auto f = figures.first().first().value<ClassFigures>();
    QCOMPARE(f.seats, 2);
    int solved = 0;
    for (const ClassChild &child : f.children)
        solved += child.solved;
    // Within this week by the server's clock, the seat that is behind too.
    QCOMPARE(solved, a.session->SolvedCount() + b.session->SolvedCount());
}

QTEST_MAIN(tst_ClassLink)
#include "tst_ClassLink.moc"
