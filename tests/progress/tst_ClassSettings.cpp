// Set/Class.ini as a teacher writes it, and the link a game starts from it.
#include "progress/ClassSettings.h"
#include "TestSupport.h"
#include "progress/ClassLink.h"

#include <QtTest>
#include <sys/stat.h>

class tst_ClassSettings : public QObject
{
    Q_OBJECT
private slots:
    void startsALinkOnlyFromAUsableFile_data();
    void startsALinkOnlyFromAUsableFile();
};

void tst_ClassSettings::startsALinkOnlyFromAUsableFile_data()
{
    QTest::addColumn<QByteArray>("ini"); // null: no file
    QTest::addColumn<int>("mode");
    // host|port|database|user|password|ssl|class|seat, or empty when no link starts
    QTest::addColumn<QString>("read");
    QTest::addColumn<QStringList>("told"); // a part of each message, in order
    // Nowhere to connect to: the link waits for it without a word.
    const QByteArray server = "[Server]\nHost=/nowhere\nDatabase=class3b\nUser=seat\n"
                              "Password=secret-9\n";
    const QByteArray seat = "[Class]\nName=三年级二班\nSeat=A07\n";
    const QString read = "/nowhere|5432|class3b|seat|secret-9|prefer|三年级二班|A07";
    const QString warning = "chmod 600";
    QTest::newRow("no Class.ini") << QByteArray() << 0600 << "" << QStringList();
    QTest::newRow("defaults") << server + seat << 0600 << read << QStringList();
    QTest::newRow("everything, a password with commas and a semicolon")
        << QByteArray("[Server]\nHost=/run/nowhere\nPort=6543\nDatabase=d\nUser=u\n"
                      "Password=\"a,b;c\"\nSslMode=verify-full\n[Class]\nName=n\nSeat= B2 \n")
        << 0600 << "/run/nowhere|6543|d|u|a,b;c|verify-full|n|B2" << QStringList();
    QTest::newRow("readable by the group") << server + seat << 0640 << read << QStringList{warning};
    QTest::newRow("readable by everyone") << server + seat << 0644 << read << QStringList{warning};
    QTest::newRow("no seat") << server + "[Class]\nName=n\n"
                             << 0600 << "" << QStringList{"[Class] Seat"};
    QTest::newRow("no database or class, readable by everyone")
        << QByteArray("[Server]\nUser=u\nPassword=secret-9\n[Class]\nSeat=1\n") << 0644 << ""
        << QStringList{warning, "[Server] Database、[Class] Name"};
    QTest::newRow("port is no number")
        << server + "Port=fifty\n" + seat << 0600 << "" << QStringList{"Port"};
    QTest::newRow("unknown ssl mode")
        << server + "SslMode=maybe\n" + seat << 0600 << "" << QStringList{"verify-full"};
}

void tst_ClassSettings::startsALinkOnlyFromAUsableFile()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, mode);
    QFETCH(QString, read);
    QFETCH(QStringList, told);
    TempDataDir dir(false);
    if (!ini.isNull()) {
        // The name as a teacher might spell it.
        dir.writeBytes(QStringLiteral("Set/class.INI"), ini);
        QCOMPARE(::chmod(QFile::encodeName(dir.path(QStringLiteral("Set/class.INI"))), mode), 0);
    }
    CapturingReporter reporter;
    FakeClock clock;
    const std::unique_ptr<ClassLink> link = ClassLink::start(dir.setFolder(), reporter, clock);
    QCOMPARE(bool(link), !read.isEmpty());
    if (link) {
        const ClassSettings &s = link->settings();
        QCOMPARE(QStringList({s.host, QString::number(s.port), s.database, s.user, s.password,
                              s.sslMode, s.className, s.seat})
                     .join(QLatin1Char('|')),
                 read);
        QTRY_VERIFY(link->status().rounds >= 1);
    }
    QCoreApplication::processEvents();
    QCOMPARE(reporter.errors.size(), told.size());
    for (int i = 0; i < told.size(); ++i) {
        QVERIFY2(reporter.errors[i].contains(told[i]), qPrintable(reporter.errors[i]));
        QVERIFY(!reporter.errors[i].contains(QStringLiteral("secret-9")));
    }
}

QTEST_GUILESS_MAIN(tst_ClassSettings)
#include "tst_ClassSettings.moc"
