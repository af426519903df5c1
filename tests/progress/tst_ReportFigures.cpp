#include "progress/ReportFigures.h"
#include "progress/Journal.h"
#include "HandMadeJournal.h"
#include "JournalProbe.h"
#include "TestSupport.h"

#include <QtTest>
#include <algorithm>
#include <map>

Q_DECLARE_METATYPE(ReportPeriod)
Q_DECLARE_METATYPE(Mastery)

namespace {

int64_t median(std::vector<int64_t> v)
{
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

QString since(ReportPeriod period)
{
    const QDateTime start = PeriodStart(period, ReportNow);
    return start.isValid() ? Journal::isoTime(start) : QStringLiteral("0");
}

} // namespace

class tst_ReportFigures : public QObject
{
    Q_OBJECT
private slots:
    void periods_data();
    void accuracyPerOperation_data() { periods_data(); }
    void accuracyPerOperation();
    void mediansPerOperationAndDay_data() { periods_data(); }
    void mediansPerOperationAndDay();
    void solvedPerDay_data() { periods_data(); }
    void solvedPerDay();
    void hintsAndCoins_data() { periods_data(); }
    void hintsAndCoins();
    void tenMostMissed();
    void gridColours_data();
    void gridColours();
    void longPeriodGoesByWeeks();
    void emptyPlayerOrPeriod();
    void factText_data();
    void factText();
    void csv_data();
    void csv();
    void roundAxis_data();
    void roundAxis();
    void parentCsv();
};

void tst_ReportFigures::periods_data()
{
    QTest::addColumn<ReportPeriod>("period");
    QTest::newRow("last 7 days") << ReportPeriod::Last7Days;
    QTest::newRow("last 30 days") << ReportPeriod::Last30Days;
    QTest::newRow("everything") << ReportPeriod::Everything;
}

void tst_ReportFigures::accuracyPerOperation()
{
    QFETCH(ReportPeriod, period);
    HandMadeJournal j;
    fill(j);
    const ReportFigures f = LoadFigures(j.journal, 0, period, ReportNow);
    JournalProbe probe(j.path);
    std::array<std::pair<int, int>, 4> expected{};
    for (const QVariantList &r :
         probe.rows(QStringLiteral("SELECT p.operation, count(*), sum(a.correct) FROM answers a "
                                   "JOIN problems p ON p.id = a.problem WHERE p.player = 0 AND "
                                   "p.posed_at >= ? GROUP BY p.operation"),
                    {since(period)}))
        expected[r[0].toInt()] = {r[1].toInt(), r[2].toInt()};
    for (int op = 0; op < 4; ++op) {
        QCOMPARE(f.Operations[op].Answers, expected[op].first);
        QCOMPARE(f.Operations[op].RightAnswers, expected[op].second);
    }
    QVERIFY(f.Operations[2].Answers > f.Operations[2].RightAnswers);
    // Problems with a verdict: 7×8 three times, 6×7 five, 3×4 twice, 4×4 left after a miss, and
    // 5×5 ten days ago; 2×2 left untouched has none. Right at the first try: 1, 4, 1, 0, 1.
    const bool week = period == ReportPeriod::Last7Days;
    QCOMPARE(f.Operations[2].Tried, week ? 11 : 12);
    QCOMPARE(f.Operations[2].FirstTry, week ? 6 : 7);
    // 56÷7 missed twice: two of three answers right, but no problem right at the first try.
    QCOMPARE(f.Operations[3].FirstTry, 0);
    QVERIFY(f.Operations[3].RightAnswers > 0);
}

void tst_ReportFigures::mediansPerOperationAndDay()
{
    QFETCH(ReportPeriod, period);
    HandMadeJournal j;
    fill(j);
    const ReportFigures f = LoadFigures(j.journal, 0, period, ReportNow);
    JournalProbe probe(j.path);
    std::map<int, std::vector<int64_t>> perOp;
    std::map<std::pair<QString, int>, std::vector<int64_t>> perDay;
    for (const QVariantList &r :
         probe.rows(QStringLiteral("SELECT operation, date(finished_at, 'localtime'), "
                                   "(SELECT sum(ms) FROM answers a WHERE a.problem = p.id) FROM "
                                   "problems p WHERE player = 0 AND finished_at IS NOT NULL AND "
                                   "posed_at >= ?"),
                    {since(period)})) {
        perOp[r[0].toInt()].push_back(r[2].toLongLong());
        perDay[{r[1].toString(), r[0].toInt()}].push_back(r[2].toLongLong());
    }
    for (int op = 0; op < 4; ++op)
        QCOMPARE(f.Operations[op].MedianMs, median(perOp[op]));
    if (period == ReportPeriod::Everything) return; // by weeks there
    for (const ReportBucket &b : f.Buckets) {
        for (int op = 0; op < 4; ++op)
            QCOMPARE(b.MedianMs[op], median(perDay[{b.First.toString(Qt::ISODate), op}]));
    }
    // Today's multiplications took 12 (7×8), 3 (6×7) and 5 (3×4) seconds.
    QCOMPARE(f.Buckets.back().MedianMs[2], int64_t(5000));
}

void tst_ReportFigures::solvedPerDay()
{
    QFETCH(ReportPeriod, period);
    HandMadeJournal j;
    fill(j);
    const ReportFigures f = LoadFigures(j.journal, 0, period, ReportNow);
    JournalProbe probe(j.path);
    std::map<QString, int> days;
    int total = 0;
    for (const QVariantList &r :
         probe.rows(QStringLiteral("SELECT date(finished_at, 'localtime'), count(*) FROM problems "
                                   "WHERE player = 0 AND finished_at IS NOT NULL AND posed_at >= ? "
                                   "GROUP BY 1"),
                    {since(period)})) {
        days[r[0].toString()] = r[1].toInt();
        total += r[1].toInt();
    }
    QCOMPARE(f.Solved, total);
    int charted = 0;
    for (const ReportBucket &b : f.Buckets) {
        charted += b.Solved;
        if (b.First == b.Last) QCOMPARE(b.Solved, days[b.First.toString(Qt::ISODate)]);
    }
    QCOMPARE(charted, total);
    const QDate today = ReportNow.toLocalTime().date();
    QVERIFY(f.Buckets.back().First <= today && today <= f.Buckets.back().Last);
    if (period == ReportPeriod::Last7Days) QCOMPARE(f.Buckets.size(), size_t(7));
    if (period == ReportPeriod::Last30Days) QCOMPARE(f.Buckets.size(), size_t(30));
}

void tst_ReportFigures::hintsAndCoins()
{
    QFETCH(ReportPeriod, period);
    HandMadeJournal j;
    fill(j);
    const ReportFigures f = LoadFigures(j.journal, 0, period, ReportNow);
    JournalProbe probe(j.path);
    const QList<QVariantList> r = probe.rows(
        QStringLiteral("SELECT sum(hints > 0), sum(coins), sum((SELECT count(*) FROM answers a "
                       "WHERE a.problem = p.id AND a.coins < 0)) FROM problems p WHERE player = "
                       "0 AND posed_at >= ?"),
        {since(period)});
    QCOMPARE(f.HintProblems, r[0][0].toInt());
    QCOMPARE(f.Coins, r[0][1].toLongLong());
    QCOMPARE(f.Taken, r[0][2].toLongLong());
    QVERIFY(f.Taken > 0);
    QCOMPARE(f.HintProblems, 2);
}

void tst_ReportFigures::tenMostMissed()
{
    HandMadeJournal j;
    fill(j);
    const ReportFigures f = LoadFigures(j.journal, 0, ReportPeriod::Everything, ReportNow);
    JournalProbe probe(j.path);
    const QString signs = QStringLiteral("+−×÷");
    QStringList expected;
    for (const QVariantList &r : probe.rows(QStringLiteral(
             "SELECT operation, operand1, operand2, sum(wrong) FROM problems WHERE player = 0 "
             "GROUP BY 1, 2, 3 HAVING sum(wrong) > 0 "
             "ORDER BY 4 DESC, 1, 2, 3 LIMIT 10")))
        expected << QStringLiteral("%1%2%3 %4")
                        .arg(r[1].toString(), signs.at(r[0].toInt()), r[2].toString(),
                             r[3].toString());
    QStringList actual;
    for (const MissedFact &m : f.Missed)
        actual << QStringLiteral("%1 %2").arg(m.Text).arg(m.Wrong);
    QCOMPARE(actual, expected);
    QCOMPARE(actual.first(), QStringLiteral("7×8 3"));
    QCOMPARE(actual.size(), 10);
}

void tst_ReportFigures::gridColours_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Mastery>("state");
    QTest::newRow("7×8 one clean of three") << "times" << 6 << 7 << "7×8" << Mastery::MostlyWrong;
    QTest::newRow("6×7 four clean of five") << "times" << 5 << 6 << "6×7" << Mastery::MostlyRight;
    QTest::newRow("3×4 one clean of two") << "times" << 2 << 3 << "3×4" << Mastery::Mixed;
    QTest::newRow("9×9 never") << "times" << 8 << 8 << "9×9" << Mastery::NeverTried;
    QTest::newRow("4×4 abandoned after a mistake")
        << "times" << 3 << 3 << "4×4" << Mastery::MostlyWrong;
    QTest::newRow("2×2 abandoned untouched") << "times" << 1 << 1 << "2×2" << Mastery::NeverTried;
    QTest::newRow("8+5 clean") << "add" << 8 << 5 << "8+5" << Mastery::MostlyRight;
    QTest::newRow("13−6 wrong twice") << "take" << 6 << 7 << "13−6" << Mastery::MostlyWrong;
    QTest::newRow("0−0 never") << "take" << 0 << 0 << "0−0" << Mastery::NeverTried;
    QTest::newRow("18−9 never") << "take" << 9 << 9 << "18−9" << Mastery::NeverTried;
}

