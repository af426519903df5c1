#include "progress/Journal.h"
#include "JournalProbe.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <unistd.h>

namespace {

QDateTime at(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs);
}

PosedRecord posed(int32_t op, int32_t a, int32_t b, const char *when)
{
    PosedRecord p;
    p.Player = 0;
    p.PlayerName = QStringLiteral("小明");
    p.Operation = static_cast<Op>(op);
    p.Operand1 = a;
    p.Operand2 = b;
    p.Type = QStringLiteral("1位数×1位数");
    p.StepMode = true;
    p.PosedAt = at(when);
    return p;
}

AnswerRecord answer(int32_t step, int32_t value, bool correct, const char *when,
                    bool finishes = false, int32_t coins = 0)
{
    AnswerRecord a;
    a.Step = step;
    a.Value = value;
    a.Correct = correct;
    a.Ms = 1200;
    a.At = at(when);
    a.PlayerName = QStringLiteral("小明");
    a.Finishes = finishes;
    a.Coins = coins;
    return a;
}

} // namespace

class tst_Journal : public QObject
{
    Q_OBJECT
private slots:
    void schemaOfANewFile();
    void migratesOldFiles_data();
    void migratesOldFiles();
    void unusableFileSwitchesOff_data();
    void unusableFileSwitchesOff();
    void recordsAProblemAndItsAnswers();
    void failedWriteRollsBackAndReportsOnce();
    void timesAreUtcWithMilliseconds();
};

