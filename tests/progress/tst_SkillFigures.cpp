#include "progress/SkillFigures.h"

#include "progress/ReportFigures.h"
#include "PlayedJournal.h"

#include <QtTest>

namespace {

QDateTime dayAfter(int days)
{
    return PlayedJournal::FirstDay.addDays(days).addSecs(12 * 3600);
}

} // namespace

class tst_SkillFigures : public QObject
{
    Q_OBJECT

private slots:
    void levelAndNext_data();
    void levelAndNext();
    void fluencyOnTheGrids_data();
    void fluencyOnTheGrids();
};

void tst_SkillFigures::levelAndNext_data()
{
    QTest::addColumn<QString>("history");
    // Addition's level (the line, or empty), and the first entry of "接下来练" the next day.
    QTest::addColumn<QStringList>("levelAndNext");

    QTest::newRow("the hardest line at 80 % or more")
        << PlayedJournal::repeat(QStringLiteral("23+4 wo, 312+45 wo, 523+364 wx"), 6)
        << QStringList{"3位数+2位数", "523+364"};
    QTest::newRow("no line there yet")
        << PlayedJournal::repeat(QStringLiteral("523+364 wx, 312+45 wx"), 4)
        << QStringList{"", "312+45"};
    QTest::newRow("too few answers to tell")
        << "23+4 wo, 312+45 wo" << QStringList{"", "3位数+2位数"};
}

void tst_SkillFigures::levelAndNext()
{
    QFETCH(QString, history);
    QFETCH(QStringList, levelAndNext);
    PlayedJournal h;
    h.play(history);
    const SkillFigures f = LoadSkillFigures(*h.journal, 0, dayAfter(1));
    QCOMPARE(f.Levels[OpCode(Op::Add)].Line, levelAndNext[0]);
    QVERIFY(f.Levels[OpCode(Op::Add)].Played);
    QVERIFY(!f.Levels[OpCode(Op::Dec)].Played);
    QVERIFY(!f.Next.empty() && f.Next.size() <= SkillFigures::NextItems);
    QCOMPARE(f.Next.front().Text, levelAndNext[1]);
}

void tst_SkillFigures::fluencyOnTheGrids_data()
{
    QTest::addColumn<int>("thresholdMs");
    // 8+5, and 1+2 never answered alone.
    QTest::addColumn<int>("answered");
    QTest::addColumn<int>("unseen");

    const int off = -1;
    QTest::newRow("3 s: right but slow") << 3000 << int(Fluency::Slow) << int(Fluency::NeverSeen);
    QTest::newRow("6 s: fluent") << 6000 << int(Fluency::Fluent) << int(Fluency::NeverSeen);
    QTest::newRow("off: not judged") << 0 << off << off;
}

void tst_SkillFigures::fluencyOnTheGrids()
{
    QFETCH(int, thresholdMs);
    QFETCH(int, answered);
    QFETCH(int, unseen);
    PlayedJournal h;
    // Right every time, in 4 to 5 s, once inside a larger problem by columns.
    h.play(QStringLiteral("8+5 wo@4000, 8+5 wo@5000, 38+15 soo@4500, 21+34 wo"));
    ReportFigures f;
    f.Addition = ComputeFigures({}, ReportPeriod::Everything, dayAfter(0)).Addition;
    ApplySkills(f, LoadSkillFigures(*h.journal, 0, dayAfter(0), thresholdMs));
    auto speedOf = [&](int a, int b) {
        for (const FactCell &cell : f.Addition) {
            if (cell.A == a && cell.B == b) return cell.Speed ? int(*cell.Speed) : -1;
        }
        return -2;
    };
    QCOMPARE(speedOf(8, 5), answered);
    QCOMPARE(speedOf(1, 2), unseen);
}

QTEST_MAIN(tst_SkillFigures)
#include "tst_SkillFigures.moc"
