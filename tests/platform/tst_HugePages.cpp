#include "platform/HugePages.h"

#include <QtTest>

// The game started again for large pages finds the environment it was given, so what it
// starts in turn does not inherit the C library's tunables; and a user's own tunables are
// never overridden (no start again at all).
class tst_HugePages : public QObject
{
    Q_OBJECT
private slots:
    void environmentAsGiven_data()
    {
        QTest::addColumn<QByteArray>("started");  // the marker of a start again; "-": none
        QTest::addColumn<QByteArray>("tunables"); // before the call; "-": unset
        QTest::addColumn<QByteArray>("after");    // after it; "-": unset
        QTest::newRow("started again, none before")
            << QByteArray("") << QByteArray("x=1") << QByteArray("-");
        QTest::newRow("started again, the user's before")
            << QByteArray("=glibc.malloc.check=3") << QByteArray("x=1")
            << QByteArray("glibc.malloc.check=3");
        QTest::newRow("the user's own choice stands")
            << QByteArray("-") << QByteArray("glibc.malloc.hugetlb=0")
            << QByteArray("glibc.malloc.hugetlb=0");
    }

    void environmentAsGiven()
    {
        QFETCH(QByteArray, started);
        QFETCH(QByteArray, tunables);
        QFETCH(QByteArray, after);
        const char marker[] = "SUMSPROUT_TUNABLES_WERE";
        const QByteArray saved = qgetenv("GLIBC_TUNABLES");
        const bool wasSet = qEnvironmentVariableIsSet("GLIBC_TUNABLES");
        if (started != "-") qputenv(marker, started);
        if (tunables != "-") qputenv("GLIBC_TUNABLES", tunables);
        char name[] = "tst_HugePages";
        char *argv[] = {name, nullptr};
        startWithHugePages(argv[0], argv, true);
        const bool set = qEnvironmentVariableIsSet("GLIBC_TUNABLES");
        const QByteArray now = qgetenv("GLIBC_TUNABLES");
        const bool markerLeft = qEnvironmentVariableIsSet(marker);
        if (wasSet)
            qputenv("GLIBC_TUNABLES", saved);
        else
            qunsetenv("GLIBC_TUNABLES");
        qunsetenv(marker);
        QVERIFY(!markerLeft);
        QCOMPARE(set ? now : QByteArray("-"), after);
    }
};

QTEST_GUILESS_MAIN(tst_HugePages)
#include "tst_HugePages.moc"
