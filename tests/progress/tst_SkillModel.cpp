// The skill model learns from answers recorded in a real journal, as the game records them.

#include "progress/SkillModel.h"

#include "progress/Journal.h"
#include "JournalProbe.h"
#include "PlayedJournal.h"
#include "TestSupport.h"

#include <QtTest>
#include <memory>

namespace {

// "p0:23+5": the predicted first-try success of a whole answer.
double predicted(const SkillModel &model, const QString &probe)
{
    const int32_t player = probe.section(QLatin1Char(':'), 0, 0).mid(1).toInt();
    const PosedRecord p = PlayedJournal::problemOf(probe.section(QLatin1Char(':'), 1));
    return model.problemSuccess(player, p.Operation, p.Type, p.Operand1, p.Operand2, false);
}

// The skill model's tables as rows of text, in order.
QStringList tables(const QString &path)
{
    JournalProbe probe(path);
    QStringList out;
    for (const char *sql :
         {"SELECT player, item, round(value, 9), answers, recent FROM skill_rating ORDER BY 1, 2",
          "SELECT item, round(value, 9), answers FROM skill_difficulty ORDER BY 1",
          "SELECT player, fact, operation, operand1, operand2, type, step_mode, due, clean_days, "
          "last_day FROM relearn ORDER BY 1, 2, 3, 4, 5"}) {
        for (const QVariantList &row : probe.rows(QString::fromLatin1(sql))) {
            QStringList fields;
            for (const QVariant &v : row)
                fields << v.toString();
            out << fields.join(QLatin1Char('|'));
        }
    }
    return out;
}

} // namespace

class tst_SkillModel : public QObject
{
    Q_OBJECT

private slots:
    void learns_data();
    void learns();
    void rebuiltFromTheAnswers_data();
    void rebuiltFromTheAnswers();
    void calendarFollowsTheAnswers_data();
    void calendarFollowsTheAnswers();
};

void tst_SkillModel::learns_data()
{
    QTest::addColumn<QString>("history");
    // "higher > lower": two predictions the history must set apart by more than margin.
    QTest::addColumn<QString>("order");
    QTest::addColumn<double>("margin");

    QTest::newRow("carries missed, the same line without them still easy")
        << PlayedJournal::repeat(QStringLiteral("31+4 wo, 38+5 wx, 52+6 wo, 47+8 wx"), 6)
        << "p0:23+5 > p0:26+7" << 0.1;
    QTest::newRow("a column fact missed is weaker than one right")
        << PlayedJournal::repeat(QStringLiteral("38+45 sxo, 21+34 soo"), 4) << "p0:1+4 > p0:8+5"
        << 0.1;
    QTest::newRow("fast right answers say more than slow ones")
        << PlayedJournal::repeat(QStringLiteral("p0:23+4 wo@1500, p2:23+4 wo@25000"), 8)
        << "p0:31+6 > p2:31+6" << 0.0;
    QTest::newRow("a line missed is harder for the player who missed it")
        << PlayedJournal::repeat(QStringLiteral("p0:312+457 wo, p2:312+457 wx"), 6)
        << "p0:523+364 > p2:523+364" << 0.1;
    QTest::newRow("borrows missed, subtraction without them still easy")
        << PlayedJournal::repeat(QStringLiteral("58-3 wo, 52-7 wx"), 8) << "p0:67-5 > p0:61-4"
        << 0.1;
}

void tst_SkillModel::learns()
{
    QFETCH(QString, history);
    QFETCH(QString, order);
    QFETCH(double, margin);
    PlayedJournal h;
    h.play(history);
    const SkillModel model(*h.journal);
    const double higher = predicted(model, order.section(QStringLiteral(" > "), 0, 0));
    const double lower = predicted(model, order.section(QStringLiteral(" > "), 1, 1));
    QVERIFY2(higher > lower + margin,
             qPrintable(QStringLiteral("%1 against %2").arg(higher).arg(lower)));
    QVERIFY(h.reporter.errors.isEmpty());
}