void tst_ReportFigures::gridColours()
{
    QFETCH(QString, grid);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(Mastery, state);
    HandMadeJournal j;
    fill(j);
    const ReportFigures f = LoadFigures(j.journal, 0, ReportPeriod::Everything, ReportNow);
    QCOMPARE(f.TimesTable.size(), size_t(81));
    QCOMPARE(f.Addition.size(), size_t(100));
    QCOMPARE(f.Subtraction.size(), size_t(100));
    const bool times = grid == QLatin1String("times");
    const std::vector<FactCell> &cells = times                          ? f.TimesTable
                                         : grid == QLatin1String("add") ? f.Addition
                                                                        : f.Subtraction;
    const FactCell &cell = cells[size_t(row * (times ? 9 : 10) + column)];
    QCOMPARE(cell.Text, text);
    QCOMPARE(cell.State, state);
}

void tst_ReportFigures::longPeriodGoesByWeeks()
{
    HandMadeJournal j;
    fill(j);
    const ReportFigures f = LoadFigures(j.journal, 0, ReportPeriod::Everything, ReportNow);
    // A hundred days are shown as weeks from a Monday, ending in the week of ReportNow.
    QCOMPARE(f.Unit, BucketUnit::Week);
    QCOMPARE(LoadFigures(j.journal, 0, ReportPeriod::Last30Days, ReportNow).Unit, BucketUnit::Day);
    QVERIFY(f.Buckets.size() >= 15 && f.Buckets.size() <= 16);
    QCOMPARE(f.Buckets.front().First.dayOfWeek(), 1);
    QVERIFY(f.Buckets.back().First <= ReportNow.date() &&
            ReportNow.date() <= f.Buckets.back().Last);
}

