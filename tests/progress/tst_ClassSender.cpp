#include "progress/ClassSender.h"
#include "ClassRig.h"
#include "JournalProbe.h"
#include "progress/ClassSchema.h"

#include <QtTest>

class tst_ClassSender : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void sendsWhatIsOverInBatches();
    void faults_data();
    void faults();
    void refusals_data();
    void refusals();
    void wrongSeatClock();

private:
    // Every row of the seat's journal is on the server as it is in the journal, once.
    void verifySame(const ClassSeat &seat, const QString &className, const QString &seatName,
                    int leaveProblems = 0, int leaveAnswers = 0);
    ClassServer m_server;
    ShiftedClock m_clock;
    int m_class = 0;
};

void tst_ClassSender::initTestCase()
{
    if (const QString why = m_server.start(); !why.isEmpty()) QSKIP(qPrintable(why));
    // The teacher's machine makes the tables.
    ClassSeat teacherSeat;
    ClassSender teacher(m_server.settings(QStringLiteral("setup"), QStringLiteral("T"), true),
                        teacherSeat.journalPath(), m_clock);
    const ClassRound r = teacher.sendPending();
    QVERIFY2(r.outcome == ClassRound::Sent, qPrintable(r.error));
    QVERIFY(teacher.canReadClass());
    // A kill switch for the batch test: once armed (setval 1), the next answer ends its
    // backend mid-transaction, after that batch's problems went in.
    QCOMPARE(m_server.cluster.exec(
                 QStringLiteral(
                     "CREATE SEQUENCE kill_once START 2; GRANT USAGE ON SEQUENCE kill_once TO seat;"
                     "CREATE FUNCTION kill_batch() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                     "IF nextval('kill_once') = 1 THEN "
                     "PERFORM pg_terminate_backend(pg_backend_pid()); END IF; RETURN NEW; END $$;"
                     "CREATE TRIGGER kill_batch BEFORE INSERT ON answers FOR EACH ROW "
                     "EXECUTE FUNCTION kill_batch();"
                     // A user that may log in but is no seat, and a database without tables.
                     "CREATE ROLE outsider LOGIN PASSWORD '%1';"
                     "GRANT CONNECT ON DATABASE %2 TO outsider")
                     .arg(QString::fromUtf8(ClassServer::seatPassword)
                              .replace(QLatin1Char('\''), QStringLiteral("''")),
                          ClassServer::database),
                 QLatin1String(ClassServer::database)),
             QString());
    QCOMPARE(m_server.cluster.exec(QStringLiteral("CREATE DATABASE fresh OWNER teacher")),
             QString());
    QCOMPARE(
        m_server.cluster.exec(QStringLiteral("GRANT CONNECT ON DATABASE fresh TO sumsprout_seat")),
        QString());
}

void tst_ClassSender::verifySame(const ClassSeat &seat, const QString &className,
                                 const QString &seatName, int leaveProblems, int leaveAnswers)
{
    for (const ClassTable &t : ClassSchema::tables()) {
        QList<QVariantList> local = seat.rows(t);
        const int leave = qstrcmp(t.name, "problems") == 0 ? leaveProblems : leaveAnswers;
        local.resize(local.size() - leave);
        QCOMPARE(m_server.rows(t, className, seatName), local);
    }
}

