#include "progress/Fluency.h"

#include <QtTest>

class tst_Fluency : public QObject
{
    Q_OBJECT

private slots:
    void judge_data();
    void judge();
};

void tst_Fluency::judge_data()
{
    // A fact's first-try answers, oldest first: "o2500" right after 2.5 s, "x900" wrong.
    QTest::addColumn<QString>("answers");
    QTest::addColumn<int>("thresholdMs");
    QTest::addColumn<int>("state");

    const int usual = int(FluencyRule::DefaultThresholdMs);
    QTest::newRow("never seen") << "" << usual << int(Fluency::NeverSeen);
    QTest::newRow("two of the last three fast")
        << "o1000 x900 o2500" << usual << int(Fluency::Fluent);
    QTest::newRow("the threshold itself is fast") << "o3000 o3000" << 3000 << int(Fluency::Fluent);
    QTest::newRow("one fast answer is not enough") << "o1000" << usual << int(Fluency::Slow);
    QTest::newRow("right but slow") << "o5000 o4000 o6000" << usual << int(Fluency::Slow);
    QTest::newRow("slow at 3 s, fast at 6 s") << "o5000 o4000" << 6000 << int(Fluency::Fluent);
    QTest::newRow("fast long ago counts no more")
        << "o1000 o1000 x500 x500 o9000" << usual << int(Fluency::Slow);
    QTest::newRow("the last one wrong") << "o5000 x2000" << usual << int(Fluency::NotYet);
    QTest::newRow("fluent although the last one was wrong")
        << "o1000 o2000 x800" << usual << int(Fluency::Fluent);
}

void tst_Fluency::judge()
{
    QFETCH(QString, answers);
    QFETCH(int, thresholdMs);
    QFETCH(int, state);
    std::vector<TimedAnswer> last;
    for (const QString &a : answers.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        last.push_back({a.startsWith(QLatin1Char('o')), a.mid(1).toLongLong()});
    QCOMPARE(int(FluencyRule::judge(last, thresholdMs)), state);
}

QTEST_MAIN(tst_Fluency)
#include "tst_Fluency.moc"