void tst_Journal::schemaOfANewFile()
{
    TempDataDir dir(false);
    CapturingReporter reporter;
    const QString path = dir.path(QStringLiteral("Set/Progress.db"));
    {
        Journal j(path, reporter);
        QVERIFY2(j.isOn(), qPrintable(j.failure()));
    }
    QVERIFY(reporter.errors.isEmpty());
    JournalProbe probe(path);
    QCOMPARE(probe.value(QStringLiteral("PRAGMA user_version")).toInt(), 2);
    QCOMPARE(probe.value(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    // Names, types, NOT NULL and defaults that tools and parents' scripts rely on.
    auto columns = [&](const char *table) {
        QStringList out;
        for (const QVariantList &c :
             probe.rows(QStringLiteral("PRAGMA table_info(%1)").arg(QLatin1String(table))))
            out << QStringLiteral("%1 %2%3%4")
                       .arg(c[1].toString(), c[2].toString(),
                            c[3].toInt() ? QStringLiteral(" NOT NULL") : QString(),
                            c[4].isNull() ? QString() : QStringLiteral(" = ") + c[4].toString());
        return out.join(QStringLiteral(", "));
    };
    QCOMPARE(columns("problems"),
             QStringLiteral("id INTEGER, player INTEGER, player_name TEXT, operation INTEGER, "
                            "operand1 INTEGER, operand2 INTEGER, type TEXT, step_mode INTEGER, "
                            "posed_at TEXT, finished_at TEXT, wrong INTEGER NOT NULL = 0, "
                            "hints INTEGER NOT NULL = 0, coins INTEGER NOT NULL = 0, "
                            "review INTEGER NOT NULL = 0"));
    QCOMPARE(columns("answers"),
             QStringLiteral("id INTEGER, problem INTEGER NOT NULL, step INTEGER, value INTEGER, "
                            "correct INTEGER, hint_shown INTEGER, ms INTEGER, at TEXT"));
    QCOMPARE(columns("review"),
             QStringLiteral("id INTEGER, player INTEGER, operation INTEGER, operand1 INTEGER, "
                            "operand2 INTEGER, type TEXT, step_mode INTEGER, last_problem INTEGER "
                            "NOT NULL, counted_from INTEGER NOT NULL, gap INTEGER NOT NULL, "
                            "clean INTEGER NOT NULL = 0"));
    const QList<QVariantList> fk = probe.rows(QStringLiteral("PRAGMA foreign_key_list(answers)"));
    QCOMPARE(fk.size(), 1);
    QCOMPARE(fk.first()[2].toString(), QStringLiteral("problems"));
}

void tst_Journal::migratesOldFiles_data()
{
    QTest::addColumn<QString>("setup"); // SQL run on the file before the journal opens it
    QTest::addColumn<int>("rowsBefore");
    QTest::newRow("empty file (version 0)") << QString() << 0;
    QTest::newRow("version 0 with a table of its own")
        << QStringLiteral("CREATE TABLE notes(t TEXT); INSERT INTO notes VALUES('x')") << 0;
    QTest::newRow("version 1 with rows")
        << QStringLiteral(
               "CREATE TABLE problems(id INTEGER PRIMARY KEY, player INTEGER, player_name TEXT, "
               "operation INTEGER, operand1 INTEGER, operand2 INTEGER, type TEXT, step_mode "
               "INTEGER, posed_at TEXT, finished_at TEXT, wrong INTEGER NOT NULL DEFAULT 0, "
               "hints INTEGER NOT NULL DEFAULT 0, coins INTEGER NOT NULL DEFAULT 0);"
               "CREATE TABLE answers(id INTEGER PRIMARY KEY, problem INTEGER NOT NULL REFERENCES "
               "problems(id), step INTEGER, value INTEGER, correct INTEGER, hint_shown INTEGER, "
               "ms INTEGER, at TEXT);"
               "INSERT INTO problems(player, operation, operand1, operand2, posed_at) "
               "VALUES(0, 2, 7, 8, '2026-11-30T10:00:00.000Z');"
               "INSERT INTO problems(player, operation, operand1, operand2, posed_at) "
               "VALUES(2, 0, 3, 4, '2026-11-30T10:01:00.000Z');"
               "PRAGMA user_version = 1")
        << 2;
}

void tst_Journal::migratesOldFiles()
{
    QFETCH(QString, setup);
    QFETCH(int, rowsBefore);
    TempDataDir dir(false);
    CapturingReporter reporter;
    const QString path = dir.path(QStringLiteral("Set/Progress.db"));
    dir.writeBytes(QStringLiteral("Set/Progress.db"), QByteArray());
    {
        JournalProbe old(path);
        for (const QString &sql : setup.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            QVERIFY2(old.exec(sql), qPrintable(sql));
    }
    for (int open = 0; open < 2; ++open) {
        Journal j(path, reporter);
        QVERIFY2(j.isOn(), qPrintable(j.failure()));
        QCOMPARE(j.problems(0, {}).size() + j.problems(2, {}).size(), size_t(rowsBefore + open));
        // The migrated file takes new rows.
        QVERIFY(j.recordPosed(posed(1, 13, 6, "2026-12-01T08:00:00.000Z")) > 0);
    }
    QVERIFY(reporter.errors.isEmpty());
    JournalProbe probe(path);
    QCOMPARE(probe.value(QStringLiteral("PRAGMA user_version")).toInt(), Journal::SchemaVersion);
    QCOMPARE(probe.value(QStringLiteral("SELECT count(*) FROM problems")).toInt(), rowsBefore + 2);
    // Problems from before the review were all drawn; none of them is due.
    QCOMPARE(probe.value(QStringLiteral("SELECT count(*) FROM problems WHERE review = 0")).toInt(),
             rowsBefore + 2);
    QCOMPARE(probe.value(QStringLiteral("SELECT count(*) FROM review")).toInt(), 0);
}

void tst_Journal::unusableFileSwitchesOff_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // part of the error text
    QTest::newRow("corrupt") << "corrupt"
                             << "not a database";
    QTest::newRow("folder in the way") << "folder"
                                       << "";
    QTest::newRow("locked by another program") << "locked"
                                               << "locked";
    QTest::newRow("from a newer game") << "newer"
                                       << "版本 7";
    QTest::newRow("read-only") << "readonly"
                               << "readonly";
}

void tst_Journal::unusableFileSwitchesOff()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    TempDataDir dir(false);
    CapturingReporter reporter;
    const QString path = dir.path(QStringLiteral("Set/Progress.db"));
    std::unique_ptr<JournalProbe> holder;
    if (kind == QLatin1String("corrupt")) {
        dir.writeBytes(QStringLiteral("Set/Progress.db"), QByteArray("garbage ").repeated(600));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else {
        {
            Journal fresh(path, reporter);
        }
        if (kind == QLatin1String("locked")) {
            holder = std::make_unique<JournalProbe>(path);
            QVERIFY(holder->exec(QStringLiteral("BEGIN EXCLUSIVE")));
        } else if (kind == QLatin1String("newer")) {
            JournalProbe(path).exec(QStringLiteral("PRAGMA user_version = 7"));
        } else {
            if (geteuid() == 0) QSKIP("root writes read-only files");
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser);
        }
    }
    const QByteArray before =
        QDir(path).exists() ? QByteArray() : dir.readBytes(QStringLiteral("Set/Progress.db"));

    Journal j(path, reporter);
    QVERIFY(!j.isOn());
    QCOMPARE(reporter.errors.size(), 1);
    QVERIFY2(reporter.errors.first().contains(QDir::toNativeSeparators(path)),
             qPrintable(reporter.errors.first()));
    QVERIFY2(reporter.errors.first().contains(reason, Qt::CaseInsensitive),
             qPrintable(reporter.errors.first()));
    QCOMPARE(j.failure().isEmpty(), false);
    // Off for good: recording does nothing and says nothing more.
    QCOMPARE(j.recordPosed(posed(2, 7, 8, "2026-12-01T08:00:00.000Z")), int64_t(0));
    j.recordAnswer(1, answer(0, 56, true, "2026-12-01T08:00:02.000Z", true, 1));
    QCOMPARE(reporter.errors.size(), 1);
    // What was in the file is left as it was.
    if (kind != QLatin1String("folder") && kind != QLatin1String("locked"))
        QCOMPARE(dir.readBytes(QStringLiteral("Set/Progress.db")), before);
}

void tst_Journal::recordsAProblemAndItsAnswers()
{
    TempDataDir dir(false);
    CapturingReporter reporter;
    const QString path = dir.path(QStringLiteral("Set/Progress.db"));
    Journal j(path, reporter);
    const int64_t id = j.recordPosed(posed(2, 7, 8, "2026-12-01T08:00:00.000Z"));
    QVERIFY(id > 0);
    AnswerRecord wrong = answer(0, 54, false, "2026-12-01T08:00:04.250Z");
    wrong.HintShown = true;
    j.recordAnswer(id, wrong);
    AnswerRecord right = answer(0, 56, true, "2026-12-01T08:00:07.500Z", true, 2);
    // The player changed before the last answer: the problem goes with them.
    right.Player = 3;
    right.PlayerName = QStringLiteral("爸爸");
    j.recordAnswer(id, right);
    QVERIFY(reporter.errors.isEmpty());

    JournalProbe probe(path);
    QCOMPARE(
        probe.rows(QStringLiteral(
            "SELECT player, player_name, operation, operand1, operand2, type, step_mode, "
            "posed_at, finished_at, wrong, hints, coins FROM problems")),
        (QList<QVariantList>{{3, QStringLiteral("爸爸"), 2, 7, 8, QStringLiteral("1位数×1位数"), 1,
                              QStringLiteral("2026-12-01T08:00:00.000Z"),
                              QStringLiteral("2026-12-01T08:00:07.500Z"), 1, 1, 2}}));
    QCOMPARE(
        probe.rows(QStringLiteral(
            "SELECT problem, step, value, correct, hint_shown, ms, at FROM answers ORDER BY id")),
        (QList<QVariantList>{
            {qint64(id), 0, 54, 0, 1, 1200, QStringLiteral("2026-12-01T08:00:04.250Z")},
            {qint64(id), 0, 56, 1, 0, 1200, QStringLiteral("2026-12-01T08:00:07.500Z")}}));

    const std::vector<ProblemRow> rows = j.problems(3, {});
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows[0].Answers, 2);
    QCOMPARE(rows[0].RightAnswers, 1);
    QCOMPARE(rows[0].FinishedAt, at("2026-12-01T08:00:07.500Z"));
    QVERIFY(j.problems(0, {}).empty());
    QVERIFY(j.problems(3, at("2026-12-01T08:00:00.001Z")).empty());
    QCOMPARE(j.rawRows(3, {}).size(), 2);
}