void tst_SkillModel::rebuiltFromTheAnswers_data()
{
    QTest::addColumn<QString>("before");
    // Played, then deleted from the journal.
    QTest::addColumn<QString>("deleted");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("sql");

    const QString before = QStringLiteral("38+45 sxo, 8+5 wx, 52-7 wo, 1:p2:31+4 wx, 1:38+45 so");
    const QString after = QStringLiteral("2:61-5 wx, 2:7+8 wo");
    QTest::newRow("ratings and calendar emptied")
        << before << QString() << after
        << "DELETE FROM skill_rating; DELETE FROM skill_difficulty; DELETE FROM relearn";
    QTest::newRow("the answers of a problem deleted")
        << before << QStringLiteral("1:47+8 wx") << after
        << "DELETE FROM answers WHERE problem = (SELECT max(id) FROM problems); "
           "DELETE FROM problems WHERE id = (SELECT max(id) FROM problems)";
}

void tst_SkillModel::rebuiltFromTheAnswers()
{
    QFETCH(QString, before);
    QFETCH(QString, deleted);
    QFETCH(QString, after);
    QFETCH(QString, sql);
    // The same answers, followed as they came, in a journal that never had what was deleted.
    PlayedJournal reference;
    reference.play(before + QStringLiteral(", ") + after);
    SkillModel{*reference.journal};

    PlayedJournal h;
    h.play(before + QStringLiteral(", ") + deleted);
    SkillModel{*h.journal};
    const JournalProbe probe(h.path);
    for (const QString &statement : sql.split(QStringLiteral("; ")))
        QVERIFY2(probe.exec(statement), qPrintable(statement));
    h.play(after);
    QVERIFY(SkillModel(*h.journal).isOn());
    QCOMPARE(tables(h.path), tables(reference.path));
    QVERIFY(h.reporter.errors.isEmpty());
}

void tst_SkillModel::calendarFollowsTheAnswers_data()
{
    QTest::addColumn<QString>("history");
    QTest::addColumn<int>("day");
    // What is due that day: problems as written, facts with " fact".
    QTest::addColumn<QString>("due");

    QTest::newRow("a miss is due the next day") << "38+45 wx" << 1 << "38+45";
    QTest::newRow("a missed column comes back as its fact too")
        << "38+45 sxo" << 1 << "38+45, 8+5 fact";
    QTest::newRow("a missed fact comes back once, as the problem") << "8+5 wx" << 1 << "8+5";
    // The calendar's own rule is tst_Relearning's; here, that the model follows the answers.
    QTest::newRow("right the next day, due a week later") << "38+45 wx, 1:38+45 wo" << 8 << "38+45";
    QTest::newRow("the fact right in another problem counts")
        << "38+45 sxo, 1:18+35 soo" << 1 << "38+45";
    QTest::newRow("another player's miss is theirs") << "p2:38+45 wx" << 1 << "";
}

void tst_SkillModel::calendarFollowsTheAnswers()
{
    QFETCH(QString, history);
    QFETCH(int, day);
    QFETCH(QString, due);
    PlayedJournal h;
    h.play(history);
    const SkillModel model(*h.journal);
    QStringList shown;
    const QDate today = PlayedJournal::FirstDay.toLocalTime().date().addDays(day);
    for (const RelearnItem &item : model.dueRelearning(0, today)) {
        const QChar sign = item.Operation == Op::Add ? QLatin1Char('+') : QLatin1Char('-');
        shown << QStringLiteral("%1%2%3%4")
                     .arg(item.Operand1)
                     .arg(sign)
                     .arg(item.Operand2)
                     .arg(item.IsFact ? QStringLiteral(" fact") : QString());
    }
    QCOMPARE(shown.join(QStringLiteral(", ")), due);
}

QTEST_MAIN(tst_SkillModel)
#include "tst_SkillModel.moc"
