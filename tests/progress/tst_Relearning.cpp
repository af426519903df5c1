#include "progress/Relearning.h"

#include <QtTest>

class tst_Relearning : public QObject
{
    Q_OBJECT

private slots:
    void calendar_data();
    void calendar();
};

void tst_Relearning::calendar_data()
{
    // First-try answers by day from the first miss: "x0" missed on day 0, "o8" right on day 8.
    QTest::addColumn<QString>("answers");
    // Where the item stands after them: due on that day with clean days, or retired (-1).
    QTest::addColumn<int>("due");
    QTest::addColumn<int>("clean");

    QTest::newRow("a miss is due the next day") << "x0" << 1 << 0;
    QTest::newRow("right the next day, it comes a week later") << "x0 o1" << 8 << 1;
    QTest::newRow("right on two later days retires it") << "x0 o1 o8" << -1 << 0;
    QTest::newRow("the day of the miss does not count") << "x0 o0 o0" << 1 << 0;
    QTest::newRow("a day counts once") << "x0 o1 o1" << 8 << 1;
    QTest::newRow("a later day counts before it is due") << "x0 o3 o4" << -1 << 0;
    QTest::newRow("a new miss starts over") << "x0 o1 x5" << 6 << 0;
    QTest::newRow("a day behind the last one counted changes nothing") << "x0 o4 o2" << 11 << 1;
}

void tst_Relearning::calendar()
{
    QFETCH(QString, answers);
    QFETCH(int, due);
    QFETCH(int, clean);
    const QDate first(2026, 12, 1);
    std::optional<RelearnState> state;
    for (const QString &a : answers.split(QLatin1Char(' '))) {
        const QDate day = first.addDays(a.mid(1).toInt());
        if (a.startsWith(QLatin1Char('x')))
            state = RelearnRule::missed(day);
        else if (state)
            state = RelearnRule::rightFirstTry(*state, day);
    }
    QCOMPARE(state.has_value(), due >= 0);
    if (!state) return;
    QCOMPARE(int(first.daysTo(state->Due)), due);
    QCOMPARE(state->CleanDays, clean);
    // Due from that day on, and not before.
    QVERIFY(!RelearnRule::due(*state, state->Due.addDays(-1)));
    QVERIFY(RelearnRule::due(*state, state->Due));
    QVERIFY(RelearnRule::due(*state, state->Due.addDays(30)));
}

QTEST_MAIN(tst_Relearning)
#include "tst_Relearning.moc"