void tst_ReportFigures::emptyPlayerOrPeriod()
{
    HandMadeJournal j;
    fill(j);
    QVERIFY(LoadFigures(j.journal, 4, ReportPeriod::Everything, ReportNow).Empty());
    QVERIFY(!LoadFigures(j.journal, 2, ReportPeriod::Last7Days, ReportNow).Empty());
    QVERIFY(LoadFigures(j.journal, 2, ReportPeriod::Last7Days, ReportNow.addDays(30)).Empty());
    // Posed but never answered is nothing to show either.
    HandMadeJournal k;
    k.add(2, 2, 2, 0, 0, 0, false);
    QVERIFY(LoadFigures(k.journal, 0, ReportPeriod::Everything, ReportNow).Empty());
}

void tst_ReportFigures::factText_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<QString>("text");
    QTest::newRow("times") << 2 << 7 << 8 << "7×8";
    QTest::newRow("take away") << 1 << 13 << 6 << "13−6";
    QTest::newRow("share") << 3 << 56 << 7 << "56÷7";
    QTest::newRow("add") << 0 << 38 << 45 << "38+45";
}

void tst_ReportFigures::factText()
{
    QFETCH(int, op);
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QString, text);
    QCOMPARE(FactText(op, a, b), text);
}

void tst_ReportFigures::csv_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << "小明"
                           << "小明";
    QTest::newRow("comma") << "a,b"
                           << "\"a,b\"";
    QTest::newRow("quote") << "say \"hi\""
                           << "\"say \"\"hi\"\"\"";
    QTest::newRow("line break") << "a\nb"
                                << "\"a\nb\"";
    QTest::newRow("formula") << "=1+2"
                             << "'=1+2";
    QTest::newRow("formula with comma") << "@SUM(A1,B1)"
                                        << "\"'@SUM(A1,B1)\"";
    QTest::newRow("negative number") << "-3"
                                     << "-3";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_ReportFigures::csv()
{
    QFETCH(QString, field);
    QFETCH(QString, written);
    const QByteArray text = CsvText({QStringLiteral("player_name"), QStringLiteral("coins")},
                                    {{field, QStringLiteral("2")}});
    // The byte-order mark first: a spreadsheet then reads the Chinese as UTF-8.
    QVERIFY(text.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(text.mid(3)),
             QStringLiteral("player_name,coins\r\n") + written + QStringLiteral(",2\r\n"));
}

