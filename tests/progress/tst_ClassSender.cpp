#include "progress/ClassSender.h"
#include "ClassSeat.h"
#include "ClassServer.h"
#include "JournalProbe.h"
#include "progress/ClassSchema.h"

#include <QtTest>

namespace {

const int64_t ThreeYearsMs = int64_t(3) * 365 * 24 * 3600 * 1000;

} // namespace

class tst_ClassSender : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyRowArrivesOnceThroughAFault_data();
    void everyRowArrivesOnceThroughAFault();

private:
    ClassServer m_server;
};

void tst_ClassSender::initTestCase()
{
    if (const QString why = m_server.start(); !why.isEmpty()) QSKIP(qPrintable(why));
    // The teacher's machine makes the tables.
    ClassSeat teachers;
    ClassSender teacher(m_server.settings(QStringLiteral("setup"), QStringLiteral("T"), true),
                        teachers.journalPath(), teachers.game.clock);
    const ClassRound r = teacher.sendPending();
    QVERIFY2(r.outcome == ClassRound::Sent, qPrintable(r.error));
    QVERIFY(teacher.canReadClass());
    // A kill switch: once armed (setval 1), the next answer ends its backend in the middle of
    // a batch. A user that may log in but is no seat.
    QCOMPARE(m_server.exec(
                 QStringLiteral(
                     "CREATE SEQUENCE kill_once START 2; GRANT USAGE ON SEQUENCE kill_once TO seat;"
                     "CREATE FUNCTION kill_batch() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                     "IF nextval('kill_once') = 1 THEN "
                     "PERFORM pg_terminate_backend(pg_backend_pid()); END IF; RETURN NEW; END $$;"
                     "CREATE TRIGGER kill_batch BEFORE INSERT ON answers FOR EACH ROW "
                     "EXECUTE FUNCTION kill_batch();"
                     "CREATE ROLE outsider LOGIN PASSWORD 'outsider-pw';"
                     "GRANT CONNECT ON DATABASE %1 TO outsider")
                     .arg(ClassServer::database)),
             QString());
}

void tst_ClassSender::everyRowArrivesOnceThroughAFault_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("outcome"); // of the round that meets it
    QTest::newRow("server down at start") << "down at start" << int(ClassRound::Unreachable);
    QTest::newRow("server down mid-game") << "down mid-game" << int(ClassRound::Broken);
    QTest::newRow("backend killed during a batch") << "killed" << int(ClassRound::Broken);
    QTest::newRow("marks lost after the server took a batch")
        << "marks lost" << int(ClassRound::Sent);
    QTest::newRow("server restored from an older backup") << "restored" << int(ClassRound::Sent);
    QTest::newRow("wrong password") << "password" << int(ClassRound::Refused);
    QTest::newRow("unknown database") << "database" << int(ClassRound::Refused);
    QTest::newRow("a user outside the seats' group") << "outsider" << int(ClassRound::Refused);
}

// A seat whose clock is three years behind (put right in the teacher's figures: tst_ClassLink)
// plays problems, the last left on the board after a wrong answer, then one abandoned for new
// settings, and more; its sender meets the fault and carries on. In the end every row that is
// over is on the server once, as in the journal.
void tst_ClassSender::everyRowArrivesOnceThroughAFault()
{
    QFETCH(QString, fault);
    QFETCH(int, outcome);
    static int serial = 0;
    const QString className = QStringLiteral("fault-%1").arg(++serial);
    const ClassSettings good = m_server.settings(className, QStringLiteral("B02"));
    ClassSettings s = good;
    if (fault == QLatin1String("password")) s.password = QStringLiteral("wrong-password-93");
    if (fault == QLatin1String("database")) s.database = QStringLiteral("class9z");
    if (fault == QLatin1String("outsider")) {
        s.user = QStringLiteral("outsider");
        s.password = QStringLiteral("outsider-pw");
    }
    ClassSeat seat(std::nullopt, -ThreeYearsMs);
    FakeClock &clock = seat.game.clock;
    auto sender = std::make_unique<ClassSender>(s, seat.journalPath(), clock, 5);
    auto fresh = [&] { sender = std::make_unique<ClassSender>(s, seat.journalPath(), clock, 5); };
    auto same = [&] {
        for (const ClassTable &t : ClassSchema::tables())
            QCOMPARE(m_server.rows(t, className, QStringLiteral("B02")), seat.rows(t));
    };
    const bool atStart = s.user != good.user || s.password != good.password ||
                         s.database != good.database || fault == QLatin1String("down at start");
    seat.play(7, false);
    if (fault == QLatin1String("down at start")) m_server.stop();
    if (!atStart) {
        QCOMPARE(sender->sendPending().outcome, ClassRound::Sent);
        same();
        if (QTest::currentTestFailed()) return;
        seat.session->ApplySettings();
        seat.play(6);
    }
    if (fault == QLatin1String("down mid-game")) {
        m_server.stop();
        seat.play(2);
    } else if (fault == QLatin1String("killed")) {
        QCOMPARE(m_server.exec(QStringLiteral("SELECT setval('kill_once', 1, false)")), QString());
    } else if (fault == QLatin1String("marks lost")) {
        // The server took the rows; the game went down before the journal heard of it.
        QCOMPARE(sender->sendPending().outcome, ClassRound::Sent);
        sender.reset();
        QVERIFY(JournalProbe(seat.journalPath()).exec(QStringLiteral("DELETE FROM class_sent")));
        fresh();
    } else if (fault == QLatin1String("restored")) {
        QCOMPARE(sender->sendPending().outcome, ClassRound::Sent);
        QCOMPARE(
            m_server.exec(QStringLiteral("DELETE FROM answers WHERE class = '%1' AND local_id > 3;"
                                         "DELETE FROM problems WHERE class = '%1' AND local_id > 2")
                              .arg(className)),
            QString());
        fresh();
    }
    const ClassRound met = sender->sendPending();
    QCOMPARE(int(met.outcome), outcome);
    QVERIFY2(!met.error.contains(s.password), qPrintable(met.error));
    if (atStart)
        QVERIFY(
            m_server.rows(ClassSchema::tables()[0], className, QStringLiteral("B02")).isEmpty());

    // The server is back, or the teacher put Class.ini right.
    if (!m_server.running()) QCOMPARE(m_server.start(), QString());
    s = good;
    if (met.outcome == ClassRound::Refused) fresh();
    // A connection found broken costs one round.
    ClassRound r = sender->sendPending();
    if (r.outcome != ClassRound::Sent) r = sender->sendPending();
    QVERIFY2(r.outcome == ClassRound::Sent, qPrintable(r.error));
    same();
    if (fault == QLatin1String("marks lost")) QCOMPARE(met.rowsSent + r.rowsSent, int64_t(0));
    QCOMPARE(sender->sendPending().rowsSent, int64_t(0));
}

QTEST_MAIN(tst_ClassSender)
#include "tst_ClassSender.moc"