void tst_ClassSender::sendsWhatIsOverInBatches()
{
    ClassSeat seat;
    ClassSender sender(m_server.settings(QStringLiteral("batches"), QStringLiteral("A01")),
                       seat.journalPath(), m_clock, 4);
    // Nothing played yet: connecting is all there is.
    ClassRound r = sender.sendPending();
    QVERIFY2(r.outcome == ClassRound::Sent, qPrintable(r.error));
    QVERIFY(!sender.canReadClass());

    // Ten problems, the last still being played after a wrong answer.
    seat.play(10, false);
    r = sender.sendPending();
    QVERIFY2(r.outcome == ClassRound::Sent, qPrintable(r.error));
    verifySame(seat, QStringLiteral("batches"), QStringLiteral("A01"), 1, 1);
    const int64_t first = r.rowsSent;

    // Abandoned for the next problem, it goes with its answer.
    seat.play(3);
    r = sender.sendPending();
    QVERIFY2(r.outcome == ClassRound::Sent, qPrintable(r.error));
    verifySame(seat, QStringLiteral("batches"), QStringLiteral("A01"));
    const auto [problems, answers] = std::pair(seat.rows(ClassSchema::tables()[0]).size(),
                                               seat.rows(ClassSchema::tables()[1]).size());
    QCOMPARE(first + r.rowsSent, int64_t(problems + answers));
    // How far each table arrived is kept in the journal.
    JournalProbe probe(seat.journalPath());
    QCOMPARE(probe.rows(QStringLiteral("SELECT tbl, last_id FROM class_sent ORDER BY tbl")),
             (QList<QVariantList>{{QStringLiteral("answers"), qlonglong(answers)},
                                  {QStringLiteral("problems"), qlonglong(problems)}}));
    QCOMPARE(sender.sendPending().rowsSent, int64_t(0));
}

void tst_ClassSender::faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("outcome"); // of the round that meets the fault
    QTest::newRow("server down at start") << "down at start" << int(ClassRound::Unreachable);
    QTest::newRow("server down mid-game") << "down mid-game" << int(ClassRound::Broken);
    QTest::newRow("server restarted") << "restarted" << int(ClassRound::Broken);
    QTest::newRow("backend killed during a batch") << "killed" << int(ClassRound::Broken);
    QTest::newRow("marks lost after the server took a batch")
        << "marks lost" << int(ClassRound::Sent);
    QTest::newRow("server restored from an older backup") << "restored" << int(ClassRound::Sent);
}

void tst_ClassSender::faults()
{
    QFETCH(QString, fault);
    QFETCH(int, outcome);
    const QString className = QStringLiteral("fault-%1").arg(++m_class);
    ClassSeat seat;
    auto sender = std::make_unique<ClassSender>(m_server.settings(className, QStringLiteral("B02")),
                                                seat.journalPath(), m_clock, 5);
    seat.play(7);
    if (fault == QLatin1String("down at start")) {
        m_server.cluster.stop();
    } else {
        QCOMPARE(sender->sendPending().outcome, ClassRound::Sent);
        seat.play(6);
    }
    if (fault == QLatin1String("down mid-game")) {
        m_server.cluster.stop();
        seat.play(2);
    } else if (fault == QLatin1String("killed")) {
        QCOMPARE(m_server.cluster.exec(QStringLiteral("SELECT setval('kill_once', 1, false)"),
                                       QLatin1String(ClassServer::database)),
                 QString());
    } else if (fault == QLatin1String("restarted")) {
        m_server.cluster.stop();
        QCOMPARE(m_server.cluster.start(), QString());
    } else if (fault == QLatin1String("marks lost")) {
        // The server took the batch, the game went down before the journal heard of it.
        QCOMPARE(sender->sendPending().outcome, ClassRound::Sent);
        sender.reset();
        QVERIFY(JournalProbe(seat.journalPath()).exec(QStringLiteral("DELETE FROM class_sent")));
        sender = std::make_unique<ClassSender>(m_server.settings(className, QStringLiteral("B02")),
                                               seat.journalPath(), m_clock, 5);
    } else if (fault == QLatin1String("restored")) {
        QCOMPARE(sender->sendPending().outcome, ClassRound::Sent);
        sender.reset();
        QCOMPARE(m_server.cluster.exec(
                     QStringLiteral("DELETE FROM answers WHERE class = '%1' AND local_id > 3;"
                                    "DELETE FROM problems WHERE class = '%1' AND local_id > 2")
                         .arg(className),
                     QLatin1String(ClassServer::database)),
                 QString());
        sender = std::make_unique<ClassSender>(m_server.settings(className, QStringLiteral("B02")),
                                               seat.journalPath(), m_clock, 5);
    }
    const ClassRound met = sender->sendPending();
    QCOMPARE(int(met.outcome), outcome);
    if (!m_server.cluster.running()) QCOMPARE(m_server.cluster.start(), QString());
    // Back: the next round or the one after (a connection found broken) sends the rest.
    ClassRound r = sender->sendPending();
    if (r.outcome != ClassRound::Sent) r = sender->sendPending();
    QVERIFY2(r.outcome == ClassRound::Sent, qPrintable(r.error));
    verifySame(seat, className, QStringLiteral("B02"));
    if (fault == QLatin1String("marks lost")) QCOMPARE(met.rowsSent + r.rowsSent, int64_t(0));
}

