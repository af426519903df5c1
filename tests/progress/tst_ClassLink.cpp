#include "progress/ClassLink.h"
#include "ClassRig.h"
#include "TestSupport.h"
#include "progress/ClassSchema.h"

#include <QtTest>

namespace {

// Short waits, so a server that comes back is found within a second.
const ClassTiming fast{100, 100, 400, 400, 500};

} // namespace

class tst_ClassLink : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void twoSeatsThroughAStoppedServer();
    void oneMessageForAWrongPassword();

private:
    bool same(const ClassSeat &seat, const QString &name) const;
    ClassServer m_server;
    ShiftedClock m_clock;
};

void tst_ClassLink::initTestCase()
{
    if (const QString why = m_server.start(); !why.isEmpty()) QSKIP(qPrintable(why));
}

bool tst_ClassLink::same(const ClassSeat &seat, const QString &name) const
{
    for (const ClassTable &t : ClassSchema::tables())
        if (m_server.rows(t, QStringLiteral("三年级二班"), name) != seat.rows(t)) return false;
    return true;
}

void tst_ClassLink::twoSeatsThroughAStoppedServer()
{
    CapturingReporter reporter;
    ClassSeat a, b, teacher;
    a.writeIni(m_server.settings(QStringLiteral("三年级二班"), QStringLiteral("A01")));
    b.writeIni(m_server.settings(QStringLiteral("三年级二班"), QStringLiteral("第2排 A02")));
    teacher.writeIni(m_server.settings(QStringLiteral("三年级二班"), QStringLiteral("T"), true));
    // The seats start before the teacher's machine has made the tables, and wait for it.
    auto linkA = ClassLink::start(a.setFolder(), reporter, m_clock, fast);
    auto linkB = ClassLink::start(b.setFolder(), reporter, m_clock, fast);
    QVERIFY(linkA && linkB);
    a.play(5);
    b.play(4);
    QTRY_COMPARE(linkA->status().outcome, ClassRound::NotReady);
    auto linkT = ClassLink::start(teacher.setFolder(), reporter, m_clock, fast);
    QTRY_VERIFY_WITH_TIMEOUT(same(a, QStringLiteral("A01")) && same(b, QStringLiteral("第2排 A02")),
                             10000);
    QVERIFY(linkT->canReadClass());
    QVERIFY(!linkA->canReadClass());
    // Waiting for the tables, and for a server that was away, is no news for the child.
    QCOMPARE(reporter.errors.size(), 0);

    m_server.cluster.stop();
    a.play(6);
    b.play(3, false);
    linkA->wake();
    const int rounds = linkB->status().rounds;
    QTRY_VERIFY(linkA->status().outcome == ClassRound::Unreachable &&
                linkB->status().rounds >= rounds + 2);
    QCOMPARE(m_server.cluster.start(), QString());
    a.play(2);
    b.play(2);
    linkB->wake();
    QTRY_VERIFY_WITH_TIMEOUT(same(a, QStringLiteral("A01")) && same(b, QStringLiteral("第2排 A02")),
                             10000);
    for (const ClassTable &t : ClassSchema::tables()) {
        QCOMPARE(m_server.rows(t, QStringLiteral("三年级二班"), QStringLiteral("A01")), a.rows(t));
        QCOMPARE(m_server.rows(t, QStringLiteral("三年级二班"), QStringLiteral("第2排 A02")),
                 b.rows(t));
    }
    QCOMPARE(reporter.errors.size(), 0);
}

void tst_ClassLink::oneMessageForAWrongPassword()
{
    CapturingReporter reporter;
    ClassSeat seat;
    ClassSettings s = m_server.settings(QStringLiteral("三年级二班"), QStringLiteral("A03"));
    s.password = QStringLiteral("not-the-password");
    seat.writeIni(s);
    seat.play(2);
    auto link = ClassLink::start(seat.setFolder(), reporter, m_clock, fast);
    QTRY_VERIFY(link->status().rounds >= 4);
    QCOMPARE(link->status().outcome, ClassRound::Refused);
    QCOMPARE(reporter.errors.size(), 1);
    QVERIFY2(reporter.errors.first().contains(QStringLiteral("密码")),
             qPrintable(reporter.errors.first()));
    QVERIFY(!reporter.errors.first().contains(s.password));
    QVERIFY(!link->status().error.contains(s.password));
}

QTEST_GUILESS_MAIN(tst_ClassLink)
#include "tst_ClassLink.moc"