void tst_Journal::failedWriteRollsBackAndReportsOnce()
{
    TempDataDir dir(false);
    CapturingReporter reporter;
    const QString path = dir.path(QStringLiteral("Set/Progress.db"));
    Journal j(path, reporter);
    const int64_t id = j.recordPosed(posed(0, 3, 4, "2026-12-01T08:00:00.000Z"));
    {
        JournalProbe other(path);
        QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        j.recordAnswer(id, answer(0, 6, false, "2026-12-01T08:00:03.000Z"));
        j.recordAnswer(id, answer(0, 7, true, "2026-12-01T08:00:05.000Z", true, 1));
        QVERIFY(other.exec(QStringLiteral("ROLLBACK")));
    }
    QVERIFY(!j.isOn());
    QCOMPARE(reporter.errors.size(), 1);
    QVERIFY(reporter.errors.first().contains(QLatin1String("locked"), Qt::CaseInsensitive));
    // Neither half of the answer's transaction stayed.
    JournalProbe probe(path);
    QCOMPARE(probe.value(QStringLiteral("SELECT count(*) FROM answers")).toInt(), 0);
    QCOMPARE(probe.value(QStringLiteral("SELECT wrong FROM problems")).toInt(), 0);
    // What was recorded before can still be read for the report.
    QVERIFY(j.canRead());
    QCOMPARE(j.problems(0, {}).size(), size_t(1));
}

void tst_Journal::timesAreUtcWithMilliseconds()
{
    const QDateTime local(QDate(2026, 12, 1), QTime(9, 30, 15, 7), Qt::OffsetFromUTC, 8 * 3600);
    QCOMPARE(Journal::isoTime(local), QStringLiteral("2026-12-01T01:30:15.007Z"));
    QCOMPARE(Journal::parseTime(QStringLiteral("2026-12-01T01:30:15.007Z")), local);
    QVERIFY(!Journal::parseTime(QString()).isValid());
}

QTEST_GUILESS_MAIN(tst_Journal)
#include "tst_Journal.moc"