void tst_ClassSender::refusals_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("database");
    QTest::addColumn<int>("outcome");
    QTest::newRow("wrong password")
        << "seat"
        << "wrong-password-93" << ClassServer::database << int(ClassRound::Refused);
    QTest::newRow("unknown user") << "nobody"
                                  << "wrong-password-93" << ClassServer::database
                                  << int(ClassRound::Refused);
    QTest::newRow("unknown database")
        << "seat" << ClassServer::seatPassword << "class9z" << int(ClassRound::Refused);
    QTest::newRow("a user outside the seats' group")
        << "outsider" << ClassServer::seatPassword << ClassServer::database
        << int(ClassRound::Refused);
    QTest::newRow("tables not made yet")
        << "seat" << ClassServer::seatPassword << "fresh" << int(ClassRound::NotReady);
}

void tst_ClassSender::refusals()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, database);
    QFETCH(int, outcome);
    ClassSeat seat;
    ClassSettings s = m_server.settings(QStringLiteral("refused"), QStringLiteral("C03"));
    s.user = user;
    s.password = password;
    s.database = database;
    seat.play(3);
    ClassSender sender(s, seat.journalPath(), m_clock);
    const ClassRound r = sender.sendPending();
    QCOMPARE(int(r.outcome), outcome);
    QVERIFY(!r.error.isEmpty());
    QVERIFY2(!r.error.contains(password), qPrintable(r.error));
    QVERIFY(
        m_server.rows(ClassSchema::tables()[0], QStringLiteral("refused"), QStringLiteral("C03"))
            .isEmpty());
}

void tst_ClassSender::wrongSeatClock()
{
    // Three years behind, the journal's times and the sending clock alike.
    ShiftedClock clock;
    clock.offsetMs = -int64_t(3) * 365 * 24 * 3600 * 1000;
    ClassSeat seat(QDateTime::currentDateTimeUtc().addMSecs(clock.offsetMs));
    seat.play(4);
    ClassSender sender(m_server.settings(QStringLiteral("clock"), QStringLiteral("D04")),
                       seat.journalPath(), clock);
    QCOMPARE(sender.sendPending().outcome, ClassRound::Sent);
    // The seat's times arrive as they were recorded; the server's stand beside them.
    verifySame(seat, QStringLiteral("clock"), QStringLiteral("D04"));
    const QList<QVariantList> skew = m_server.cluster.rows(
        QStringLiteral("SELECT round(extract(epoch FROM received_at - sent_at::timestamptz)), "
                       "round(extract(epoch FROM now() - received_at)) FROM problems "
                       "WHERE class = 'clock'"),
        QLatin1String(ClassServer::database));
    QCOMPARE(skew.size(), 4);
    for (const QVariantList &row : skew) {
        QVERIFY2(qAbs(row[0].toDouble() * 1000 + clock.offsetMs) < 5000,
                 qPrintable(row[0].toString()));
        QVERIFY(qAbs(row[1].toDouble()) < 60);
    }
}

QTEST_GUILESS_MAIN(tst_ClassSender)
#include "tst_ClassSender.moc"