void tst_ReportFigures::roundAxis_data()
{
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("max");
    QTest::newRow("nothing") << 0.0 << 1.0 << 1.0;
    QTest::newRow("seven") << 7.0 << 2.0 << 8.0;
    QTest::newRow("thirteen") << 13.0 << 5.0 << 15.0;
    QTest::newRow("a hundred and thirty") << 130.0 << 50.0 << 150.0;
    QTest::newRow("two thousand and one") << 2001.0 << 500.0 << 2500.0;
}

void tst_ReportFigures::roundAxis()
{
    QFETCH(double, top);
    QFETCH(double, step);
    QFETCH(double, max);
    const AxisScale a = RoundAxis(top);
    QCOMPARE(a.Step, step);
    QCOMPARE(a.Max, max);
    QVERIFY(a.Ticks() <= 7);
}

void tst_ReportFigures::parentCsv()
{
    // A parent in Shanghai, eight hours ahead of the journal's UTC.
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Asia/Shanghai");
    tzset();
    HandMadeJournal j;
    fill(j);
    const QStringList header = Journal::rawHeader();
    const QList<QStringList> raw = j.journal.rawRows(0, {});
    const QStringList lines = QString::fromUtf8(ParentCsv(header, raw).mid(3))
                                  .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    const qsizetype operation = header.indexOf(QStringLiteral("operation"));
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QStringList fields = lines[i + 1].split(QLatin1Char(','));
        QCOMPARE(fields[operation + 1], OperationName(raw[i][operation].toInt()));
        for (const char *column : {"posed_at", "at"}) {
            const qsizetype at = header.indexOf(QLatin1String(column));
            const QString field = fields[at > operation ? at + 1 : at];
            if (raw[i][at].isEmpty()) continue;
            QVERIFY2(field.endsWith(QLatin1String("+08:00")), qPrintable(field));
            QCOMPARE(QDateTime::fromString(field, Qt::ISODateWithMs),
                     Journal::parseTime(raw[i][at]));
        }
    }
    qputenv("TZ", zone);
    tzset();
}

QTEST_GUILESS_MAIN(tst_ReportFigures)
#include "tst_ReportFigures.moc"
